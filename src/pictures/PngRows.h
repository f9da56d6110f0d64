// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNGs read row by row through libpng: a card shows only a corner of its picture and the
// preview a 49 x 49 stamp, and Qt would inflate a whole camera-sized PNG for either.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace kavimo::pictures {

// Whether the PNG whose first bytes are head is of a kind read here: non-interlaced 8-bit
// grey (without a transparent colour), palette, RGB (with or without a transparent
// colour), grey with alpha or RGBA. The decision is the header's, so that a picture is
// decoded the same way whatever part of it is asked for.
bool readsByRows(const QByteArray& head);

// The part of the PNG on device (read from its start) in the pixel format and with the
// pixels that QImageReader gives for the whole picture. Only rows down to the part's
// bottom are decoded, and only one row is held at a time besides the part. Nothing
// (nullopt) for a kind that is not read here, for a picture beyond tooBigToHold, a part
// outside the picture, and when libpng meets an error: the caller decodes those with Qt.
std::optional<QImage> readPngPart(QIODevice& device, QRect part);

// The whole PNG on device, as readPngPart gives a part of it.
std::optional<QImage> readPng(QIODevice& device);
// The same for the file or resource at path: the program's own pictures, read without the
// listing of every picture plugin that Qt's reader does first.
std::optional<QImage> readPng(const QString& path);

// Whether the PNG ends before its IEND chunk: a download or a copy cut short. A file that is
// no PNG is not judged.
bool pngCutShort(QByteArrayView png);

// The whole PNG on device averaged down to at most box (each side only where it is longer),
// as ARGB32_Premultiplied, holding one row and one row of sums at a time. Same refusals
// as readPngPart, but a PNG that ends early or is damaged below its first row gives the
// rows before that, grey below them, as a JPEG that ends early is shown.
std::optional<QImage> readPngShrunk(QIODevice& device, QSize box);

}  // namespace kavimo::pictures
