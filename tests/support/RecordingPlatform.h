// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A platform for tests: a virtual clock, and every sound, beep, message box and wait
// written down, in order, as short text. Message boxes return at once. Files and pictures
// are the real ones, so tests lay out their sets in a scratch folder.

#include "platform/Platform.h"

#include <utility>
#include <vector>

namespace kavimo::test {

class RecordingPlatform : public Platform {
public:
    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override;
    void beep() override { log.push_back("beep"); }
    void messageBox(const QString& text, const QString& title, int style) override;
    double clock() override { return now; }
    void sleepUntil(double deadline) override;
    QString applicationDir() override { return appDir; }
    QString userSetFolder() override { return userSets; }

    // "sound NAME" (the file name only; "(missing)" after it when there is no such file,
    // "(unplayable)" when it is there but no sound the real output would play; both return 0),
    // "beep", "wait SECONDS"; the game's own message boxes, with their title and style, as
    // "error 0", "error 1", "error 2" and "read error", any other as "box TITLE STYLE TEXT".
    std::vector<QString> log;
    double now = 1000.0;
    QString appDir;
    QString userSets;  // the user's own set folder; none by default

    // The log so far, which starts anew.
    std::vector<QString> take() { return std::exchange(log, {}); }
};

}  // namespace kavimo::test
