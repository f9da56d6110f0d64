// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The set-file reader. A set is never held in memory: each call opens the file, scans it
// from its first line for one entry and closes it again.

#include <QString>

#include <cstdint>

namespace kavimo {
class Platform;
}

namespace kavimo::Files {

// Section kinds.
inline constexpr int16_t SectionFile = 0;     // "[File]": entry 0 is the number of pairs
inline constexpr int16_t SectionPicture = 1;  // "[Picture]": entry v is pair v's picture
inline constexpr int16_t SectionSound = 2;    // "[Sound]": entry v is pair v's sound

// Entry `index` (from 0) of section `kind` of the set file at `path`, or "" when there is
// no such entry. `path` may be written the Windows way ("...\Data\zoo.dat"). For
// SectionFile the caller's index is set to 0 first. When the section's header is missing
// (also for a kind other than the three, or when the file cannot be read), the read-error
// box is shown through `platform` and "" comes back.
QString ReadSetEntry(const QString& path, int16_t& index, const int16_t& kind, Platform& platform);

// A set's title from its file name: the text before the last ".", or "" without a ".".
QString StripExtension(const QString& name);

}  // namespace kavimo::Files
