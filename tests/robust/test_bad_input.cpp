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


namespace kavimo::test {
namespace {

using LayOut = std::function<void(const TempDir&)>;

using DataFolderWithoutASet = Game;

TEST_F(DataFolderWithoutASet, ShowsNoSetAndNoCardAndStartSaysTheSetIsMissing) {
    load();
    form->Command3->click();
    form->Command2->click();
    EXPECT_EQ(take(), Log{});
    EXPECT_EQ(form->Label1->text() + board(), "");
    EXPECT_TRUE(form->Image1->picture().isNull());
    form->Command1->click();
    EXPECT_EQ(take(), Log{"error 0"});
    EXPECT_EQ(board(), "");
}

// What the player sees on choosing set "b" and then on pressing Start.
struct Outcome {
    Log onChoosing = {};
    int16_t count;
    QString chosen;  // "preview " when one is shown, then the board
    Log onStart = {};
    QString started = {};
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

const Log kStartCue{"sound HajimeA@08.wav"};
// As an empty set file: the reader's box, and the game shown before stays.
const Outcome kUnreadable{.onChoosing = {"read error"}, .count = 2, .chosen = "oooo",
                          .onStart = {"read error", "error 1"}, .started = "____"};
const Outcome kNoCount{.onChoosing = {"error 2"}, .count = 0, .chosen = "preview ", .onStart = kStartCue};
const Outcome kNoFileSection{
    .onChoosing = {"read error", "error 2"}, .count = 0, .chosen = "preview ", .onStart = kStartCue};
const Outcome kBadPicture{.count = 2, .chosen = "preview ____", .onStart = {"error 1"}, .started = "____"};
const QString kAllCards(42, '_');

// Set "a" (two pairs) is dealt; then ">>" chooses set "b", and Start is pressed.
TEST(BadSet, IsReportedInTheGamesOwnWordsAndTheBoardStaysPlayable) {
    const struct { const char* name; QByteArray set; LayOut spoil = {}; Outcome outcome; } cases[] = {
        {.name = "Empty", .set = "", .outcome = kUnreadable},
        {.name = "NoPictureSection", .set = QByteArray(kOnePair).replace("[Picture]", "[Pictures]"),
         .outcome = kUnreadable},
        {.name = "Unreadable", .set = kOnePair,
         .spoil = [](const TempDir& app) { makeUnreadable(app.file("Data/b.dat")); }, .outcome = kUnreadable},
        {.name = "DeletedBeforeItIsChosen", .set = kOnePair,
         .spoil = [](const TempDir& app) { QFile::remove(app.file("Data/b.dat")); },
         .outcome = {.onChoosing = {"read error"}, .count = 2, .chosen = "oooo", .onStart = {"error 0"},
                     .started = "oooo"}},
        {.name = "NoFileSection", .set = QByteArray(kOnePair).replace("[File]", "[Files]"),
         .outcome = kNoFileSection},
        {.name = "MorePairsThanPictures", .set = QByteArray(kOnePair).replace("\n1\r", "\n2\r"),
         .outcome = kBadPicture},
        {.name = "CountAbc", .set = count("abc"), .outcome = kNoCount},
        {.name = "CountMinus3", .set = count("-3"),
         .outcome = {.count = -3, .chosen = "preview ", .onStart = {"error 2"}}},
        {.name = "Count0", .set = count("0"),
         .outcome = {.count = 0, .chosen = "preview ", .onStart = kStartCue}},
        {.name = "Count22", .set = count("22"),
         .outcome = {.count = 22, .chosen = "preview " + kAllCards, .onStart = {"error 2"},
                     .started = kAllCards}},
        {.name = "PictureMissing", .set = kPairOneIsB, .outcome = kBadPicture},
        {.name = "PictureIsNoPicture", .set = kPairOneIsB, .spoil = b(randomBytes(5000, 3)),
         .outcome = kBadPicture},
        {.name = "PictureIsATruncatedJpegWhoseTopIsShown", .set = kPairOneIsB,
         .spoil = b(encoded(textured({120, 120}), "JPG").left(2000)),
         .outcome = {.count = 2, .chosen = "preview ____", .onStart = kStartCue, .started = "oooo"}},
        {.name = "PictureIsADecompressionBomb", .set = kPairOneIsB, .spoil = b(pngBomb()),
         .outcome = kBadPicture},
        {.name = "PreviewIsNoPicture",
         .set = "[File]\r\n2\r\n[Picture]\r\nData\\b.png\r\nData\\a\\p1.png\r\n",
         .spoil = b("not a picture"),
         .outcome = {.count = 2, .chosen = "____", .onStart = {"error 1"}, .started = "____"}},
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

// The set shown first has lost its first picture, so it has no count of its own: Start says
// that a picture is missing (it dealt nothing, with the start cue), and deals the set once
// the picture is back.
TEST(BadSet, ShownFirstWithoutItsFirstPictureIsReportedAtStartAndDealtOnceItIsBack) {
    Scene s;
    s.fullSet("a.dat", 2);
    s.cues({"HajimeA@08.wav"});
    const QString picture = s.app.file("Data/a/p0.png");
    ASSERT_TRUE(QFile::rename(picture, picture + ".away"));
    s.load();
    s.take();
    s.form->Command1->click();
    EXPECT_EQ(s.take(), Log{"error 1"});
    EXPECT_EQ(s.board(), "");
    ASSERT_TRUE(QFile::rename(picture + ".away", picture));
    s.form->Command1->click();
    EXPECT_EQ(s.take(), kStartCue);
    EXPECT_EQ(s.board(), "oooo");
}

// Given a set to start with, as the set maker's "Play it now" starts the game, the game does
// not choose the first set on the way there: that set's messages do not come up.
TEST(BadSet, ShownFirstIsPassedOverWhenTheGameIsGivenAnotherSet) {
    Scene s;
    s.app.write("Data/0.dat", "");
    const QString given = s.fullSet("a.dat", 2);
    s.load();
    EXPECT_EQ(s.take(), Log{"read error"});
    s.load(given);
    EXPECT_EQ(s.take(), Log{});
    EXPECT_EQ(s.form->Label1->text() + " " + s.board(), "a ____");
    // One outside the folders it lists (in Downloads) is not shown, and the terminal is told why.
    const TempDir downloads;
    testing::internal::CaptureStderr();
    s.load(downloads.write("b.dat", kOnePair));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("/b.dat is not among the sets in " + s.app.path().toStdString() + "/Data and"), said.npos)
        << said;
    EXPECT_EQ(s.take(), Log{"read error"});  // its first set's
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
