#include "pictures/PictureLoader.h"

#include "platform/FileLookup.h"
#include "pictures/JpegTop.h"
#include "pictures/PngRows.h"

#include <QImageReader>
#include <QLoggingCategory>

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

bool tooBigToHold(QSize size, QImage::Format format) {
    const qint64 limitMB = QImageReader::allocationLimit();
    if (limitMB <= 0 || !size.isValid()) return false;
    const qint64 bitsPerPixel = format == QImage::Format_Grayscale8 || format == QImage::Format_Indexed8 ? 8 : 32;
    const qint64 bytesPerLine = ((qint64{size.width()} * bitsPerPixel + 31) >> 5) << 2;
    return bytesPerLine * size.height() >= (limitMB << 20);
}

QImage load(const QString& path, const PictureRequest& request) {
    if (!fs::fileExists(path)) return {};
    static const bool configured = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMB);
        // libjpeg reports the skipped rest of each scan of a cut progressive JPEG as
        // corrupt data; the game logs nothing anyway.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg.warning=false"));
        return true;
    }();
    (void)configured;

    const QString file = fs::resolve(path);
    if (request.scaleTo.isEmpty() && !request.clipTo.isEmpty()) {
        // Qt decodes the whole of a PNG or a progressive JPEG to show a corner; decoding
        // the top rows alone gives the same pixels.
        if (auto top = readPngTop(file, request.clipTo)) return ready(std::move(*top));
        if (auto top = readProgressiveJpegTop(file, request.clipTo)) return ready(std::move(*top));
    }

    const std::unique_ptr<QFile> device = fs::openRegular(path);
    if (!device) return {};
    QImageReader reader(device.get());
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    // Refused from its header: to show even a corner or a thumbnail of a progressive JPEG
    // the decoder sets memory aside for the whole picture, and Qt checks only what it is
    // asked to return (a 210-byte file claiming 34816 x 30744 took 2 GB and seconds).
    if (tooBigToHold(size, reader.imageFormat())) return {};

    // Only the JPEG decoder scales while decoding; other formats are scaled here after a
    // conversion to full colour, since Qt scales one-bit pictures in black and white.
    const bool scaleInDecoder = reader.format() == "jpeg";
    if (!request.scaleTo.isEmpty() && scaleInDecoder) {
        reader.setScaledSize(request.scaleTo);
    } else if (!request.clipTo.isEmpty() && size.isValid()) {
        reader.setClipRect(QRect(QPoint(0, 0), size.boundedTo(request.clipTo)));
    }
    QImage image = reader.read();
    if (!image.isNull() && !request.clipTo.isEmpty() && request.scaleTo.isEmpty() &&
        (image.width() > request.clipTo.width() || image.height() > request.clipTo.height())) {
        image = image.copy(QRect(QPoint(0, 0), image.size().boundedTo(request.clipTo)));
    }
    image = ready(std::move(image));
    if (!request.scaleTo.isEmpty() && !image.isNull() && image.size() != request.scaleTo)
        image = image.scaled(request.scaleTo, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace kavimo::pictures
