// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made sets broken in every way: the game never crashes, hangs or loses its footing,
// and tells the player what went wrong only in its own messages. docs/bad-input.md is the
// catalogue; each of its rows names the test and case that back it.
#include "shell/PreviewImage.h"
#include "support/Game.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <functional>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

using LayOut = std::function<void(const TempDir&)>;

TEST(DataFolderWithoutASet, ShowsNoSetAndNoCardAndStartSaysTheSetIsMissing) {
    const struct {
        const char* name;
        LayOut layOut;
    } cases[] = {
        {"Missing", [](const TempDir&) {}},
        // Opening a pipe would wait for a writer for ever.
        {"OnlyANamedPipe",
         [](const TempDir& app) {
             mkfifo(QFile::encodeName(app.mkdir("Data") + "/x.dat").constData(), 0600);
         }},
    };
    for (const auto& c : cases) {
        Scene s;
        c.layOut(s.app);
        s.load();
        s.form->Command3->click();
        s.form->Command2->click();
        EXPECT_EQ(s.take(), Log{}) << c.name;
        EXPECT_EQ(s.form->Label1->text() + s.board(), "") << c.name;
        EXPECT_TRUE(s.form->Image1->picture().isNull()) << c.name;
        s.form->Command1->click();
        EXPECT_EQ(s.take(), Log{"error 0"}) << c.name;
        EXPECT_EQ(s.board(), "") << c.name;
    }
}

// What the player sees on choosing set "b" and then on pressing Start.
struct Outcome {
    Log onChoosing;
    int16_t count;
    QString chosen;  // "preview " when one is shown, then the board
    Log onStart;
    QString started;
};

const QByteArray kOnePair = "[File]\r\n1\r\n[Picture]\r\nData\\a\\p0.png\r\n[Sound]\r\nData\\a\\s0.wav\r\n";
QByteArray count(const QByteArray& text) {
    return "[File]\r\n" + text + "\r\n[Picture]\r\nData\\a\\p0.png\r\nData\\a\\p1.png\r\n";
}
// Pair 1's picture is Data/b.png, which `bytes` spoil.
const QByteArray kPairOneIsB = "[File]\r\n2\r\n[Picture]\r\nData\\a\\p0.png\r\nData\\b.png\r\n";
LayOut b(const QByteArray& bytes) {
    return [bytes](const TempDir& app) { app.write("Data/b.png", bytes); };
}
QByteArray noise() {  // a JPEG of 120 x 120 random pixels
    const QByteArray pixels = randomBytes(120 * 120 * 4, 5);
    const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), 120, 120, QImage::Format_RGB32);
    return encoded(image, "JPG");
}

const Log kStartCue{"sound HajimeA@08.wav"};
// As an empty set file: the reader's box, and the game shown before stays.
const Outcome kUnreadable{{"read error"}, 2, "oooo", {"read error", "error 1"}, "____"};
const Outcome kNoCount{{"error 2"}, 0, "preview ", kStartCue, ""};
const Outcome kNoFileSection{{"read error", "error 2"}, 0, "preview ", kStartCue, ""};
const Outcome kBadPicture{{}, 2, "preview ____", {"error 1"}, "____"};
const QString kAllCards(42, '_');

// Set "a" (two pairs) is dealt; then ">>" chooses set "b", and Start is pressed.
TEST(BadSet, IsReportedInTheGamesOwnWordsAndTheBoardStaysPlayable) {
    const struct {
        const char* name;
        QByteArray set;
        LayOut spoil;
        Outcome outcome;
    } cases[] = {
        {"Empty", "", nullptr, kUnreadable},
        {"NoPictureSection", QByteArray(kOnePair).replace("[Picture]", "[Pictures]"), nullptr, kUnreadable},
        {"Unreadable", kOnePair, [](const TempDir& app) { makeUnreadable(app.file("Data/b.dat")); },
         kUnreadable},
        {"DeletedBeforeItIsChosen", kOnePair,
         [](const TempDir& app) { QFile::remove(app.file("Data/b.dat")); },
         {{"read error"}, 2, "oooo", {"error 0"}, "oooo"}},
        {"NoFileSection", QByteArray(kOnePair).replace("[File]", "[Files]"), nullptr, kNoFileSection},
        {"MorePairsThanPictures", QByteArray(kOnePair).replace("\n1\r", "\n2\r"), nullptr, kBadPicture},
        {"CountAbc", count("abc"), nullptr, kNoCount},
        {"CountMinus3", count("-3"), nullptr, {{}, -3, "preview ", {"error 2"}, ""}},
        {"Count0", count("0"), nullptr, {{}, 0, "preview ", kStartCue, ""}},
        {"Count22", count("22"), nullptr, {{}, 22, "preview " + kAllCards, {"error 2"}, kAllCards}},
        {"PictureMissing", kPairOneIsB, nullptr, kBadPicture},
        {"PictureIsNoPicture", kPairOneIsB, b(randomBytes(5000, 3)), kBadPicture},
        {"PictureIsATruncatedJpegWhoseTopIsShown", kPairOneIsB, b(noise().left(2000)),
         {{}, 2, "preview ____", kStartCue, "oooo"}},
        {"PictureIsADecompressionBomb", kPairOneIsB, b(pngBomb()), kBadPicture},
        {"PreviewIsNoPicture", "[File]\r\n2\r\n[Picture]\r\nData\\b.png\r\nData\\a\\p1.png\r\n",
         b("not a picture"), {{}, 2, "____", {"error 1"}, "____"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        s.fullSet("a.dat", 2);
        s.cues({"HajimeA@08.wav"});
        s.app.write("Data/b.dat", c.set);
        s.load().Command1_Click();
        if (c.spoil) c.spoil(s.app);
        s.take();
        s.form->Command3->click();
        EXPECT_EQ(s.form->Label1->text(), "b");
        EXPECT_EQ(s.take(), c.outcome.onChoosing);
        EXPECT_EQ(s.form->PairCount, c.outcome.count);
        EXPECT_EQ((s.form->Image1->picture().isNull() ? "" : "preview ") + s.board(), c.outcome.chosen);
        s.form->Command1->click();
        EXPECT_EQ(s.take(), c.outcome.onStart);
        EXPECT_EQ(s.board(), c.outcome.started);
        if (s.board().contains('o')) {
            s.find(0);
            EXPECT_EQ(s.form->PairsFound, 1);
        }
        EXPECT_LT(peakResidentBytes(), int64_t{1} << 30);
    }
}

// Read in 64 KiB pieces and never held: less than 64 MB more memory.
using HugeSetFile = Game;

TEST_F(HugeSetFile, OfAHundredMegabytesIsPlayedWithoutBeingHeldInMemory) {
    fullSet("a.dat", 2);
    const QString path = app.write("Data/b.dat", QByteArray(kOnePair).replace("[Sound]", "[Other]"));
    QFile file(path);  // a hole of zeros, then the sound section at the very end
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.resize(100'000'000) && file.seek(file.size()));
    file.write("\r\n[Sound]\r\nData\\a\\s1.wav\r\n");
    file.close();
    const int64_t before = peakResidentBytes();
    load().Command3_Click();
    form->Command1_Click();
    find(0);
    EXPECT_EQ(take(), (Log{"sound s1.wav", "wait 1"}));
    EXPECT_LT(peakResidentBytes() - before, 64 << 20);
}

}  // namespace
}  // namespace kavimo::test
