// SPDX-License-Identifier: GPL-3.0-or-later
// A set from pictures: the plan, what it would refuse, and writing it atomically.
#include "maker/Internal.h"
#include "maker/SetMaker.h"
#include "maker/Tr.h"
#include "pictures/PictureLoader.h"
#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/Files.h"
#include "sets/PairCount.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <map>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavimo::maker {

namespace {

using Severity = Finding::Severity;
std::atomic<bool> cancelFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

std::optional<QString> soundBeside(const QFileInfo& picture) {
    const QString base = picture.completeBaseName();
    std::optional<QString> best;
    qsizetype bestRank = 0;
    for (const QString& listed : fs::listFiles(picture.absolutePath(), {QStringLiteral("*")})) {
        const QFileInfo file(picture.absolutePath() + u'/' + listed);
        if (file.completeBaseName().compare(base, Qt::CaseInsensitive) != 0) continue;
        const QString suffix = file.suffix().toLower();
        // The sounds the game plays first; the rest, so that make can say what to do with them.
        qsizetype rank = detail::kPlayableSounds.indexOf(suffix);
        if (rank < 0 && detail::kOtherSounds.contains(suffix)) rank = detail::kPlayableSounds.size();
        if (rank >= 0 && (!best || rank < bestRank)) {
            best = file.filePath();
            bestRank = rank;
        }
    }
    return best;
}

// Titles and file names: well within the 255 bytes a file name may have, also in UTF-8 and
// with a "-2" and an extension added.
constexpr qsizetype kMaxNameLength = 60;

QString entryName(const QString& title, const QString& file) {
    return QStringLiteral("Data\\") + title + u'\\' + file;
}

bool fitsWindowsCodePage(const QString& text) {
    QStringEncoder encoder("windows-31j");
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) return false;
    QStringDecoder decoder("windows-31j");
    const QString back = decoder.decode(bytes);
    return !decoder.hasError() && back == text;
}

QString pictureFile(const SetPlan& plan, const PairPlan& pair) {
    // Pictures for Windows are JPEG, the format every Windows picture loader reads.
    return pair.name + (plan.windows ? QStringLiteral(".jpg") : QStringLiteral(".png"));
}

QString soundFile(const SetPlan& plan, const PairPlan& pair) {
    switch (pair.sound.kind) {
        case SoundChoice::Kind::None:
            return {};
        case SoundChoice::Kind::Spoken:
            return pair.name + QStringLiteral(".wav");
        case SoundChoice::Kind::File:
            if (plan.windows) return pair.name + QStringLiteral(".wav");
            return pair.name + u'.' + QFileInfo(pair.sound.file).suffix().toLower();
    }
    return {};
}

// The set file's text, CR LF line ends throughout.
QString setText(const SetPlan& plan) {
    QStringList lines{QStringLiteral("[File]"), QString::number(plan.pairs.size()),
                      QStringLiteral("[Picture]")};
    for (const PairPlan& pair : plan.pairs) lines << entryName(plan.title, pictureFile(plan, pair));
    lines << QStringLiteral("[Sound]");
    for (const PairPlan& pair : plan.pairs) {
        const QString sound = soundFile(plan, pair);
        lines << (sound.isEmpty() ? QString() : entryName(plan.title, sound));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// Renames that can be undone, newest first, when a later one fails.
class Moves {
public:
    // Never replaces what is at `to`: a file that appeared there meanwhile stays.
    bool move(const QByteArray& from, const QByteArray& to) {
        if (detail::renameNoReplace(from.constData(), to.constData(), ::renameat2) != 0) {
            error_ = qt_error_string(errno);
            return false;
        }
        done_.push_back({from, to});
        return true;
    }
    bool move(const QString& from, const QString& to) {
        return move(QFile::encodeName(from), QFile::encodeName(to));
    }
    void undo() {
        for (size_t i = done_.size(); i-- > 0;)
            detail::renameNoReplace(done_[i].second.constData(), done_[i].first.constData(), ::renameat2);
        done_.clear();
    }

    QString error() const { return error_; }  // why the last move that failed did

private:
    std::vector<std::pair<QByteArray, QByteArray>> done_;
    QString error_;
};

// A write that stops part-way is not an error to QFile; the next one says why it stopped.
bool writeAll(QFile& file, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Whole-file writes that fail when the disk is full: QImage::save and, in Qt 6.4, QSaveFile
// lose the error of a buffered write that reaches the disk only when the file is closed.
// Each says why it failed in *why, in the system's words ("No space left on device").
bool writeWhole(const QString& path, const QByteArray& bytes, QString* why) {
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeAll(file, bytes);
    if (written) {
        file.close();
        written = file.error() == QFileDevice::NoError;
    }
    if (!written) *why = file.errorString();
    return written;
}

bool copyWhole(const QString& from, const QString& to, QString* why) {
    const std::unique_ptr<QFile> in = fs::openRegular(from);
    if (!in) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *why = out.errorString();
        return false;
    }
    for (QByteArray block; !(block = in->read(qint64{1} << 16)).isEmpty();)
        if (!writeAll(out, block)) {
            *why = out.errorString();
            return false;
        }
    out.close();
    *why = in->error() != QFileDevice::NoError ? in->errorString() : out.errorString();
    return in->error() == QFileDevice::NoError && out.error() == QFileDevice::NoError;
}

// Writes to disk all that waits for the file system that holds path: the new set's files
// before they replace the old set, and the renames before the old files go, so that a power
// cut leaves one whole set. One call covers every file and rename.
bool flushToDisk(const QString& path, QString* why = nullptr) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = fd >= 0 && ::syncfs(fd) == 0;
    if (!flushed && why) *why = QString::fromLocal8Bit(std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return flushed;
}

// A WAV written by another program (espeak-ng, libsndfile) is whole when its RIFF size is
// the file's: a write that failed part-way leaves it shorter.
bool wavWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return false;
    return qint64{qFromLittleEndian<quint32>(head.constData() + 4)} + 8 == file.size();
}

// Each set folder lists the files kavimo-set made in it, with their hashes. Replacing the
// set deletes only those, unchanged; a parent's own photos or another set's files beside
// them stay.
const QString kMadeList = QStringLiteral(".kavimo-set");

// Only a regular file, opened without waiting on a pipe, has a hash.
QByteArray hashOf(const QString& path) {
    const std::unique_ptr<QFile> file = fs::openRegular(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    return file && hash.addData(file.get()) ? hash.result().toHex() : QByteArray();
}

std::map<QString, QByteArray> madeList(const QDir& folder) {
    std::map<QString, QByteArray> made;
    QFile list(folder.filePath(kMadeList));
    if (!list.open(QIODevice::ReadOnly) || list.size() > (qint64{1} << 20)) return made;
    for (const QByteArray& line : list.readAll().split('\n'))
        if (const qsizetype space = line.indexOf(' '); space > 0)
            made[QString::fromUtf8(line.mid(space + 1))] = line.left(space);
    return made;
}

bool writeMadeList(const QDir& folder, QString* why) {
    QByteArray text;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        text += hashOf(folder.filePath(name)) + ' ' + name.toUtf8() + '\n';
    return writeWhole(folder.filePath(kMadeList), text, why);
}

// The path with its links resolved, as the OS's bytes; "" when it is not there.
QByteArray realPath(const QByteArray& path) {
    char real[PATH_MAX];
    return !path.isEmpty() && ::realpath(path.constData(), real) ? QByteArray(real) : QByteArray();
}

// The names of the files in a set folder that the other sets in its Data folder name.
QSet<QByteArray> usedByOtherSets(const QString& dataDir, const QString& title) {
    QSet<QByteArray> used;
    const QByteArray folder = realPath(QFile::encodeName(dataDir + u'/' + title));
    if (folder.isEmpty()) return used;
    for (const QString& name : fs::listFiles(dataDir, {QStringLiteral("*.dat")})) {
        if (name.compare(title + QStringLiteral(".dat"), Qt::CaseInsensitive) == 0) continue;
        const QString dat = dataDir + u'/' + name, root = detail::rootOf(dat);
        detail::NotingPlatform quiet;
        int16_t index = 0;
        const auto count = ParsePairCount(Files::ReadSetEntry(dat, index, Files::SectionFile, quiet));
        if (quiet.boxed || !count) continue;
        for (int16_t kind : {Files::SectionPicture, Files::SectionSound})
            for (int16_t pair = 0; pair < std::min<int>(*count, kMaxPairs); ++pair) {
                index = pair;
                const QString entry = Files::ReadSetEntry(dat, index, kind, quiet);
                if (quiet.boxed) break;
                if (entry.isEmpty()) continue;  // a pair without a sound of its own
                const QByteArray file = realPath(fs::nativePath(detail::located(root, entry)));
                if (file.startsWith(folder + '/')) used << file.mid(folder.size() + 1);
            }
    }
    return used;
}

// What an existing set folder holds, by the OS's bytes of each name, that stays when the set
// is replaced: all but the regular files kavimo-set made there, unchanged, that no other set
// names. Names that are not UTF-8 (from a Windows zip) were never made here.
std::vector<QByteArray> notMadeHere(const QString& folder, const QSet<QByteArray>& usedElsewhere) {
    std::vector<QByteArray> kept;
    const QByteArray native = QFile::encodeName(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(native.constData()), &::closedir);
    if (!directory) return kept;
    const auto madeHere = madeList(QDir(folder));
    while (const dirent* entry = ::readdir(directory.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || name == kMadeList.toUtf8()) continue;
        const QString text = QString::fromUtf8(name);
        const QByteArray path = native + '/' + name;
        struct stat status {};
        const auto found = madeHere.find(text);
        const bool made = text.toUtf8() == name && found != madeHere.end() &&
                          ::lstat(path.constData(), &status) == 0 && S_ISREG(status.st_mode) &&
                          !usedElsewhere.contains(name) && found->second == hashOf(QFile::decodeName(path));
        if (!made) kept.push_back(name);
    }
    return kept;
}

// A work folder is named after its process, so that one left by a killed run can be told
// from one in use and removed. One that holds a set moved aside is left for the parent.
const QString kWorkPrefix = QStringLiteral(".kavimo-set-");

// The work folders in the Data folder whose process is gone (never a link to elsewhere).
QStringList abandonedWork(const QDir& dataDir) {
    QStringList abandoned;
    const auto folders = QDir::Dirs | QDir::Hidden | QDir::NoSymLinks;
    for (const QString& name : dataDir.entryList({kWorkPrefix + u'*'}, folders)) {
        bool number = false;
        const qint64 pid = name.mid(kWorkPrefix.size()).section(u'-', 0, 0).toLongLong(&number);
        if (!number || pid <= 0 || pid == getpid() || pid > 0x7fffffff) continue;
        if (kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;  // still running
        abandoned << dataDir.filePath(name);
    }
    return abandoned;
}

bool holdsOldSet(const QString& work) {
    return QFileInfo::exists(work + QStringLiteral("/.old")) ||
           QFileInfo::exists(work + QStringLiteral("/.old.dat"));
}

void removeAbandonedWork(const QDir& dataDir) {
    for (const QString& work : abandonedWork(dataDir))
        if (!holdsOldSet(work)) QDir(work).removeRecursively();
}

// Ctrl-C and SIGTERM wait while a set is moved into place, so that neither set is left half
// there; they take effect afterwards.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_{};
};

// Whether anything, a dangling link included, is at the path.
bool present(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

}  // namespace

namespace detail {

QString safeName(const QString& name) {
    QString safe;
    for (const QChar c : name)
        safe += QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20 ? u'_' : c;
    while (safe.endsWith(u'.') || safe.endsWith(u' ')) safe.chop(1);
    while (safe.startsWith(u'.')) safe.remove(0, 1);  // a hidden file here
    static const QStringList reserved = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2",
                                         "COM3", "COM4", "LPT1", "LPT2", "LPT3"};
    // "AUX.x" is as reserved as "AUX".
    if (const QString stem = safe.section(u'.', 0, 0); reserved.contains(stem, Qt::CaseInsensitive))
        safe.insert(stem.size(), u'_');
    return safe;
}

int renameNoReplace(const char* from, const char* to, Renamer renamer) {
    if (renamer(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1;
    struct stat there {};
    if (::lstat(to, &there) == 0) {
        errno = EEXIST;
        return -1;
    }
    return errno == ENOENT ? renamer(AT_FDCWD, from, AT_FDCWD, to, 0) : -1;
}

bool cancelled() {
    return cancelFlag.load();
}
void startWriting() {
    cancelFlag.store(false);
}

}  // namespace detail

void requestCancel() {
    cancelFlag.store(true);
}

QString userDataDir() { return defaultUserSetFolder(); }

namespace {

QString programDataDir() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Data"); }

// A folder's path for telling whether two name the same one, existing or not.
QString folderKey(const QString& folder) {
    const QString real = QFileInfo(folder).canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : real;
}

// The first folder up to two levels below folder that holds pictures (a phone's DCIM/100ANDRO),
// looking into at most 200 folders; empty when there is none.
QString folderWithPicturesBelow(const QString& folder) {
    QStringList level = {folder};
    int looked = 0;
    for (int depth = 0; depth < 2; ++depth) {
        QStringList next;
        for (const QString& parent : level)
            for (const QString& name : QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                if (++looked > 200) return {};
                const QString inside = parent + u'/' + name;
                if (!picturesIn(inside).isEmpty()) return inside;
                next << inside;
            }
        level = next;
    }
    return {};
}

}  // namespace

bool listedByGame(const QString& dataDir) {
    const QString key = folderKey(dataDir);
    return key == folderKey(programDataDir()) || key == folderKey(userDataDir());
}

QString gameFolderAround(const QString& folder) {
    const QString key = folderKey(folder);
    for (const QString& game : {programDataDir(), userDataDir()})
        if (key.startsWith(folderKey(game) + u'/')) return game;
    return {};
}

SetPlan planFromPictures(const QStringList& picturesOrFolders, const QString& title, const QString& dataDir,
                         bool speak) {
    SetPlan plan;
    plan.dataDir = dataDir.isEmpty() ? userDataDir() : dataDir;
    QString firstFolder;
    QStringList pictures;
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QString& given : picturesOrFolders) {
        const QString input = fs::absolute(given);
        if (fs::isFolder(input)) {
            if (firstFolder.isEmpty()) firstFolder = QFileInfo(input).fileName();
            pictures << picturesIn(input);
            for (const QString& name : fs::listFiles(input, {QStringLiteral("*")}))
                if (const QString suffix = QFileInfo(name).suffix().toLower();
                    detail::kOtherPhotos.contains(suffix) && !readable.contains(suffix.toLatin1()))
                    plan.passedOver << input + u'/' + name;
        } else {
            pictures << input;
        }
    }
    if (pictures.isEmpty())
        for (const QString& given : picturesOrFolders)
            if (plan.picturesDeeper.isEmpty())
                plan.picturesDeeper = folderWithPicturesBelow(fs::absolute(given));
    if (firstFolder.isEmpty() && !pictures.isEmpty())
        firstFolder = QFileInfo(QFileInfo(pictures.first()).absolutePath()).fileName();
    plan.title = detail::safeName(title.isEmpty() ? firstFolder : title);

    QSet<QString> taken;  // Windows does not tell names apart by letter case
    for (const QString& picture : pictures) {
        const QFileInfo info(picture);
        PairPlan pair;
        pair.picture = picture;
        const QString base = detail::safeName(info.completeBaseName()).left(kMaxNameLength);
        pair.name = base.isEmpty() ? QStringLiteral("picture") : base;
        for (int n = 2; taken.contains(pair.name.toLower()); ++n)
            pair.name = base + u'-' + QString::number(n);
        taken.insert(pair.name.toLower());
        if (const auto sound = soundBeside(info)) {
            pair.sound = {SoundChoice::Kind::File, *sound, {}};
        } else if (speak) {
            pair.sound = {SoundChoice::Kind::Spoken, {}, info.completeBaseName()};
        }
        plan.pairs.push_back(std::move(pair));
    }
    return plan;
}

std::vector<Finding> checkPlan(const SetPlan& plan) {
    std::vector<Finding> findings;
    auto error = [&](const QString& file, const QString& message) {
        findings.push_back({Severity::Error, file, 0, message});
    };
    auto warning = [&](const QString& file, const QString& message) {
        findings.push_back({Severity::Warning, file, 0, message});
    };
    const int pairs = int(plan.pairs.size());
    const QString title = detail::safeName(plan.title);
    if (pairs == 0 && plan.picturesDeeper.isEmpty())
        error({}, Maker::tr("There are no pictures to make a set of."));
    else if (pairs == 0)
        error({}, Maker::tr("There are no pictures to make a set of: the pictures in folders inside a folder "
                            "given are not taken. Give such a folder instead, for example %1.")
                      .arg(plan.picturesDeeper));
    if (pairs > kMaxPairs)
        error({}, Maker::tr("%1 pictures: a set holds at most %2 pairs. Choose %2 or fewer (11 to %2 "
                            "pairs give small cards).")
                      .arg(pairs)
                      .arg(kMaxPairs));
    if (title.isEmpty())
        error({}, plan.title.trimmed().isEmpty()
                      ? Maker::tr("The set has no title.")
                      : Maker::tr("\"%1\" cannot be a title: it needs more than dots and spaces.")
                            .arg(plan.title));
    else if (title != plan.title)
        // The game shows the set file's name, which cannot hold every character a title can.
        warning({}, Maker::tr("The game shows this set as \"%1\": that is as much of the title as a "
                              "file's name can hold.")
                        .arg(title));
    if (title.size() > kMaxNameLength)
        error({}, Maker::tr("The title is too long: at most %1 characters.").arg(kMaxNameLength));
    const QDir dir(plan.dataDir);
    const QString datPath = dir.filePath(title + QStringLiteral(".dat"));
    const QFileInfo datInfo(datPath), folderInfo(dir.filePath(title));
    const bool inTheWay =
        (datInfo.exists() && !datInfo.isFile()) || (folderInfo.exists() && !folderInfo.isDir());
    if (!title.isEmpty() && (datInfo.isSymLink() || folderInfo.isSymLink()))
        error(datPath, Maker::tr("\"%1\" in %2 is a link to somewhere else, which kavimo-set does not "
                                 "replace. Choose another title.")
                           .arg(title, plan.dataDir));
    else if (!title.isEmpty() && inTheWay)
        error(datPath, Maker::tr("Something that is not a set is called \"%1\" in %2. Choose another title.")
                           .arg(title, plan.dataDir));
    else if (!title.isEmpty() && !plan.force && datInfo.exists())
        error(datPath, Maker::tr("A set called \"%1\" already exists in %2. Choose another title, or "
                                 "replace it.")
                           .arg(title, plan.dataDir));
    else if (!title.isEmpty() && !plan.force && folderInfo.exists())
        error(datPath, Maker::tr("A folder called \"%1\" is already in %2. Choose another title, or put "
                                 "the set's files beside what it holds, which stays.")
                           .arg(title, plan.dataDir));
    // The game lists its own sets and the user's as one: two of one title look the same there.
    for (const QString& other : {programDataDir(), userDataDir()})
        if (!title.isEmpty() && listedByGame(plan.dataDir) && folderKey(other) != folderKey(plan.dataDir) &&
            fs::fileExists(other + u'/' + title + ".dat"))
            warning(other, Maker::tr("The game also lists a set called \"%1\", from %2: the child would see "
                                     "two sets of that title.")
                               .arg(title, other));
    for (const QString& work : abandonedWork(dir))
        if (holdsOldSet(work))
            warning(work, Maker::tr("A run of kavimo-set that was stopped while replacing a set left that "
                                    "set's files in %1. Move them back into %2.")
                              .arg(work, plan.dataDir));
    if (QFileInfo(plan.dataDir).exists() && !QFileInfo(plan.dataDir).isDir())
        error(plan.dataDir, Maker::tr("%1 is not a folder.").arg(plan.dataDir));
    else if (QFileInfo(plan.dataDir).isDir() && !QFileInfo(plan.dataDir).isWritable())
        error(plan.dataDir,
              Maker::tr("Nothing can be written in %1. Choose a folder of your own.").arg(plan.dataDir));
    if (dir.dirName().compare(QStringLiteral("Data"), Qt::CaseInsensitive) != 0)
        warning(
            plan.dataDir,
            Maker::tr("The game finds sets only in a folder called Data; %1 is not one.").arg(plan.dataDir));
    if (pairs > 10 && pairs < kMaxPairs)
        findings.push_back({Severity::Warning, {}, 0,
                            Maker::tr("%1 pairs: on Windows the game lays out small cards only for 21 pairs, "
                                      "so the cards overlap there.")
                                .arg(pairs),
                            true});

    bool noEspeakSaid = false;
    for (const PairPlan& pair : plan.pairs) {
        const QString name = QFileInfo(pair.picture).fileName();
        const std::unique_ptr<QFile> opened = fs::openRegular(pair.picture);
        QImageReader reader(opened.get());
        if (!opened)
            error(pair.picture, detail::notFoundProblem(pair.picture));
        else if (!reader.canRead())
            error(pair.picture, detail::photoProblem(pair.picture));
        else if (pictures::tooBigToHold(detail::decodedSize(reader), pictures::storedFormat(reader)))
            error(pair.picture, detail::tooBigProblem(name, reader.size()));
        else if (pictures::cutShort(*opened))  // said with the rest, not only once they are mended
            error(pair.picture, detail::cutShortProblem(name));
        else if (const QSize cut = pair.cut.isEmpty() ? reader.size() : pair.cut.size();
                 std::min(cut.width(), cut.height()) < cardSide(pairs))
            // A set opened with small cards and saved with large ones has such cards as its pictures.
            warning(pair.picture,
                    Maker::tr("The card for %1 is cut from %2 x %2 pixels and enlarged to %3 x %3, so it "
                              "looks blurred. Add the photo it came from, or a larger one.")
                        .arg(name)
                        .arg(std::min(cut.width(), cut.height()))
                        .arg(cardSide(pairs)));
        QString why;
        if (pair.sound.kind == SoundChoice::Kind::File && !soundPlayable(pair.sound.file, &why))
            error(pair.sound.file, why);
        else if (pair.sound.kind == SoundChoice::Kind::File && detail::soundCutShort(pair.sound.file))
            error(pair.sound.file,
                  detail::soundCutShortProblem(QFileInfo(fs::resolve(pair.sound.file)).fileName()));
        if (pair.sound.kind == SoundChoice::Kind::Spoken) {
            if (pair.sound.spokenText.trimmed().isEmpty())
                error(pair.picture, Maker::tr("The spoken name for %1 is empty.").arg(name));
            else if (detail::hasKanji(pair.sound.spokenText))
                error(pair.picture, Maker::tr("The spoken name \"%1\" has kanji, which espeak-ng cannot read "
                                              "(it would say \"Chinese letter\"). Write it in kana, for "
                                              "example いぬ.")
                                        .arg(pair.sound.spokenText));
            else if (!noEspeakSaid && QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()) {
                error({}, Maker::tr("espeak-ng is not installed, so names cannot be spoken. "
                                    "Install it with: sudo apt install espeak-ng"));
                noEspeakSaid = true;  // once for the set, not for every name
            }
            // A camera's file name ("IMG_0002" is said "img zero zero zero two"); a number alone
            // ("10", said "ten") is a name a child can hear.
            static const QRegularExpression cameraLike(QStringLiteral("_|\\d.*\\p{L}|\\p{L}.*\\d"));
            if (pair.sound.spokenText.contains(cameraLike))
                warning(pair.picture,
                        Maker::tr("The name spoken for %1 would be \"%2\", the file's own name, as a camera "
                                  "gives it. Rename the photo to the name the child should hear (in the set "
                                  "maker window, write it after \"Say the name:\").")
                            .arg(name, pair.sound.spokenText));
        }
    }
    for (const QString& photo : plan.passedOver)
        warning(photo, Maker::tr("Left out: %1").arg(detail::photoProblem(photo)));
    QSet<QString> seen;
    for (const PairPlan& pair : plan.pairs) {
        const QString real = QFileInfo(pair.picture).canonicalFilePath();
        if (seen.contains(real))
            warning(pair.picture, Maker::tr("%1 is in the set twice: the child cannot tell its pairs apart.")
                                      .arg(QFileInfo(pair.picture).fileName()));
        if (!real.isEmpty()) seen.insert(real);
    }
    QStringList names{title};
    for (const PairPlan& pair : plan.pairs) names << pictureFile(plan, pair) << soundFile(plan, pair);
    if (plan.windows)
        for (const QString& name : names)
            if (!fitsWindowsCodePage(name)) {
                error({}, Maker::tr("\"%1\" cannot be written in the Windows Japanese code page (Shift_JIS); "
                                    "rename the picture or choose another title.")
                              .arg(name));
                break;
            }
    return findings;
}

MakeResult writeSet(const SetPlan& given) {
    detail::startWriting();
    SetPlan plan = given;
    plan.title = detail::safeName(plan.title);
    for (PairPlan& pair : plan.pairs) pair.name = detail::safeName(pair.name);
    MakeResult result;
    QStringList refusals;
    for (const Finding& f : checkPlan(plan))
        if (f.severity == Severity::Error) refusals << f.message;
    if (!refusals.isEmpty()) {
        result.message = refusals.join(u'\n');
        return result;
    }
    auto fail = [&](const QString& why) {
        result.message = why;
        return result;
    };

    // A set folder made here goes again when the set is not made.
    struct MadeFolder {
        QString path;
        bool made = false;
        bool keep = false;
        ~MadeFolder() {
            // cppcheck-suppress knownConditionTrueFalse ; made is set where the folder is made
            if (made && !keep) QDir().rmdir(path);
        }
    } made{plan.dataDir, !QFileInfo::exists(plan.dataDir)};
    if (!QDir().mkpath(plan.dataDir))
        return fail(Maker::tr("The folder %1 cannot be made.").arg(plan.dataDir));
    const QDir dir(plan.dataDir);
    removeAbandonedWork(dir);
    // A hidden folder beside the sets: the game lists only .dat files, and a rename within
    // one file system is atomic.
    QTemporaryDir work(dir.filePath(kWorkPrefix + QString::number(getpid()) + QStringLiteral("-XXXXXX")));
    if (!work.isValid())
        return fail(Maker::tr("Nothing can be written in %1 (%2).").arg(plan.dataDir, work.errorString()));
    const QDir folder(work.filePath(plan.title));
    // Some file systems take no letters but the Latin ones in a name (fusefat: "Operation not permitted").
    if (::mkdir(QFile::encodeName(folder.path()).constData(), 0777) != 0)
        return fail(Maker::tr("The folder \"%1\" cannot be made in %2 (%3). Nothing was changed.")
                        .arg(plan.title, plan.dataDir, QString::fromLocal8Bit(std::strerror(errno))));

    // What stays in the set's folder when it is replaced; the new files take other names.
    const QString finalFolder = dir.filePath(plan.title);
    const QSet<QByteArray> usedElsewhere = usedByOtherSets(dir.path(), plan.title);
    QSet<QString> taken;  // by letter case too: the game's look-up ignores it
    for (const QByteArray& name : notMadeHere(finalFolder, usedElsewhere))
        taken.insert(fs::decodePath(name).toLower());
    for (PairPlan& pair : plan.pairs) {
        const QString base = pair.name;
        const auto nameIsFree = [&] {
            const QString sound = soundFile(plan, pair).toLower();
            return !taken.contains(pictureFile(plan, pair).toLower()) &&
                   (sound.isEmpty() || !taken.contains(sound));
        };
        for (int n = 2; !nameIsFree(); ++n) pair.name = base + u'-' + QString::number(n);
        taken << pictureFile(plan, pair).toLower();
        if (!soundFile(plan, pair).isEmpty()) taken << soundFile(plan, pair).toLower();
    }

    const int side = cardSide(int(plan.pairs.size()));
    const QString cancelled = Maker::tr("Cancelled; nothing was written.");
    // Names the file as it would stand in the Data folder, not in the hidden work folder.
    const auto notWritten = [&](const QString& path, const QString& why) {
        return Maker::tr("The set cannot be written in %1: %2 cannot be written (%3). Nothing was changed.")
            .arg(plan.dataDir, QDir(work.path()).relativeFilePath(path), why);
    };
    const QString cutShort = Maker::tr("it was written only in part; the disk may be full");
    QString why;
    for (const PairPlan& pair : plan.pairs) {
        if (detail::cancelled()) return fail(cancelled);
        QString error;
        const QImage upright = uprightPicture(pair.picture, &error);
        if (upright.isNull()) return fail(error);
        QImage card = cardPicture(upright, pair.cut, side);
        if (plan.windows) {
            // JPEG has no transparency: what shows through on a card is its grey.
            QImage flat(card.size(), QImage::Format_RGB32);
            flat.fill(QColor(0xf0, 0xf0, 0xf0));
            QPainter(&flat).drawImage(0, 0, card);
            card = flat;
        }
        const QString picturePath = folder.filePath(pictureFile(plan, pair));
        QByteArray encoded;
        QBuffer buffer(&encoded);
        if (!buffer.open(QIODevice::WriteOnly) ||
            !card.save(&buffer, plan.windows ? "JPEG" : "PNG", plan.windows ? 95 : -1) ||
            !writeWhole(picturePath, encoded, &why))
            return fail(notWritten(picturePath, why));

        const QString soundPath = folder.filePath(soundFile(plan, pair));
        switch (pair.sound.kind) {
            case SoundChoice::Kind::None:
                break;
            case SoundChoice::Kind::File:
                if (plan.windows && !detail::isPcmWav(pair.sound.file)) {
                    if (!detail::convertToPcmWav(pair.sound.file, soundPath, &error))
                        return fail(Maker::tr("%1 cannot be converted to WAV: %2")
                                        .arg(QFileInfo(pair.sound.file).fileName(), error));
                    if (!wavWhole(soundPath)) return fail(notWritten(soundPath, cutShort));
                } else if (!fs::openRegular(pair.sound.file)) {
                    return fail(Maker::tr("%1 cannot be copied.").arg(pair.sound.file));
                } else if (!copyWhole(pair.sound.file, soundPath, &why)) {
                    return fail(notWritten(soundPath, why));
                }
                break;
            case SoundChoice::Kind::Spoken:
                if (!speakToWav(pair.sound.spokenText, soundPath, &error)) return fail(error);
                if (!wavWhole(soundPath)) return fail(notWritten(soundPath, cutShort));
                break;
        }
    }
    if (detail::cancelled()) return fail(cancelled);

    const QString text = setText(plan);
    QByteArray bytes;
    if (fitsWindowsCodePage(text)) {
        bytes = QStringEncoder("windows-31j").encode(text);
    } else {
        bytes = text.toUtf8();
    }
    const QString workDat = work.filePath(plan.title + QStringLiteral(".dat"));
    if (!writeWhole(workDat, bytes, &why)) return fail(notWritten(workDat, why));
    if (!writeMadeList(QDir(folder.path()), &why)) return fail(notWritten(folder.filePath(kMadeList), why));
    if (!flushToDisk(work.path(), &why)) return fail(notWritten(folder.path(), why));

    // Into place: an old set of that title moves aside first, the set file comes last, so
    // the game never lists a set whose pictures are not all there. What stays is taken from
    // the old folder once it is aside, with what was put there meanwhile; nothing replaces
    // what is there already.
    const QString finalDat = dir.filePath(plan.title + QStringLiteral(".dat"));
    const QString old = work.filePath(QStringLiteral(".old"));
    const QString oldDat = work.filePath(QStringLiteral(".old.dat"));
    const SignalsHeld held;
    if (!plan.force && (present(finalDat) || present(finalFolder)))
        return fail(Maker::tr("A set called \"%1\" was made in %2 meanwhile. Nothing was changed.")
                        .arg(plan.title, plan.dataDir));
    Moves moves;
    bool placed = (!present(finalDat) || moves.move(finalDat, oldDat)) &&
                  (!present(finalFolder) || moves.move(finalFolder, old)) &&
                  moves.move(folder.path(), finalFolder);
    const QByteArray from = QFile::encodeName(old) + '/', to = QFile::encodeName(finalFolder) + '/';
    if (placed)
        for (const QByteArray& name : notMadeHere(old, usedElsewhere))
            if (!(placed = moves.move(from + name, to + name))) break;
    if (!placed || !moves.move(workDat, finalDat)) {
        moves.undo();
        return fail(Maker::tr("The set cannot be moved into %1 (%2). Nothing was changed.")
                        .arg(plan.dataDir, moves.error()));
    }
    // Only what this program made is left aside: gone before a signal can stop the process.
    flushToDisk(plan.dataDir);
    QDir(old).removeRecursively();
    QFile::remove(oldDat);
    made.keep = true;
    result.ok = true;
    result.datPath = finalDat;
    result.message = Maker::tr("Made the set \"%1\": %2").arg(plan.title, finalDat);
    return result;
}

std::optional<SetPlan> readSet(const QString& datPath, QString* error) {
    auto fail = [&](const QString& why) -> std::optional<SetPlan> {
        if (error) *error = why;
        return std::nullopt;
    };
    detail::NotingPlatform platform;
    int16_t index = 0;
    const auto count = ParsePairCount(Files::ReadSetEntry(datPath, index, Files::SectionFile, platform));
    if (platform.boxed || !count || *count < 0 || *count > kMaxPairs)
        return fail(Maker::tr("%1 is not a set that can be opened: its number of pairs cannot be read.")
                        .arg(QFileInfo(datPath).fileName()));
    const QString root = detail::rootOf(datPath);
    SetPlan plan;
    plan.title = Files::StripExtension(QFileInfo(datPath).fileName());
    plan.dataDir = QFileInfo(datPath).absolutePath();
    for (int16_t p = 0; p < *count; ++p) {
        PairPlan pair;
        index = p;
        const QString picture = Files::ReadSetEntry(datPath, index, Files::SectionPicture, platform);
        // Fewer pictures than pairs: the game reads on into the next section.
        if (picture == QStringLiteral("[Sound]")) {
            plan.notes << Maker::tr("The set says %1 pairs, but names %2 pictures: those are opened.")
                              .arg(*count)
                              .arg(p);
            break;
        }
        pair.picture = fs::resolve(detail::located(root, picture));
        if (pair.picture.isEmpty()) {  // named and left out, so that the rest can be mended
            plan.notes << Maker::tr("The picture %1 is missing: its pair is left out.").arg(picture);
            continue;
        }
        pair.name = detail::safeName(QFileInfo(pair.picture).completeBaseName());
        index = p;
        const QString sound = Files::ReadSetEntry(datPath, index, Files::SectionSound, platform);
        // A sound that is gone stays named, so that the check says so instead of dropping it.
        if (const QString file = fs::resolve(detail::located(root, sound)); !sound.isEmpty())
            pair.sound = {SoundChoice::Kind::File, file.isEmpty() ? detail::located(root, sound) : file, {}};
        plan.pairs.push_back(std::move(pair));
    }
    if (platform.boxed)
        return fail(Maker::tr("%1 is not a set that can be opened: a section is missing.")
                        .arg(QFileInfo(datPath).fileName()));
    return plan;
}

}  // namespace kavimo::maker
