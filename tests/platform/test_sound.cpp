// Sound as the player hears it: the SDL_mixer backend through SDL's disk driver, which
// writes what would reach the speaker to a file (16-bit stereo at 22050 Hz), and the files
// it cannot play.
#include "platform/SdlSound.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

using namespace std::chrono_literals;

// Sound goes to SDL's driver `driver` while this lives, then to the dummy driver again.
struct Driver {
    Driver(const char* driver, const QString& file) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", QFile::encodeName(file).constData(), 1);
    }
    ~Driver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

// What the disk driver wrote; read once the SdlSound is gone, so that all of it is there.
struct Heard {
    TempDir tmp;
    Driver disk{"disk", tmp.file("heard.raw")};
    std::vector<int16_t> samples() const {
        QFile out(tmp.file("heard.raw"));
        const QByteArray bytes = out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
        std::vector<int16_t> result(size_t(bytes.size()) / 2);
        std::memcpy(result.data(), bytes.constData(), result.size() * 2);
        return result;
    }
};

size_t louderThan(const std::vector<int16_t>& samples, int level, size_t from = 0) {
    return size_t(std::count_if(samples.begin() + std::min(from, samples.size()), samples.end(),
                                [level](int16_t s) { return std::abs(s) > level; }));
}

constexpr size_t kTwentiethOfASecond = 22050 * 2 / 20;

TEST(SdlSound, PlaysEverySoundFormatOfTheSetsAudibly) {
    const struct {
        const char* name;
        const char* sox;
    } formats[] = {
        {"pcm8.wav", nullptr},
        {"ima.wav", "-r 8000 -e ima-adpcm"},
        {"ms.wav", "-r 11025 -e ms-adpcm"},
        {"ulaw.wav", "-r 8000 -e mu-law"},
        {"tone.ogg", "-r 22050"},
    };
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    for (const auto& f : formats) {
        Heard heard;
        const QString path = heard.tmp.write(f.name, squareWav(0.3, 64));
        const std::string sox = "sox -n " + std::string(f.sox ? f.sox : "") + " '" + path.toStdString() +
                                "' synth 0.3 sine 440 vol 0.5 2>/dev/null";
        ASSERT_TRUE(!f.sox || std::system(sox.c_str()) == 0) << sox;
        {
            SdlSound sound;
            ASSERT_TRUE(sound.play(path)) << f.name;
            std::this_thread::sleep_for(250ms);
        }
        EXPECT_GT(louderThan(heard.samples(), 2000), kTwentiethOfASecond) << f.name;
    }
}

TEST(SdlSound, ANewSoundCutsOffTheOneStillPlaying) {
    Heard heard;
    {
        SdlSound sound;
        ASSERT_TRUE(sound.play(heard.tmp.write("long.wav", squareWav(3.0, 96))));
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(sound.play(heard.tmp.write("short.wav", squareWav(0.15, 16))));
        EXPECT_EQ(sound.loadedChunkCount(), 1) << "the first sound is still held";
        std::this_thread::sleep_for(450ms);
    }
    const std::vector<int16_t> samples = heard.samples();
    size_t lastLoud = 0;  // only the first sound comes near 16000
    for (size_t i = 0; i < samples.size(); ++i) lastLoud = std::abs(samples[i]) > 16000 ? i : lastLoud;
    ASSERT_GT(lastLoud, 0u) << "the first sound was not heard";
    EXPECT_GT(louderThan(samples, 1000, lastLoud), kTwentiethOfASecond)
        << "the second was not heard after it";
    ASSERT_GT(samples.size(), 2 * kTwentiethOfASecond);
    EXPECT_EQ(louderThan(samples, 100, samples.size() - 2 * kTwentiethOfASecond), 0u) << "the first went on";
}

// What a set may name as a sound: refused at once, and the sound playing goes on.
TEST(SdlSound, RefusesWhatItCannotPlayAndTheSoundPlayingGoesOn) {
    TempDir tmp;
    mkfifo(QFile::encodeName(tmp.file("pipe.wav")).constData(), 0600);  // opening it would wait for ever
    const struct {
        const char* name;
        QString path;
    } files[] = {
        {"missing", tmp.file("none.wav")},
        {"empty", tmp.write("empty.wav", {})},
        {"text", tmp.write("text.wav", "not a sound at all\n")},
        {"truncated", tmp.write("cut.wav", squareWav(0.1, 64).left(30))},
        {"a header, then garbage", tmp.write("bad.wav", squareWav(0.1, 64).left(16) + QByteArray(200, 'z'))},
        {"random bytes", tmp.write("random.wav", randomBytes(4096, 5))},
        {"a folder", tmp.mkdir("folder.wav")},
        {"a named pipe", tmp.file("pipe.wav")},
        {"a sound of 17 MB", tmp.write("big.wav", squareWav(17 * 1024 * 1024 / 8000.0, 64))},
    };
    SdlSound sound;
    ASSERT_TRUE(sound.play(tmp.write("playing.wav", squareWav(5.0, 64))));
    for (const auto& f : files) {
        EXPECT_FALSE(sound.play(f.path)) << f.name;
        EXPECT_TRUE(sound.isPlaying()) << f.name;
        EXPECT_EQ(sound.loadedChunkCount(), 1) << f.name;
    }
}

TEST(SdlSound, WithoutASoundDevicePlaysIntoNothing) {
    for (const char* driver : {"no-such-driver", "disk"}) {
        TempDir tmp;
        const Driver broken(driver, "/no-such-folder/heard.raw");
        SdlSound sound;
        EXPECT_TRUE(sound.play(tmp.writeWav("cue.wav"))) << driver;
    }
}

}  // namespace
}  // namespace kavimo::test
