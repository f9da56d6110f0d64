// SPDX-License-Identifier: GPL-3.0-or-later
// Sound as the player hears it: every promised format decoded at its pitch and length, the
// SDL backend through SDL's disk driver, which writes what would reach the speaker to a file
// (16-bit stereo at 22050 Hz), and the files it refuses or cuts short.
#include "platform/SdlSound.h"
#include "platform/SoundDecoder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <span>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

using namespace std::chrono_literals;
constexpr int kOutRate = SoundDecoder::kRate;
constexpr size_t kTwentiethOfASecond = kOutRate * 2 / 20;

// Writes samples (mono, -1 to 1) with libsndfile as format, each channel the same; its native path.
QByteArray writeSound(const TempDir& tmp, const QString& name, int format, int rate, int channels,
                      const std::vector<float>& mono) {
    const QByteArray path = QFile::encodeName(tmp.file(name));
    SF_INFO info{.frames = 0, .samplerate = rate, .channels = channels, .format = format, .sections = 0,
                 .seekable = 0};
    SNDFILE* file = sf_open(path.constData(), SFM_WRITE, &info);
    // A second at a time: libvorbis's encoder crashes when handed minutes in one call.
    for (size_t at = 0; file && at < mono.size(); at += size_t(rate)) {
        std::vector<float> frames;
        for (size_t i = at; i < std::min(at + size_t(rate), mono.size()); ++i)
            frames.insert(frames.end(), size_t(channels), mono[i]);
        sf_writef_float(file, frames.data(), sf_count_t(frames.size() / size_t(channels)));
    }
    sf_close(file);
    return path;
}

// Spoken Japanese (espeak-ng), resampled by sox to rate; empty without those tools.
std::vector<float> speech(const TempDir& tmp, int rate) {
    const std::string raw = tmp.file("said.f32").toStdString();
    const std::string say = "espeak-ng -v ja --stdout 'いぬ と ねこ' | sox -t wav - -t f32 -c 1 -r " +
                            std::to_string(rate) + " '" + raw + "' 2>/dev/null";
    QFile file(QString::fromStdString(raw));
    if (std::system(say.c_str()) != 0 || !file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    const auto* begin = reinterpret_cast<const float*>(bytes.constData());
    return {begin, begin + bytes.size() / qsizetype(sizeof(float))};
}

size_t louderThan(std::span<const int16_t> samples, int level) {
    return size_t(std::ranges::count_if(samples, [level](int16_t s) { return std::abs(s) > level; }));
}

TEST(SoundDecoder, DecodesEveryPromisedFormatAtItsPitchAndLength) {
    const std::vector<int> mp3Rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
    const struct {
        const char* name;
        int format;
        std::vector<int> rates = {};  // those the format can hold, when not all
    } formats[] = {
        {.name = "u8.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
        {.name = "s16.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {.name = "s24.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {.name = "float.wav", .format = SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {.name = "ima.wav", .format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM},
        {.name = "ms.wav", .format = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM},
        {.name = "ulaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ULAW},
        {.name = "alaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ALAW},
        {.name = "vorbis.ogg", .format = SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {.name = "opus.opus", .format = SF_FORMAT_OGG | SF_FORMAT_OPUS, .rates = {8000, 16000, 48000}},
        {.name = "flac.flac", .format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {.name = "mp3.mp3", .format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, .rates = mp3Rates},
    };
    TempDir tmp;
    for (const int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000}) {
        std::vector<float> tone(size_t(rate * 6 / 10)), said = speech(tmp, rate);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = float(0.5 * std::sin(2 * std::numbers::pi * 440 * double(i) / rate));
        ASSERT_FALSE(said.empty()) << "espeak-ng and sox are needed for the spoken rows";
        for (const auto& f : formats) {
            if (!f.rates.empty() && std::ranges::find(f.rates, rate) == f.rates.end()) continue;
            for (const int channels : {1, 2}) {
                for (const auto* signal : {&tone, &said}) {
                    SCOPED_TRACE(std::to_string(rate) + " Hz " + f.name + (signal == &tone ? "" : " speech"));
                    const std::vector<int16_t> heard =
                        SoundDecoder::decodeWhole(writeSound(tmp, f.name, f.format, rate, channels, *signal));
                    // ADPCM pads its last block, MP3 and Opus add a few milliseconds.
                    EXPECT_NEAR(double(heard.size()) / 2 / kOutRate, double(signal->size()) / rate, 0.08)
                        << channels << " channels";
                    EXPECT_GT(louderThan(heard, 2000), heard.size() / (signal == &said ? 20 : 2)) << channels;
                    if (signal == &said) continue;
                    // The pitch of the left channel's middle half, by its zero crossings.
                    const size_t from = heard.size() / 8, to = heard.size() * 3 / 8;
                    int crossings = 0;
                    for (size_t n = from + 1; n < to; ++n)
                        crossings += (heard[2 * n - 2] < 0) != (heard[2 * n] < 0);
                    EXPECT_NEAR(crossings / 2.0 / (double(to - from) / kOutRate), 440, 13) << channels;
                }
            }
        }
    }
}

// While this lives, sound goes to the disk driver's file (or to `file` through `driver`); then
// to the dummy driver again.
struct Heard {
    TempDir tmp;
    explicit Heard(const char* driver = "disk", const char* file = nullptr) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", file ? file : QFile::encodeName(tmp.file("heard.raw")).constData(), 1);
    }
    ~Heard() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    // Read once the SdlSound is gone, so that all of it is there.
    std::vector<int16_t> samples() const {
        QFile out(tmp.file("heard.raw"));
        const QByteArray bytes = out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
        const auto* begin = reinterpret_cast<const int16_t*>(bytes.constData());
        return {begin, begin + bytes.size() / 2};
    }
    // A square wave at the output's own rate, so that it comes out with exactly its samples.
    QByteArray square(const QString& name, double seconds, float level) const {
        std::vector<float> wave(size_t(kOutRate * seconds));
        for (size_t i = 0; i < wave.size(); ++i) wave[i] = (i / 25) % 2 ? -level : level;
        return writeSound(tmp, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kOutRate, 2, wave);
    }
};

// A 48 kHz Vorbis voice once came out silent; a new sound cuts off the one still playing.
TEST(SdlSound, PlaysTheVoicesThatOnceCameOutSilentAndANewSoundCutsOffTheOneStillPlaying) {
    Heard heard;
    {
        SdlSound sound;
        const int vorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        const std::vector<float> said = speech(heard.tmp, 48000);
        ASSERT_TRUE(sound.play(writeSound(heard.tmp, "voice.ogg", vorbis, 48000, 2, said)));
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(sound.play(heard.square("long.wav", 3.0, 0.5f)));
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(sound.play(heard.square("short.wav", 0.15, 0.125f)));
        std::this_thread::sleep_for(450ms);
        EXPECT_FALSE(sound.isPlaying()) << "the long one went on";
    }
    const std::vector<int16_t> samples = heard.samples();
    const auto voice = std::ranges::find_if(samples, [](int16_t s) { return std::abs(s) > 1000; });
    const std::span firstHalfSecond(voice, std::min(voice + kOutRate / 2, samples.end()));
    EXPECT_GT(louderThan(firstHalfSecond, 1000), kTwentiethOfASecond) << "the voice";
    EXPECT_GT(louderThan(samples, 15000), kTwentiethOfASecond) << "the long one";  // only it comes near 16000
}

// Three bells rung in a row are three onsets, spaced, mixed over a pair sound that goes on;
// bells rung by the dozen do not queue up to ring on and on.
TEST(SdlSound, ThreeBellsInARowAreHeardAsThreeOverThePairSound) {
    constexpr int kPair = 4095;  // the pair sound's samples: +-kPair, where no bell rings
    for (const int rung : {3, 40}) {
        Heard heard;
        {
            SdlSound sound;
            ASSERT_TRUE(sound.play(heard.square("pair.wav", 2.5, kPair / 32768.0f)));
            std::this_thread::sleep_for(200ms);
            for (int n = 0; n < rung; ++n) ASSERT_TRUE(sound.bell());
            std::this_thread::sleep_for(2000ms);
        }
        // Where bells start, and how much of the pair sound is heard after the last one.
        std::vector<size_t> onsets;
        size_t pairAfterBells = 0;
        for (size_t i = 0, lastBell = 0; const int16_t sample : heard.samples()) {
            const int s = std::abs(sample);
            if (std::abs(s - kPair) <= 3) {
                pairAfterBells += i > lastBell + kOutRate / 10;
            } else if (s >= 100) {  // not before or after the pair sound
                if (onsets.empty() || i > lastBell + kOutRate / 6) onsets.push_back(i), pairAfterBells = 0;
                lastBell = i;
            }
            ++i;
        }
        if (rung > 3) {
            EXPECT_LE(onsets.size(), 4u) << "bells rung by the dozen";
            continue;
        }
        ASSERT_EQ(onsets.size(), 3u);
        for (size_t n = 1; n < 3; ++n) EXPECT_GE(onsets[n] - onsets[n - 1], size_t(kOutRate * 2 / 4)) << n;
        EXPECT_GT(pairAfterBells, kTwentiethOfASecond) << "the pair sound did not go on after the bells";
    }
}

// What a set may name as a sound: refused at once, and the sound playing goes on.
TEST(SdlSound, RefusesWhatItCannotPlayAndTheSoundPlayingGoesOn) {
    TempDir tmp;
    mkfifo(QFile::encodeName(tmp.file("pipe.wav")).constData(), 0600);  // opening it would wait for ever
    QByteArray mod = randomBytes(1084 + 1024, 3);  // a tracker module whose only pattern loops
    mod.replace(1080, 4, "M.K.");
    const QByteArray aiff =
        writeSound(tmp, "tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1, std::vector(800, 0.5f));
    const QString files[] = {
        tmp.file("missing.wav"),
        tmp.write("empty.wav", {}),
        tmp.write("random.wav", randomBytes(4096, 5)),
        tmp.write("truncated.wav", squareWav(0.1, 64).left(30)),
        tmp.write("phone-recording.m4a", QByteArray("\0\0\0\x1c" "ftypM4A ", 12) + randomBytes(4096, 7)),
        tmp.write("endless-note.mid", QByteArray("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\x90\x3c\x7f", 26)),
        tmp.write("looping.mod", mod),
        QFile::decodeName(aiff),
        tmp.mkdir("folder.wav"),
        tmp.file("pipe.wav"),
    };
    SdlSound sound;
    ASSERT_TRUE(sound.play(QFile::encodeName(tmp.write("playing.wav", squareWav(5.0, 64)))));
    for (const QString& file : files) {
        EXPECT_FALSE(sound.play(QFile::encodeName(file))) << QFileInfo(file).fileName().toStdString();
        EXPECT_TRUE(sound.isPlaying()) << QFileInfo(file).fileName().toStdString();
    }
}

// Ten minutes of silence packed small: played, but only the first minute is ever decoded.
TEST(SdlSound, ASilenceBombIsCutAtAMinute) {
    TempDir tmp;
    SdlSound sound;
    constexpr size_t kBound = size_t(SoundDecoder::kMaxSeconds) * kOutRate * 2;
    for (const int format : {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SF_FORMAT_OGG | SF_FORMAT_VORBIS}) {
        const std::vector<float> tenMinutes(size_t(8000) * 600);
        const QByteArray bomb = writeSound(tmp, QString("bomb%1").arg(format), format, 8000, 1, tenMinutes);
        ASSERT_LT(QFileInfo(QFile::decodeName(bomb)).size(), 1024 * 1024) << format;
        const int64_t before = peakResidentBytes();
        ASSERT_TRUE(sound.play(bomb)) << format;
        for (int n = 0; n < 500 && sound.heldSamples() < kBound - kOutRate * 2; ++n)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(200ms);  // time to decode on, were it not bounded
        EXPECT_LE(sound.heldSamples(), kBound + kOutRate) << format;
        EXPECT_LT(peakResidentBytes() - before, 64 * 1024 * 1024) << format;
    }
}

TEST(SdlSound, WithoutASoundDevicePlaysIntoNothing) {
    for (const char* driver : {"no-such-driver", "disk"}) {
        const Heard broken(driver, "/no-such-folder/heard.raw");
        SdlSound sound;
        EXPECT_TRUE(sound.play(QFile::encodeName(broken.tmp.writeWav("cue.wav")))) << driver;
        EXPECT_FALSE(sound.bell()) << driver;
    }
    Heard heard;
    EXPECT_FALSE(SdlSound("/no-such-folder/bell.oga").bell()) << "without a bell sound";
}

}  // namespace
}  // namespace kavimo::test
