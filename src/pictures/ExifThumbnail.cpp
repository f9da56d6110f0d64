// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/ExifThumbnail.h"

#include <QBuffer>
#include <QImageReader>

#include <libexif/exif-data.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace kavimo::pictures {

namespace {

// Exif allows thumbnails in 64 KB; a bigger claim is no thumbnail.
constexpr int kLargestSide = 640;

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using Exif = std::unique_ptr<ExifData, ExifDataUnref>;

Exif parsed(const QByteArray& exif) {
    if (exif.isEmpty()) return nullptr;
    return Exif(exif_data_new_from_data(reinterpret_cast<const unsigned char*>(exif.constData()),
                                        unsigned(exif.size())));
}

}  // namespace

std::optional<QImage> exifThumbnail(const QByteArray& exif) {
    const Exif data = parsed(exif);
    if (!data || !data->data || data->size == 0) return std::nullopt;

    QByteArray bytes(reinterpret_cast<const char*>(data->data), qsizetype(data->size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);  // else Qt loads every picture plugin first
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isEmpty() || size.width() > kLargestSide || size.height() > kLargestSide) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

std::optional<QSize> exifPixelSize(const QByteArray& exif) {
    const Exif data = parsed(exif);
    if (!data) return std::nullopt;
    const ExifByteOrder order = exif_data_get_byte_order(data.get());
    const auto value = [&](ExifTag tag) -> std::optional<int> {
        const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], tag);
        if (!entry || entry->components < 1) return std::nullopt;
        if (entry->format == EXIF_FORMAT_SHORT) return exif_get_short(entry->data, order);
        if (entry->format == EXIF_FORMAT_LONG)
            return int(std::min<ExifLong>(exif_get_long(entry->data, order), INT_MAX));
        return std::nullopt;
    };
    const std::optional<int> width = value(EXIF_TAG_PIXEL_X_DIMENSION);
    const std::optional<int> height = value(EXIF_TAG_PIXEL_Y_DIMENSION);
    if (!width || !height) return std::nullopt;
    return QSize(*width, *height);
}

std::optional<QImageIOHandler::Transformations> exifTurn(const QByteArray& exif) {
    const Exif data = parsed(exif);
    if (!data) return std::nullopt;
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1) return std::nullopt;
    using T = QImageIOHandler;
    // Exif's eight orientations: how the stored rows and columns stand to the upright view.
    switch (exif_get_short(entry->data, exif_data_get_byte_order(data.get()))) {
    case 1: return T::TransformationNone;
    case 2: return T::TransformationMirror;
    case 3: return T::TransformationRotate180;
    case 4: return T::TransformationFlip;
    case 5: return T::TransformationFlipAndRotate90;
    case 6: return T::TransformationRotate90;
    case 7: return T::TransformationMirrorAndRotate90;
    case 8: return T::TransformationRotate270;
    default: return std::nullopt;
    }
}

}  // namespace kavimo::pictures
