// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SdlSound.h"

#include "platform/SoundDecoder.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace kavimo {

namespace {

constexpr int kBufferFrames = 1024;
// Samples of the longest sound: room for it is set aside once, so that the decoding thread
// never moves the sound while the audio callback waits for it.
constexpr size_t kMostSamples =
    size_t{SoundDecoder::kMaxSeconds + 1} * SoundDecoder::kRate * SoundDecoder::kChannels;
// The bell lasts 0.14 s; three rung in a row must be heard as three, with a gap between.
constexpr int64_t kBellSpacingFrames = SoundDecoder::kRate * 3 / 10;
constexpr int64_t kMostBellsAhead = 3;
constexpr size_t kLongestBellSamples = size_t{2} * SoundDecoder::kRate * SoundDecoder::kChannels;

}  // namespace

void SdlSound::fill(void* self, uint8_t* stream, int bytes) {
    static_cast<SdlSound*>(self)->mix(reinterpret_cast<int16_t*>(stream),
                                      bytes / int(sizeof(int16_t) * SoundDecoder::kChannels));
}

SdlSound::SdlSound(const QByteArray& bellFile, std::chrono::milliseconds idleClose) : idleClose_(idleClose) {
    // SDL would otherwise take over SIGINT and SIGTERM, and they would no longer end the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    auto start = [this] {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        device_ = openDevice();
        if (device_ == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return device_ != 0;
    };
    if (!start()) {
        // No sound device: play into nothing rather than fail.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        silent_ = true;
        if (!start()) return;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    silent_ = silent_ || (driver && std::strcmp(driver, "dummy") == 0);
    bellSound_ = SoundDecoder::decodeWhole(bellFile);
    if (bellSound_.size() > kLongestBellSamples) bellSound_.resize(kLongestBellSamples);
    sound_.reserve(kMostSamples);
    SDL_PauseAudioDevice(device_, 0);
    decoder_ = std::thread([this] { decodeInTurn(); });  // from here on, device_ is that thread's
}

uint32_t SdlSound::openDevice() {
    SDL_AudioSpec want{};
    want.freq = SoundDecoder::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = SoundDecoder::kChannels;
    want.samples = kBufferFrames;
    want.callback = &SdlSound::fill;
    want.userdata = this;
    // SDL converts to what the device takes, so the callback always mixes this format.
    return SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
}

void SdlSound::closeDevice(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    SDL_CloseAudioDevice(device_);  // waits for the audio callback to return
    lock.lock();
    device_ = 0;
}

void SdlSound::reopenDevice(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    const uint32_t device = openDevice();  // when the device is gone, tried again at the next sound
    if (device != 0) SDL_PauseAudioDevice(device, 0);
    lock.lock();
    device_ = device;
}

bool SdlSound::quiet() const {
    return !next_ && !decoding_ && heard_ == sound_.size() && bellOnsets_.empty() &&
           framesOut_ - lastHeardFrame_ >= SoundDecoder::kRate / 2;
}

// SDL keeps per-thread data (its error text) for threads it did not start.
void SdlSound::leaveThread() { SDL_TLSCleanup(); }

SdlSound::~SdlSound() {
    if (decoder_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        decoder_.join();
    }
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    SDL_Quit();
}

bool SdlSound::play(const QByteArray& file) {
    if (!decoder_.joinable()) return false;  // no device, not even the dummy driver, could be opened
    // Only the header and a first piece are read here; the rest is decoded on decoder_.
    std::unique_ptr<SoundDecoder> decoder = SoundDecoder::open(file);
    if (!decoder) return false;
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        ++asked_;
        next_ = std::move(decoder);
        sound_.clear();
        heard_ = 0;
        decoding_ = true;
    }
    wake_.notify_all();
    return true;
}

void SdlSound::decodeInTurn() {
    std::unique_lock lock(mutex_);
    std::vector<int16_t> piece;
    uint64_t served = asked_;  // what the device has been open for
    for (;;) {
        const auto woken = [&] { return quit_ || next_ || asked_ != served; };
        if (device_ == 0) {
            wake_.wait(lock, woken);
        } else if (!wake_.wait_for(lock, idleClose_, woken)) {
            // A sound asked for while the device closes finds it closed, and opens it again.
            if (quiet()) closeDevice(lock);
            continue;
        }
        if (quit_) break;
        served = asked_;
        if (device_ == 0) reopenDevice(lock);
        if (!next_) continue;  // a bell
        std::unique_ptr<SoundDecoder> decoder = std::move(next_);
        const uint64_t mine = generation_;
        bool replaced = false;
        for (bool more = true; more && !replaced;) {
            lock.unlock();
            piece.clear();
            more = decoder->decodeMore(piece);
            lock.lock();
            replaced = !wanted(mine);  // the end, or a newer sound started meanwhile
            if (!replaced) sound_.insert(sound_.end(), piece.begin(), piece.end());
        }
        if (!replaced) decoding_ = false;
        lock.unlock();
        decoder.reset();  // closes the file
        lock.lock();
    }
    lock.unlock();
    SDL_TLSCleanup();
}

bool SdlSound::wanted(uint64_t generation) const { return !quit_ && generation_ == generation; }

bool SdlSound::bell() {
    if (silent_ || bellSound_.empty()) return false;
    {
        const std::lock_guard lock(mutex_);
        const int64_t onset = std::max(framesOut_, lastBellOnset_ + kBellSpacingFrames);
        // Bells rung faster than they sound (a child clicking wrong pairs without a stop) would
        // otherwise queue up and ring on long after; what is beyond three ahead is let go.
        if (onset > framesOut_ + kMostBellsAhead * kBellSpacingFrames) return true;
        bellOnsets_.push_back(onset);
        lastBellOnset_ = onset;
        ++asked_;
    }
    wake_.notify_all();
    return true;
}

void SdlSound::mix(int16_t* out, int frames) {
    const std::lock_guard lock(mutex_);
    const size_t samples = size_t(frames) * SoundDecoder::kChannels;
    const size_t fromSound = std::min(samples, sound_.size() - heard_);
    for (size_t i = 0; i < samples; ++i) {
        int32_t sum = i < fromSound ? sound_[heard_ + i] : 0;
        for (const int64_t onset : bellOnsets_) {
            const int64_t at = (framesOut_ - onset) * SoundDecoder::kChannels + int64_t(i);
            if (at >= 0 && at < int64_t(bellSound_.size())) sum += bellSound_[size_t(at)];
        }
        out[i] = int16_t(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
    }
    heard_ += fromSound;
    framesOut_ += frames;
    if (fromSound > 0 || !bellOnsets_.empty()) lastHeardFrame_ = framesOut_;
    std::erase_if(bellOnsets_, [this](int64_t onset) {
        return (framesOut_ - onset) * SoundDecoder::kChannels >= int64_t(bellSound_.size());
    });
}

bool SdlSound::isPlaying() const {
    const std::lock_guard lock(mutex_);
    return decoding_ || heard_ < sound_.size();
}

size_t SdlSound::heldSamples() const {
    const std::lock_guard lock(mutex_);
    return sound_.size();
}

std::unique_ptr<SoundBackend> openSdlSound() { return std::make_unique<SdlSound>(); }

}  // namespace kavimo
