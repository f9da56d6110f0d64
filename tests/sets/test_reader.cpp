// SPDX-License-Identifier: GPL-3.0-or-later
// The set-file reader as set authors meet it: which entry comes back for which bytes, and
// when the read-error box appears.
#include "sets/Files.h"
#include "sets/PairCount.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>


namespace kavimo::test {
namespace {

using namespace Files;

const QByteArray kExample = "[File]\r\n2\r\n[Picture]\r\nData\\dog.jpg\r\nData\\cat.jpg\r\n"
                            "[Sound]\r\nData\\dog.wav\r\nData\\cat.wav\r\n";

TEST(SetFileReader, GivesTheEntryCountedFromTheFirstExactHeaderElseTheReadErrorBox) {
    const struct {
        const char* what;
        QByteArray bytes;
        int16_t kind = SectionSound, index = 0;
        QString entry = {};
        bool box = false;
    } cases[] = {
        {.what = "a sound", .bytes = kExample, .index = 1, .entry = "Data\\cat.wav"},
        {.what = "into the next", .bytes = kExample, .kind = SectionPicture, .index = 2, .entry = "[Sound]"},
        {.what = "the count, any index", .bytes = kExample, .kind = SectionFile, .index = 7, .entry = "2"},
        {.what = "past the file's end", .bytes = kExample, .index = 2},
        {.what = "small letters", .bytes = "[sound]\r\na\r\n", .box = true},
        {.what = "a space after", .bytes = "[Sound] \r\na\r\n", .box = true},
        {.what = "a space before", .bytes = " [Sound]\r\na\r\n", .box = true},
        {.what = "a second header", .bytes = "[Sound]\r\na\r\n[Sound]\r\n", .index = 1, .entry = "[Sound]"},
        {.what = "a blank line is an entry", .bytes = "[Sound]\r\n\r\nb\r\n"},
        {.what = "entries unchanged", .bytes = "[Sound]\r\n a ;b\t\r\n", .entry = " a ;b\t"},
        {.what = "kind 3", .bytes = kExample, .kind = 3, .box = true},
        {.what = "NUL bytes only", .bytes = QByteArray(4096, '\0'), .kind = SectionFile, .box = true},
        {.what = "lines ending with LF", .bytes = "[Sound]\na\nb", .index = 1, .entry = "b"},
        {.what = "lines ending with CR", .bytes = "[Sound]\ra\rb\r", .index = 1, .entry = "b"},
        {.what = "LF then CR ends two lines", .bytes = "[Sound]\na\n\rb", .index = 2, .entry = "b"},
        {.what = "CR LF split between two reads", .bytes = "[Sound]\r\n" + QByteArray(65526, 'x') + "\r\nb",
         .index = 1, .entry = "b"},
        {.what = "a byte-order mark", .bytes = "\xEF\xBB\xBF[File]\r\n5", .kind = SectionFile, .entry = "5"},
        {.what = "half a byte-order mark", .bytes = "\xEF\xBB[File]\r\n5", .kind = SectionFile, .box = true},
        {.what = "UTF-16", .bytes = QByteArray("\xFF\xFE[\0F\0i\0l\0e\0]\0", 14), .kind = SectionFile,
         .box = true},
        {.what = "Shift_JIS", .bytes = "[Sound]\r\n\x93\xae\x95\xa8\\\xb2\xc7\r\n", .entry = "動物\\ｲﾇ"},
        {.what = "UTF-8", .bytes = "[Sound]\r\n\xe5\x8b\x95\xe7\x89\xa9.jpg", .entry = "動物.jpg"},
        {.what = "a mark later on", .bytes = "[Sound]\r\n\xEF\xBB\xBFx", .entry = QStringLiteral("\uFEFFx")},
        {.what = "invalid Shift_JIS", .bytes = "[Sound]\r\na\x81\xff" "b", .entry = "a\x1a\x1a" "b"},
        {.what = "a NUL", .bytes = QByteArray("[Sound]\r\na\0b", 12), .entry = QString("a") + QChar(0) + "b"},
        {.what = "a header line cut at its length is no header",
         .bytes = "[Sound]" + QByteArray(10 << 20, 'x') + "\r\n[Sound]\r\na", .entry = "a"},
        {.what = "entry 32767", .bytes = "[Sound]\r\n" + QByteArray("e\r\n").repeated(32767) + "last\r\nmore",
         .index = 32767, .entry = "last"},
        {.what = "a huge entry is cut at 1 MiB", .bytes = "[Sound]\r\n" + QByteArray(3 << 20, 'z') + "\r\nb",
         .entry = QString(1 << 20, 'z')},
    };
    TempDir dir;
    int n = 0;
    for (const auto& c : cases) {
        dir.write(QString("Data/%1.dat").arg(++n), c.bytes);
        RecordingPlatform platform;
        int16_t index = c.index;
        const QString path = dir.path() + "\\Data\\" + QString::number(n) + ".dat";  // as the list gives it
        EXPECT_EQ(ReadSetEntry(path, index, c.kind, platform), c.entry) << c.what;
        EXPECT_EQ(platform.log, std::vector<QString>(c.box ? 1 : 0, "read error")) << c.what;
    }
}

TEST(PairCount, IsAWholeSixteenBitNumberWithSpacesAroundItAllowed) {
    const struct { QString text; std::optional<int16_t> count; } cases[] = {
        {.text = "10", .count = 10},          {.text = " 2 ", .count = 2},
        {.text = "\t3", .count = 3},          {.text = "+4", .count = 4},
        {.text = "-32768", .count = -32768},  {.text = "32767", .count = 32767},
        {.text = "", .count = {}},            {.text = "abc", .count = {}},
        {.text = "1.5", .count = {}},         {.text = "32768", .count = {}},
        {.text = "1 2", .count = {}},         {.text = "0x10", .count = {}},
        {.text = "\uff11", .count = {}},      // a full-width digit
        {.text = "\u00a05", .count = {}},     // a no-break space
        {.text = QString("1") + QChar(0), .count = {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePairCount(c.text), c.count) << c.text.toStdString();
}

}  // namespace
}  // namespace kavimo::test
