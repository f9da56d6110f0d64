// SPDX-License-Identifier: GPL-3.0-or-later
#include "sets/Files.h"

#include "platform/FileLookup.h"
#include "platform/Platform.h"
#include "sets/SetFileText.h"

#include <QFile>

#include <memory>
#include <optional>

namespace kavimo::Files {

namespace {

constexpr qsizetype ChunkBytes = qsizetype{64} * 1024;
// The wanted entry is kept up to 1 MiB; beyond that a line names no file anyway.
constexpr qsizetype MaxEntryBytes = qsizetype{1024} * 1024;

std::optional<QByteArrayView> headerOf(int16_t kind) {
    switch (kind) {
    case SectionFile: return QByteArrayView("[File]");
    case SectionPicture: return QByteArrayView("[Picture]");
    case SectionSound: return QByteArrayView("[Sound]");
    default: return std::nullopt;
    }
}

// The lines of one set file, open for as long as this object lives. The file is read in
// fixed-size chunks, so neither the file nor one of its lines is ever held whole.
class SetFileLines {
public:
    // Only a regular file is opened (never a device or a named pipe), and it is read no
    // further than its size.
    explicit SetFileLines(const QString& path) : file_(fs::openRegular(path)), ok_(file_ != nullptr) {}

    // Opened, and read without an error so far.
    bool ok() const { return ok_; }

    // How many bytes of the lines after the one last returned are wanted.
    void keepUpTo(qsizetype bytes) { lines_.setKeepLimit(bytes); }

    std::optional<settext::Line> next() {
        while (ok_ && !atEnd_) {
            if (auto line = lines_.next()) return line;
            const qint64 got = file_->read(chunk_.data(), chunk_.size());
            if (got < 0) {
                ok_ = false;
            } else if (got == 0) {
                atEnd_ = true;
                return lines_.finish();
            } else {
                lines_.feed(QByteArrayView(chunk_.data(), got));
            }
        }
        return std::nullopt;
    }

private:
    std::unique_ptr<QFile> file_;
    bool ok_;
    bool atEnd_ = false;
    QByteArray chunk_{ChunkBytes, Qt::Uninitialized};
    settext::LineSplitter lines_{0};
};

}  // namespace

QString ReadSetEntry(const QString& path, int16_t& index, const int16_t& kind, Platform& platform) {
    QString result;
    if (kind == SectionFile) index = 0;
    const int16_t wanted = index;
    const std::optional<QByteArrayView> header = headerOf(kind);

    SetFileLines lines(path);
    lines.keepUpTo(header ? header->size() : 0);
    bool found = false;
    int16_t counter = 0;
    while (const auto line = lines.next()) {
        if (found) {
            if (counter == wanted) {
                result = settext::decodeLine(line->bytes);
                break;
            }
            ++counter;  // stays within 16 bits: wanted is from 0 to 32767 here
            lines.keepUpTo(counter == wanted ? MaxEntryBytes : 0);
        } else if (header && !line->truncated && line->bytes == *header) {
            found = true;
            if (wanted < 0) break;  // the counter never equals a negative index
            lines.keepUpTo(wanted == 0 ? MaxEntryBytes : 0);
        }
    }
    // Shown while the file is still open; `lines` closes it on return.
    if (!found || !lines.ok())
        platform.messageBox(QStringLiteral("ﾌｧｲﾙ読み込みエラー"), QStringLiteral("kavimo"), MB_OK);
    return result;
}

QString StripExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.left(dot);
}

}  // namespace kavimo::Files
