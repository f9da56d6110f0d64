// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound files decoded with libsndfile on a thread of their own and played through SDL's audio
// output: one sound at a time, and the bell on a voice of its own beside it.

#include "platform/SoundBackend.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kavimo {

class SoundDecoder;

class SdlSound : public SoundBackend {
public:
    // The bell of the freedesktop sound theme.
    static constexpr char kBellFile[] = "/usr/share/sounds/freedesktop/stereo/bell.oga";

    // After this long without a sound the device is closed, and it is opened again for the
    // next one: a game left waiting for a click then costs nothing, where SDL's audio thread
    // would go on handing the device silence twenty times a second, and the sound server
    // could never let the sound card rest.
    static constexpr std::chrono::milliseconds kIdleClose{30000};

    // Opens the audio device. Without a usable device the dummy driver is taken: the game
    // runs silently. Only one SdlSound may exist at a time (SDL is process-wide).
    explicit SdlSound(const QByteArray& bellFile = kBellFile,
                      std::chrono::milliseconds idleClose = kIdleClose);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    bool play(const QByteArray& file) override;
    bool bell() override;
    void leaveThread() override;

    // Whether the sound started last is still to be heard, or still being decoded.
    bool isPlaying() const;
    // Samples of decoded sound held for the sound started last.
    size_t heldSamples() const;

private:
    static void fill(void* self, uint8_t* stream, int bytes);
    void mix(int16_t* out, int frames);
    void decodeInTurn();
    // Whether the sound of that generation is still to be decoded; with mutex_ held.
    bool wanted(uint64_t generation) const;
    // The device opened, its sound running; 0 when it cannot be.
    uint32_t openDevice();
    // Closing and opening the device again, on the decoding thread: with lock (mutex_) held,
    // which is let go meanwhile, as the audio callback takes it.
    void closeDevice(std::unique_lock<std::mutex>& lock);
    void reopenDevice(std::unique_lock<std::mutex>& lock);
    // Nothing to be heard, and for half a second already; with mutex_ held.
    bool quiet() const;

    const std::chrono::milliseconds idleClose_;
    uint32_t device_ = 0;  // 0 while closed; opened and closed on the decoding thread only
    bool silent_ = false;  // playing into nothing: there is no sound device
    std::vector<int16_t> bellSound_;

    // Shared with the audio callback and the decoding thread.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    uint64_t generation_ = 0;  // grows with every sound started; a decoder of an older one stops
    std::unique_ptr<SoundDecoder> next_;
    std::vector<int16_t> sound_;
    size_t heard_ = 0;  // samples of sound_ handed to the device
    bool decoding_ = false;
    uint64_t asked_ = 0;  // grows with every sound and bell asked for: the device is needed
    int64_t framesOut_ = 0;  // frames handed to the device, over all its openings
    int64_t lastHeardFrame_ = 0;  // framesOut_ when the last sound or bell was handed over
    std::vector<int64_t> bellOnsets_;  // in framesOut_, one per bell still to finish
    int64_t lastBellOnset_ = INT64_MIN / 2;

    std::thread decoder_;
};

// A SoundFactory for the SdlSound linked into this program.
std::unique_ptr<SoundBackend> openSdlSound();

}  // namespace kavimo
