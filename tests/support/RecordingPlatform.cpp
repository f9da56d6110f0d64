// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingPlatform.h"

#include "platform/FileLookup.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kavimo::test {

namespace {

// Whether the real output would take the file: told, as there, by its first bytes (a WAV, an
// Ogg, FLAC or MP3 stream); files that cannot be opened or are empty are not sounds either.
bool looksPlayable(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(12);
    const bool mpegSync = head.size() >= 2 && uchar(head[0]) == 0xff && (uchar(head[1]) & 0xe0) == 0xe0;
    return (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE") || head.startsWith("OggS") ||
           head.startsWith("fLaC") || head.startsWith("ID3") || mpegSync;
}

}  // namespace

int32_t RecordingPlatform::sndPlaySoundA(const QString& path, uint32_t flags) {
    const bool found = fs::fileExists(path);
    const bool playable = found && looksPlayable(fs::resolve(path));
    QString entry = "sound " + path.mid(std::max(path.lastIndexOf('/'), path.lastIndexOf('\\')) + 1);
    if (!found) entry += " (missing)";
    else if (!playable) entry += " (unplayable)";
    if (flags != SND_ASYNC) entry += QString(" with flags %1").arg(flags);
    log.push_back(entry);
    return playable ? 1 : 0;
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

}  // namespace kavimo::test
