#include "platform/Platform.h"

#include "platform/PictureLoader.h"

#include <QDir>

namespace kavimo {

QString Platform::currentDir() { return QDir::currentPath(); }

bool Platform::setCurrentDir(const QString& dir) { return QDir::setCurrent(dir); }

QImage Platform::loadPicture(const QString& path, const PictureRequest& request) {
    return pictures::load(path, request);
}

}  // namespace kavimo
