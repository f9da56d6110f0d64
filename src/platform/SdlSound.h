#pragma once
// Sound files played through SDL_mixer, one at a time, without waiting for them.

#include <QString>

#include <memory>
#include <thread>

struct Mix_Chunk;

namespace kavimo {

class SdlSound {
public:
    // Starts opening the audio device in the background, so that the window's first paint
    // does not wait for it. Without a usable device the dummy driver is taken: the game
    // runs silently. Only one SdlSound may exist at a time (SDL is process-wide).
    SdlSound();
    ~SdlSound();
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    // Starts the file at path (a path on this file system) and returns at once while it
    // plays on; a sound still playing is stopped first. false when the file cannot be
    // read or decoded, and then the sound still playing goes on.
    bool play(const QString& path);

    // Whether a sound is audible right now.
    bool isPlaying();

    // Decoded sounds held in memory: the last one started, or none.
    int loadedChunkCount() const { return liveChunks_; }

private:
    struct ChunkFree {
        int* live;
        void operator()(Mix_Chunk* chunk) const;
    };
    using Chunk = std::unique_ptr<Mix_Chunk, ChunkFree>;

    void open();
    void waitUntilOpen();

    std::thread opener_;
    bool open_ = false;  // written by opener_, read only after it has been joined
    int liveChunks_ = 0;
    Chunk current_{nullptr, ChunkFree{&liveChunks_}};
};

}  // namespace kavimo
