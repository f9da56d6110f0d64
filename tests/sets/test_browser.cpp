// The set browser: choosing a set shows its title and preview and takes over its pair
// count; "<<" and ">>" step through the sets without wrapping.
#include <QFile>
#include <QLabel>

#include "shell/PreviewImage.h"
#include "shell/WindowFixture.h"

namespace kavimo::test {
namespace {

const QString kReadError = QStringLiteral("ﾌｧｲﾙ読み込みエラー");
const QString kGeneralError = QStringLiteral("ｴﾗｰが発生しました");

class Browser : public WindowTest {
protected:
    // A set whose preview exists, in a colour of its own.
    void writeSetWithPreview(const QString& name, const QString& count, unsigned colour) {
        const QString picture = name.section('.', 0, 0) + "-preview.png";
        app.writePicture("Data/" + picture, 60, 60, colour);
        writeSet(name, {count, {"Data\\" + picture}, {}});
    }
    QString title() { return form->Label1->text(); }
    QImage preview() { return form->Image1->picture(); }
    // The 49 x 49 preview is one solid colour.
    unsigned previewColour() { return preview().pixel(24, 24); }
};

TEST_F(Browser, SetWithAPreviewShowsTitleAndPreviewAndResetsTheBoardForItsCount) {
    writeFullSet("animals.dat", 3);
    writeSetWithPreview("birds.dat", "5", 0xff00aa00);
    loaded();
    EXPECT_EQ(title(), "animals");
    EXPECT_EQ(previewColour(), colourOf(0));
    EXPECT_EQ(form->PairCount, 3);
    expectIdle(6);

    form->Command1_Click();  // a game runs, then the player chooses the next set
    form->Command3_Click();
    EXPECT_EQ(title(), "birds");
    EXPECT_EQ(previewColour(), 0xff00aa00u);
    EXPECT_EQ(form->PairCount, 5);
    expectIdle(10);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Browser, SetWithoutItsPreviewChangesTheTitleOnlyAndTheGameGoesOn) {
    writeFullSet("a.dat", 3);
    writeSet("b-empty.dat", {"7", {""}, {}});                     // an empty preview name
    writeSet("c-missing.dat", {"7", {"Data\\nowhere.png"}, {}});  // a preview that is not there
    loaded().Command1_Click();
    const std::vector<CardLook> game = looks();
    const auto values = form->CardValue;
    for (const char* expected : {"b-empty", "c-missing"}) {
        form->Command3_Click();
        EXPECT_EQ(title(), expected);
        EXPECT_TRUE(preview().isNull()) << expected;
        EXPECT_EQ(form->PairCount, 3) << expected;
        EXPECT_EQ(looks(), game) << expected;
        EXPECT_EQ(form->CardValue, values) << expected;
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Browser, PairCountIsAWholeNumberAnythingElseIsAnErrorAndNoCards) {
    app.writePicture("Data/preview.png", 60, 60, 0xff808080);
    writeSet("set.dat", {"2", {"Data\\preview.png"}, {}});
    loaded();
    const struct {
        const char* text;
        int16_t count;
        bool error;
    } cases[] = {
        {"", 0, true},     {"abc", 0, true},  {"1.5", 0, true},  {"99999", 0, true},
        {"-3", -3, false}, {"0", 0, false},   {"22", 22, false}, {" 10 ", 10, false},
        {"+7", 7, false},  {"\t5", 5, false}, {"21", 21, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writeSet("set.dat", {c.text, {"Data\\preview.png"}, {}});
        form->PairCount = 9;  // left by the set shown before
        platform.clear();
        form->File1_Click();
        EXPECT_EQ(form->PairCount, c.count);
        EXPECT_EQ(platform.messageTexts(),
                  c.error ? std::vector<QString>{kGeneralError} : std::vector<QString>{});
        if (c.error && !platform.messages.empty()) {
            EXPECT_EQ(platform.messages[0].title, "ｴﾗｰ");
        }
        expectIdle(std::clamp(2 * c.count, 0, board::kCards));
    }
}

TEST_F(Browser, ButtonsStepThroughTheSetsAndStopAtBothEnds) {
    writeFullSet("a.dat", 1);
    writeFullSet("b.dat", 2);
    writeFullSet("c.dat", 3);
    loaded();
    const struct {
        bool next;
        const char* title;
        int16_t count;
    } steps[] = {
        {false, "a", 1}, {true, "b", 2},  {true, "c", 3},  {true, "c", 3},
        {false, "b", 2}, {false, "a", 1}, {false, "a", 1},
    };
    for (const auto& s : steps) {
        const bool atEnd = s.title == title();
        form->Command1_Click();  // a game is dealt before each click
        s.next ? form->Command3_Click() : form->Command2_Click();
        EXPECT_EQ(title(), s.title);
        EXPECT_EQ(form->PairCount, s.count);
        // At an end nothing is selected anew, so the dealt game stays.
        EXPECT_EQ(form->Picture1[0]->isEnabled(), atEnd) << s.title;
    }
}

TEST_F(Browser, SingleSetIgnoresBothButtons) {
    writeFullSet("only.dat", 2);
    loaded().Command1_Click();
    const std::vector<CardLook> game = looks();
    form->Command2_Click();
    form->Command3_Click();
    EXPECT_EQ(title(), "only");
    EXPECT_EQ(form->File1->listIndex(), 0);
    EXPECT_EQ(looks(), game);
}

TEST_F(Browser, EmptyListIgnoresBothButtons) {
    app.mkdir("Data");
    loaded();
    form->Command2_Click();
    form->Command3_Click();
    EXPECT_EQ(form->File1->listIndex(), -1);
    EXPECT_TRUE(title().isEmpty());
    EXPECT_TRUE(preview().isNull());
    EXPECT_TRUE(platform.log.empty());
    expectIdle(0);
}

TEST_F(Browser, TitleIsTheFileNameBeforeItsLastDot) {
    writeFullSet("a.b.dat", 1);
    loaded();
    EXPECT_EQ(title(), "a.b");
}

TEST_F(Browser, SetWithoutPictureSectionShowsOneReadErrorAndKeepsTheCount) {
    writeFullSet("a.dat", 3);
    writeLines("b.dat", {"[File]", "4", "[Sound]", "Data\\a\\s0.wav"});
    loaded();
    platform.clear();
    form->Command3_Click();
    ASSERT_EQ(platform.messageTexts(), std::vector<QString>{kReadError});
    EXPECT_EQ(platform.messages[0].title, "kavimo");
    EXPECT_EQ(platform.messages[0].style, 0);
    EXPECT_EQ(title(), "b");
    EXPECT_TRUE(preview().isNull());
    EXPECT_EQ(form->PairCount, 3);
}

TEST_F(Browser, SetWithoutFileSectionShowsTheReadErrorThenTheGeneralError) {
    writeFullSet("a.dat", 3);
    app.writePicture("Data/b.png", 60, 60, 0xff0000c0);
    writeLines("b.dat", {"[Picture]", "Data\\b.png"});
    loaded();
    platform.clear();
    form->Command3_Click();
    EXPECT_EQ(platform.messageTexts(), (std::vector<QString>{kReadError, kGeneralError}));
    EXPECT_EQ(previewColour(), 0xff0000c0u);
    EXPECT_EQ(form->PairCount, 0);
    expectIdle(0);
}

TEST_F(Browser, PreviewThatIsNoPictureShowsNothingButTheCountIsTaken) {
    app.write("Data/broken.png", "not a picture");
    writeSet("set.dat", {"2", {"Data\\broken.png"}, {}});
    loaded();
    EXPECT_TRUE(preview().isNull());
    EXPECT_EQ(form->PairCount, 2);
    expectIdle(4);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Browser, LargePreviewIsDecodedAtTheSizeOfItsBox) {
    app.writePicture("Data/big.png", 300, 200, 0xffc06000);
    writeSet("set.dat", {"1", {"Data\\big.png"}, {}});
    loaded();
    EXPECT_EQ(preview().size(), QSize(49, 49));
    EXPECT_EQ(preview().size(), form->Image1->size());
    EXPECT_EQ(previewColour(), 0xffc06000u);
}

}  // namespace
}  // namespace kavimo::test
