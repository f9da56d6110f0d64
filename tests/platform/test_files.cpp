// SPDX-License-Identifier: GPL-3.0-or-later
// Files as Windows-made sets name them.
#include "platform/FileLookup.h"
#include "pictures/PictureLoader.h"
#include "sets/Files.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

// Backslashes, any letter case, folder by folder; only visible regular files exist. Entries that
// once overflowed the stack or took time doubling with each level are answered at once: should the
// walk try every spelling again, the 25 levels of those named below never end and ctest times the
// test out.
TEST(FileLookup, FindsTheFileAWindowsSetMeansAndCountsOnlyVisibleRegularFiles) {
    TempDir tmp;
    const char* files[] = {"Data/dog.jpg", "Data/Sounds/Bark@22.wav", "Data/.hidden.wav", "データ/いぬ.jpg",
                           "C:/x.wav", "Mixed/CAT.png", "Mixed/Cat.png", "Mixed/cat.png",
                           "Twin/data/bird.png", "Mac/\u3075\u3099\u3068\u3099\u3046.jpg", "Kana/ﾈｺ.jpg"};
    for (const char* file : files) tmp.write(QString::fromUtf8(file), "x");
    for (const char* folder : {"Data/Folder.wav", "Twin/Data", "Data/pics", "Data/PICS"}) tmp.mkdir(folder);
    for (const char* link : {"Data/loop", "Data/LOOP"}) QFile::link(".", tmp.file(link));
    const CurrentDirGuard cwd;
    QDir::setCurrent(tmp.path());
    const auto times25 = [](const char* part) { return "Data\\" + QString(part).repeated(25); };
    const struct {
        QString query;
        const char* found = "";  // none unless given
        bool exists = false;
        const char* what = nullptr;  // the name of an entry that once hung or crashed the game
    } cases[] = {
        {.query = "DATA\\sounds\\BARK@22.wav", .found = "Data/Sounds/Bark@22.wav", .exists = true},
        {.query = "<tmp>\\data\\dog.JPG", .found = "Data/dog.jpg", .exists = true},
        {.query = "Mixed\\Cat.png", .found = "Mixed/Cat.png", .exists = true},  // the exact spelling first
        {.query = "Mixed\\cAT.png", .found = "Mixed/CAT.png", .exists = true},  // else the first by name
        {.query = "TWIN\\DATA\\bird.png"},  // "Data" is taken, and no other spelling after it
        {.query = ".\\Data\\\\Sounds\\..\\DOG.jpg", .found = "Data/dog.jpg", .exists = true},
        {.query = "Data\\dog.jpg ", .found = "Data/dog.jpg", .exists = true},  // trailing spaces and dots go
        {.query = "Data. \\Sounds..\\Bark@22.wav. .", .found = "Data/Sounds/Bark@22.wav", .exists = true},
        {.query = "データ\\いぬ.jpg", .found = "データ/いぬ.jpg", .exists = true},
        // Unpacked from a zip made on a Mac: the voicing marks apart from their kana.
        {.query = "Mac\\ぶどう.jpg", .found = "Mac/\u3075\u3099\u3068\u3099\u3046.jpg", .exists = true},
        // "ﾈｺ" of a Shift_JIS set is C8 BA, valid UTF-8 too, which the set reader reads "Ⱥ".
        {.query = "Kana\\\u023a.jpg", .found = "Kana/ﾈｺ.jpg", .exists = true},
        {.query = "Data\\.hidden.wav", .found = "Data/.hidden.wav"},
        {.query = "Data\\Folder.wav", .found = "Data/Folder.wav"},
        {.query = "C:\\x.wav"},  // there is a folder "C:" here, but no drive
        {.query = "Data\\" + QString(30000, u'\\'), .what = "30,000 backslashes"},
        {.query = times25("pics\\..\\") + "x", .what = "a folder and its twin 25 times over"},
        {.query = times25("PiCs\\..\\") + "dog.jpg", .exists = true, .what = "the same, to a file"},
        {.query = times25("Loop\\") + "x", .what = "links to the folder in two spellings"},
        {.query = times25("Loop\\") + "dog.jpg", .exists = true, .what = "the same, to a file"},
        {.query = "Data\\" + QString(4100, u'a'), .what = "a name past 4096 characters"},
        {.query = QString("Data\\dog.jpg") + QChar(u'\0') + "x", .what = "a NUL inside the name"},
    };
    const auto full = [](const QString& path) {
        return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what ? c.what : c.query.toStdString());
        const QString query = QString(c.query).replace("<tmp>", tmp.path());
        const QString found = *c.found ? tmp.file(QString::fromUtf8(c.found)) : "";
        EXPECT_EQ(fs::fileExists(query), c.exists);
        if (c.what) EXPECT_EQ(fs::openRegular(query) != nullptr, c.exists);
        else EXPECT_EQ(full(fs::resolve(query)), full(found));
    }
}

struct ApplicationDirGuard {
    explicit ApplicationDirGuard(const QString& dir) { fs::setApplicationDir(dir); }
    ~ApplicationDirGuard() { fs::setApplicationDir({}); }
};

// What the reader gives for the first picture of the set file at path, and the boxes it shows.
std::pair<QString, std::vector<QString>> firstPicture(const QString& path) {
    RecordingPlatform platform;
    int16_t index = 0;
    const QString entry = Files::ReadSetEntry(path, index, Files::SectionPicture, platform);
    return {entry, platform.take()};
}

// A set file or a picture that is a link to a device, or a named pipe: nothing is listed,
// nothing waits, the reader shows its read error. A /proc file is regular but claims no
// bytes, and is read as empty (pagemap would otherwise take minutes). Old Windows zips unpack
// their Japanese names as Shift_JIS bytes: such a set is listed with its title, and the
// pictures it names, in folders named the same way, are found.
TEST(SetFiles, OnlyRegularFilesAreListedOrReadAndShiftJisNamesFromAWindowsZipAreFound) {
    const auto moveTo = [](const QString& from, const QByteArray& to) {
        std::filesystem::rename(QFile::encodeName(from).toStdString(), to.toStdString());
    };
    TempDir app;
    const QByteArray data = QFile::encodeName(app.mkdir("Data")), folder = data + "/" + windows932("ｲﾇ");
    ASSERT_TRUE(std::filesystem::create_directory(folder.toStdString()));
    moveTo(app.writePicture("dog.png", 8, 8, 0xff0000ff), folder + "/" + windows932("いぬ.png"));
    const QByteArray set = windows932("[File]\r\n1\r\n[Picture]\r\nData\\ｲﾇ\\いぬ.PNG \r\n");
    moveTo(app.write("set.dat", set), data + "/" + windows932("どうぶつ.dat"));
    app.write("Data/b.dat", "[File]\r\n1\r\n[Picture]\r\nData\\ｲﾇ\\いぬ.png\r\n");
    for (const char* pipe : {"Data/pipe.dat", "Data/pipe.png"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(app.file(pipe)).constData(), 0644), 0);
    for (const char* device : {"/dev/zero", "/dev/urandom", "/proc/self/pagemap"})
        for (const char* suffix : {".dat", ".png"})
            QFile::link(device, app.file("Data/" + QFileInfo(device).fileName() + suffix));
    const ApplicationDirGuard appDir(app.path());
    const CurrentDirGuard cwd;
    QDir::setCurrent(app.path());

    const QStringList sets = fs::listFiles(app.path() + "\\Data", {"*.dat"});
    ASSERT_EQ(sets, QStringList({"b.dat", "pagemap.dat", "どうぶつ.dat"}));
    EXPECT_EQ(Files::StripExtension(sets[2]), "どうぶつ");
    for (const char* name : {"zero", "urandom", "pipe", "pagemap"}) {
        const bool exists = name == std::string("pagemap");  // a regular file
        const QString stem = app.path() + "\\Data\\" + name;
        EXPECT_EQ(firstPicture(stem + ".dat").second, std::vector<QString>{"read error"}) << name;
        EXPECT_EQ(fs::fileExists(stem + ".png"), exists) << name;
        EXPECT_TRUE(pictures::load(stem + ".png").isNull()) << name;
        const std::unique_ptr<QFile> file = fs::openRegular(stem + ".png");
        EXPECT_EQ(file ? file->readAll() : "(none)", exists ? "" : "(none)") << name;
    }
    for (const QString& set : {sets[0], sets[2]}) {
        const auto [entry, boxes] = firstPicture(app.path() + "\\Data\\" + set);
        EXPECT_EQ(boxes, std::vector<QString>{}) << set.toStdString();
        EXPECT_EQ(fs::nativePath(entry), folder + "/" + windows932("いぬ.png")) << entry.toStdString();
        EXPECT_EQ(pictures::load(entry).pixel(0, 0), 0xff0000ff) << entry.toStdString();
    }
    // Named on the command line, from inside that folder.
    std::filesystem::current_path(folder.toStdString());
    EXPECT_EQ(fs::nativePath(fs::absolute(fs::decodePath(windows932("./いぬ.png")))),
              folder + "/" + windows932("いぬ.png"));
    EXPECT_TRUE(fs::isFolder(fs::decodePath(folder)) && !fs::isFolder(fs::decodePath(folder + "/x")));
}

}  // namespace
}  // namespace kavimo::test
