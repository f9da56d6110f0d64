#pragma once
// A platform for tests: a virtual clock, and every sound, beep, message box and wait
// recorded with the time it happened. Message boxes return at once. Files and pictures
// are the real ones, so tests lay out their sets in a scratch folder.

#include "platform/Platform.h"

#include <functional>
#include <vector>

namespace kavimo::test {

class RecordingPlatform : public Platform {
public:
    struct Sound { QString path; uint32_t flags; double at; bool started; };
    struct Message { QString text; QString title; int style; double at; };
    struct Wait { double from; double until; };

    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override;
    void beep() override;
    void messageBox(const QString& text, const QString& title, int style) override;
    double clock() override { return now; }
    void sleepUntil(double deadline) override;
    QString applicationDir() override { return appDir; }

    // Everything that happened, in order, as short text ("sound <path>", "beep",
    // "message <text>", "wait <seconds>"): for tests that check the order of events.
    std::vector<QString> log;
    std::vector<Sound> sounds;
    std::vector<double> beeps;
    std::vector<Message> messages;
    std::vector<Wait> waits;

    double now = 1000.0;
    QString appDir;
    // Runs while a message box is "open" (for example to change files meanwhile).
    std::function<void(const Message&)> onMessage;

    // The file names (after the last "/" or "\") of the sounds played, in order.
    std::vector<QString> soundNames() const;
    std::vector<QString> messageTexts() const;
    void clear();
};

}  // namespace kavimo::test
