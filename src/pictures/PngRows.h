#pragma once
// The top rows of a PNG, read straight through libpng: a card shows only its picture's
// top-left corner, and Qt would inflate a whole camera-sized PNG to crop it.

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace kavimo::pictures {

// The top-left part of the PNG file at path, at most clip in size, in the pixel format and
// with the pixels that QImageReader gives for the whole picture. Only rows down to the
// clip's bottom are decoded.
//
// Handles non-interlaced 8-bit PNGs: grey (without a transparent colour), palette, RGB
// (with or without a transparent colour), grey with alpha and RGBA. Nothing (nullopt) for
// any other file, for a picture too big for Qt's allocation limit, and when libpng meets an
// error: the caller decodes those with QImageReader, as before.
std::optional<QImage> readPngTop(const QString& path, QSize clip);

}  // namespace kavimo::pictures
