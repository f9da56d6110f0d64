#include "platform/FileLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace kavimo::fs {

namespace {

// "C:\x.wav", "c:/x": a Windows drive, which does not exist here.
bool hasDriveLetter(const QString& path) {
    if (path.size() < 2 || path[1] != u':') return false;
    const char16_t c = path[0].unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString join(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// The names in folder that spell name in another letter case, in sorted order.
QStringList otherCaseSpellings(const QString& folder, const QString& name) {
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Unsorted);
    QStringList found;
    for (const QString& entry : entries) {
        if (entry != name && entry.compare(name, Qt::CaseInsensitive) == 0) found.append(entry);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Follows parts[index...] below folder, trying at each level the name as written and then
// its other spellings, and going back a level when a spelling leads nowhere (a set may
// have both "Data" and "data", only one of them holding the file).
QString walk(const QString& folder, const QStringList& parts, qsizetype index) {
    if (index == parts.size()) return folder;
    const QString& part = parts[index];
    if (part.isEmpty() || part == u".") return walk(folder, parts, index + 1);
    if (part == u"..") return walk(join(folder, part), parts, index + 1);

    const bool last = index + 1 == parts.size();
    const auto follow = [&](const QString& spelling) -> QString {
        const QString path = join(folder, spelling);
        const QFileInfo info(path);
        if (!info.exists()) return {};
        if (last) return path;
        return info.isDir() ? walk(path, parts, index + 1) : QString();
    };
    if (QString found = follow(part); !found.isEmpty()) return found;
    for (const QString& spelling : otherCaseSpellings(folder, part)) {
        if (QString found = follow(spelling); !found.isEmpty()) return found;
    }
    return {};
}

}  // namespace

QString resolve(const QString& path) {
    if (path.isEmpty() || hasDriveLetter(path)) return {};
    QString local = path;
    local.replace(u'\\', u'/');
    const bool absolute = local.startsWith(u'/');
    const QString base = absolute ? QStringLiteral("/") : QDir::currentPath();
    const QString written = absolute ? local : join(base, local);

    if (QFileInfo::exists(written)) return written;
    return walk(base, local.split(u'/'), 0);
}

bool fileExists(const QString& path) {
    const QString found = resolve(path);
    if (found.isEmpty()) return false;
    const QFileInfo info(found);
    return info.isFile() && !info.fileName().startsWith(u'.');
}

}  // namespace kavimo::fs
