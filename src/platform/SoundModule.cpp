// SPDX-License-Identifier: GPL-3.0-or-later
// The sound module: SDL, libsndfile and the libraries they pull in live in a module of their
// own, which the program loads in the background once its window is up.
#include "platform/SdlSound.h"

extern "C" __attribute__((visibility("default"))) kavimo::SoundBackend* kavimo_open_sound() {
    return new kavimo::SdlSound;  // owned by the loader from here on
}
