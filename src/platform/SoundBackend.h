// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound output: plays one file at a time and returns at once while it plays on, and rings
// a bell beside it.

#include <QByteArray>

#include <functional>
#include <memory>

namespace kavimo {

class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    // Starts file (the path as the OS opens it: native bytes, which need not be UTF-8) and
    // returns at once while it plays on; a sound still playing is stopped first. false when
    // the file is no sound this can play, and then the sound still playing goes on.
    virtual bool play(const QByteArray& file) = 0;

    // Rings the bell once, on a voice of its own beside the sound playing; rings called in a
    // row are spaced so that each is heard. false when there is no bell to ring (no sound
    // device, no bell sound), and then the caller rings another.
    virtual bool bell() { return false; }

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
