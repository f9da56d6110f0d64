// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLookup.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavimo::fs {

namespace {

// PATH_MAX: a longer path opens nothing here, and an entry of thousands of separators is
// turned away before it is split.
constexpr qsizetype kMaxPathChars = 4096;

std::mutex applicationDirMutex;
QString applicationDirPath;

QString applicationDir() {
    const std::lock_guard lock(applicationDirMutex);
    return applicationDirPath;
}

// "C:\x.wav", "c:/x": a Windows drive, which does not exist here.
bool hasDriveLetter(QStringView path) {
    if (path.size() < 2 || path[1] != u':') return false;
    const char16_t c = path[0].unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

// Windows ignores them ("dog.jpg " opens dog.jpg), and sets written there rely on it.
QStringView withoutTrailingSpacesAndDots(QStringView name) {
    qsizetype size = name.size();
    while (size > 0 && (name[size - 1] == u' ' || name[size - 1] == u'.')) --size;
    return name.first(size);
}

// A name unpacked from an old Windows zip keeps its Shift_JIS bytes; anything that is not
// valid UTF-8 is read as code page 932.
QString decodeName(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString name = utf8.decode(bytes);
    if (!utf8.hasError()) return name;
    QStringDecoder windows932("windows-31j", QStringConverter::Flag::Stateless);
    return windows932.decode(bytes);
}

QByteArray join(const QByteArray& folder, QByteArrayView name) {
    QByteArray path = folder;
    if (!path.endsWith('/')) path += '/';
    path += name;
    return path;
}

// Following links.
std::optional<mode_t> typeOf(const QByteArray& path) {
    struct stat status {};
    if (::stat(path.constData(), &status) != 0) return std::nullopt;
    return status.st_mode & S_IFMT;
}

bool isRegular(const QByteArray& path) { return typeOf(path) == S_IFREG; }

enum class Wanted { Anything, Folder };

bool isWanted(const QByteArray& path, Wanted wanted) {
    const std::optional<mode_t> type = typeOf(path);
    return type && (wanted == Wanted::Anything || *type == S_IFDIR);
}

// Read with readdir rather than QDir, which skips names that are not valid UTF-8.
struct CloseDirectory {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, CloseDirectory>;
Directory openDirectory(const QByteArray& path) { return Directory(::opendir(path.constData())); }

// One level: the name as written when it is there, else the first name in byte order
// that matches with letter case ignored. No other spelling is tried later, so the walk
// stays linear however many spellings each level offers.
std::optional<QByteArray> step(const QByteArray& folder, const QString& name, Wanted wanted) {
    if (QByteArray exact = join(folder, QFile::encodeName(name)); isWanted(exact, wanted)) return exact;
    const Directory directory = openDirectory(folder);
    if (!directory) return std::nullopt;
    std::optional<QByteArray> bestName;
    // Kana with their voicing marks apart (as a zip made on a Mac holds them) match too.
    const QString composed = name.normalized(QString::NormalizationForm_C);
    while (const dirent* entry = ::readdir(directory.get())) {
        const QByteArray entryName(entry->d_name);
        if (entryName == "." || entryName == ".." || (bestName && entryName >= *bestName)) continue;
        if (withoutTrailingSpacesAndDots(decodeName(entryName))
                .toString()
                .normalized(QString::NormalizationForm_C)
                .compare(composed, Qt::CaseInsensitive) != 0)
            continue;
        if (isWanted(join(folder, entryName), wanted)) bestName = entryName;
    }
    if (!bestName) return std::nullopt;
    return join(folder, *bestName);
}

// The parts looked up from start: as written when that is there, else level by level.
std::optional<QByteArray> walk(const QString& start, const QStringList& parts) {
    QByteArray found = QFile::encodeName(start);
    QByteArray written = found;
    for (const QString& part : parts) written = join(written, QFile::encodeName(part));
    if (isWanted(written, Wanted::Anything)) return written;
    if (parts.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const auto next = step(found, parts[i], i + 1 == parts.size() ? Wanted::Anything : Wanted::Folder);
        if (!next) return std::nullopt;
        found = *next;
    }
    return found;
}

// The folder the path starts from, kept as written, and the rest, which is read the
// Windows way.
std::pair<QString, QStringView> splitStart(QStringView path) {
    const QString appDir = applicationDir();
    if (!appDir.isEmpty() && path.startsWith(appDir) &&
        (path.size() == appDir.size() || appDir.endsWith(u'/') || isSeparator(path[appDir.size()])))
        return {appDir, path.sliced(appDir.size())};
    if (isSeparator(path.front())) return {QStringLiteral("/"), path.sliced(1)};
    return {QDir::currentPath(), path};
}

QString parentOf(const QString& folder) {
    const qsizetype slash = folder.lastIndexOf(u'/', folder.endsWith(u'/') ? -2 : -1);
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

// Hand-written: neither Qt nor the C++ library looks a path up the way Windows reads it.
std::optional<QByteArray> locate(const QString& path) {
    if (path.isEmpty() || path.size() > kMaxPathChars || hasDriveLetter(path) || path.contains(QChar(u'\0')))
        return std::nullopt;
    auto [start, rest] = splitStart(path);
    if (start.isEmpty()) return std::nullopt;  // the current directory is gone

    // "." and ".." are collapsed before anything is looked up, as Windows does with a
    // path, so ".." undoes the part written before it whatever that part turns out to be.
    QStringList parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSeparator(rest[i])) continue;
        const QStringView part = rest.sliced(from, i - from);
        from = i + 1;
        if (part == u"..") {
            if (parts.isEmpty())
                start = parentOf(start);
            else
                parts.removeLast();
        } else if (const QStringView name = withoutTrailingSpacesAndDots(part); !name.isEmpty()) {
            parts.append(name.toString());  // "." and empty parts fall away here
        }
    }

    if (const std::optional<QByteArray> found = walk(start, parts)) return found;
    // A Shift_JIS line whose bytes are valid UTF-8 as well is read as UTF-8: half-width
    // katakana come in such pairs ("ﾈｺ" is C8 BA, read "Ⱥ"). Its Shift_JIS reading is tried
    // when the UTF-8 one names nothing, name by name, as 0x5C is a separator only outside a
    // character.
    bool otherReading = false;
    for (QString& part : parts) {
        const QByteArray bytes = part.toUtf8();
        if (bytes.size() == part.size()) continue;  // ASCII reads the same
        QStringDecoder windows932("windows-31j", QStringConverter::Flag::Stateless);
        const QString read = windows932.decode(bytes);
        if (windows932.hasError()) return std::nullopt;
        part = read;
        otherReading = true;
    }
    return otherReading ? walk(start, parts) : std::nullopt;
}

// Reads no further than the size the file had when it was opened: a /proc file claims 0
// bytes and would otherwise go on giving more (pagemap for minutes).
class SizedFile final : public QFile {
public:
    explicit SizedFile(qint64 size) : size_(size) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const off_t at = ::lseek(handle(), 0, SEEK_CUR);
        if (at < 0) return -1;
        const qint64 left = size_ - qint64{at};
        if (left <= 0) return 0;
        return QFile::readData(data, std::min(maxSize, left));
    }

private:
    qint64 size_;
};

}  // namespace

void setApplicationDir(const QString& dir) {
    const std::lock_guard lock(applicationDirMutex);
    applicationDirPath = dir;
}

QByteArray nativePath(const QString& path) { return locate(path).value_or(QByteArray()); }

QString resolve(const QString& path) {
    const std::optional<QByteArray> found = locate(path);
    return found ? decodePath(*found) : QString();
}

QString decodePath(QByteArrayView bytes) {
    QStringList parts;
    for (qsizetype from = 0, slash = 0; slash >= 0; from = slash + 1) {
        slash = bytes.indexOf('/', from);
        parts << decodeName(bytes.sliced(from, (slash < 0 ? bytes.size() : slash) - from));
    }
    return parts.join(u'/');
}

QString absolute(const QString& path) {
    if (path.startsWith(u'/')) return QDir::cleanPath(path);
    // getcwd() with no buffer allocates one as long as the path; Qt's currentPath() is lossy
    // for a folder whose name is not UTF-8.
    const std::unique_ptr<char, decltype(&::free)> cwd(::getcwd(nullptr, 0), &::free);
    return cwd ? QDir::cleanPath(decodePath(cwd.get()) + u'/' + path) : path;
}

bool isFolder(const QString& path) {
    const std::optional<QByteArray> found = locate(path);
    return found && typeOf(*found) == S_IFDIR;
}

bool fileExists(const QString& path) {
    const std::optional<QByteArray> found = locate(path);
    if (!found) return false;
    const QByteArrayView name = QByteArrayView(*found).sliced(found->lastIndexOf('/') + 1);
    return !name.startsWith('.') && isRegular(*found);
}

QByteArray fileVersion(const QString& path) {
    const std::optional<QByteArray> found = locate(path);
    struct stat status {};
    if (!found || ::stat(found->constData(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
    return QByteArray::number(qulonglong(status.st_dev)) + ':' +
           QByteArray::number(qulonglong(status.st_ino)) + ':' + QByteArray::number(qlonglong(status.st_size)) +
           ':' + QByteArray::number(qlonglong(status.st_mtim.tv_sec)) + '.' +
           QByteArray::number(status.st_mtim.tv_nsec);
}

std::unique_ptr<QFile> openRegular(const QString& path) {
    const std::optional<QByteArray> found = locate(path);
    // Checked before opening too: opening a device can have effects of its own.
    if (!found || !isRegular(*found)) return nullptr;
    // O_NONBLOCK: a named pipe swapped in meanwhile is not waited on.
    const int fd = ::open(found->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<SizedFile>(qint64{status.st_size});
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

QStringList listFiles(const QString& folder, const QStringList& patterns) {
    const std::optional<QByteArray> found = locate(folder);
    if (!found) return {};
    const Directory directory = openDirectory(*found);
    if (!directory) return {};
    std::vector<QRegularExpression> filters;
    for (const QString& pattern : patterns)
        filters.push_back(QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive));

    struct Entry {
        QString key;  // the name in small letters, the order of the list
        QString name;
        QByteArray bytes;
    };
    std::vector<Entry> entries;
    while (const dirent* entry = ::readdir(directory.get())) {
        const QByteArray bytes(entry->d_name);
        if (bytes.startsWith('.')) continue;  // hidden, and "." and ".."
        QString name = decodeName(bytes);
        const bool matches =
            std::any_of(filters.begin(), filters.end(),
                        [&](const QRegularExpression& filter) { return filter.match(name).hasMatch(); });
        if (matches && isRegular(join(*found, bytes)))
            entries.push_back({name.toLower(), std::move(name), bytes});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.key, a.name, a.bytes) < std::tie(b.key, b.name, b.bytes);
    });
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries) names.append(std::move(entry.name));
    return names;
}

std::vector<ListedFile> listFiles(const QStringList& folders, const QStringList& patterns) {
    std::vector<ListedFile> files;
    for (qsizetype f = 0; f < folders.size(); ++f)
        for (QString& name : listFiles(folders[f], patterns)) files.push_back({std::move(name), f});
    // Stable, so that of two equal names the earlier folder's comes first.
    std::stable_sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        const QString foldedA = a.name.toLower(), foldedB = b.name.toLower();
        return foldedA != foldedB ? foldedA < foldedB : a.name < b.name;
    });
    return files;
}

}  // namespace kavimo::fs
