// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform the program runs on: the sound module for sounds and the bell, Qt for the
// X bell, message boxes and the application folder, the steady clock for time.

#include "platform/DeferredSound.h"
#include "platform/Platform.h"

#include <functional>

class QWidget;

namespace kavimo {

class QtPlatform : public Platform {
public:
    // Needs the QApplication to exist. The sound output comes from makeSound, by default
    // from the sound module beside the program file (no sound without it). It is set up
    // when the first sound is asked for.
    explicit QtPlatform(SoundFactory makeSound = {});

    // Holds the sound output back until window has been painted for the first time, so
    // that setting it up does not delay the start; the sounds asked for until then, the
    // last one counts, start once it is ready. window must not outlive this platform.
    void setUpSoundAfterFirstPaint(QWidget& window);

    // Called before each message box is shown.
    void setBeforeMessageBox(std::function<void()> prepare) { beforeMessageBox_ = std::move(prepare); }

    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override;
    void beep() override;
    void messageBox(const QString& text, const QString& title, int style) override;
    double clock() override;
    void sleepUntil(double deadline) override;
    QString applicationDir() override;

private:
    DeferredSound sound_;
    bool soundHeldBack_ = false;
    std::function<void()> beforeMessageBox_;
};

}  // namespace kavimo
