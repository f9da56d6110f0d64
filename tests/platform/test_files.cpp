// SPDX-License-Identifier: GPL-3.0-or-later
// Files as Windows-made sets name them.
#include "platform/FileLookup.h"
#include "pictures/PictureLoader.h"
#include "sets/Files.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringEncoder>

#include <array>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

// Backslashes, any letter case, folder by folder; only visible regular files exist.
TEST(FileLookup, FindsTheFileAWindowsSetMeansAndCountsOnlyVisibleRegularFiles) {
    TempDir tmp;
    for (const char* file :
         {"Data/dog.jpg", "Data/Sounds/Bark@22.wav", "Data/.hidden.wav", "Mixed/CAT.png", "Mixed/Cat.png",
          "Mixed/cat.png", "Twin/data/bird.png", "C:/x.wav", "データ/いぬ.jpg"})
        tmp.write(QString::fromUtf8(file), "x");
    for (const char* folder : {"Data/Folder.wav", "Twin/Data"}) tmp.mkdir(folder);
    QFile::link(tmp.file("Data/Sounds/Bark@22.wav"), tmp.file("link.wav"));
    const CurrentDirGuard cwd;
    QDir::setCurrent(tmp.path());
    const struct {
        const char* query;
        const char* found;
        bool exists;
    } cases[] = {
        {"DATA\\sounds\\BARK@22.wav", "Data/Sounds/Bark@22.wav", true},
        {"<tmp>\\data\\dog.JPG", "Data/dog.jpg", true},
        {"Mixed\\Cat.png", "Mixed/Cat.png", true},  // the exact spelling first
        {"Mixed\\cAT.png", "Mixed/CAT.png", true},  // else the first in sorted order
        {"TWIN\\DATA\\bird.png", nullptr, false},   // "Data" is taken, and no other spelling after it
        {".\\Data\\\\Sounds\\..\\DOG.jpg", "Data/dog.jpg", true},
        {"Missing\\..\\Data\\dog.jpg", "Data/dog.jpg", true},  // ".." undoes what is written
        {"Data\\dog.jpg ", "Data/dog.jpg", true},              // trailing spaces and dots, as Windows
        {"Data. \\Sounds..\\Bark@22.wav. .", "Data/Sounds/Bark@22.wav", true},
        {"データ\\いぬ.jpg", "データ/いぬ.jpg", true},
        {"link.wav", "link.wav", true},
        {"Data\\.hidden.wav", "Data/.hidden.wav", false},
        {"Data\\Folder.wav", "Data/Folder.wav", false},
        {"Data\\Missing\\dog.jpg", nullptr, false},
        {"C:\\x.wav", nullptr, false},  // there is a folder "C:" here, but no drive
        {"", nullptr, false},
    };
    for (const auto& c : cases) {
        const QString query = QString::fromUtf8(c.query).replace("<tmp>", tmp.path());
        const QString found = fs::resolve(query);
        EXPECT_EQ(found.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(found).absoluteFilePath()),
                  c.found
                      ? QDir::cleanPath(QFileInfo(tmp.file(QString::fromUtf8(c.found))).absoluteFilePath())
                      : "")
            << c.query;
        EXPECT_EQ(fs::fileExists(query), c.exists) << c.query;
    }
}

// Names as the OS holds them: Shift_JIS bytes from an old Windows zip are no UTF-8.
QByteArray windows932(const QString& text) { return QStringEncoder("windows-31j").encode(text); }

// Qt can neither make nor remove files under names that are not UTF-8; std::filesystem
// takes the bytes.
struct RemovedAtEnd {
    std::filesystem::path path;
    ~RemovedAtEnd() { std::filesystem::remove_all(path); }
};

void writeNative(const QByteArray& path, const QByteArray& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes.toStdString();
}

struct ApplicationDirGuard {
    explicit ApplicationDirGuard(const QString& dir) { fs::setApplicationDir(dir); }
    ~ApplicationDirGuard() { fs::setApplicationDir({}); }
};

// Entries that once overflowed the stack or took time doubling with each level. Should the
// walk try every spelling again, the 25 levels below never end and ctest times the test out.
TEST(FileLookup, EntriesThatOnceHungOrCrashedTheGameAreAnsweredAtOnce) {
    TempDir tmp;
    tmp.write("Data/dog.jpg", "x");
    tmp.mkdir("Data/pics");
    tmp.mkdir("Data/PICS");
    QFile::link(".", tmp.file("Data/loop"));
    QFile::link(".", tmp.file("Data/LOOP"));
    const CurrentDirGuard cwd;
    QDir::setCurrent(tmp.path());
    const struct {
        const char* what;
        QString entry;
        bool exists;
    } cases[] = {
        {"30,000 backslashes", "Data\\" + QString(30000, u'\\'), false},
        {"a folder and its twin 25 times over", "Data\\" + QString("pics\\..\\").repeated(25) + "missing.jpg",
         false},
        {"the same, to a file", "Data\\" + QString("PiCs\\..\\").repeated(25) + "dog.jpg", true},
        {"links to the folder in two spellings", "Data\\" + QString("Loop\\").repeated(25) + "missing.jpg",
         false},
        {"the same, to a file", "Data\\" + QString("Loop\\").repeated(25) + "dog.jpg", true},
        {"a name past 4096 characters", "Data\\" + QString(4100, u'a'), false},
        {"a NUL inside the name", QString("Data\\dog.jpg") + QChar(u'\0') + "x", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fs::fileExists(c.entry), c.exists) << c.what;
        EXPECT_EQ(fs::openRegular(c.entry) != nullptr, c.exists) << c.what;
    }
}

// A set file or a picture that is a link to a device, or a named pipe: nothing is listed,
// nothing waits, the reader shows its read error. A /proc file is regular but claims no
// bytes, and is read as empty (pagemap would otherwise take minutes).
TEST(SetFiles, DevicesPipesAndProcFilesAreNeitherListedNorReadNorShown) {
    TempDir app;
    app.write("Data/a.dat", "[File]\r\n1\r\n[Picture]\r\nData\\dog.png\r\n");
    app.writePicture("Data/dog.png", 8, 8, 0xff00ff00);
    ASSERT_EQ(::mkfifo(QFile::encodeName(app.file("Data/pipe.dat")).constData(), 0644), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(app.file("Data/pipe.png")).constData(), 0644), 0);
    for (const char* device : {"/dev/zero", "/dev/urandom", "/proc/self/pagemap"}) {
        const QString name = QFileInfo(device).fileName();
        QFile::link(device, app.file("Data/" + name + ".dat"));
        QFile::link(device, app.file("Data/" + name + ".png"));
    }
    const ApplicationDirGuard appDir(app.path());
    EXPECT_EQ(fs::listFiles(app.path() + "\\Data", {"*.dat"}), QStringList({"a.dat", "pagemap.dat"}));

    const struct {
        const char* name;
        bool exists;
    } cases[] = {{"zero", false}, {"urandom", false}, {"pipe", false}, {"pagemap", true}};
    for (const auto& c : cases) {
        const QString stem = app.path() + "\\Data\\" + c.name;
        RecordingPlatform platform;
        int16_t index = 0;
        EXPECT_EQ(Files::ReadSetEntry(stem + ".dat", index, Files::SectionPicture, platform), "") << c.name;
        EXPECT_EQ(platform.take(), std::vector<QString>{"read error"}) << c.name;
        EXPECT_EQ(fs::fileExists(stem + ".png"), c.exists) << c.name;
        EXPECT_TRUE(pictures::load(stem + ".png").isNull()) << c.name;
        const std::unique_ptr<QFile> file = fs::openRegular(stem + ".png");
        EXPECT_EQ(file != nullptr, c.exists) << c.name;
        if (file) {
            EXPECT_EQ(file->readAll(), "") << c.name;
        }
    }
}

// Old Windows zips unpack their Japanese names as Shift_JIS bytes: the set is listed
// with its title, and the pictures it names, in folders named the same way, are found.
TEST(SetFiles, ShiftJisNamesFromAWindowsZipAreListedWithTheirTitleAndTheirPicturesFound) {
    TempDir app;
    const QByteArray data = QFile::encodeName(app.mkdir("Data"));
    const QByteArray folder = data + "/" + windows932("ｲﾇ");
    const RemovedAtEnd removed{data.toStdString()};
    ASSERT_TRUE(std::filesystem::create_directory(folder.toStdString()));
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(0xff0000ff);
    writeNative(folder + "/" + windows932("いぬ.png"), encoded(blue, "PNG"));
    writeNative(data + "/" + windows932("どうぶつ.dat"),
                windows932("[File]\r\n1\r\n[Picture]\r\nData\\ｲﾇ\\いぬ.PNG \r\n"));
    app.write("Data/b.dat", "[File]\r\n1\r\n[Picture]\r\nData\\ｲﾇ\\いぬ.png\r\n");
    const ApplicationDirGuard appDir(app.path());
    const CurrentDirGuard cwd;
    QDir::setCurrent(app.path());

    const QString dataDir = app.path() + "\\Data";
    const QStringList sets = fs::listFiles(dataDir, {"*.dat"});
    ASSERT_EQ(sets, QStringList({"b.dat", "どうぶつ.dat"}));
    EXPECT_EQ(Files::StripExtension(sets[1]), "どうぶつ");
    for (const QString& set : sets) {
        RecordingPlatform platform;
        int16_t index = 0;
        const QString entry =
            Files::ReadSetEntry(dataDir + "\\" + set, index, Files::SectionPicture, platform);
        EXPECT_EQ(platform.take(), std::vector<QString>{}) << set.toStdString();
        EXPECT_TRUE(fs::fileExists(entry)) << entry.toStdString();
        EXPECT_EQ(fs::nativePath(entry), folder + "/" + windows932("いぬ.png")) << entry.toStdString();
        EXPECT_EQ(pictures::load(entry).pixel(0, 0), 0xff0000ff) << entry.toStdString();
    }
}

// A backslash is a character of a folder's name here: only what is written after the
// application folder is read the Windows way.
TEST(SetFiles, AnApplicationFolderWithABackslashInItsNameFindsItsSetsAndTheirFiles) {
    TempDir tmp;
    const QString app = tmp.mkdir("games\\kavimo");
    tmp.write("games\\kavimo/Data/zoo.dat", "[File]\r\n1\r\n[Picture]\r\nData\\Pics\\dog.png\r\n");
    tmp.writePicture("games\\kavimo/Data/pics/dog.png", 8, 8, 0xffff0000);
    tmp.writeWav("games\\kavimo/Data/puu002@22.wav");
    const ApplicationDirGuard appDir(app);
    const CurrentDirGuard cwd;
    QDir::setCurrent(app);

    const QString dataDir = app + "\\Data";
    ASSERT_EQ(fs::listFiles(dataDir, {"*.dat"}), QStringList{"zoo.dat"});
    RecordingPlatform platform;
    int16_t index = 0;
    const QString entry = Files::ReadSetEntry(dataDir + "\\zoo.dat", index, Files::SectionPicture, platform);
    EXPECT_EQ(entry, "Data\\Pics\\dog.png");
    EXPECT_EQ(platform.take(), std::vector<QString>{});
    EXPECT_EQ(pictures::load(entry).pixel(0, 0), 0xffff0000);
    EXPECT_EQ(pictures::load(app + "\\" + entry).pixel(0, 0), 0xffff0000);
    EXPECT_TRUE(fs::fileExists(dataDir + "\\puu002@22.wav"));
}

}  // namespace
}  // namespace kavimo::test
