#pragma once
// The platform the program runs on: SDL_mixer for sound, Qt for the beep, message boxes
// and the application folder, the steady clock for time.

#include "platform/Platform.h"
#include "platform/SdlSound.h"

namespace kavimo {

class QtPlatform : public Platform {
public:
    // Needs the QApplication to exist. Starts opening the audio device in the background.
    QtPlatform() = default;

    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override;
    void beep() override;
    void messageBox(const QString& text, const QString& title, int style) override;
    double clock() override;
    void sleepUntil(double deadline) override;
    QString applicationDir() override;

private:
    SdlSound sound_;
};

}  // namespace kavimo
