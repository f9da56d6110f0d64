// SPDX-License-Identifier: GPL-3.0-or-later
// Sounds: whether the game can play one, re-encoding for Windows, and spoken names.
#include "maker/Internal.h"
#include "maker/SetMaker.h"
#include "maker/Tr.h"
#include "platform/FileLookup.h"
#include "platform/SoundDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace kavimo::maker {

namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

SndFilePtr openForReading(const QString& file, SF_INFO& info, QString* error) {
    info = {};
    SndFilePtr sound(sf_open(fs::nativePath(file).constData(), SFM_READ, &info));
    if (!sound && error) *error = QString::fromLocal8Bit(sf_strerror(nullptr));
    return sound;
}

// The longest sound the game plays; a longer one is cut there.
constexpr sf_count_t kMaxSeconds = 60;

}  // namespace

bool soundPlayable(const QString& file, QString* why) {
    const std::unique_ptr<QFile> opened = fs::openRegular(file);
    if (!opened) {
        if (why) *why = detail::notFoundProblem(file);
        return false;
    }
    // The game's own decoder decides, so that what is refused here is what the game refuses.
    if (SoundDecoder::open(fs::nativePath(file))) return true;
    SF_INFO info;
    if (openForReading(file, info, nullptr) && info.frames == 0) {
        if (why) *why = Maker::tr("%1 holds no sound.").arg(QFileInfo(fs::resolve(file)).fileName());
        return false;
    }
    // The command names whole paths, so that it works from any folder: the file found, not
    // the entry as a Windows set writes it. Its WAV is named apart, so that the command
    // does not convert the file onto itself.
    const QFileInfo given(fs::resolve(file));
    const bool isWav = given.suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0;
    const QString stem = given.absolutePath() + u'/' + given.completeBaseName();
    if (!why) return false;
    if (opened->size() == 0) {
        *why = Maker::tr("%1 is empty (0 bytes), as a recording or a copy that did not finish. Record or copy "
                         "it again.")
                   .arg(given.fileName());
        return false;
    }
    const QByteArray head = opened->read(512);
    // A download that saved the site's page instead: no converter makes a sound of it.
    if (head.trimmed().startsWith('<') && head.toLower().contains("html")) {
        *why = Maker::tr("%1 is a web page, not a sound: the download saved the page instead of the sound. "
                         "Download the sound itself.")
                   .arg(given.fileName());
        return false;
    }
    // ffmpeg cannot play a MIDI file's notes; a synthesizer can.
    if (head.startsWith("MThd")) {
        *why = Maker::tr("%1 is MIDI music, which the game cannot play. Make a WAV of it, for example with "
                         "timidity (package timidity): timidity \"%2\" -Ow -o \"%3.wav\"")
                   .arg(given.fileName(), given.absoluteFilePath(), stem);
        return false;
    }
    // A file already named .wav is converted in its place, which its set names.
    *why = Maker::tr("%1 is not a sound the game can play (it plays WAV, OGG, Opus, FLAC and MP3). "
                     "Convert it to WAV, for example with: %2")
               .arg(given.fileName(), detail::convertCommand(QStringLiteral("ffmpeg -i \"%1\" \"%2\""),
                                                             given.absoluteFilePath(), QStringLiteral("wav"),
                                                             isWav));
    return false;
}

bool speakToWav(const QString& text, const QString& wavPath, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty())
        return fail(
            Maker::tr("espeak-ng is not installed, so names cannot be spoken. "
                      "Install it with: sudo apt install espeak-ng"));
    QProcess process;
    // The text goes in on standard input, so a name that starts with "-" is not an option.
    process.start(espeak, {QStringLiteral("-v"),
                           detail::hasKanaOrKanji(text) ? QStringLiteral("ja") : QStringLiteral("en"),
                           QStringLiteral("-w"), wavPath, QStringLiteral("--stdin")});
    if (!process.waitForStarted()) return fail(Maker::tr("espeak-ng could not be started."));
    process.write(text.toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0 || QFileInfo(wavPath).size() <= 44) {
        process.kill();
        process.waitForFinished();
        return fail(Maker::tr("espeak-ng could not speak \"%1\": %2")
                        .arg(text, QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
    }
    return true;
}

namespace detail {

// Hand-written over the chunks' sizes: libsndfile plays a data chunk that ends early without
// a word. A recording whose sizes were never written (0, or all ones) claims nothing. The data
// chunk comes after a few others; a file of endless tiny chunks is not walked to its end.
bool soundCutShort(const QString& file) {
    const std::unique_ptr<QFile> opened = fs::openRegular(file);
    if (!opened || opened->read(4) != "RIFF" || !opened->seek(8) || opened->read(4) != "WAVE") return false;
    qint64 at = 12;
    for (int chunks = 0; chunks < 64 && opened->seek(at); ++chunks) {
        const QByteArray chunk = opened->read(8);
        if (chunk.size() < 8) return false;
        const auto size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("data"))
            return size != 0 && size < 0x7fff0000u && at + 8 + size > opened->size();
        at += 8 + qint64(size) + (size & 1);
    }
    return false;
}

QString soundCutShortProblem(const QString& name) {
    return Maker::tr("%1 is cut short, as a download or a copy that did not finish: the game would play "
                     "only its start. Copy it again.")
        .arg(name);
}

bool isPcmWav(const QString& file) {
    SF_INFO info;
    const SndFilePtr sound = openForReading(file, info, nullptr);
    const int sub = info.format & SF_FORMAT_SUBMASK;
    return sound && (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV &&
           (sub == SF_FORMAT_PCM_16 || sub == SF_FORMAT_PCM_U8) && info.frames > 0;
}

bool convertToPcmWav(const QString& from, const QString& to, QString* error) {
    SF_INFO in;
    const SndFilePtr source = openForReading(from, in, error);
    if (!source || in.frames == 0) {
        // What only the game's decoder reads (ADPCM with ffmpeg's extensible header, a
        // recording whose data size was never written) is written as the game plays it.
        const std::vector<int16_t> heard = SoundDecoder::decodeWhole(fs::nativePath(from));
        if (heard.empty()) return false;
        SF_INFO out{0, SoundDecoder::kRate, SoundDecoder::kChannels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        const SndFilePtr target(sf_open(QFile::encodeName(to).constData(), SFM_WRITE, &out));
        const auto frames = sf_count_t(heard.size() / SoundDecoder::kChannels);
        if (target && sf_writef_short(target.get(), heard.data(), frames) == frames) return true;
        if (error) *error = QString::fromLocal8Bit(sf_strerror(target.get()));
        return false;
    }
    SF_INFO out{};
    out.samplerate = in.samplerate;
    out.channels = in.channels;
    out.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const SndFilePtr target(sf_open(QFile::encodeName(to).constData(), SFM_WRITE, &out));
    if (!target) {
        if (error) *error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return false;
    }
    std::vector<short> buffer(size_t(4096) * size_t(in.channels));
    sf_count_t left = kMaxSeconds * in.samplerate;
    while (left > 0) {
        const sf_count_t got = sf_readf_short(source.get(), buffer.data(), std::min<sf_count_t>(4096, left));
        if (got <= 0) break;
        if (sf_writef_short(target.get(), buffer.data(), got) != got) {
            if (error) *error = QString::fromLocal8Bit(sf_strerror(target.get()));
            return false;
        }
        left -= got;
    }
    return true;
}

bool hasKanji(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3400 && u <= 0x4dbf) || (u >= 0x4e00 && u <= 0x9fff);
    });
}

bool hasKanaOrKanji(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3040 && u <= 0x30ff) || (u >= 0x3400 && u <= 0x4dbf) || (u >= 0x4e00 && u <= 0x9fff) ||
            (u >= 0xff66 && u <= 0xff9f))
            return true;
    }
    return false;
}

}  // namespace detail

}  // namespace kavimo::maker
