// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundDecoder.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavimo {

namespace {

constexpr int kPieceFrames = 2048;

// What a set may hold as a sound. libsndfile reads more (AIFF, AU, CAF and others); they are
// refused so that what plays here is what was promised, and no more.
bool isPromisedFormat(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    const int minor = format & SF_FORMAT_SUBMASK;
    switch (major) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        switch (minor) {
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_IMA_ADPCM:
        case SF_FORMAT_MS_ADPCM:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW:
            return true;
        default:
            return false;
        }
    case SF_FORMAT_OGG:
        return minor == SF_FORMAT_VORBIS || minor == SF_FORMAT_OPUS;
    case SF_FORMAT_FLAC:
    case SF_FORMAT_MPEG:
        return true;
    default:
        return false;
    }
}

}  // namespace

void SoundDecoder::FileClose::operator()(SNDFILE* file) const { sf_close(file); }
void SoundDecoder::StreamFree::operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }

SoundDecoder::~SoundDecoder() = default;

std::unique_ptr<SoundDecoder> SoundDecoder::open(const QByteArray& file) {
    // Not blocking, and only regular files: opening a named pipe would wait for a writer,
    // and a device could give bytes for ever.
    const int fd = ::open(file.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat about {};
    if (fstat(fd, &about) != 0 || !S_ISREG(about.st_mode) || about.st_size == 0) {
        ::close(fd);
        return nullptr;
    }
    SF_INFO info{};
    std::unique_ptr<SoundDecoder> decoder(new SoundDecoder);  // the constructor is private
    decoder->file_.reset(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));  // closes fd in any case
    if (!decoder->file_ || !isPromisedFormat(info.format) || info.channels < 1 || info.channels > 8 ||
        info.samplerate < 1000 || info.samplerate > 384000) {
        return nullptr;
    }
    decoder->stream_.reset(
        SDL_NewAudioStream(AUDIO_F32SYS, Uint8(info.channels), info.samplerate, AUDIO_S16SYS, kChannels, kRate));
    if (!decoder->stream_) return nullptr;
    decoder->channels_ = info.channels;
    decoder->framesLeft_ = int64_t{kMaxSeconds} * info.samplerate;
    // A file that starts like a sound but gives nothing (an MP3 tag before random bytes, a
    // header with a cut body) is refused now, while the caller can still play another.
    if (!decoder->readPiece()) return nullptr;
    return decoder;
}

bool SoundDecoder::readPiece() {
    if (framesLeft_ <= 0) return false;
    piece_.resize(size_t(kPieceFrames) * size_t(channels_));
    const sf_count_t want = std::min<sf_count_t>(kPieceFrames, framesLeft_);
    const sf_count_t got = sf_readf_float(file_.get(), piece_.data(), want);
    if (got <= 0) return false;
    framesLeft_ -= got;
    return SDL_AudioStreamPut(stream_.get(), piece_.data(), int(got * channels_ * int(sizeof(float)))) == 0;
}

void SoundDecoder::takeConverted(std::vector<int16_t>& out) {
    const int bytes = SDL_AudioStreamAvailable(stream_.get());
    if (bytes <= 0) return;
    const size_t at = out.size();
    out.resize(at + size_t(bytes) / sizeof(int16_t));
    const int got = SDL_AudioStreamGet(stream_.get(), out.data() + at, bytes);
    out.resize(at + size_t(std::max(got, 0)) / sizeof(int16_t));
}

bool SoundDecoder::decodeMore(std::vector<int16_t>& out) {
    if (flushed_) return false;
    takeConverted(out);  // the piece read by open() or by the call before
    if (readPiece()) return true;
    // The rest that the rate converter still holds back.
    flushed_ = true;
    SDL_AudioStreamFlush(stream_.get());
    takeConverted(out);
    return false;
}

std::vector<int16_t> SoundDecoder::decodeWhole(const QByteArray& file) {
    std::vector<int16_t> sound;
    if (auto decoder = open(file)) {
        while (decoder->decodeMore(sound)) {
        }
    }
    return sound;
}

}  // namespace kavimo
