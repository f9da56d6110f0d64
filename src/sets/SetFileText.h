// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Set files as text: the bytes of a file split into lines, and a line's bytes decoded.
// Pure logic, no files and no widgets: the reader feeds the bytes it has read.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kavimo::settext {

// One line without its line end. `bytes` stays valid until the splitter is next used.
struct Line {
    QByteArrayView bytes;  // the line's first bytes, at most the keep limit
    bool truncated;        // the line went on beyond the keep limit
};

// Splits a byte stream, fed in chunks of any size, into lines. CR, CR LF and LF each end
// a line (sets are written both on Windows and with editors that end lines with LF). A
// last line without a line end is still a line; a line end at the very end of the stream
// starts no further line. A byte-order mark at the start of the stream is dropped. Only
// the first bytes of a line up to the keep limit are kept, so a huge line costs no memory.
class LineSplitter {
public:
    explicit LineSplitter(qsizetype keepLimit) : keepLimit_(keepLimit) {}

    // Applies to the lines after the one last returned.
    void setKeepLimit(qsizetype bytes) { keepLimit_ = bytes; }

    // Hands over the next chunk, once next() has returned nothing for the previous one.
    // The chunk's bytes must stay valid until next() returns nothing again.
    void feed(QByteArrayView chunk);

    // The next line completed by the fed bytes, or nothing when more bytes are needed.
    std::optional<Line> next();

    // At the end of the stream: the last line when it has no line end.
    std::optional<Line> finish();

private:
    void startLineIfDone();
    void settleByteOrderMark();
    void keep(const char* bytes, qsizetype count);

    qsizetype keepLimit_;
    QByteArrayView chunk_;
    qsizetype pos_ = 0;
    QByteArray kept_;
    bool truncated_ = false;
    bool lineHasBytes_ = false;
    bool lineDone_ = false;       // the line last returned is to be cleared first
    bool afterCR_ = false;        // an LF right now ends nothing: it belongs to a CR LF
    qsizetype bomMatched_ = 0;    // bytes of a byte-order mark seen at the stream's start
    bool atStreamStart_ = true;
};

// A line's text: UTF-8 when its bytes are valid UTF-8, otherwise Shift_JIS as Windows
// reads it (code page 932: 0x5C is a backslash, half-width katakana). NUL bytes and
// invalid bytes are kept as characters; nothing is trimmed.
QString decodeLine(QByteArrayView bytes);

}  // namespace kavimo::settext
