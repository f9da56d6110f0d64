// SPDX-License-Identifier: GPL-3.0-or-later
// Sound as the player hears it: every promised format decoded at its pitch and length, the
// SDL backend through SDL's disk driver, which writes what would reach the speaker to a file
// (16-bit stereo at 22050 Hz), and the files it refuses or cuts short.
#include "platform/SdlSound.h"
#include "platform/SoundDecoder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

using namespace std::chrono_literals;
constexpr int kOutRate = SoundDecoder::kRate;

// Spoken Japanese (espeak-ng), resampled by sox to rate; empty without those tools.
std::vector<float> speech(int rate) {
    const std::string say = "espeak-ng -v ja --stdout 'いぬ と ねこ' | sox -t wav - -t f32 -c 1 -r " +
                            std::to_string(rate) + " - 2>/dev/null";
    const std::unique_ptr<FILE, int (*)(FILE*)> sox(popen(say.c_str(), "r"), &pclose);
    std::vector<float> said(size_t(rate) * 2);  // room for the words, which take about a second
    said.resize(sox ? std::fread(said.data(), sizeof(float), said.size(), sox.get()) : 0);
    return said;
}

// A spoken voice too, as a 48 kHz Vorbis voice once came out silent.
TEST(SoundDecoder, DecodesEveryPromisedFormatAtItsPitchAndLength) {
    const std::vector<int> mp3Rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
    const struct {
        const char* name;
        int format;
        std::vector<int> rates = {};  // those the format can hold, when not all
        bool extensible = false;      // the header ffmpeg writes
        bool unsized = false;         // as a recorder that stopped before it finished leaves it
    } formats[] = {
        {.name = "u8.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
        {.name = "s16.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {.name = "s24.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {.name = "float.wav", .format = SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {.name = "ima.wav", .format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM},
        {.name = "ms.wav", .format = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM},
        {.name = "ima-x.wav", .format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, .rates = {96000},
         .extensible = true},
        {.name = "ms-x.wav", .format = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, .rates = {96000}, .extensible = true},
        {.name = "s16-0.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, .rates = {44100, 48000},
         .unsized = true},
        {.name = "ima-x-0.wav", .format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, .rates = {96000},
         .extensible = true, .unsized = true},
        {.name = "ulaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ULAW},
        {.name = "alaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ALAW},
        {.name = "vorbis.ogg", .format = SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {.name = "flac.flac", .format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {.name = "opus.opus", .format = SF_FORMAT_OGG | SF_FORMAT_OPUS, .rates = {8000, 16000, 48000}},
        {.name = "mp3.mp3", .format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, .rates = mp3Rates},
    };
    TempDir tmp;
    for (const int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000}) {
        std::vector<float> tone(size_t(rate * 6 / 10)), said = speech(rate);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = float(0.5 * std::sin(2 * std::numbers::pi * 440 * double(i) / rate));
        for (const auto& f : formats) {
            if (!f.rates.empty() && std::ranges::find(f.rates, rate) == f.rates.end()) continue;
            for (const int channels : {1, 2})
                for (const auto* signal : {&tone, &said}) {
                    SCOPED_TRACE(std::to_string(rate) + " Hz " + f.name +
                                 (signal == &tone ? " " : " speech ") + std::to_string(channels));
                    const QByteArray file = writeSound(tmp, f.name, f.format, rate, channels, *signal);
                    if (f.extensible) makeExtensible(QFile::decodeName(file));
                    if (f.unsized) makeUnsized(QFile::decodeName(file));
                    const std::vector<int16_t> heard = SoundDecoder::decodeWhole(file);
                    // ADPCM pads its last block (85 ms at 48 kHz), MP3 and Opus add a few milliseconds.
                    EXPECT_NEAR(double(heard.size()) / 2 / kOutRate, double(signal->size()) / rate, 0.09);
                    const auto loud =
                        std::ranges::count_if(heard, [](int16_t s) { return std::abs(s) > 2000; });
                    EXPECT_GT(size_t(loud), heard.size() / (signal == &said ? 20 : 2));
                    if (signal == &said) continue;
                    // To its end: the tone's last milliseconds are heard too (3 to 15 ms before it).
                    const size_t last = tone.size() * kOutRate / size_t(rate) * 2 - kOutRate / 333 * 2;
                    ASSERT_GE(heard.size(), last);
                    EXPECT_GT(std::count_if(heard.begin() + std::ptrdiff_t(last - kOutRate / 83 * 2),
                                            heard.begin() + std::ptrdiff_t(last),
                                            [](int16_t s) { return std::abs(s) > 8000; }),
                              20);
                    // The pitch of the left channel's middle half (a quarter of the samples on either
                    // side left out), by its zero crossings.
                    int crossings = 0;
                    for (size_t n = heard.size() / 8 + 1; n < heard.size() * 3 / 8; ++n)
                        crossings += (heard[2 * n - 2] < 0) != (heard[2 * n] < 0);
                    EXPECT_NEAR(2.0 * crossings * kOutRate / double(heard.size()), 440, 13);
                }
        }
    }
}

// Surround sound is heard where its channels are placed: a voice in the centre in the middle
// at -3 dB (not at a fifth), OGG's channel order taken as OGG's, not WAV's.
TEST(SoundDecoder, MixesSurroundSoundToStereoByWhereEachChannelIsHeard) {
    constexpr int kVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS, kOpus = SF_FORMAT_OGG | SF_FORMAT_OPUS,
                  kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    const struct { const char* name; int format, channels, loud; double left, right; } rows[] = {
        {.name = "centre.ogg", .format = kVorbis, .channels = 6, .loud = 1, .left = 0.71, .right = 0.71},
        {.name = "right.ogg", .format = kVorbis, .channels = 6, .loud = 2, .left = 0, .right = 1},
        {.name = "centre.opus", .format = kOpus, .channels = 6, .loud = 1, .left = 0.71, .right = 0.71},
        {.name = "left.wav", .format = kWav, .channels = 6, .loud = 0, .left = 1, .right = 0},
        {.name = "centre.flac", .format = kFlac, .channels = 6, .loud = 2, .left = 0.71, .right = 0.71},
        {.name = "side-right.wav", .format = kWav, .channels = 8, .loud = 7, .left = 0, .right = 0.71},
        {.name = "lfe.wav", .format = kWav, .channels = 6, .loud = 3, .left = 0, .right = 0},
    };
    TempDir tmp;
    std::vector<float> tone(48000 / 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = float(0.5 * std::sin(2 * std::numbers::pi * 440 * double(i) / 48000));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray file = writeSound(tmp, row.name, row.format, 48000, row.channels, tone, row.loud);
        const auto heard = SoundDecoder::decodeWhole(file);
        int16_t peak[2] = {0, 0};
        for (size_t i = 0; i < heard.size(); ++i)
            peak[i % 2] = std::max(peak[i % 2], int16_t(std::abs(heard[i])));
        EXPECT_NEAR(peak[0] / 16384.0, row.left, 0.08);
        EXPECT_NEAR(peak[1] / 16384.0, row.right, 0.08);
    }
}

// While this lives, sound goes to the disk driver's file, heard.raw unless named; then to the
// dummy driver again.
struct Heard {
    TempDir tmp;
    explicit Heard(const char* file = nullptr) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file ? file : QFile::encodeName(tmp.file("heard.raw")).constData(), 1);
    }
    ~Heard() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

// A square wave of +-kSquarePeak at the output's own rate, so that it comes out with exactly
// its samples.
constexpr int kSquarePeak = 4095;
QByteArray writeSquare(const TempDir& tmp, const QString& name, double seconds) {
    std::vector<float> square(size_t(kOutRate * seconds));
    for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 25 % 2 ? -1.0f : 1.0f) * kSquarePeak / 32768;
    return writeSound(tmp, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kOutRate, 2, square);
}

// Three bells rung in a row are three onsets, spaced, mixed over a pair sound that goes on;
// bells rung by the dozen do not queue up to ring on and on.
TEST(SdlSound, ThreeBellsInARowAreHeardAsThreeOverThePairSound) {
    constexpr int kPair = kSquarePeak;  // the pair sound's samples, where no bell rings
    for (const int rung : {3, 40}) {
        Heard heard;
        {
            SdlSound sound;
            ASSERT_TRUE(sound.play(writeSquare(heard.tmp, "pair.wav", 2.5)));
            std::this_thread::sleep_for(200ms);
            for (int n = 0; n < rung; ++n) ASSERT_TRUE(sound.bell());
            std::this_thread::sleep_for(2000ms);
        }
        const QByteArray raw = contents(heard.tmp.file("heard.raw"));  // all there, the SdlSound gone
        // Where bells start, and how much of the pair sound is heard after the last one.
        std::vector<size_t> onsets;
        size_t pairAfterBells = 0;
        const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
        for (size_t i = 0, lastBell = 0; i < size_t(raw.size()) / 2; ++i) {
            const int s = std::abs(samples[i]);
            if (std::abs(s - kPair) <= 3) {
                pairAfterBells += i > lastBell + kOutRate / 10;
            } else if (s >= 100) {  // not before or after the pair sound
                if (onsets.empty() || i > lastBell + kOutRate / 6) onsets.push_back(i), pairAfterBells = 0;
                lastBell = i;
            }
        }
        ASSERT_EQ(onsets.size(), rung > 3 ? 4u : 3u) << "one ringing, at most three waiting";
        for (size_t n = 1; n < onsets.size(); ++n) EXPECT_GE(onsets[n] - onsets[n - 1], size_t(kOutRate) / 2);
        EXPECT_GT(pairAfterBells, size_t(kOutRate) / 10) << "the pair sound did not go on after the bells";
    }
}

// Whether SDL's audio thread runs in this process, once it is no longer as it was (or 5 s on).
bool audioThreadAfter(bool was) {
    const auto running = [] {
        return std::ranges::any_of(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                                   [](const QString& t) { return contents("/proc/self/task/" + t + "/comm")
                                                              .startsWith("SDLAudio"); });
    };
    for (int n = 0; n < 500 && running() == was; ++n) std::this_thread::sleep_for(10ms);
    return running();
}

// Left waiting for a click, the game costs nothing: once nothing has sounded for a while the
// device is closed, with its thread, and it is opened again for the next bell or sound. A
// sound that plays on keeps it open to its end. (Each opening starts the recording anew.)
TEST(SdlSound, ClosesTheDeviceWhileNothingSoundsAndOpensItAgainForTheNext) {
    Heard heard;
    auto sound = std::make_unique<SdlSound>(SdlSound::kBellFile, 200ms);
    EXPECT_FALSE(audioThreadAfter(true)) << "never closed";
    ASSERT_TRUE(sound->bell());
    EXPECT_TRUE(audioThreadAfter(false) && !audioThreadAfter(true)) << "bell: not opened, or kept open";
    ASSERT_TRUE(sound->play(writeSquare(heard.tmp, "second.wav", 1.0)));
    EXPECT_TRUE(audioThreadAfter(false) && !audioThreadAfter(true)) << "sound: not opened, or kept open";
    sound.reset();  // the device closed to its end: its thread goes before the recording is written out
    const QByteArray raw = contents(heard.tmp.file("heard.raw"));
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    const auto atItsPeak = [](int16_t s) { return std::abs(s) >= kSquarePeak - 3; };
    EXPECT_EQ(std::count_if(samples, samples + raw.size() / 2, atItsPeak), kOutRate * 2) << "not heard whole";
}

// What a set may name as a sound is refused at once, and the sound playing goes on; only a
// new sound that plays cuts it off.
TEST(SdlSound, RefusesWhatItCannotPlayAndTheSoundPlayingGoesOn) {
    TempDir tmp;
    mkfifo(QFile::encodeName(tmp.file("pipe.wav")).constData(), 0600);  // opening it would wait for ever
    const QString files[] = {
        tmp.file("missing.wav"),
        tmp.write("random.wav", randomBytes(4096, 5)),
        tmp.write("truncated.wav", squareWav(0.1, 64).left(30)),
        QFile::decodeName(writeSound(tmp, "tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1, {0.5f})),
        tmp.write("phone.m4a", QByteArray("\0\0\0\x1c" "ftypM4A ", 12) + randomBytes(4096, 7)),
        tmp.write("endless.mid", QByteArray("MThd\0\0\0\6\0\0\0\1\0\x60" "MTrk\0\0\0\4\0\x90\x3c\x7f", 26)),
        tmp.write("looping.mod", randomBytes(1080, 3) + "M.K." + randomBytes(1024, 4)),  // one pattern, looped
        tmp.file("pipe.wav"),
    };
    SdlSound sound;
    ASSERT_TRUE(sound.play(QFile::encodeName(tmp.write("playing.wav", squareWav(5.0, 64)))));
    for (const QString& file : files)
        EXPECT_TRUE(!sound.play(QFile::encodeName(file)) && sound.isPlaying()) << file.toStdString();
    ASSERT_TRUE(sound.play(QFile::encodeName(tmp.write("short.wav", squareWav(0.15, 64)))));
    std::this_thread::sleep_for(450ms);
    EXPECT_FALSE(sound.isPlaying()) << "the five-second sound went on";
}

// Ten minutes of silence packed small: played, but only the first minute is ever decoded.
TEST(SdlSound, ASilenceBombIsCutAtAMinute) {
    TempDir tmp;
    SdlSound sound;
    constexpr size_t kBound = size_t(SoundDecoder::kMaxSeconds) * kOutRate * 2;
    const int flac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    const QByteArray bomb = writeSound(tmp, "bomb.flac", flac, 8000, 1, std::vector<float>(8000 * 600));
    ASSERT_LT(QFileInfo(QFile::decodeName(bomb)).size(), 1024 * 1024);
    ASSERT_TRUE(sound.play(bomb));
    for (int n = 0; n < 500 && sound.heldSamples() < kBound - kOutRate * 2; ++n)
        std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(200ms);  // time to decode on, were it not bounded
    EXPECT_LE(sound.heldSamples(), kBound + kOutRate);
}

// A device that cannot be opened is one that is not there.
TEST(SdlSound, WithoutASoundDevicePlaysIntoNothing) {
    {
        const Heard broken("/no-such-folder/heard.raw");
        SdlSound sound;
        EXPECT_TRUE(sound.play(QFile::encodeName(broken.tmp.writeWav("cue.wav"))));
        EXPECT_FALSE(sound.bell());
    }
    Heard heard;
    EXPECT_FALSE(SdlSound("/no-such-folder/bell.oga").bell()) << "without a bell sound";
}

}  // namespace
}  // namespace kavimo::test
