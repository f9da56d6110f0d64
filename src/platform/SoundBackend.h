#pragma once
// A sound output: plays one file at a time and returns at once while it plays on.

#include <QString>

#include <functional>
#include <memory>

namespace kavimo {

class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    // Starts the file at path (a path on this file system) and returns at once while it
    // plays on; a sound still playing is stopped first. false when the file cannot be
    // read or decoded, and then the sound still playing goes on.
    virtual bool play(const QString& path) = 0;

    // Called on a thread other than the user-interface thread that has used the output
    // and is about to end.
    virtual void leaveThread() {}
};

// Makes a sound output, or none when there is no way to play sounds at all. May take a
// while (loading libraries, opening the audio device).
using SoundFactory = std::function<std::unique_ptr<SoundBackend>()>;

// The entry point that the sound module exports, a SoundFactory in C linkage.
using OpenSoundFunction = SoundBackend* (*)();
inline constexpr char kOpenSoundSymbol[] = "kavimo_open_sound";

}  // namespace kavimo
