// Sound that is set up in the background: what is asked for before it is ready, and when
// the window lets it start.
#include "platform/DeferredSound.h"
#include "platform/QtPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <atomic>
#include <mutex>

namespace kavimo {
namespace {

// An output that records what it played; refuses names that start with "bad".
struct Heard {
    std::mutex mutex;
    QStringList played;
    std::atomic<int> made{0};

    QStringList snapshot() {
        const std::lock_guard lock(mutex);
        return played;
    }
};

class RecordingOutput : public SoundBackend {
public:
    explicit RecordingOutput(Heard& heard) : heard_(heard) {}
    bool play(const QString& path) override {
        if (path.startsWith("bad")) return false;
        const std::lock_guard lock(heard_.mutex);
        heard_.played << path;
        return true;
    }

private:
    Heard& heard_;
};

SoundFactory recordingInto(Heard& heard) {
    return [&heard]() -> std::unique_ptr<SoundBackend> {
        ++heard.made;
        return std::make_unique<RecordingOutput>(heard);
    };
}

TEST(DeferredSound, keepsOnlyTheLastRequestMadeBeforeItStartsAndPlaysItOnceReady) {
    Heard heard;
    {
        DeferredSound sound(recordingInto(heard));
        EXPECT_TRUE(sound.play("first.wav"));
        EXPECT_TRUE(sound.play("bad-but-not-known-yet.wav"));
        EXPECT_TRUE(sound.play("greeting.wav"));
        EXPECT_EQ(heard.made, 0) << "nothing is set up before start()";
        sound.start();
        sound.start();
        // Waits for the set-up, then answers for itself.
        EXPECT_FALSE(sound.play("bad.wav"));
        EXPECT_TRUE(sound.play("pair.wav"));
    }
    EXPECT_EQ(heard.made, 1);
    EXPECT_EQ(heard.snapshot(), (QStringList{"greeting.wav", "pair.wav"}));
}

TEST(DeferredSound, withoutAnyOutputEverySoundFailsAndNothingIsKept) {
    DeferredSound sound([] { return std::unique_ptr<SoundBackend>(); });
    EXPECT_TRUE(sound.play("kept.wav"));
    sound.start();
    EXPECT_FALSE(sound.play("pair.wav"));
}

TEST(QtPlatform, setsSoundUpOnlyAfterTheWindowsFirstPaint) {
    test::TempDir tmp;
    const QString greeting = tmp.writeWav("Data/Asonde00@22.wav");
    Heard heard;
    QtPlatform platform(recordingInto(heard));
    QWidget window;
    platform.setUpSoundAfterFirstPaint(window);

    EXPECT_EQ(platform.sndPlaySoundA(tmp.path() + "\\Data\\ASONDE00@22.WAV", SND_ASYNC), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.made, 0) << "set up before the window was painted";

    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !heard.snapshot().isEmpty(); }, 5000));
    EXPECT_EQ(heard.made, 1);
    EXPECT_EQ(heard.snapshot(), QStringList{greeting});
}

}  // namespace
}  // namespace kavimo
