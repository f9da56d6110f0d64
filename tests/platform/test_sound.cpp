// The SDL_mixer backend, heard through SDL's disk driver: what would reach the speaker is
// written to a file, 16-bit stereo at the rate the device was opened with.
#include "platform/SdlSound.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kavimo {
namespace {

using namespace std::chrono_literals;
using test::EnvVar;
using test::squareWav;
using test::TempDir;

bool haveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

// Where the disk driver writes; read it after the SdlSound has been destroyed, so that
// everything is flushed.
struct DiskOutput {
    TempDir tmp;
    EnvVar driver{"SDL_AUDIODRIVER", "disk"};
    EnvVar file{"SDL_DISKAUDIOFILE", tmp.file("heard.raw")};

    std::vector<int16_t> samples() const {
        QFile out(tmp.file("heard.raw"));
        if (!out.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = out.readAll();
        std::vector<int16_t> result(static_cast<size_t>(bytes.size()) / sizeof(int16_t));
        std::memcpy(result.data(), bytes.constData(), result.size() * sizeof(int16_t));
        return result;
    }
};

size_t countAbove(const std::vector<int16_t>& s, size_t from, size_t to, int level) {
    size_t n = 0;
    for (size_t i = from; i < to && i < s.size(); ++i) n += std::abs(s[i]) > level;
    return n;
}

constexpr size_t kSamplesPerSecond = 22050 * 2;  // stereo
constexpr int kSilence = 100;

struct Format {
    const char* name;
    const char* soxOutput;  // nullptr: written by the test itself
    const char* file;
};

void PrintTo(const Format& c, std::ostream* os) { *os << c.name; }

class SoundFormat : public ::testing::TestWithParam<Format> {};

TEST_P(SoundFormat, isAudible) {
    const Format& f = GetParam();
    DiskOutput disk;
    const QString path = disk.tmp.file(f.file);
    if (f.soxOutput) {
        if (!haveSox()) GTEST_SKIP() << "sox is not installed";
        const std::string command = "sox -n " + std::string(f.soxOutput) + " '" +
                                    path.toStdString() + "' synth 0.3 sine 440 vol 0.5 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    } else {
        disk.tmp.write(f.file, squareWav(0.3, 64));
    }
    {
        SdlSound sound;
        ASSERT_TRUE(sound.play(path));
        std::this_thread::sleep_for(250ms);
    }
    const auto heard = disk.samples();
    EXPECT_GT(countAbove(heard, 0, heard.size(), 2000), kSamplesPerSecond / 20) << f.name;
}

INSTANTIATE_TEST_SUITE_P(
    Wav, SoundFormat,
    ::testing::Values(Format{"Pcm8k8bit", nullptr, "pcm8.wav"},
                      Format{"ImaAdpcm", "-r 8000 -e ima-adpcm", "ima.wav"},
                      Format{"MsAdpcm", "-r 11025 -e ms-adpcm", "ms.wav"},
                      Format{"MuLaw", "-r 8000 -e mu-law", "ulaw.wav"},
                      Format{"OggVorbis", "-r 22050", "tone.ogg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SdlSound, aNewSoundStopsTheOneStillPlaying) {
    DiskOutput disk;
    const QString longLoud = disk.tmp.write("long.wav", squareWav(3.0, 96));
    const QString shortQuiet = disk.tmp.write("short.wav", squareWav(0.15, 16));
    {
        SdlSound sound;
        ASSERT_TRUE(sound.play(longLoud));
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(sound.play(shortQuiet));
        std::this_thread::sleep_for(450ms);
    }
    const auto heard = disk.samples();
    const int loud = 16000;  // only the first sound comes near it
    size_t lastLoud = 0;
    for (size_t i = 0; i < heard.size(); ++i) {
        if (std::abs(heard[i]) > loud) lastLoud = i;
    }
    ASSERT_GT(lastLoud, 0u) << "the first sound was not heard";
    EXPECT_GT(countAbove(heard, lastLoud, heard.size(), 1000), kSamplesPerSecond / 20)
        << "the second sound was not heard after the first";
    ASSERT_GT(heard.size(), kSamplesPerSecond / 10);
    EXPECT_EQ(countAbove(heard, heard.size() - kSamplesPerSecond / 10, heard.size(), kSilence), 0u)
        << "the first sound went on after the second had ended";
}

struct BadFile {
    const char* name;
    std::optional<QByteArray> bytes;  // nullopt: no such file
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

class SdlSoundRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(SdlSoundRefuses, aFileItCannotPlayAndTheCurrentSoundGoesOn) {
    TempDir tmp;
    SdlSound sound;
    ASSERT_TRUE(sound.play(tmp.write("playing.wav", squareWav(5.0, 64))));
    QString bad = tmp.file("bad.wav");
    if (GetParam().bytes) tmp.write("bad.wav", *GetParam().bytes);

    EXPECT_FALSE(sound.play(bad));
    EXPECT_TRUE(sound.isPlaying());
    EXPECT_EQ(sound.loadedChunkCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SdlSoundRefuses,
    ::testing::Values(BadFile{"Missing", std::nullopt},
                      BadFile{"Empty", QByteArray()},
                      BadFile{"Text", QByteArray("not a sound at all\n")},
                      BadFile{"TruncatedWav", squareWav(0.1, 64).left(30)},
                      BadFile{"WavHeaderWithGarbage",
                              QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16) + QByteArray(200, 'z')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SdlSound, aFolderIsRefused) {
    TempDir tmp;
    SdlSound sound;
    EXPECT_FALSE(sound.play(tmp.mkdir("sound.wav")));
    EXPECT_EQ(sound.loadedChunkCount(), 0);
}

TEST(SdlSound, aThousandPlaysHoldOnlyTheLastSound) {
    TempDir tmp;
    const QString small = tmp.writeWav("small.wav");
    SdlSound sound;
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(sound.play(small)) << i;
    EXPECT_EQ(sound.loadedChunkCount(), 1);
}

TEST(SdlSound, leavesTheSignalsThatEndTheProgramAlone) {
    struct sigaction interruptBefore {}, terminateBefore {}, interrupt {}, terminate {};
    sigaction(SIGINT, nullptr, &interruptBefore);
    sigaction(SIGTERM, nullptr, &terminateBefore);
    TempDir tmp;
    SdlSound sound;
    ASSERT_TRUE(sound.play(tmp.writeWav("cue.wav")));  // the device is open by now
    sigaction(SIGINT, nullptr, &interrupt);
    sigaction(SIGTERM, nullptr, &terminate);
    EXPECT_EQ(interrupt.sa_handler, interruptBefore.sa_handler);
    EXPECT_EQ(terminate.sa_handler, terminateBefore.sa_handler);
}

struct BrokenDevice {
    const char* name;
    const char* driver;
    const char* diskFile;
};

void PrintTo(const BrokenDevice& c, std::ostream* os) { *os << c.name; }

class SdlSoundWithoutDevice : public ::testing::TestWithParam<BrokenDevice> {};

TEST_P(SdlSoundWithoutDevice, playsIntoNothingInstead) {
    EnvVar driver("SDL_AUDIODRIVER", GetParam().driver);
    EnvVar file("SDL_DISKAUDIOFILE", GetParam().diskFile);
    TempDir tmp;
    SdlSound sound;
    EXPECT_TRUE(sound.play(tmp.writeWav("cue.wav")));
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, SdlSoundWithoutDevice,
    ::testing::Values(BrokenDevice{"UnknownDriver", "no-such-driver", "/dev/null"},
                      BrokenDevice{"DeviceFailsToOpen", "disk", "/no-such-folder/heard.raw"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavimo
