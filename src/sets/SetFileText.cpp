// SPDX-License-Identifier: GPL-3.0-or-later
#include "sets/SetFileText.h"

#include <QStringDecoder>

#include <algorithm>

namespace kavimo::settext {

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype ByteOrderMarkSize = 3;

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

void LineSplitter::feed(QByteArrayView chunk) {
    chunk_ = chunk;
    pos_ = 0;
}

std::optional<Line> LineSplitter::next() {
    startLineIfDone();
    settleByteOrderMark();

    const char* const data = chunk_.data();
    const qsizetype size = chunk_.size();
    if (afterCR_ && pos_ < size) {
        afterCR_ = false;
        if (data[pos_] == '\n') ++pos_;
    }
    qsizetype end = pos_;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    keep(data + pos_, end - pos_);
    if (end == size) {
        pos_ = end;
        return std::nullopt;
    }
    afterCR_ = data[end] == '\r';
    pos_ = end + 1;
    lineDone_ = true;
    return Line{kept_, truncated_};
}

std::optional<Line> LineSplitter::finish() {
    startLineIfDone();
    if (atStreamStart_) {
        // The stream ended inside what looked like a byte-order mark: those bytes are text.
        atStreamStart_ = false;
        keep(ByteOrderMark, bomMatched_);
    }
    if (!lineHasBytes_) return std::nullopt;
    lineDone_ = true;
    return Line{kept_, truncated_};
}

void LineSplitter::startLineIfDone() {
    if (!lineDone_) return;
    kept_.resize(0);
    truncated_ = false;
    lineHasBytes_ = false;
    lineDone_ = false;
}

// Drops a byte-order mark at the stream's start; bytes that only began like one are text.
void LineSplitter::settleByteOrderMark() {
    while (atStreamStart_ && pos_ < chunk_.size()) {
        if (chunk_[pos_] != ByteOrderMark[bomMatched_]) {
            atStreamStart_ = false;
            keep(ByteOrderMark, bomMatched_);
            return;
        }
        ++pos_;
        if (++bomMatched_ == ByteOrderMarkSize) atStreamStart_ = false;
    }
}

void LineSplitter::keep(const char* bytes, qsizetype count) {
    if (count == 0) return;
    lineHasBytes_ = true;
    const qsizetype room = std::max<qsizetype>(keepLimit_ - kept_.size(), 0);
    if (count > room) {
        truncated_ = true;
        count = room;
    }
    kept_.append(bytes, count);
}

QString decodeLine(QByteArrayView bytes) {
    if (isAscii(bytes)) return QString::fromLatin1(bytes);

    // A mark inside the file is a character of the line, not a signature to drop.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;

    QStringDecoder windows932("windows-31j", QStringConverter::Flag::Stateless);
    return windows932.decode(bytes);
}

}  // namespace kavimo::settext
