#pragma once
// File names as Windows-made sets and the game's own literals write them, on this file system.

#include <QString>

namespace kavimo::fs {

// Maps a path onto this file system: a backslash separates folders like a slash, and a
// name that does not exist as written is looked up again with letter case ignored, folder
// by folder. A relative path resolves against the current directory. A drive-letter path
// ("C:\x.wav") is never found. Returns the existing file's or folder's path as it is
// spelled here, or an empty string when nothing is found.
QString resolve(const QString& path);

// The existence test: true only for a regular file that is not hidden (its name does not
// start with "."). Folders do not count.
bool fileExists(const QString& path);

}  // namespace kavimo::fs
