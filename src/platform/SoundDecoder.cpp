// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundDecoder.h"

#include <SDL.h>
#include <sndfile.h>

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavimo {

namespace {

constexpr int kPieceFrames = 2048;

// Surround sound (3 to 8 channels) is mixed to stereo here, by where each channel is heard:
// SDL would take OGG's channel order for WAV's (a voice in the centre heard on the right) and
// mix a film's centre dialogue in at a fifth. Each channel's share of left and right, as
// ffmpeg and most players mix (centre and surround at -3 dB, no low-frequency channel).
struct Share {
    float left, right;
};

Share shareOf(int place) {
    constexpr float kHalfPower = 0.7071f;
    switch (place) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT: return {1, 0};
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT: return {0, 1};
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_SIDE_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT: return {kHalfPower, 0};
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_SIDE_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT: return {0, kHalfPower};
    case SF_CHANNEL_MAP_LFE: return {0, 0};
    default: return {kHalfPower, kHalfPower};  // centre, mono, and what is not known
    }
}

// The places of the channels when the file does not name them: OGG Vorbis and Opus in their
// own order, everything else (WAV, FLAC) in WAV's.
std::vector<int> defaultPlaces(int channels, bool ogg) {
    enum : int {
        L = SF_CHANNEL_MAP_LEFT,
        R = SF_CHANNEL_MAP_RIGHT,
        C = SF_CHANNEL_MAP_CENTER,
        LFE = SF_CHANNEL_MAP_LFE,
        BL = SF_CHANNEL_MAP_REAR_LEFT,
        BR = SF_CHANNEL_MAP_REAR_RIGHT,
        BC = SF_CHANNEL_MAP_REAR_CENTER,
        SL = SF_CHANNEL_MAP_SIDE_LEFT,
        SR = SF_CHANNEL_MAP_SIDE_RIGHT
    };
    static const std::vector<int> vorbis[] = {
        {L, C, R}, {L, R, BL, BR}, {L, C, R, BL, BR}, {L, C, R, BL, BR, LFE}, {L, C, R, SL, SR, BC, LFE},
        {L, C, R, SL, SR, BL, BR, LFE}};
    static const std::vector<int> wav[] = {
        {L, R, C}, {L, R, BL, BR}, {L, R, C, BL, BR}, {L, R, C, LFE, BL, BR}, {L, R, C, LFE, BC, SL, SR},
        {L, R, C, LFE, BL, BR, SL, SR}};
    return (ogg ? vorbis : wav)[channels - 3];
}

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

// WAVE_FORMAT_EXTENSIBLE, and the GUID of a format that has a plain tag, but its first two
// bytes.
constexpr quint16 kExtensible = 0xfffe;
constexpr char kGuidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";
constexpr quint16 kImaAdpcm = 0x11, kMsAdpcm = 0x02;
// The plain fields of a "fmt " chunk; the extensible ones after them.
constexpr qsizetype kPlainFmtBytes = 18, kExtensibleBytes = 22;
// What a header that is rewritten may hold before the sound's data: a few chunks of
// metadata. Any other file is read as it is.
constexpr qsizetype kMaxHeadBytes = qsizetype{1} << 16;
constexpr int kMaxChunks = 32;

QByteArray littleEndian32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

// The plain "fmt " chunk body for an extensible one of IMA or MS ADPCM; nothing for any other.
std::optional<QByteArray> plainFormat(const QByteArray& fmt) {
    if (fmt.size() < kPlainFmtBytes + kExtensibleBytes) return std::nullopt;
    const auto* b = reinterpret_cast<const uchar*>(fmt.constData());
    const quint16 extra = qFromLittleEndian<quint16>(b + 16);
    const quint16 tag = qFromLittleEndian<quint16>(b + kPlainFmtBytes + 6);
    if (qFromLittleEndian<quint16>(b) != kExtensible || extra < kExtensibleBytes ||
        fmt.size() < kPlainFmtBytes + extra || std::memcmp(b + kPlainFmtBytes + 8, kGuidTail, 14) != 0 ||
        (tag != kImaAdpcm && tag != kMsAdpcm))
        return std::nullopt;
    // The block description that follows the extensible part.
    const QByteArray description = fmt.mid(kPlainFmtBytes + kExtensibleBytes, extra - kExtensibleBytes);
    QByteArray plain = fmt.left(kPlainFmtBytes);
    qToLittleEndian<quint16>(tag, plain.data());
    qToLittleEndian<quint16>(quint16(description.size()), plain.data() + 16);
    return plain + description;
}

}  // namespace

// Two WAVs that other players play and libsndfile misreads are read with another header in
// front, the same data after it:
// - ffmpeg writes IMA and MS ADPCM above 48 kHz with an extensible format header, which
//   libsndfile reads only for PCM, float and the two laws: it gets the plain header.
// - A recorder that stopped before it finished (an app closed, a battery gone) leaves the
//   data's size at 0, which libsndfile takes for no sound: it gets the rest of the file.
// Hand-written: no Debian library rewrites a WAV header and libsndfile has no option for it.
struct SoundDecoder::PlainWav {
    int fd = -1;
    QByteArray head;      // the file's start, up to and with the "data" chunk's header
    sf_count_t skip = 0;  // the bytes of the file that head stands for
    sf_count_t size = 0;  // of the file as libsndfile sees it
    sf_count_t pos = 0;

    // The header to read in front of the file's data, when it needs another; nothing for any
    // other file.
    static std::optional<PlainWav> of(int fd, sf_count_t fileSize) {
        char riff[12];
        if (pread(fd, riff, sizeof riff, 0) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
            std::memcmp(riff + 8, "WAVE", 4) != 0)
            return std::nullopt;
        QByteArray head(riff, sizeof riff);
        bool rewritten = false;
        sf_count_t next = sizeof riff;  // where the next chunk starts in the file
        for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
            char chunk[8];
            if (pread(fd, chunk, sizeof chunk, next) != sizeof chunk) return std::nullopt;
            const sf_count_t body = next + sizeof chunk;
            const QByteArray id(chunk, 4);
            const quint32 bytes = qFromLittleEndian<quint32>(chunk + 4);
            if (id == "data") {
                if (bytes == 0 && body < fileSize) {
                    const sf_count_t rest = std::min<sf_count_t>(fileSize - body, UINT32_MAX);
                    qToLittleEndian<quint32>(quint32(rest), chunk + 4);
                    rewritten = true;
                }
                if (!rewritten) return std::nullopt;
                PlainWav wav{.fd = fd, .head = head + QByteArray(chunk, sizeof chunk), .skip = body};
                wav.size = fileSize - wav.skip + wav.head.size();
                const sf_count_t riffBytes = std::min<sf_count_t>(wav.size - 8, UINT32_MAX);
                qToLittleEndian<quint32>(quint32(riffBytes), wav.head.data() + 4);
                return wav;
            }
            const sf_count_t padded = sf_count_t{bytes} + (bytes & 1);
            if (head.size() + sf_count_t{sizeof chunk} + padded > kMaxHeadBytes || body + padded > fileSize)
                return std::nullopt;
            QByteArray content(qsizetype(padded), '\0');
            if (pread(fd, content.data(), size_t(padded), body) != padded) return std::nullopt;
            content.truncate(bytes);
            if (id == "fmt ")
                if (const std::optional<QByteArray> plain = plainFormat(content)) {
                    content = *plain;
                    rewritten = true;
                }
            head += id + littleEndian32(quint32(content.size())) + content;
            if (content.size() & 1) head += '\0';
            next = body + padded;
        }
        return std::nullopt;
    }

    static SF_VIRTUAL_IO io() {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void* self) { return static_cast<PlainWav*>(self)->size; };
        io.seek = [](sf_count_t offset, int whence, void* self) {
            auto& wav = *static_cast<PlainWav*>(self);
            const sf_count_t from = whence == SEEK_CUR ? wav.pos : whence == SEEK_END ? wav.size : 0;
            wav.pos = std::clamp<sf_count_t>(from + offset, 0, wav.size);
            return wav.pos;
        };
        io.read = [](void* to, sf_count_t count, void* self) -> sf_count_t {
            auto& wav = *static_cast<PlainWav*>(self);
            sf_count_t done = 0;
            auto* out = static_cast<char*>(to);
            if (wav.pos < wav.head.size()) {
                done = std::min<sf_count_t>(count, wav.head.size() - wav.pos);
                std::memcpy(out, wav.head.constData() + wav.pos, size_t(done));
            }
            if (done < count) {
                const sf_count_t at = wav.pos + done - wav.head.size() + wav.skip;
                const ssize_t got = pread(wav.fd, out + done, size_t(count - done), at);
                done += std::max<ssize_t>(got, 0);
            }
            wav.pos += done;
            return done;
        };
        io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
        io.tell = [](void* self) { return static_cast<PlainWav*>(self)->pos; };
        return io;
    }
};

void SoundDecoder::PlainWavClose::operator()(PlainWav* wav) const {
    ::close(wav->fd);
    delete wav;
}

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
    if (auto plain = PlainWav::of(fd, about.st_size)) {
        decoder->plainWav_.reset(new PlainWav(std::move(*plain)));  // closes fd
        SF_VIRTUAL_IO io = PlainWav::io();
        decoder->file_.reset(sf_open_virtual(&io, SFM_READ, &info, decoder->plainWav_.get()));
    } else {
        decoder->file_.reset(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));  // closes fd in any case
    }
    if (!decoder->file_ || !isPromisedFormat(info.format) || info.channels < 1 || info.channels > 8 ||
        info.samplerate < 1000 || info.samplerate > 384000) {
        return nullptr;
    }
    if (info.channels > 2) {
        std::vector<int> places(size_t(info.channels));
        if (!sf_command(decoder->file_.get(), SFC_GET_CHANNEL_MAP_INFO, places.data(),
                        int(places.size() * sizeof(int))))
            places = defaultPlaces(info.channels, (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG);
        for (const int place : places) {
            const Share share = shareOf(place);
            decoder->shares_.insert(decoder->shares_.end(), {share.left, share.right});
        }
    }
    const Uint8 channelsIn = Uint8(std::min(info.channels, 2));
    decoder->stream_.reset(
        SDL_NewAudioStream(AUDIO_F32SYS, channelsIn, info.samplerate, AUDIO_S16SYS, kChannels, kRate));
    if (!decoder->stream_) return nullptr;
    decoder->channels_ = info.channels;
    decoder->rate_ = info.samplerate;
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
    framesIn_ += got;
    int channels = channels_;
    if (!shares_.empty()) {
        // In place: frame f's stereo pair is written where frame f began, or before.
        for (sf_count_t f = 0; f < got; ++f) {
            float left = 0, right = 0;
            for (size_t c = 0; c < size_t(channels_); ++c) {
                left += shares_[2 * c] * piece_[size_t(f * channels_) + c];
                right += shares_[2 * c + 1] * piece_[size_t(f * channels_) + c];
            }
            piece_[size_t(f) * 2] = left;
            piece_[size_t(f) * 2 + 1] = right;
        }
        channels = 2;
    }
    return SDL_AudioStreamPut(stream_.get(), piece_.data(), int(got * channels * int(sizeof(float)))) == 0;
}

void SoundDecoder::takeConverted(std::vector<int16_t>& out) {
    const int bytes = SDL_AudioStreamAvailable(stream_.get());
    if (bytes <= 0) return;
    const size_t at = out.size();
    out.resize(at + size_t(bytes) / sizeof(int16_t));
    const int got = SDL_AudioStreamGet(stream_.get(), out.data() + at, bytes);
    out.resize(at + size_t(std::max(got, 0)) / sizeof(int16_t));
    samplesOut_ += int64_t(out.size() - at);
}

bool SoundDecoder::decodeMore(std::vector<int16_t>& out) {
    if (flushed_) return false;
    takeConverted(out);  // the piece read by open() or by the call before
    if (readPiece()) return true;
    // The rest that the rate converter still holds back. SDL 2.26's flush leaves out the last
    // 512 or so frames when its staging buffer happens to be empty (64 ms of an 8 kHz sound),
    // so silence is put after the sound to push them out, and cut off again.
    flushed_ = true;
    const size_t silentFrames = size_t(1024 + 2048 * int64_t{rate_} / kRate);
    const std::vector<float> silence(silentFrames * size_t(std::min(channels_, 2)));
    SDL_AudioStreamPut(stream_.get(), silence.data(), int(silence.size() * sizeof(float)));
    SDL_AudioStreamFlush(stream_.get());
    const size_t before = out.size();
    takeConverted(out);
    const int64_t whole = (framesIn_ * kRate + rate_ - 1) / rate_ * kChannels;
    const int64_t over = std::clamp<int64_t>(samplesOut_ - whole, 0, int64_t(out.size() - before));
    out.resize(out.size() - size_t(over));
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
