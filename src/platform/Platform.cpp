// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Platform.h"

#include <QDir>
#include <QStandardPaths>

namespace kavimo {

QString Platform::currentDir() { return QDir::currentPath(); }

bool Platform::setCurrentDir(const QString& dir) { return QDir::setCurrent(dir); }

QString Platform::userSetFolder() { return defaultUserSetFolder(); }

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name)) return true;
    return false;
}

QString defaultUserSetFolder() {
    // A relative XDG_DATA_HOME is to be ignored (the XDG base directory rules); Qt would take
    // it from the current folder, which the game changes to its own.
    if (const QString given = qEnvironmentVariable("XDG_DATA_HOME");
        !given.isEmpty() && QDir::isRelativePath(given))
        return QDir::homePath() + QStringLiteral("/.local/share/kavimo/Data");
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kavimo/Data");
}

}  // namespace kavimo
