// The set-file reader as its callers see it: which entry comes back, when the read-error box
// appears, and that the file is always let go again.
#include "sets/Files.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <vector>
#include <unistd.h>

using namespace kavimo;
using namespace kavimo::Files;

namespace {

const QString ReadError = QStringLiteral("ﾌｧｲﾙ読み込みエラー");

// Two pairs, every line ending with CR LF.
const QByteArray Example = "[File]\r\n2\r\n[Picture]\r\nData\\dog.jpg\r\nData\\cat.jpg\r\n"
                           "[Sound]\r\nData\\dog.wav\r\nData\\cat.wav\r\n";

// Open file descriptors of this process, by what they point at.
std::vector<std::string> openFiles() {
    std::vector<std::string> targets;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
        targets.push_back(std::filesystem::read_symlink(fd.path()).string());
    return targets;
}

class SetFileReader : public ::testing::Test {
protected:
    // The path as the set list hands it on: the data folder, "\" and the file name.
    QString setPath() const { return dir.path() + "\\Data\\zoo.dat"; }

    QString read(const QByteArray& bytes, int16_t kind, int16_t index) {
        dir.write("Data/zoo.dat", bytes);
        return ReadSetEntry(setPath(), index, kind, platform);
    }

    void expectOneReadErrorBox(const char* what) {
        ASSERT_EQ(platform.messages.size(), 1u) << what;
        EXPECT_EQ(platform.messages[0].text, ReadError) << what;
        EXPECT_EQ(platform.messages[0].title, "kavimo") << what;
        EXPECT_EQ(platform.messages[0].style, MB_OK) << what;
    }

    test::TempDir dir;
    test::RecordingPlatform platform;
};

}  // namespace

TEST_F(SetFileReader, ReturnsTheEntryCountedFromTheFirstExactHeaderLine) {
    struct Case { const char* what; QByteArray bytes; int16_t kind; int16_t index; QString entry; bool box; };
    const std::vector<Case> cases = {
        {"a sound", Example, SectionSound, 1, "Data\\cat.wav", false},
        {"the preview", Example, SectionPicture, 0, "Data\\dog.jpg", false},
        {"past the section's end", Example, SectionPicture, 2, "[Sound]", false},
        {"the count, whatever the index", Example, SectionFile, 7, "2", false},
        {"past the file's end", Example, SectionSound, 2, "", false},
        {"the largest index", Example, SectionSound, 32767, "", false},
        {"a negative index", Example, SectionPicture, -1, "", false},
        {"a header without entries", "[Picture]", SectionPicture, 0, "", false},
        {"small letters", "[picture]\r\na\r\n", SectionPicture, 0, "", true},
        {"a space after", "[Picture] \r\na\r\n", SectionPicture, 0, "", true},
        {"a space before", " [Picture]\r\na\r\n", SectionPicture, 0, "", true},
        {"a tab", "[Picture]\t\r\na\r\n", SectionPicture, 0, "", true},
        {"a second header is a line", "[Picture]\r\na\r\n[Picture]\r\nb\r\n", SectionPicture, 1, "[Picture]", false},
        {"any order", "[Sound]\r\ns\r\n[Picture]\r\np\r\n[File]\r\n3\r\n", SectionFile, 0, "3", false},
        {"a blank line is an entry", "[Sound]\r\n\r\nb\r\n", SectionSound, 0, "", false},
        {"entries unchanged", "[Sound]\r\n a ;b\t\r\n", SectionSound, 0, " a ;b\t", false},
        {"kind 3", Example, 3, 0, "", true},
        {"kind -1", Example, -1, 0, "", true},
        {"an empty file, count", "", SectionFile, 0, "", true},
        {"an empty file, picture", "", SectionPicture, 0, "", true},
        {"an empty file, sound", "", SectionSound, 0, "", true},
        {"lines ending with LF", "[Sound]\na\nb", SectionSound, 1, "b", false},
        {"a byte-order mark", "\xEF\xBB\xBF[File]\r\n5\r\n", SectionFile, 0, "5", false},
        {"Shift_JIS", "[Picture]\r\n\x93\xae\x95\xa8\\\xb2\xc7.jpg\r\n", SectionPicture, 0,
         QStringLiteral("動物\\ｲﾇ.jpg"), false},
    };
    for (const auto& c : cases) {
        platform.clear();
        EXPECT_EQ(read(c.bytes, c.kind, c.index), c.entry) << c.what;
        if (c.box) expectOneReadErrorBox(c.what);
        else EXPECT_TRUE(platform.messages.empty()) << c.what;
    }
}

TEST_F(SetFileReader, ResetsTheCallersIndexOnlyForTheCount) {
    dir.write("Data/zoo.dat", Example);
    int16_t index = 5;
    EXPECT_EQ(ReadSetEntry(setPath(), index, SectionFile, platform), "2");
    EXPECT_EQ(index, 0);
    index = 1;
    EXPECT_EQ(ReadSetEntry(setPath(), index, SectionSound, platform), "Data\\cat.wav");
    EXPECT_EQ(index, 1);
}

TEST_F(SetFileReader, HoldsTheFileOpenOnlyWhileReadingAndDuringTheBox) {
    const std::string file = QFileInfo(dir.write("Data/zoo.dat", "[Sound]\r\na\r\n")).canonicalFilePath().toStdString();
    auto isOpen = [&] { const auto open = openFiles(); return std::find(open.begin(), open.end(), file) != open.end(); };
    bool openDuringBox = false;
    platform.onMessage = [&](const auto&) { openDuringBox = isOpen(); };
    const size_t before = openFiles().size();
    for (int i = 0; i < 1000; ++i) {
        int16_t index = 0;
        ReadSetEntry(setPath(), index, i % 2 ? SectionSound : SectionPicture, platform);
    }
    EXPECT_EQ(platform.messages.size(), 500u);
    EXPECT_TRUE(openDuringBox);
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(openFiles().size(), before);
}

TEST_F(SetFileReader, ShowsTheBoxForAFileThatCannotBeRead) {
    int16_t index = 0;
    EXPECT_EQ(ReadSetEntry(setPath(), index, SectionFile, platform), "");
    expectOneReadErrorBox("a missing file");
    platform.clear();
    dir.mkdir("Data/zoo.dat");
    EXPECT_EQ(ReadSetEntry(setPath(), index, SectionFile, platform), "");
    expectOneReadErrorBox("a folder");
}

TEST_F(SetFileReader, ShowsTheBoxForAFileWithoutReadPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root can read any file";
    QFile::setPermissions(dir.write("Data/zoo.dat", Example), QFileDevice::WriteOwner);
    int16_t index = 0;
    EXPECT_EQ(ReadSetEntry(setPath(), index, SectionFile, platform), "");
    expectOneReadErrorBox("no read permission");
}

TEST_F(SetFileReader, FindsEntriesInHugeFilesAndCutsAHugeEntryAtOneMebibyte) {
    const QByteArray hugeLine = "[Picture]" + QByteArray(10 << 20, 'x');
    EXPECT_EQ(read(hugeLine + "\r\n[Picture]\r\na.jpg\r\n", SectionPicture, 0), "a.jpg");

    auto entry = [](int i) { return QByteArray::number(i).leftJustified(400, '.'); };
    QByteArray hugeFile = "[Sound]\r\n";
    for (int i = 0; i < 30000; ++i) hugeFile += entry(i) + "\r\n";
    EXPECT_EQ(read(hugeFile, SectionSound, 29999), QString::fromLatin1(entry(29999)));

    EXPECT_EQ(read("[Sound]\r\n" + QByteArray(3 << 20, 'z') + "\r\nb", SectionSound, 0), QString(1 << 20, 'z'));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SetFileReader, ReachesEntry32767AndGivesUpQuietlyOnANegativeIndex) {
    QByteArray section = "[Picture]\r\n";
    for (int i = 0; i < 32767; ++i) section += "e\r\n";
    section += "last\r\n";
    for (int i = 0; i < 300; ++i) section += "more\r\n";
    EXPECT_EQ(read(section, SectionPicture, 32767), "last");
    EXPECT_EQ(read(section, SectionPicture, -32768), "");
    EXPECT_TRUE(platform.messages.empty());
}

TEST(StripExtension, DropsTheLastExtensionOrGivesNothing) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"abc.dat", "abc"}, {"a.b.dat", "a.b"}, {".dat", ""}, {"abc", ""}, {"", ""},
        {QStringLiteral("どうぶつ.dat"), QStringLiteral("どうぶつ")},
    };
    for (const auto& [name, title] : cases) EXPECT_EQ(StripExtension(name), title) << name.toStdString();
}
