#pragma once
// Sound files played through SDL_mixer, one at a time, without waiting for them.

#include "platform/SoundBackend.h"

#include <memory>

struct Mix_Chunk;

namespace kavimo {

class SdlSound : public SoundBackend {
public:
    // Opens the audio device. Without a usable device the dummy driver is taken: the game
    // runs silently. Only one SdlSound may exist at a time (SDL is process-wide).
    SdlSound();
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    bool play(const QString& path) override;
    void leaveThread() override;

    // Whether a sound is audible right now.
    bool isPlaying() const;

    // Decoded sounds held in memory: the last one started, or none.
    int loadedChunkCount() const { return liveChunks_; }

private:
    struct ChunkFree {
        int* live;
        void operator()(Mix_Chunk* chunk) const;
    };
    using Chunk = std::unique_ptr<Mix_Chunk, ChunkFree>;

    bool open_ = false;
    int liveChunks_ = 0;
    Chunk current_{nullptr, ChunkFree{&liveChunks_}};
};

// A SoundFactory for the SdlSound linked into this program.
std::unique_ptr<SoundBackend> openSdlSound();

}  // namespace kavimo
