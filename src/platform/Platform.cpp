// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Platform.h"

#include <QDir>
#include <QStandardPaths>

namespace kavimo {

QString Platform::currentDir() { return QDir::currentPath(); }

bool Platform::setCurrentDir(const QString& dir) { return QDir::setCurrent(dir); }

QString Platform::userSetFolder() { return defaultUserSetFolder(); }

QString defaultUserSetFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kavimo/Data");
}

}  // namespace kavimo
