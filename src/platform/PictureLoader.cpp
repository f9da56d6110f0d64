#include "platform/PictureLoader.h"

#include "platform/FileLookup.h"

#include <QImageReader>

namespace kavimo::pictures {

namespace {

// Room for any camera photo decoded whole (an 8000 x 6000 picture needs 192 MB), while a
// picture that claims to be 30000 x 30000 is refused before anything is allocated.
constexpr int kAllocationLimitMB = 512;

QImage ready(QImage image) {
    if (image.isNull()) return image;
    // One conversion here instead of one per paint.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

}  // namespace

QImage load(const QString& path, const PictureRequest& request) {
    if (!fs::fileExists(path)) return {};
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMB);
        return true;
    }();
    (void)limitSet;

    QImageReader reader(fs::resolve(path));
    reader.setAutoTransform(false);
    const QSize size = reader.size();

    if (!request.scaleTo.isEmpty()) {
        reader.setScaledSize(request.scaleTo);
    } else if (!request.clipTo.isEmpty() && size.isValid()) {
        reader.setClipRect(QRect(QPoint(0, 0), size.boundedTo(request.clipTo)));
    }
    QImage image = reader.read();
    if (!image.isNull() && !request.clipTo.isEmpty() && request.scaleTo.isEmpty() &&
        (image.width() > request.clipTo.width() || image.height() > request.clipTo.height())) {
        image = image.copy(QRect(QPoint(0, 0), image.size().boundedTo(request.clipTo)));
    }
    return ready(std::move(image));
}

}  // namespace kavimo::pictures
