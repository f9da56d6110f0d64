// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the parts of the set maker share between them, not offered to its users.

#include "platform/Platform.h"

#include <QImageReader>
#include <QSize>
#include <QString>
#include <QStringList>

namespace kavimo::maker::detail {

// Photos that cameras and phones make and that no picture reader here may read: named when
// given and not readable, so that the parent learns how to convert them (or, for WebP and
// TIFF, which reader to install).
inline const QStringList kOtherPhotos = {"heic", "heif", "avif", "jxl", "dng", "cr2", "cr3", "nef", "arw",
                                         "orf",  "rw2",  "raf",  "svg", "svgz", "webp", "tif", "tiff"};

// Sounds the game plays, in the order make takes them from beside a picture; and the
// recordings of phones and other programs, named when given, so that the parent learns how
// to convert them.
inline const QStringList kPlayableSounds = {"wav", "ogg", "oga", "opus", "flac", "mp3"};
inline const QStringList kOtherSounds = {"m4a", "aac", "amr", "3gp",  "wma",
                                         "aif", "aiff", "caf", "mid", "midi"};

// The game's reader shows its read-error box through the platform; here it is noted instead.
class NotingPlatform : public Platform {
public:
    int32_t sndPlaySoundA(const QString&, uint32_t) override { return 0; }
    void beep() override {}
    void messageBox(const QString&, const QString&, int) override { boxed = true; }
    double clock() override { return 0; }
    void sleepUntil(double) override {}
    QString applicationDir() override { return {}; }
    bool boxed = false;
};

// The folder a set's relative entries are resolved against: the one holding its Data folder.
QString rootOf(const QString& datPath);
// An entry as a path, joined to that folder unless it is absolute.
QString located(const QString& root, const QString& entry);

// A sound re-encoded as 16-bit PCM WAV, which every Windows player plays.
bool convertToPcmWav(const QString& from, const QString& to, QString* error);
// Whether a sound file is already PCM WAV.
bool isPcmWav(const QString& file);
// Whether the text holds kana or kanji (a Japanese voice then speaks it).
bool hasKanaOrKanji(const QString& text);
// Why a photo cannot be used, with what to do about a phone's HEIC photo.
QString photoProblem(const QString& file);
// The command (its %1 the file, %2 the converted one) that converts file to a file of the
// given extension beside it, or, inPlace, over it under its own name, which its set names.
QString convertCommand(const QString& command, const QString& file, const QString& extension, bool inPlace);
// Whether a photo is of a kind that photoProblem() says how to convert (HEIC, AVIF, SVG).
bool convertible(const QString& file);
// What to say of a photo or sound that is not found, also where a backslash in its name keeps
// the game's look-up from finding it, or where it is there but may not be read.
QString notFoundProblem(const QString& file);
// Whether the file is there but this user may not read it: unpacked with sudo, another user's.
bool unreadable(const QString& file);
// What to say of it, with how to make it readable.
QString unreadableProblem(const QString& file);
// The size a photo is decoded at: a JPEG too big to hold whole (200 megapixels) at a half, a
// quarter or an eighth, which libjpeg decodes without ever holding it whole (the reader is
// set so); a card needs far less.
QSize decodedSize(QImageReader& reader);
// What to say of a photo too big to load even so.
QString tooBigProblem(const QString& name, QSize size);
// Why a JPEG cut short (pictures::cutShort) is not taken, or warned of.
QString cutShortProblem(const QString& name);
// Whether a WAV file holds less of its sound than its header says, as a download cut short;
// the game plays what there is. What sound cannot be played is soundPlayable()'s question.
bool soundCutShort(const QString& file);
QString soundCutShortProblem(const QString& name);
// Whether it holds kanji, which espeak-ng's Japanese voice does not read.
bool hasKanji(const QString& text);
// A file or folder name that Windows accepts: no \ / : * ? " < > |, no trailing dot or space.
QString safeName(const QString& name);
// rename(2) that never replaces what is at `to` (then it fails with EEXIST). FUSE file
// systems (ntfs-3g, exfat-fuse, fusefat: sticks and disks from Windows) refuse to promise
// that in one step; there `to` is looked at first, then renamed. The renamer is ::renameat2
// but for tests.
using Renamer = int (*)(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
int renameNoReplace(const char* from, const char* to, Renamer renamer);
// Whether writing was cancelled (Ctrl-C) since the last call of startWriting.
bool cancelled();
void startWriting();

}  // namespace kavimo::maker::detail
