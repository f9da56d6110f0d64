// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set make: a folder of photos becomes a set that the game deals, each card the
// centre of its photo the right way up; bad input is refused with nothing written.
#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QProcess>

#include <filesystem>
#include <fstream>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <sndfile.h>

#include "maker/Internal.h"
#include "maker/SetMaker.h"
#include "support/Game.h"

namespace kavimo::test {
namespace {

using namespace maker;

constexpr QRgb kTop = 0xff00c000, kBottom = 0xff0000c0, kOutside = 0xffff0000;

// A photo whose largest centred square is kTop above `bottom`, with kOutside around it.
QImage photo(int width, int height, QRgb bottom = kBottom) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(kOutside);
    const int side = std::min(width, height), left = (width - side) / 2, top = (height - side) / 2;
    for (int y = top; y < top + side; ++y)
        for (int x = left; x < left + side; ++x) image.setPixel(x, y, y < top + side / 2 ? kTop : bottom);
    return image;
}

// What a folder holds, hidden files too.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40 && std::abs(qAlpha(a) - qAlpha(b)) < 40;
}

using Make = Game;

TEST_F(Make, APhotoFolderBecomesASetTheGameDealsEachCardTheCentreOfItsPhotoUpright) {
    app.write("photos/1 camera.jpg", encoded(photo(4000, 3000), "JPEG"));
    // Stored turned a quarter to the left, and tagged so (orientation 6).
    const QImage storedTurned = photo(200, 300).transformed(QTransform().rotate(-90));
    app.write("photos/2 portrait.jpg", withExif(encoded(storedTurned, "JPEG"), 6));
    app.write("photos/3 clear.png", encoded(photo(100, 100, qRgba(0, 0, 0, 0)), "PNG"));
    app.write("photos/10 web.webp", encoded(photo(300, 240), "WEBP"));
    app.write("photos/11 edited.jpg", withXmpFirst(withExif(encoded(storedTurned, "JPEG"), 6)));
    // A phone's 200-megapixel mode: more than the game holds as one picture (512 MB), so it is
    // decoded at a fraction of its size, never whole.
    QImage huge(16384, 8200, QImage::Format_RGB888);
    huge.fill(kBottom);
    QPainter(&huge).fillRect(0, 0, huge.width(), huge.height() / 2, kTop);
    app.write("photos/12 big.jpg", encoded(huge, "JPEG"));
    huge = QImage();
    app.writeWav("photos/2 PORTRAIT.wav");

    const auto made = maker::writeSet(planFromPictures({app.file("photos")}, {}, app.file("Data"), false));
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    EXPECT_EQ(contents(made.datPath),
              "[File]\r\n6\r\n[Picture]\r\nData\\photos\\1 camera.png\r\nData\\photos\\2 portrait.png\r\n"
              "Data\\photos\\3 clear.png\r\nData\\photos\\10 web.png\r\nData\\photos\\11 edited.png\r\n"
              "Data\\photos\\12 big.png\r\n[Sound]\r\n\r\nData\\photos\\2 portrait.wav\r\n\r\n\r\n\r\n\r\n");

    load().Command1_Click();
    ASSERT_EQ(board(), QString(12, 'o'));
    for (int k = 0; k < 12; ++k) {
        const QImage picture = form->Picture1[k]->picture();
        EXPECT_PRED2(near, picture.pixel(49, 12), kTop) << k;
        EXPECT_PRED2(near, picture.pixel(49, 86), form->CardValue[k] == 2 ? qRgba(0, 0, 0, 0) : kBottom) << k;
        EXPECT_FALSE(near(picture.pixel(1, 49), kOutside) || near(picture.pixel(97, 30), kOutside)) << k;
    }
    find(1);
    EXPECT_EQ(take().at(0), "sound 2 portrait.wav");
}

// A phone's photo in Display P3, with a description: its card is in sRGB, as the game shows
// it, and keeps nothing of the photo but its pixels.
TEST(MakeCard, IsInSrgbWithoutThePhotosProfileOrText) {
    QImage p3 = photo(8, 8);
    p3.setColorSpace(QColorSpace::DisplayP3), p3.setText("Description", "Aarhus");
    const QImage card = QImage::fromData(encoded(cardPicture(p3, {}, 4), "PNG"));
    EXPECT_TRUE(!card.colorSpace().isValid() && card.textKeys().isEmpty());
    EXPECT_EQ(card.pixel(0, 0), p3.convertedToColorSpace(QColorSpace::SRgb).pixel(0, 0));
    EXPECT_NE(card.pixel(0, 0), kTop);
}

TEST(MakeRefuses, EachBadInputWithAMessageAndLeavesTheDataFolderAsItWas) {
    const struct {
        const char* input;
        int pictures = 2;
        const char* extra = nullptr;  // one more file in the folder
        QByteArray bytes = {};
        bool speak = false, force = false;
        rlim_t room = RLIM_INFINITY;  // the largest file that can be written
        const char* says;
    } rows[] = {
        {.input = "many", .pictures = 22, .says = "11 to 21 pairs give small cards"},
        // This one passes the plan and fails while the set is being written.
        {.input = "many", .extra = "9.png", .bytes = "\x89PNG\r\n\x1a\n", .says = "9.png"},
        {.input = "many", .extra = "1.m4a", .bytes = "....ftypM4A ", .says = "/many/1.m4a\" \"/"},
        // A download cut short: its missing rows would be grey on the card.
        {.input = "many", .extra = "cut.jpg", .bytes = encoded(photo(120, 90), "JPEG").chopped(200),
         .says = "cut short"},
        {.input = "many", .extra = "cut.png", .bytes = encoded(photo(120, 90), "PNG").left(300),
         .says = "cut short"},
        {.input = "many", .extra = "1.wav", .bytes = squareWav(0.1, 64).chopped(100), .says = "1.wav is cut short"},
        {.input = "many", .extra = "back\\slash.png", .bytes = encoded(photo(9, 9), "PNG"),
         .says = "Rename it"},
        {.input = "old", .says = "already exists"},
        {.input = "old", .force = true, .room = 64,
         .says = "old/0.png cannot be written (File too large)"},
        {.input = "many", .extra = "犬.png", .bytes = encoded(photo(9, 9), "PNG"), .speak = true, .says = "kana"},
        {.input = "a title longer than sixty characters, which no child reads under a card", .says = "too long"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        dir.write("Data/old.dat", "[File]\r\n1\r\n");
        for (int i = 0; i < row.pictures; ++i)
            dir.writePicture(QString("%1/%2.png").arg(row.input).arg(i), 60, 40, kTop);
        if (row.extra) dir.write(QString(row.input) + "/" + row.extra, row.bytes);
        auto plan = planFromPictures({dir.file(row.input)}, {}, dir.file("Data"), row.speak);
        plan.force = row.force;
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, room{row.room, RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails as on a full disk
        setrlimit(RLIMIT_FSIZE, &room);
        const auto made = writeSet(plan);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_TRUE(!made.ok && made.message.contains(row.says)) << made.message.toStdString();
        EXPECT_EQ(contents(dir.file("Data/old.dat")), "[File]\r\n1\r\n") << row.says;
        // Anything written, even in part, would show beside the set that was there.
        EXPECT_EQ(entries(dir.file("Data")), QStringList{"old.dat"}) << row.says;
        // The set maker window takes no photo cut short either.
        QString why;
        const bool cut = row.extra && QString(row.extra).startsWith("cut");
        EXPECT_TRUE(!cut || (uprightPicture(dir.file(row.input) + "/" + row.extra, &why).isNull() &&
                             why.contains("cut short")));
    }
}

// A sound that only the game's decoder reads is converted for Windows as the game plays it.
TEST(MakeForWindows, ConvertsToPcmWavWhatOnlyTheGamesDecoderReads) {
    const struct { int format, rate; void (*rewrite)(const QString&); } rows[] = {
        // As ffmpeg writes ADPCM at 96 kHz; a recording whose data size was never written.
        {.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, .rate = 96000, .rewrite = makeExtensible},
        {.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, .rate = 44100, .rewrite = makeUnsized},
    };
    for (const auto& row : rows) {
        TempDir dir;
        dir.writePicture("f/a.png", 60, 40, kTop);
        std::vector<float> tone(size_t(row.rate / 2));  // half a second
        for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.25f * float(std::sin(double(i) / 20));
        row.rewrite(writeSound(dir, "f/a.wav", row.format, row.rate, 1, tone));
        SetPlan plan = planFromPictures({dir.file("f")}, {}, dir.file("Data"), false);
        plan.windows = true;
        const auto made = writeSet(plan);
        ASSERT_TRUE(made.ok) << made.message.toStdString();
        SF_INFO written{};
        sf_close(sf_open(QFile::encodeName(dir.file("Data/f/a.wav")).constData(), SFM_READ, &written));
        EXPECT_EQ(written.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << row.rate;
        EXPECT_NEAR(double(written.frames) / written.samplerate, 0.5, 0.02) << row.rate;
    }
}

// What make says of a plan before writing it: what a child could not tell apart or would
// never see, and names Windows cannot hold.
TEST(MakePlan, WarnsOfPhotosLeftOutOrTwiceAndRefusesNamesWindowsCannotHold) {
    const struct {
        QStringList files, inputs;
        bool windows = false, speak = false;
        QString data = {};  // where the set goes, when not a scratch Data folder
        const char* says;
        Finding::Severity severity = Finding::Severity::Warning;
        const char* name = nullptr;  // the first pair's file name
        const char* title = "t";     // as typed in the set maker window
        int side = 120;              // of the photos
    } rows[] = {
        {.files = {"a.jpg", "b.heic"}, .inputs = {"f"}, .says = "/f/b.heic\" \"/"},
        {.files = {"a.jpg", "c.svg"}, .inputs = {"f"}, .says = "/f/c.svg\" -o \"/"},
        {.files = {"a.jpg", "d.avif"}, .inputs = {"f"}, .says = "avifdec \"/"},
        {.files = {"a.jpg"}, .inputs = {"f/a.jpg", "f/a.jpg"}, .says = "twice"},
        {.files = {"a.jpg", "cut.jpg"}, .inputs = {"f"}, .says = "cut.jpg is cut short",
         .severity = Finding::Severity::Error},
        {.files = {"DCIM/100ANDRO/a.jpg"}, .inputs = {"f"}, .says = "instead, for example /",
         .severity = Finding::Severity::Error},
        {.files = {"IMG_0002.jpg"}, .inputs = {"f"}, .speak = true, .says = "the file's own name"},
        {.files = {"10.jpg"}, .inputs = {"f"}, .speak = true, .says = ""},  // said "ten"
        {.files = {"🐶.jpg"}, .inputs = {"f"}, .windows = true, .says = "\"🐶.jpg\"", .severity = Finding::Severity::Error},
        {.files = {"aux.x.jpg"}, .inputs = {"f"}, .windows = true, .says = "", .name = "aux_.x"},
        // Into the game's own Data folder: the user's set of that title is listed beside it.
        {.files = {"a.jpg", "xdg/kavimo/Data/t.dat"}, .inputs = {"f"},
         .data = QCoreApplication::applicationDirPath() + "/Data", .says = "two sets of that title"},
        // Into a Data folder the game does not list.
        {.files = {"a.jpg", "xdg/kavimo/Data/t.dat"}, .inputs = {"f"}, .says = ""},
        // What the game would show under the preview, and what it would blur.
        {.files = {"a.jpg"}, .inputs = {"f"}, .says = "shows this set as \"Tom_Jerry_ cats_\"",
         .title = "Tom/Jerry: cats?."},
        {.files = {"a.jpg"}, .inputs = {"f"}, .says = "\"..\" cannot be a title",
         .severity = Finding::Severity::Error, .title = ".."},
        {.files = {"a.jpg"}, .inputs = {"f"}, .says = "cut from 63 x 63 pixels and enlarged to 99 x 99",
         .side = 63},
        {.files = {"a.jpg"}, .inputs = {"f"}, .says = "", .side = 99},
        // Into a folder that cannot be written, even by root.
        {.files = {"a.jpg"}, .inputs = {"f"}, .data = "/proc/sys", .says = "Nothing can be written in /proc/sys",
         .severity = Finding::Severity::Error},
    };
    for (const auto& row : rows) {
        TempDir dir;
        qputenv("XDG_DATA_HOME", dir.file("f/xdg").toUtf8());  // the user's sets
        const QByteArray jpeg = encoded(photo(row.side, row.side), "JPEG");
        for (const QString& file : row.files) dir.write("f/" + file, jpeg.chopped(file.startsWith("cut") ? 50 : 0));
        QStringList inputs;
        for (const QString& input : row.inputs) inputs << dir.file(input);
        const QString data = row.data.isEmpty() ? dir.file("Data") : row.data;
        SetPlan plan = planFromPictures(inputs, "t", data, row.speak);
        plan.title = row.title;
        plan.windows = row.windows;
        EXPECT_TRUE(std::ranges::any_of(checkPlan(plan), [&](const Finding& f) {
            return f.message.contains(QString::fromUtf8(row.says)) && f.severity == row.severity;
        }) == (*row.says != 0)) << row.says;
        EXPECT_TRUE(!row.name || plan.pairs.at(0).name == row.name) << plan.pairs.at(0).name.toStdString();
    }
    qunsetenv("XDG_DATA_HOME");
}

// Replacing a set, as --force and saving an opened set do, deletes only the files that
// kavimo-set made there, unchanged; and what a killed run left goes.
TEST(MakeReplaces, OnlyWhatItMadeAndRemovesWhatAKilledRunLeft) {
    TempDir dir;
    const QByteArray parentsPhoto = encoded(photo(800, 600), "JPEG");
    dir.write("Data/pets/dog.jpg", parentsPhoto);
    dir.writePicture("Data/pets/dog.png", 99, 99, kTop);
    dir.write("Data/pets.dat", "[File]\r\n1\r\n[Picture]\r\nData\\pets\\dog.jpg\r\n[Sound]\r\n\r\n");
    dir.write("Data/.kavimo-set-999999999-x/dog.png", "left by a killed run");
    auto plan = planFromPictures({dir.file("Data/pets/dog.jpg")}, "pets", dir.file("Data"), false);
    // Saving an opened set replaces it, as --force does.
    const auto opened = [&] { return plan = readSet(dir.file("Data/pets.dat"), nullptr).value(), plan.force = true; };
    plan.force = true;
    for (int save = 0; save < 3; ++save, opened()) ASSERT_TRUE(writeSet(plan).ok);  // made, then saved twice more
    EXPECT_EQ(entries(dir.file("Data/pets")),
              QStringList({".kavimo-set", "dog-2.png", "dog.jpg", "dog.png"}));
    EXPECT_EQ(entries(dir.file("Data")), QStringList({"pets", "pets.dat"}));
    EXPECT_EQ(contents(dir.file("Data/pets/dog.jpg")), parentsPhoto);
    EXPECT_EQ(plan.pairs.at(0).picture, dir.file("Data/pets/dog-2.png"));
    // Opened with a sound that is gone, the pair keeps it named, for the check to say so.
    dir.write("Data/pets.dat", "[File]\r\n1\r\n[Picture]\r\nData\\pets\\dog.jpg\r\n[Sound]\r\nData\\pets\\gone.wav\r\n");
    EXPECT_TRUE(opened() && checkPlan(plan).at(0).message.contains("gone.wav"));

    // Another set's picture, a name from a Windows zip and a pipe where the list names a made
    // file stay, and nothing waits on the pipe; a killed run's folder that is a link, and a
    // set folder that is one, leave what they point to alone.
    const QByteArray neko = QFile::encodeName(dir.file("Data/pets/")) + windows932("ねこ.jpg");
    std::ofstream(neko.toStdString()) << "x";
    dir.write("Data/other.dat", "[File]\r\n2\r\n[Picture]\r\nData\\pets\\dog.jpg\r\nData\\pets\\dog.jpg\r\n"
                                "[Sound]\r\n\r\nData\\pets\\dog-2.png\r\n");  // after a pair without a sound
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("Data/pets/fifo.png")).constData(), 0600), 0);
    ASSERT_TRUE(std::ofstream(dir.file("Data/pets/.kavimo-set").toStdString(), std::ios::app)
                << "da39a3ee5e6b4b0d3255bfef95601890afd80709 fifo.png\n");
    dir.write("elsewhere/photo.jpg", "x");
    for (const char* link : {"Data/.kavimo-set-999999998-y", "Data/linked"})
        QFile::link(dir.file("elsewhere"), dir.file(link));
    plan = planFromPictures({dir.file("Data/pets/dog.jpg")}, "pets", dir.file("Data"), false);
    plan.force = true;
    ASSERT_TRUE(writeSet(plan).ok);
    plan.title = "linked";
    EXPECT_TRUE(writeSet(plan).message.contains("link"));
    // (Qt lists neither the pipe nor the name that is not UTF-8.)
    EXPECT_EQ(entries(dir.file("Data/pets")),
              QStringList({".kavimo-set", "dog-2.png", "dog-3.png", "dog.jpg", "dog.png"}));
    EXPECT_TRUE(std::filesystem::remove(neko.toStdString()) &&
                QFileInfo(dir.file("Data/pets/fifo.png")).exists() &&
                entries(dir.file("elsewhere")) == QStringList{"photo.jpg"});
}

// A stick or disk from Windows, through FUSE: it cannot promise not to replace in one step.
int renameatRefusingFlags(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    return flags != 0 ? (errno = EINVAL, -1) : ::renameat(fromDir, from, toDir, to);
}

TEST(MakeReplaces, NothingOnAFileSystemThatCannotPromiseNotTo) {
    TempDir dir;
    const QByteArray a = QFile::encodeName(dir.write("a", "a")), b = QFile::encodeName(dir.write("b", "b")),
                     c = QFile::encodeName(dir.file("c"));
    EXPECT_EQ(detail::renameNoReplace(a, c, renameatRefusingFlags), 0);
    EXPECT_EQ(detail::renameNoReplace(b, c, renameatRefusingFlags), -1);
    EXPECT_TRUE(errno == EEXIST && entries(dir.path()) == QStringList({"b", "c"}) && contents(dir.file("c")) == "a");
}

// Names unpacked from an old Windows zip are Shift_JIS bytes: make takes such photos with
// their sounds, and check reads such a set file and such entries, as the game does.
TEST(MakeAndCheck, TakeShiftJisNamesFromAWindowsZip) {
    TempDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + '/', inu = windows932("いぬ");
    dir.mkdir("zip"), dir.mkdir("Data");
    const auto writeBytes = [&](const QByteArray& name, const QByteArray& bytes) {
        EXPECT_TRUE(std::ofstream(root + name, std::ios::binary).write(bytes.data(), bytes.size())) << name.data();
    };
    writeBytes("zip/" + inu + ".png", encoded(photo(40, 40), "PNG"));
    writeBytes("zip/" + inu + ".wav", squareWav(0.2, 60));
    writeBytes("Data/" + inu + ".dat",
               windows932("[File]\r\n1\r\n[Picture]\r\nzip\\いぬ.png\r\n[Sound]\r\nzip\\いぬ.wav\r\n"));
    const auto made = writeSet(planFromPictures({dir.file("zip")}, "zip", dir.file("Data"), false));
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    for (const QString& set : {made.datPath, dir.file("Data/いぬ.dat")})
        EXPECT_TRUE(withoutWindowsOnly(checkSet(set, dir.path())).empty()) << set.toStdString();
    writeBytes("zip/" + windows932("ねこ") + ".wav", "no sound");  // unplayable, not empty
    QString why;
    EXPECT_FALSE(soundPlayable(dir.file("zip/ねこ.wav"), &why));
    EXPECT_TRUE(why.startsWith("ねこ.wav is not a sound the game can play")) << why.toStdString();
    // From a terminal, the photo named as the shell gives it.
    QProcess make;
    make.setWorkingDirectory(dir.file("zip"));
    const QString shellName = "\"$(printf '\\x82\\xa2\\x82\\xca').png\"";
    make.start("bash", {"-c", "exec \"$0\" make --title t --data ../cli " + shellName, KAVIMO_SET_PROGRAM});
    EXPECT_TRUE(make.waitForFinished(30000) && QFile::exists(dir.file("cli/t/いぬ.png")))
        << make.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace kavimo::test
