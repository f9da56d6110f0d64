// The feedback services: sound cues, the blocking pause and the three error messages.
#include "shell/WindowFixture.h"

namespace kavimo::test {
namespace {

class Feedback : public WindowTest {
protected:
    Feedback() { DataDir = app.path() + "\\Data"; }
};

TEST_F(Feedback, MissingCuePlaysNothingAndWaitsNothing) {
    window().PlaySoundCue("\\GongC@08.wav", 1);
    EXPECT_TRUE(platform.sounds.empty());
    EXPECT_TRUE(platform.waits.empty());
    EXPECT_EQ(platform.now, 1000.0);
}

TEST_F(Feedback, CueWithALeadInStartsOneSecondAfterTheCall) {
    writeCues({"GongC@08.wav"});
    window().PlaySoundCue("\\GongC@08.wav", 1);
    ASSERT_EQ(platform.sounds.size(), 1u);
    EXPECT_EQ(platform.sounds[0].path, app.path() + "\\Data\\GongC@08.wav");
    EXPECT_EQ(platform.sounds[0].flags, 1u);
    EXPECT_EQ(platform.sounds[0].at, 1001.0);
    EXPECT_TRUE(platform.sounds[0].started);
}

TEST_F(Feedback, CueWithoutLeadInStartsAtOnce) {
    writeCues({"HajimeA@08.wav"});
    window().PlaySoundCue("\\HajimeA@08.wav", 0);
    ASSERT_EQ(platform.sounds.size(), 1u);
    EXPECT_EQ(platform.sounds[0].at, 1000.0);
    EXPECT_TRUE(platform.waits.empty());
}

TEST_F(Feedback, CueThatIsAFolderOrHiddenDoesNotCount) {
    app.mkdir("Data/GongC@08.wav");
    app.writeWav("Data/.Omedeto00@11.wav");
    window().PlaySoundCue("\\GongC@08.wav", 1);
    window().PlaySoundCue("\\.Omedeto00@11.wav", 1);
    EXPECT_TRUE(platform.sounds.empty());
    EXPECT_TRUE(platform.waits.empty());
}

TEST_F(Feedback, PauseWaitsTheWholeSecondsAskedAndNothingForZeroOrLess) {
    window().Pause(0);
    form->Pause(-1);
    EXPECT_TRUE(platform.waits.empty());
    form->Pause(2);
    ASSERT_EQ(platform.waits.size(), 1u);
    EXPECT_EQ(platform.waits[0].from, 1000.0);
    EXPECT_EQ(platform.waits[0].until, 1002.0);
}

TEST_F(Feedback, ErrorMessagesByCode) {
    const struct { int16_t code; const char* text; } cases[] = {
        {0, "ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。"},
        {1, "ﾃﾞｰﾀﾌｧｲﾙに設定されているﾌｧｲﾙが見つかりませんでした。"},
        {2, "ｴﾗｰが発生しました"},
        {-1, "ｴﾗｰが発生しました"},
        {32767, "ｴﾗｰが発生しました"},
    };
    for (const auto& c : cases) {
        platform.clear();
        window().ShowError(c.code);
        ASSERT_EQ(platform.messages.size(), 1u) << c.code;
        EXPECT_EQ(platform.messages[0].text, QString::fromUtf8(c.text)) << c.code;
        EXPECT_EQ(platform.messages[0].title, "ｴﾗｰ");
        EXPECT_EQ(platform.messages[0].style, 16);
    }
}

}  // namespace
}  // namespace kavimo::test
