// Set-file text: how bytes become lines, and how a line's bytes become its text.
#include "sets/SetFileText.h"

#include <gtest/gtest.h>

#include <vector>

using kavimo::settext::decodeLine;
using kavimo::settext::LineSplitter;

namespace {

using Bytes = QByteArray;

// Feeds `input` in chunks of `chunk` bytes and collects every line (kept bytes; "~" marks
// a truncated one).
std::vector<Bytes> splitAll(const Bytes& input, qsizetype chunk, qsizetype keep = 1 << 20) {
    LineSplitter splitter(keep);
    std::vector<Bytes> lines;
    for (qsizetype at = 0; at < input.size(); at += chunk) {
        splitter.feed(QByteArrayView(input).sliced(at, std::min(chunk, input.size() - at)));
        while (auto line = splitter.next()) lines.push_back(line->bytes.toByteArray() + (line->truncated ? "~" : ""));
    }
    if (auto line = splitter.finish()) lines.push_back(line->bytes.toByteArray() + (line->truncated ? "~" : ""));
    return lines;
}

}  // namespace

TEST(SetFileLines, EndAtCrCrLfOrLfWhereverTheChunksBreak) {
    struct Case { const char* what; Bytes input; std::vector<Bytes> lines; };
    const std::vector<Case> cases = {
        {"CR LF", "[File]\r\n2\r\n", {"[File]", "2"}},
        {"CR", "[File]\r2\r", {"[File]", "2"}},
        {"LF", "[File]\n2\n", {"[File]", "2"}},
        {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"last line without an end", "a\r\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"a lone line end", "\r\n", {""}},
        {"blank lines", "a\r\n\r\n\n\r\rb", {"a", "", "", "", "", "b"}},
        {"LF then CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"a mark at the start is dropped", "\xEF\xBB\xBF[File]\r\n", {"[File]"}},
        {"a mark alone is an empty file", "\xEF\xBB\xBF", {}},
        {"a mark later is text", "a\r\n\xEF\xBB\xBF" "b", {"a", "\xEF\xBB\xBF" "b"}},
        {"half a mark is text", "\xEF\xBBx\r\n\xEF", {"\xEF\xBBx", "\xEF"}},
        {"NUL bytes are text", Bytes("a\0b\r\n\0", 6), {Bytes("a\0b", 3), Bytes("\0", 1)}},
    };
    for (const auto& c : cases) {
        for (qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(1 << 16)}) {
            EXPECT_EQ(splitAll(c.input, chunk), c.lines) << c.what << ", chunks of " << chunk;
        }
    }
}

TEST(SetFileLines, KeepOnlyUpToTheLimitButEndWhereTheLineEnds) {
    EXPECT_EQ(splitAll("[Picture]x\r\n[File]\r\n", 4, 6), (std::vector<Bytes>{"[Pictu~", "[File]"}));
    EXPECT_EQ(splitAll(Bytes(100000, 'x') + "\nb", 4096, 1), (std::vector<Bytes>{"x~", "b"}));

    LineSplitter splitter(0);
    const Bytes input = "skipped\r\nkept\r\n";
    splitter.feed(input);
    EXPECT_TRUE(splitter.next()->bytes.isEmpty());
    splitter.setKeepLimit(100);
    EXPECT_EQ(splitter.next()->bytes, "kept");
    EXPECT_FALSE(splitter.next());
    EXPECT_FALSE(splitter.finish());
}

TEST(SetFileLines, DecodeAsUtf8WhenValidElseAsWindowsShiftJis) {
    struct Case { const char* what; Bytes bytes; QString text; };
    const std::vector<Case> cases = {
        {"ASCII", "Data\\dog.jpg", "Data\\dog.jpg"},
        {"Shift_JIS", "Data\\\x93\xae\x95\xa8\\\xb2\xc7.jpg", QStringLiteral("Data\\動物\\ｲﾇ.jpg")},
        {"UTF-8", "Data\\\xe5\x8b\x95\xe7\x89\xa9.jpg", QStringLiteral("Data\\動物.jpg")},
        {"a mark inside a UTF-8 line", "\xEF\xBB\xBF\xe5\x8b\x95", QStringLiteral("\uFEFF動")},
        {"NUL", Bytes("a\0b", 3), QStringView(u"a\0b", 3).toString()},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeLine(c.bytes), c.text) << c.what;

    const QString broken = decodeLine("a\xff\xfd" "b");
    EXPECT_TRUE(broken.startsWith('a') && broken.endsWith('b')) << "invalid bytes stay in the line";
}
