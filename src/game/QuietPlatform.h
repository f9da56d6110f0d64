#pragma once
// The platform for reading a set file off the user-interface thread: the reader's error
// box is never shown from there. Every other call goes through unchanged; the reader
// reaches none of them.

#include "platform/Platform.h"

namespace kavimo::board {

class QuietPlatform : public Platform {
public:
    explicit QuietPlatform(Platform& inner) : inner_(inner) {}

    void messageBox(const QString&, const QString&, int) override {}

    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override { return inner_.sndPlaySoundA(path, flags); }
    void beep() override { inner_.beep(); }
    double clock() override { return inner_.clock(); }
    void sleepUntil(double deadline) override { inner_.sleepUntil(deadline); }
    QString applicationDir() override { return inner_.applicationDir(); }
    QString currentDir() override { return inner_.currentDir(); }
    bool setCurrentDir(const QString& dir) override { return inner_.setCurrentDir(dir); }
    QImage loadPicture(const QString& path, const PictureRequest& request) override {
        return inner_.loadPicture(path, request);
    }

private:
    Platform& inner_;
};

}  // namespace kavimo::board
