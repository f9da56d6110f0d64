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
#include <cstring>
#include <numbers>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

using namespace std::chrono_literals;
constexpr int kOutRate = SoundDecoder::kRate;

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// Writes samples (mono, -1 to 1) with libsndfile as format, each channel the same.
QString writeSound(const TempDir& tmp, const QString& name, int format, int rate, int channels,
                   const std::vector<float>& mono) {
    const QString path = tmp.file(name);
    SF_INFO info{.frames = 0, .samplerate = rate, .channels = channels, .format = format, .sections = 0, .seekable = 0};
    SNDFILE* file = sf_open(native(path).constData(), SFM_WRITE, &info);
    if (!file) return {};
    // In pieces: libvorbis's encoder crashes when handed minutes in one call.
    constexpr size_t kPiece = 8192;
    std::vector<float> frames;
    for (size_t at = 0; at < mono.size(); at += kPiece) {
        frames.clear();
        for (size_t i = at; i < std::min(at + kPiece, mono.size()); ++i) frames.insert(frames.end(), size_t(channels), mono[i]);
        sf_writef_float(file, frames.data(), sf_count_t(frames.size() / size_t(channels)));
    }
    sf_close(file);
    return path;
}

std::vector<float> sine(int rate, double seconds, double hertz = 440) {
    std::vector<float> wave(size_t(rate * seconds));
    for (size_t i = 0; i < wave.size(); ++i) wave[i] = float(0.5 * std::sin(2 * std::numbers::pi * hertz * double(i) / rate));
    return wave;
}

// Spoken Japanese (espeak-ng), resampled by sox to rate; empty without those tools.
std::vector<float> speech(const TempDir& tmp, int rate) {
    const QString said = tmp.file("said.wav"), at = tmp.file(QString("said%1.wav").arg(rate));
    if (!QFile::exists(said) &&
        std::system(("espeak-ng -v ja -w '" + said.toStdString() + "' 'いぬ と ねこ' 2>/dev/null").c_str()) != 0)
        return {};
    if (std::system(("sox '" + said.toStdString() + "' -r " + std::to_string(rate) + " '" + at.toStdString() +
                     "' 2>/dev/null").c_str()) != 0)
        return {};
    SF_INFO info{};
    SNDFILE* file = sf_open(native(at).constData(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> samples(size_t(info.frames));
    samples.resize(size_t(std::max<sf_count_t>(sf_readf_float(file, samples.data(), info.frames), 0)));
    sf_close(file);
    return samples;
}

size_t louderThan(const std::vector<int16_t>& samples, int level, size_t from = 0, size_t to = SIZE_MAX) {
    to = std::min(to, samples.size());
    return size_t(std::count_if(samples.begin() + std::min(from, to), samples.begin() + to,
                                [level](int16_t s) { return std::abs(s) > level; }));
}

// The pitch of the left channel's middle half, by its zero crossings.
double pitch(const std::vector<int16_t>& stereo) {
    const size_t frames = stereo.size() / 2, from = frames / 4, to = frames * 3 / 4;
    int crossings = 0;
    for (size_t f = from + 1; f < to; ++f) crossings += (stereo[2 * f - 2] < 0) != (stereo[2 * f] < 0);
    return crossings / 2.0 / (double(to - from) / kOutRate);
}

TEST(SoundDecoder, DecodesEveryPromisedFormatAtItsPitchAndLength) {
    const struct Format {
        const char* name;
        int format;
        std::vector<int> rates;  // those the format can hold
    } formats[] = {
        {.name = "u8.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8, .rates = {}},
        {.name = "s16.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, .rates = {}},
        {.name = "s24.wav", .format = SF_FORMAT_WAV | SF_FORMAT_PCM_24, .rates = {}},
        {.name = "float.wav", .format = SF_FORMAT_WAV | SF_FORMAT_FLOAT, .rates = {}},
        {.name = "ima.wav", .format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, .rates = {}},
        {.name = "ms.wav", .format = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, .rates = {}},
        {.name = "ulaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ULAW, .rates = {}},
        {.name = "alaw.wav", .format = SF_FORMAT_WAV | SF_FORMAT_ALAW, .rates = {}},
        {.name = "vorbis.ogg", .format = SF_FORMAT_OGG | SF_FORMAT_VORBIS, .rates = {}},
        {.name = "opus.opus", .format = SF_FORMAT_OGG | SF_FORMAT_OPUS, .rates = {8000, 16000, 48000}},
        {.name = "flac.flac", .format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16, .rates = {}},
        {.name = "mp3.mp3",
         .format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III,
         .rates = {8000, 11025, 16000, 22050, 32000, 44100, 48000}},
    };
    const std::vector<int> allRates = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000};
    TempDir tmp;
    ASSERT_FALSE(speech(tmp, 22050).empty()) << "espeak-ng and sox are needed for the spoken rows";
    int rows = 0;
    for (const int rate : allRates) {
        const std::vector<float> tone = sine(rate, 0.6), said = speech(tmp, rate);
        for (const Format& f : formats) {
            if (!f.rates.empty() && std::ranges::find(f.rates, rate) == f.rates.end()) continue;
            for (const int channels : {1, 2}) {
                for (const bool spoken : {false, true}) {
                    const std::vector<float>& signal = spoken ? said : tone;
                    const QString row = QString("%1 Hz %2 ch %3 %4").arg(rate).arg(channels).arg(spoken ? "speech" : "tone", f.name);
                    SCOPED_TRACE(row.toStdString());
                    const QString path = writeSound(tmp, f.name, f.format, rate, channels, signal);
                    ASSERT_FALSE(path.isEmpty());
                    const std::vector<int16_t> heard = SoundDecoder::decodeWhole(native(path));
                    const double seconds = double(heard.size()) / 2 / kOutRate, wanted = double(signal.size()) / rate;
                    // ADPCM pads its last block, MP3 and Opus add a few milliseconds.
                    EXPECT_NEAR(seconds, wanted, 0.08);
                    EXPECT_GT(louderThan(heard, 2000), heard.size() / (spoken ? 20 : 2)) << "not audible";
                    if (!spoken) {
                        EXPECT_NEAR(pitch(heard), 440, 440 * 0.03);
                    }
                    ++rows;
                }
            }
        }
    }
    EXPECT_EQ(rows, 2 * 2 * (8 * 10 + 3 + 7));
}

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

// A square wave at the output's own rate, so that it comes out with exactly its samples.
QString writeSquare(const TempDir& tmp, const QString& name, double seconds, float level) {
    std::vector<float> wave(size_t(kOutRate * seconds));
    for (size_t i = 0; i < wave.size(); ++i) wave[i] = (i / 25) % 2 ? -level : level;
    return writeSound(tmp, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kOutRate, 2, wave);
}

constexpr size_t kTwentiethOfASecond = kOutRate * 2 / 20;

TEST(SdlSound, PlaysTheVoicesThatOnceCameOutSilentAndANewSoundCutsOffTheOneStillPlaying) {
    Heard heard;
    const QString voice = writeSound(heard.tmp, "voice.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 48000, 2,
                                     speech(heard.tmp, 48000));
    {
        SdlSound sound;
        ASSERT_TRUE(sound.play(native(voice)));
        std::this_thread::sleep_for(300ms);
        ASSERT_TRUE(sound.play(native(writeSquare(heard.tmp, "long.wav", 3.0, 0.5f))));
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(sound.play(native(writeSquare(heard.tmp, "short.wav", 0.15, 0.125f))));
        std::this_thread::sleep_for(450ms);
        EXPECT_FALSE(sound.isPlaying());
    }
    const std::vector<int16_t> samples = heard.samples();
    const auto first = size_t(std::ranges::find_if(samples, [](int16_t s) { return std::abs(s) > 1000; }) - samples.begin());
    EXPECT_GT(louderThan(samples, 1000, first, first + kOutRate * 2 / 4), kTwentiethOfASecond) << "the voice";
    size_t lastLoud = 0;  // only the long square comes near 16000
    for (size_t i = 0; i < samples.size(); ++i) lastLoud = std::abs(samples[i]) > 15000 ? i : lastLoud;
    ASSERT_GT(lastLoud, 0u) << "the long sound was not heard";
    EXPECT_GT(louderThan(samples, 1000, lastLoud), kTwentiethOfASecond) << "the short one was not heard after it";
    ASSERT_GT(samples.size(), 2 * kTwentiethOfASecond);
    EXPECT_EQ(louderThan(samples, 100, samples.size() - 2 * kTwentiethOfASecond), 0u) << "the long one went on";
}

// Where bells start in a recording of bells over a steady square wave of samples +-pair, and
// how much of that wave is heard after the last bell.
struct Bells {
    std::vector<size_t> onsets;
    size_t pairAfterBells = 0;
};
Bells bellsIn(const std::vector<int16_t>& samples, int pair) {
    Bells found;
    size_t lastBell = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const int s = std::abs(samples[i]);
        if (std::abs(s - pair) <= 3) {
            found.pairAfterBells += i > lastBell + kOutRate / 10;
            continue;
        }
        if (s < 100) continue;  // before and after the pair sound
        if (found.onsets.empty() || i > lastBell + kOutRate * 2 / 12) {
            found.onsets.push_back(i);
            found.pairAfterBells = 0;
        }
        lastBell = i;
    }
    return found;
}

// Three bells rung in a row are three onsets, spaced, mixed over a pair sound that goes on;
// bells rung by the dozen do not queue up to ring on and on.
TEST(SdlSound, ThreeBellsInARowAreHeardAsThreeOverThePairSound) {
    constexpr int kPair = 4095;  // the pair sound's samples: +-kPair, where no bell rings
    for (const int rung : {3, 40}) {
        Heard heard;
        {
            SdlSound sound;
            ASSERT_TRUE(sound.play(native(writeSquare(heard.tmp, "pair.wav", 2.5, kPair / 32768.0f))));
            std::this_thread::sleep_for(200ms);
            for (int n = 0; n < rung; ++n) ASSERT_TRUE(sound.bell());
            std::this_thread::sleep_for(2000ms);
        }
        const Bells bells = bellsIn(heard.samples(), kPair);
        if (rung > 3) {
            EXPECT_LE(bells.onsets.size(), 4u) << "bells rung by the dozen";
            continue;
        }
        ASSERT_EQ(bells.onsets.size(), 3u);
        for (size_t n = 1; n < 3; ++n) {
            EXPECT_GE(bells.onsets[n] - bells.onsets[n - 1], size_t(kOutRate * 2 / 4)) << "bells " << n << " and " << n + 1;
        }
        EXPECT_GT(bells.pairAfterBells, kTwentiethOfASecond) << "the pair sound did not go on after the bells";
    }
}

// What a set may name as a sound: refused at once, and the sound playing goes on.
TEST(SdlSound, RefusesWhatItCannotPlayAndTheSoundPlayingGoesOn) {
    TempDir tmp;
    mkfifo(QFile::encodeName(tmp.file("pipe.wav")).constData(), 0600);  // opening it would wait for ever
    QByteArray mod = randomBytes(1084 + 1024, 3);  // a tracker module whose only pattern loops
    mod.replace(1080, 4, "M.K.");
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
        {"an MP3 tag, then random bytes", tmp.write("tag.mp3", "ID3\x03" + QByteArray(6, '\0') + randomBytes(4096, 6))},
        {"a phone's recording", tmp.write("voice.m4a", QByteArray("\0\0\0\x1c" "ftypM4A ", 12) + randomBytes(4096, 7))},
        {"an AIFF file", writeSound(tmp, "tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1, sine(8000, 0.2))},
        {"a MIDI file with an endless note",
         tmp.write("endless.mid", QByteArray("MThd\0\0\0\6\0\0\0\1\0\x60" "MTrk\0\0\0\4\0\x90\x3c\x7f", 26))},
        {"a looping tracker module", tmp.write("loop.mod", mod)},
        {"a folder", tmp.mkdir("folder.wav")},
        {"a named pipe", tmp.file("pipe.wav")},
    };
    SdlSound sound;
    ASSERT_TRUE(sound.play(native(tmp.write("playing.wav", squareWav(5.0, 64)))));
    for (const auto& f : files) {
        EXPECT_FALSE(sound.play(native(f.path))) << f.name;
        EXPECT_TRUE(sound.isPlaying()) << f.name;
    }
}

// Ten minutes of silence packed small: played, but only the first minute is ever decoded.
TEST(SdlSound, ASilenceBombIsCutAtAMinute) {
    TempDir tmp;
    SdlSound sound;
    for (const auto& [name, format] : {std::pair{"bomb.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                       std::pair{"bomb.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}}) {
        SCOPED_TRACE(name);
        const QString bomb = writeSound(tmp, name, format, 8000, 1, std::vector<float>(size_t(8000) * 600));
        ASSERT_LT(QFileInfo(bomb).size(), 1024 * 1024);
        const int64_t before = peakResidentBytes();
        ASSERT_TRUE(sound.play(native(bomb)));
        for (int n = 0; n < 500 && sound.heldSamples() < size_t(SoundDecoder::kMaxSeconds - 1) * kOutRate * 2; ++n)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(200ms);  // time to decode on, were it not bounded
        EXPECT_LE(sound.heldSamples(), size_t(SoundDecoder::kMaxSeconds) * kOutRate * 2 + kOutRate);
        EXPECT_LT(peakResidentBytes() - before, 64 * 1024 * 1024);
    }
}

TEST(SdlSound, WithoutASoundDevicePlaysIntoNothing) {
    for (const char* driver : {"no-such-driver", "disk"}) {
        TempDir tmp;
        const Driver broken(driver, "/no-such-folder/heard.raw");
        SdlSound sound;
        EXPECT_TRUE(sound.play(native(tmp.writeWav("cue.wav")))) << driver;
        EXPECT_FALSE(sound.bell()) << driver;
    }
    Heard heard;
    EXPECT_FALSE(SdlSound("/no-such-folder/bell.oga").bell()) << "without a bell sound";
}

}  // namespace
}  // namespace kavimo::test
