// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound files decoded piece by piece into the output's format (22050 Hz, signed 16-bit
// stereo), with a bound on how much any one file may give.

#include <QByteArray>

#include <SDL_audio.h>
#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace kavimo {

class SoundDecoder {
public:
    static constexpr int kRate = 22050;
    static constexpr int kChannels = 2;
    // No sound of the game is longer; a file that claims more (a silence bomb) is cut here.
    static constexpr int kMaxSeconds = 60;

    // Opens file (native path bytes) and decodes its first piece, which is cheap, so that a
    // file that is no sound of a kind this plays is refused here and not later: WAV (PCM,
    // float, IMA and MS ADPCM, mu-law, A-law), OGG Vorbis, Opus, FLAC and MP3, told by their
    // content. nullptr for anything else, and for what is not a regular file.
    static std::unique_ptr<SoundDecoder> open(const QByteArray& file);

    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    // Appends the next piece of the sound (a few thousand samples) to out; false once the
    // sound is over: its end, a decoding error, or the bound.
    bool decodeMore(std::vector<int16_t>& out);

    // The whole sound at once, up to the bound; empty when file cannot be played.
    static std::vector<int16_t> decodeWhole(const QByteArray& file);

private:
    struct FileClose {
        void operator()(SNDFILE* file) const;
    };
    struct StreamFree {
        void operator()(SDL_AudioStream* stream) const;
    };

    struct PlainWav;  // a WAV read with another header in front (SoundDecoder.cpp)
    struct PlainWavClose {
        void operator()(PlainWav* wav) const;
    };

    SoundDecoder() = default;
    bool readPiece();
    void takeConverted(std::vector<int16_t>& out);

    std::unique_ptr<PlainWav, PlainWavClose> plainWav_;  // outlives file_, which reads through it
    std::unique_ptr<SNDFILE, FileClose> file_;
    std::unique_ptr<SDL_AudioStream, StreamFree> stream_;
    int channels_ = 0;
    std::vector<float> shares_;  // surround sound: each channel's share of left, then of right
    int rate_ = 0;
    int64_t framesLeft_ = 0;  // of the file's own frames, before the bound is reached
    int64_t framesIn_ = 0;    // of the file's own frames, given to the rate converter
    int64_t samplesOut_ = 0;  // converted
    bool flushed_ = false;
    std::vector<float> piece_;
};

}  // namespace kavimo
