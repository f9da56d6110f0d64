#include "platform/Platform.h"

#include <QDir>

namespace kavimo {

QString Platform::currentDir() { return QDir::currentPath(); }

bool Platform::setCurrentDir(const QString& dir) { return QDir::setCurrent(dir); }

}  // namespace kavimo
