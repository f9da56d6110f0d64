#include "support/RecordingPlatform.h"

#include "platform/FileLookup.h"

namespace kavimo::test {

int32_t RecordingPlatform::sndPlaySoundA(const QString& path, uint32_t flags) {
    const bool started = fs::fileExists(path);
    sounds.push_back({path, flags, now, started});
    log.push_back("sound " + path);
    return started ? 1 : 0;
}

void RecordingPlatform::beep() {
    beeps.push_back(now);
    log.push_back("beep");
}

void RecordingPlatform::messageBox(const QString& text, const QString& title, int style) {
    messages.push_back({text, title, style, now});
    log.push_back("message " + text);
    if (onMessage) onMessage(messages.back());
}

void RecordingPlatform::sleepUntil(double deadline) {
    if (deadline > now) {
        waits.push_back({now, deadline});
        log.push_back(QString("wait %1").arg(deadline - now));
        now = deadline;
    }
}

std::vector<QString> RecordingPlatform::soundNames() const {
    std::vector<QString> names;
    for (const auto& s : sounds) {
        const qsizetype cut = std::max(s.path.lastIndexOf('/'), s.path.lastIndexOf('\\'));
        names.push_back(s.path.mid(cut + 1));
    }
    return names;
}

std::vector<QString> RecordingPlatform::messageTexts() const {
    std::vector<QString> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

void RecordingPlatform::clear() {
    log.clear();
    sounds.clear();
    beeps.clear();
    messages.clear();
    waits.clear();
}

}  // namespace kavimo::test
