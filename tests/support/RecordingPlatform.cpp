#include "support/RecordingPlatform.h"

#include "platform/FileLookup.h"

#include <QStringList>

#include <utility>

namespace kavimo::test {

int32_t RecordingPlatform::sndPlaySoundA(const QString& path, uint32_t flags) {
    const bool found = fs::fileExists(path);
    QString entry = "sound " + path.mid(std::max(path.lastIndexOf('/'), path.lastIndexOf('\\')) + 1);
    if (!found) entry += " (missing)";
    if (flags != SND_ASYNC) entry += QString(" with flags %1").arg(flags);
    log.push_back(entry);
    return found ? 1 : 0;
}

void RecordingPlatform::messageBox(const QString& text, const QString& title, int style) {
    static const QStringList errors = {"ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。",
                                       "ﾃﾞｰﾀﾌｧｲﾙに設定されているﾌｧｲﾙが見つかりませんでした。",
                                       "ｴﾗｰが発生しました"};
    const qsizetype code = errors.indexOf(text);
    if (code >= 0 && title == "ｴﾗｰ" && style == MB_OK + MB_ICONSTOP) {
        log.push_back(QString("error %1").arg(code));
    } else if (text == "ﾌｧｲﾙ読み込みエラー" && title == "kavimo" && style == MB_OK) {
        log.push_back("read error");
    } else {
        log.push_back(QString("box %1 %2 %3").arg(title).arg(style).arg(text));
    }
}

void RecordingPlatform::sleepUntil(double deadline) {
    if (deadline <= now) return;
    log.push_back(QString("wait %1").arg(deadline - now));
    now = deadline;
}

std::vector<QString> RecordingPlatform::take() {
    return std::exchange(log, {});
}

}  // namespace kavimo::test
