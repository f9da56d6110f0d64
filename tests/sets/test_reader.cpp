// SPDX-License-Identifier: GPL-3.0-or-later
// The set-file reader as set authors meet it: which entry comes back for which bytes, and
// when the read-error box appears.
#include "sets/Files.h"
#include "sets/PairCount.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kavimo::test {
namespace {

using namespace Files;

const QByteArray kExample =
    "[File]\r\n2\r\n[Picture]\r\nData\\dog.jpg\r\nData\\cat.jpg\r\n"
    "[Sound]\r\nData\\dog.wav\r\nData\\cat.wav\r\n";

TEST(SetFileReader, GivesTheEntryCountedFromTheFirstExactHeaderElseTheReadErrorBox) {
    const struct {
        const char* what;
        QByteArray bytes;
        int16_t kind, index;
        QString entry;
        bool box;
    } cases[] = {
        {"a sound", kExample, SectionSound, 1, "Data\\cat.wav", false},
        {"the preview", kExample, SectionPicture, 0, "Data\\dog.jpg", false},
        {"past the section's end", kExample, SectionPicture, 2, "[Sound]", false},
        {"the count, whatever the index", kExample, SectionFile, 7, "2", false},
        {"past the file's end", kExample, SectionSound, 2, "", false},
        {"a negative index", kExample, SectionPicture, -1, "", false},
        {"a header without entries", "[Picture]", SectionPicture, 0, "", false},
        {"small letters", "[picture]\r\na\r\n", SectionPicture, 0, "", true},
        {"capitals", "[PICTURE]\r\na\r\n", SectionPicture, 0, "", true},
        {"a space after", "[Picture] \r\na\r\n", SectionPicture, 0, "", true},
        {"a space before", " [Picture]\r\na\r\n", SectionPicture, 0, "", true},
        {"a tab", "[Picture]\t\r\na\r\n", SectionPicture, 0, "", true},
        {"a second header is a line", "[Picture]\r\na\r\n[Picture]\r\nb\r\n", SectionPicture, 1, "[Picture]",
         false},
        {"any order", "[Sound]\r\ns\r\n[Picture]\r\np\r\n[File]\r\n3\r\n", SectionFile, 0, "3", false},
        {"a blank line is an entry", "[Sound]\r\n\r\nb\r\n", SectionSound, 0, "", false},
        {"entries unchanged", "[Sound]\r\n a ;b\t\r\n", SectionSound, 0, " a ;b\t", false},
        {"kind 3", kExample, 3, 0, "", true},
        {"kind -1", kExample, -1, 0, "", true},
        {"an empty file", "", SectionFile, 0, "", true},
        {"NUL bytes only", QByteArray(4096, '\0'), SectionFile, 0, "", true},
        {"lines ending with LF", "[Sound]\na\nb", SectionSound, 1, "b", false},
        {"lines ending with CR", "[Sound]\ra\rb\r", SectionSound, 1, "b", false},
        {"LF then CR ends two lines", "[Sound]\na\n\rb", SectionSound, 2, "b", false},
        {"CR LF split between two reads", "[Sound]\r\n" + QByteArray(65526, 'x') + "\r\nb", SectionSound, 1,
         "b", false},
        {"a byte-order mark", "\xEF\xBB\xBF[File]\r\n5\r\n", SectionFile, 0, "5", false},
        {"half a byte-order mark is text", "\xEF\xBB[File]\r\n5\r\n", SectionFile, 0, "", true},
        {"Shift_JIS", "[Picture]\r\nData\\\x93\xae\x95\xa8\\\xb2\xc7.jpg\r\n", SectionPicture, 0,
         QStringLiteral("Data\\動物\\ｲﾇ.jpg"), false},
        {"UTF-8", "[Picture]\r\nData\\\xe5\x8b\x95\xe7\x89\xa9.jpg", SectionPicture, 0,
         QStringLiteral("Data\\動物.jpg"), false},
        {"a mark inside a UTF-8 line", "[Sound]\r\n\xEF\xBB\xBF\xe5\x8b\x95", SectionSound, 0,
         QStringLiteral("\uFEFF動"), false},
        {"invalid Shift_JIS stays in the line",
         "[Sound]\r\na\x81\xff"
         "b",
         SectionSound, 0,
         QStringLiteral("a\x1a\x1a"
                        "b"),
         false},
        {"a NUL", QByteArray("[Sound]\r\na\0b", 12), SectionSound, 0, QStringView(u"a\0b", 3).toString(),
         false},
        {"a header line cut at its length is no header",
         "[Picture]" + QByteArray(10 << 20, 'x') + "\r\n[Picture]\r\na", SectionPicture, 0, "a", false},
        {"entry 32767", "[Sound]\r\n" + QByteArray("e\r\n").repeated(32767) + "last\r\nmore", SectionSound,
         32767, "last", false},
        {"a huge entry is cut at 1 MiB", "[Sound]\r\n" + QByteArray(3 << 20, 'z') + "\r\nb", SectionSound, 0,
         QString(1 << 20, 'z'), false},
        {"no such file", "<missing>", SectionFile, 0, "", true},
        {"a folder", "<folder>", SectionFile, 0, "", true},
        {"a file that cannot be read", "<unreadable>", SectionFile, 0, "", true},
    };
    TempDir dir;
    int n = 0;
    for (const auto& c : cases) {
        // The path as the set list hands it on: the data folder, "\" and the file name.
        const QString name = QString("Data/%1.dat").arg(++n);
        if (c.bytes == "<folder>")
            dir.mkdir(name);
        else if (c.bytes != "<missing>")
            dir.write(name, c.bytes == "<unreadable>" ? kExample : c.bytes);
        if (c.bytes == "<unreadable>") makeUnreadable(dir.file(name));
        RecordingPlatform platform;
        int16_t index = c.index;
        EXPECT_EQ(ReadSetEntry(dir.path() + "\\" + QString(name).replace('/', '\\'), index, c.kind, platform),
                  c.entry)
            << c.what;
        EXPECT_EQ(platform.log, c.box ? std::vector<QString>{"read error"} : std::vector<QString>{})
            << c.what;
    }
}

// A set is read thousands of times in a long session: every read gives its file back.
TEST(SetFileReader, LetsGoOfTheFileAfterEveryRead) {
    TempDir dir;
    const QString set = dir.write("set.dat", "[Sound]\r\na\r\n");
    auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = openFiles();
    RecordingPlatform platform;
    for (int i = 0; i < 1000; ++i) {
        int16_t index = 0;
        ReadSetEntry(set, index, i % 2 ? SectionSound : SectionPicture, platform);
    }
    EXPECT_EQ(platform.log.size(), 500u);
    EXPECT_EQ(openFiles(), before);
}

TEST(PairCount, IsAWholeSixteenBitNumberWithSpacesAroundItAllowed) {
    const struct {
        const char* text;
        std::optional<int16_t> count;
    } cases[] = {
        {.text = "10", .count = 10},          {.text = " 2 ", .count = 2},
        {.text = "\t3", .count = 3},          {.text = "+4", .count = 4},
        {.text = "-32768", .count = -32768},  {.text = "32767", .count = 32767},
        {.text = "", .count = {}},            {.text = "abc", .count = {}},
        {.text = "1.5", .count = {}},         {.text = "32768", .count = {}},
        {.text = "1 2", .count = {}},         {.text = "0x10", .count = {}},
        {.text = "\uff11", .count = {}},      // a full-width digit
        {.text = "\u00a05", .count = {}},     // a no-break space
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePairCount(QString::fromUtf8(c.text)), c.count) << c.text;
    EXPECT_EQ(ParsePairCount(QString::fromLatin1("1\0", 2)), std::nullopt);
}

}  // namespace
}  // namespace kavimo::test
