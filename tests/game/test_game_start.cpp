// Game start: the set is checked, the cards in play shuffled, every picture checked and
// dealt face up, and the start cue played.
#include <QDir>
#include <QFile>
#include <functional>

#include "shell/WindowFixture.h"

namespace kavimo::test {
namespace {

const QString kNoSet = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。");
const QString kNoPicture = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙに設定されているﾌｧｲﾙが見つかりませんでした。");
const QString kGeneralError = QStringLiteral("ｴﾗｰが発生しました");
const QString kReadError = QStringLiteral("ﾌｧｲﾙ読み込みエラー");

class GameStart : public WindowTest {
protected:
    // The sets name their pictures relative to the application folder; they are found only
    // because start-up makes it the current directory.
    GameStart() { QDir::setCurrent(app.mkdir("elsewhere")); }

    Form1& started() {
        form->Command1_Click();
        return *form;
    }

    // Every pair of the set on exactly two cards in play, enabled, showing the top-left of
    // its picture clipped to the card; the other cards hidden, nothing marked.
    void expectDealt(int pairs) {
        const int lastCard = 2 * pairs - 1;
        int enabled = 0;
        for (int k = 0; k < board::kCards; ++k) {
            EXPECT_EQ(cardShown(k), k <= lastCard) << "card " << k;
            EXPECT_FALSE(frameShown(k)) << k;
            if (form->Picture1[k]->isEnabled()) ++enabled;
            if (k > lastCard) {
                EXPECT_EQ(form->CardValue[k], k / 2) << "card " << k;
            }
        }
        EXPECT_EQ(enabled, 2 * pairs);
        for (int16_t p = 0; p < pairs; ++p) {
            const std::vector<int> cards = cardsOf(p);
            ASSERT_EQ(cards.size(), 2u) << "pair " << p;
            for (int k : cards) {
                const QImage& picture = form->Picture1[k]->picture();
                EXPECT_TRUE(form->Picture1[k]->isEnabled()) << k;
                ASSERT_FALSE(picture.isNull()) << k;
                EXPECT_EQ(picture.size(), form->Picture1[k]->inner().size()) << k;
                EXPECT_EQ(picture.pixel(0, 0), colourOf(p)) << k;
            }
        }
        EXPECT_EQ(form->PairsFound, 0);
    }
};

TEST_F(GameStart, WithoutASetOnlyTheMissingSetMessageAppears) {
    loaded();
    platform.clear();
    form->Command1_Click();
    ASSERT_EQ(platform.log, std::vector<QString>{"message " + kNoSet});
    EXPECT_EQ(platform.messages[0].title, "ｴﾗｰ");
    EXPECT_EQ(platform.messages[0].style, 16);
    expectIdle(0);
}

TEST_F(GameStart, SetFileGoneSinceListingShowsTheMissingSetMessageAndTheGameGoesOn) {
    const QString set = writeFullSet("a.dat", 3);
    loaded();
    started().Picture1_Click(int16_t(cardsOf(0).at(0)));
    const std::vector<CardLook> game = looks();
    const auto values = form->CardValue;
    QFile::remove(set);
    platform.clear();
    form->Command1_Click();
    EXPECT_EQ(platform.log, std::vector<QString>{"message " + kNoSet});
    EXPECT_EQ(looks(), game);
    EXPECT_EQ(form->CardValue, values);
}

TEST_F(GameStart, MissingOrBrokenPictureStopsTheStartWithOneMessageAndBlankCards) {
    writeFullSet("a.dat", 3);
    loaded();
    const struct {
        const char* name;
        std::function<void()> spoil;
    } cases[] = {
        {"last picture missing", [&] { QFile::remove(app.file("Data/a/p2.png")); }},
        {"last picture entry empty",
         [&] {
             writeSet("a.dat", {"3", {"Data\\a\\p0.png", "Data\\a\\p1.png", ""}, {}});
         }},
        {"a picture that is no picture", [&] { app.write("Data/a/p1.png", "not a picture"); }},
    };
    writeCues({"HajimeA@08.wav"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFullSet("a.dat", 3);
        started();  // a game with pictures on the board
        c.spoil();
        platform.clear();
        form->Command1_Click();
        EXPECT_EQ(platform.log, std::vector<QString>{"message " + kNoPicture});
        expectIdle(6);
    }
}

TEST_F(GameStart, SetWithoutPictureSectionShowsTheReadErrorThenTheMissingPictureMessage) {
    writeFullSet("a.dat", 2);
    writeLines("b.dat", {"[File]", "2", "[Sound]", "Data\\a\\s0.wav", "Data\\a\\s1.wav"});
    loaded().Command3_Click();  // the preview is missing: the count of "a" stays
    platform.clear();
    form->Command1_Click();
    ASSERT_EQ(platform.messageTexts(), (std::vector<QString>{kReadError, kNoPicture}));
    EXPECT_EQ(platform.messages[0].title, "kavimo");
    expectIdle(4);
}

TEST_F(GameStart, NoPairsResetTheBoardWithNoCardAndStillPlayTheStartCue) {
    app.writePicture("Data/preview.png", 60, 60, 0xff808080);
    writeSet("zero.dat", {"0", {"Data\\preview.png"}, {}});
    writeCues({"HajimeA@08.wav"});
    loaded();
    platform.clear();
    form->Command1_Click();
    EXPECT_EQ(platform.log, std::vector<QString>{"sound " + inData("\\HajimeA@08.wav")});
    expectIdle(0);
}

TEST_F(GameStart, CountsBeyondTheBoardAreRefusedAndNothingIsDealt) {
    app.writePicture("Data/preview.png", 60, 60, 0xff808080);
    writeSet("big.dat", {"22", {"Data\\preview.png"}, {}});
    writeSet("negative.dat", {"-3", {"Data\\preview.png"}, {}});
    writeCues({"HajimeA@08.wav"});
    loaded();
    for (int16_t count : {int16_t(22), int16_t(-3)}) {
        SCOPED_TRACE(count);
        ASSERT_EQ(form->PairCount, count);
        const std::vector<CardLook> before = looks();
        platform.clear();
        form->Command1_Click();
        EXPECT_EQ(platform.log, std::vector<QString>{"message " + kGeneralError});
        EXPECT_EQ(looks(), before);
        for (int k = 0; k < board::kCards; ++k) EXPECT_EQ(form->CardValue[k], k / 2);
        form->Command3_Click();
    }
}

TEST_F(GameStart, DealShowsEveryPictureOnTwoCardsAndPlaysTheStartCueWhenPresent) {
    writeFullSet("a.dat", 10);
    loaded();
    for (bool cue : {false, true}) {
        SCOPED_TRACE(cue ? "with the start cue" : "without it");
        if (cue) writeCues({"HajimeA@08.wav"});
        platform.clear();
        started();
        expectDealt(10);
        EXPECT_TRUE(platform.messages.empty());
        EXPECT_EQ(platform.log,
                  cue ? std::vector<QString>{"sound " + inData("\\HajimeA@08.wav")} : std::vector<QString>{});
    }
}

TEST_F(GameStart, TwentyOnePairsDealAllFortyTwoSmallCards) {
    writeFullSet("a.dat", 21);
    loaded();
    started();
    expectDealt(21);
    EXPECT_EQ(form->Picture1[0]->picture().size(), form->Picture1[0]->inner().size());
    EXPECT_LT(form->Picture1[0]->inner().width(), 120) << "the small card clips the picture";
}

TEST_F(GameStart, StartingAgainMidGameDealsAnewWithRemovedCardsBack) {
    writeFullSet("a.dat", 3);
    loaded();
    started();
    for (int k : cardsOf(0)) form->Picture1_Click(int16_t(k));
    ASSERT_EQ(form->PairsFound, 1);
    started();
    expectDealt(3);
}

}  // namespace
}  // namespace kavimo::test
