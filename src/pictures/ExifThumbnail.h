// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small copy of a photo that cameras and phones embed in its Exif data: a preview
// from it costs a 160 x 120 decode instead of a whole photo's.

#include <QByteArray>
#include <QImage>

#include <optional>

namespace kavimo::pictures {

// The embedded thumbnail of the JPEG whose first bytes are head, decoded as stored (not
// turned by the orientation tag); nothing when there is none or it does not decode.
std::optional<QImage> exifThumbnail(const QByteArray& head);

}  // namespace kavimo::pictures
