// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a photo's Exif data tells: the small copy that cameras and phones embed (a preview
// from it costs a 160 x 120 decode instead of a whole photo's), and the turn that stands it
// upright.

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>

#include <optional>

namespace kavimo::pictures {

// exif: a JPEG's Exif segment from its "Exif" header on (JpegFrame::exif).

// The embedded thumbnail, decoded as stored (not turned by the orientation tag); nothing when
// there is none or it does not decode.
std::optional<QImage> exifThumbnail(const QByteArray& exif);

// The photo's size as its Exif data gives it (as stored); nothing without the two tags.
std::optional<QSize> exifPixelSize(const QByteArray& exif);

// The turn that the orientation tag asks for, as Qt's reader names it; nothing without a
// valid tag.
std::optional<QImageIOHandler::Transformations> exifTurn(const QByteArray& exif);

}  // namespace kavimo::pictures
