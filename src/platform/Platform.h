// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door through which the game reaches the outside world. Form1 receives an
// implementation at construction: QtPlatform in the program, a recording fake in tests.

#include <QString>

#include <cstdint>

namespace kavimo {

// Message box styles, as the values the game passes.
inline constexpr int MB_OK = 0;
inline constexpr int MB_ICONSTOP = 16;

// sndPlaySoundA flag: return at once and let the sound play on.
inline constexpr uint32_t SND_ASYNC = 1;

class Platform {
public:
    virtual ~Platform() = default;

    // Starts a sound file and returns at once while it plays on. One sound at a time:
    // a new one replaces the one still playing. Nonzero when the sound started.
    virtual int32_t sndPlaySoundA(const QString& path, uint32_t flags) = 0;

    // The system beep.
    virtual void beep() = 0;

    // A modal message box with an OK button; returns when it is closed.
    // style: MB_OK, or MB_OK + MB_ICONSTOP.
    virtual void messageBox(const QString& text, const QString& title, int style) = 0;

    // Seconds on a clock that never goes back nor wraps.
    virtual double clock() = 0;

    // Blocks the calling (user-interface) thread until clock() reaches deadline, running
    // no event meanwhile; input given during the wait is dropped, not replayed.
    virtual void sleepUntil(double deadline) = 0;

    // The folder that holds the program file.
    virtual QString applicationDir() = 0;

    // The current directory, and changing it. false when it cannot be changed.
    virtual QString currentDir();
    virtual bool setCurrentDir(const QString& dir);

    // The user's own set folder, listed beside the program's when it exists.
    virtual QString userSetFolder();
};

// $XDG_DATA_HOME/kavimo/Data, normally ~/.local/share/kavimo/Data: where a parent adds sets
// without administrator rights. It may not exist.
QString defaultUserSetFolder();

// Whether a window can be shown: without a display Qt ends the start with advice to reinstall.
bool hasDisplay();

}  // namespace kavimo
