#pragma once
// Decoding pictures through QImageReader, only as much of them as is shown; for a card's
// corner of a PNG or a progressive JPEG only their top rows (PngRows.h, JpegTop.h).

#include "platform/Platform.h"

namespace kavimo::pictures {

// Loads the picture at path (looked up with fs::resolve). A null image when the file is
// missing, is not a picture, or would need more memory than a picture is allowed.
QImage load(const QString& path, const PictureRequest& request = {});

// Whether a picture of this size, held whole in format, is beyond what a picture is
// allowed (Qt's allocation limit, counted as Qt counts it).
bool tooBigToHold(QSize size, QImage::Format format = QImage::Format_ARGB32);

}  // namespace kavimo::pictures
