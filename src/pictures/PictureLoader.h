// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding pictures the right way up (the Exif orientation tag), only as much of them as
// is shown and within a memory bound: a card's corner of a PNG or a progressive JPEG from
// its top rows (PngRows.h, JpegTop.h), a preview from a photo's own thumbnail
// (ExifThumbnail.h) or a PNG shrunk row by row.

#include <QFile>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QSize>
#include <QString>

namespace kavimo::pictures {

// How much of a picture is wanted. Decoding less keeps large photos cheap; what is shown
// on screen is the same, because a card clips at its inner area and the preview stretches.
// Both refer to the upright picture.
struct PictureRequest {
    QSize clipTo;   // keep only this top-left part (empty: the whole picture)
    QSize scaleTo;  // stretch to exactly this size (empty: own size)
};

// Loads the picture at path (looked up with fs::resolve), turned upright. A null image when
// the file is missing, is not a picture, or would need more memory than a picture is
// allowed; that rule depends on the picture alone, not on the request, except that the
// whole of a picture is given only up to 160 MB. Safe to call from several threads at once.
QImage load(const QString& path, const PictureRequest& request = {});

// The same for a file opened with fs::openRegular(), read from its start: a picture found on
// one thread can be decoded on another.
QImage load(QFile& file, const PictureRequest& request = {});

// The turn that stands the picture in file upright where Qt's reader finds no orientation tag
// although the picture has one: a JPEG whose Exif segment comes after an XMP one. Reads file
// from its start.
QImageIOHandler::Transformations uprightTurn(QFile& file);

// image turned as turn says, the way Qt's reader turns a picture itself.
QImage turned(QImage image, QImageIOHandler::Transformations turn);

// Whether the picture in file is a JPEG or a PNG cut short (jpegCutShort in JpegTop.h,
// pngCutShort in PngRows.h).
bool cutShort(QFile& file);

// The size of the picture that reader reads: Qt 6.4 gives a top-down BMP's height as negative,
// and decodes it upright.
QSize storedSize(QImageReader& reader);

// The format reader says it decodes to, or Format_Invalid: for some damaged JPEG headers, Qt
// 6.4's reader gives a number that is no format at all.
QImage::Format storedFormat(QImageReader& reader);

// Whether the picture in file is refused for the memory it would need: tooBigToHold, or a
// progressive JPEG whose decoder would set more aside than one picture may. Reads file from
// its start.
bool refusedForSize(QFile& file);

// Whether a picture of this size, held whole in format, is beyond the largest picture
// shown at all (512 MB, counted as Qt counts it), however little of it is decoded.
bool tooBigToHold(QSize size, QImage::Format format = QImage::Format_ARGB32);

}  // namespace kavimo::pictures
