// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/ExifThumbnail.h"

#include <QBuffer>
#include <QImageReader>

#include <libexif/exif-data.h>

#include <memory>

namespace kavimo::pictures {

namespace {

// Exif allows thumbnails in 64 KB; a bigger claim is no thumbnail.
constexpr int kLargestSide = 640;

struct ExifDataUnref {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

std::optional<QImage> exifThumbnail(const QByteArray& head) {
    const std::unique_ptr<ExifData, ExifDataUnref> exif(exif_data_new_from_data(
        reinterpret_cast<const unsigned char*>(head.constData()), unsigned(head.size())));
    if (!exif || !exif->data || exif->size == 0) return std::nullopt;

    QByteArray bytes(reinterpret_cast<const char*>(exif->data), qsizetype(exif->size));
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

}  // namespace kavimo::pictures
