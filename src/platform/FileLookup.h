// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File names as Windows-made sets and the game's own literals write them, on this file system.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kavimo::fs {

// The application folder. A path that starts with it keeps that part exactly as written:
// a backslash in the folder's own name is a character there, not a separator. Set once at
// start-up, before anything is looked up.
void setApplicationDir(const QString& dir);

// Maps a path onto this file system as Windows would read it. Past the application folder
// (or the root, or the current directory for a relative path) a backslash separates
// folders like a slash; "." and ".." are collapsed first, as written; trailing spaces and
// dots of each part are ignored. At each level the name as written is taken when it
// exists, else the first name in byte order that matches with letter case ignored, read
// as UTF-8 or, when it is not valid UTF-8, as code page 932 (names unpacked from an old
// Windows zip). A drive-letter path ("C:\x.wav") and a path over 4096 characters are
// never found. Returns the found file's or folder's path as the OS's bytes, or an empty
// array when nothing is found.
QByteArray nativePath(const QString& path);

// The same as text, read as decodePath() reads it: a Shift_JIS name shows as its text, but
// Qt's own file classes do not find it by that text, so open files through openRegular() or
// nativePath() instead.
QString resolve(const QString& path);

// A path as the OS's bytes (a command-line argument) read as text name by name: UTF-8, or,
// where a name is not valid UTF-8, code page 932 (names unpacked from an old Windows zip).
// The look-up finds a name so read again.
QString decodePath(QByteArrayView bytes);

// A path given on the command line made absolute from the current directory, whose own
// names may be Shift_JIS bytes (unlike QDir::currentPath(), nothing is lost).
QString absolute(const QString& path);

// Whether the path is looked up (as nativePath() does) to a folder, after following links.
bool isFolder(const QString& path);

// The existence test: true only for a regular file, after following links, that is not
// hidden (its name does not start with "."). Folders, devices and named pipes do not count.
bool fileExists(const QString& path);

// What tells this version of the regular file at path (looked up as nativePath() does) from
// the one saved over it: its device and inode, size and modification time. Empty when
// there is none.
QByteArray fileVersion(const QString& path);

// The file at path opened read-only, or null unless it is a regular file after following
// links. Never blocks (a named pipe is not waited on) and never reads past the size the
// file had when it was opened, so a /proc file ends at once.
std::unique_ptr<QFile> openRegular(const QString& path);

// The names of the visible regular files in folder (looked up as nativePath() does) that
// match one of the wildcard patterns with letter case ignored, sorted by name with letter
// case ignored. Names that are not valid UTF-8 are read as code page 932.
QStringList listFiles(const QString& folder, const QStringList& patterns);

// The files of several folders listed as one, each folder as listFiles() lists it: sorted by
// name all together, and where two names are equal the earlier folder's first.
struct ListedFile {
    QString name;
    qsizetype folder = 0;  // index into folders
};
std::vector<ListedFile> listFiles(const QStringList& folders, const QStringList& patterns);

}  // namespace kavimo::fs
