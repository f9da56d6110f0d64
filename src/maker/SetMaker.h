// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Making a set from a parent's own photos, and checking a set the way the game reads it.
// Shared by the command kavimo-set and the set maker window; knows nothing of widgets.

#include <QImage>
#include <QLocale>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kavimo::maker {

inline constexpr int kMaxPairs = 21;

// The side of a card's picture: 99 for 1..10 pairs (large cards), 63 for 11..21.
int cardSide(int pairs);

// The largest square centred in a picture of this (upright) size.
QRect largestCentredSquare(QSize upright);

// Names sorted as people count: "2" before "10", letter case ignored.
QStringList naturalOrder(QStringList names);

// The pictures in a folder that Qt can read (by name), in natural order, as full paths.
QStringList picturesIn(const QString& folder);

// The picture upright (EXIF orientation applied), bounded in memory; a null image and
// *error set when it does not decode.
QImage uprightPicture(const QString& file, QString* error);

// The cut square of an upright picture, scaled smoothly to side x side.
QImage cardPicture(const QImage& upright, QRect cut, int side);

struct SoundChoice {
    enum class Kind { None, File, Spoken } kind = Kind::None;
    QString file;        // Kind::File: the sound copied (or converted) into the set
    QString spokenText;  // Kind::Spoken: the words espeak-ng says
};

struct PairPlan {
    QString picture;  // the source picture
    QRect cut;        // in upright coordinates; empty: the largest centred square
    SoundChoice sound;
    QString name;  // base name of its files in the set
};

struct SetPlan {
    QString title;
    QString dataDir;  // the folder that receives TITLE.dat and TITLE/
    std::vector<PairPlan> pairs;
    bool windows = false;  // PCM WAV sounds and CP932 text only
    bool force = false;    // replace an existing set of that title
    QStringList passedOver;  // photos in the folders given that cannot be read (a phone's HEIC)
    // Where none of the folders given holds a picture: one inside them that does (DCIM/100ANDRO).
    QString picturesDeeper;
    QStringList notes;  // what opening a set found wrong in it, for the parent
};

struct Finding {
    enum class Severity { Error, Warning } severity = Severity::Error;
    QString file;
    int line = 0;  // 0: the finding is about the file as a whole
    QString message;
    bool windowsOnly = false;  // of the set played by the game on Windows only
};

// The findings without those that matter only on Windows: for a set made for this game.
std::vector<Finding> withoutWindowsOnly(std::vector<Finding> findings);

// A written set, read exactly as the game reads it; root is the folder its entries are
// relative to (the folder holding Data).
std::vector<Finding> checkSet(const QString& datPath, const QString& root);

// What saving this plan would refuse (errors) or warn about, before anything is written.
std::vector<Finding> checkPlan(const SetPlan& plan);

// A plan from pictures and folders, as `make` takes them: sounds with the same base name
// beside a picture; spoken names when speak is set.
SetPlan planFromPictures(const QStringList& picturesOrFolders, const QString& title,
                         const QString& dataDir, bool speak);

struct MakeResult {
    bool ok = false;
    QString message;
    QString datPath;
};

// Writes the set atomically: built in a temporary folder inside dataDir, renamed into place.
MakeResult writeSet(const SetPlan& given);

// Makes a writeSet under way give up and leave nothing behind. Safe in a signal handler.
void requestCancel();

// An existing set as a plan (for editing), read with the game's reader.
std::optional<SetPlan> readSet(const QString& datPath, QString* error);

// The user's own set folder: $XDG_DATA_HOME/kavimo/Data (normally ~/.local/share/kavimo/Data).
QString userDataDir();
// Whether the game lists the sets of this folder: its own Data folder or the user's.
bool listedByGame(const QString& dataDir);
// The game's set folder that holds folder further down than directly (a set zip unpacked
// with a Data folder of its own), whose sets the game therefore does not list; or empty.
QString gameFolderAround(const QString& folder);

// Whether the game can play this sound, judged by its content; *why says what is wrong.
bool soundPlayable(const QString& file, QString* why);

// Speaks text into a WAV file with espeak-ng (Japanese voice for kana or kanji).
bool speakToWav(const QString& text, const QString& wavPath, QString* error);

// Installs the messages' translation for this locale (Japanese; English is the source),
// replacing one installed before.
void loadTranslations(const QLocale& locale = QLocale::system());

}  // namespace kavimo::maker
