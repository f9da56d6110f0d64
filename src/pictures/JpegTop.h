// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The top rows of a progressive JPEG without decoding the rest. Every scan of such a file
// covers the whole picture, so Qt decodes all of it even for a card's corner. Told that
// the picture is only a little taller than the corner, the decoder takes from each scan
// just the blocks of those rows and skips the rest of the scan to its end marker.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>

namespace kavimo::pictures {

struct CutJpeg {
    QByteArray bytes;  // the file with its frame height cut
    QSize whole;       // the picture's own size
};

// What a JPEG's frame header tells before any decoding.
struct JpegFrame {
    bool progressive = false;
    QSize size;
    // What the decoder sets aside to decode a progressive picture at all: every coefficient
    // of every block, two bytes each, whatever part of the picture is asked for.
    qint64 coefficientBytes = 0;
    // The first APP1 segment that holds Exif data, from its "Exif" header on. Qt's reader and
    // libexif look only at the first APP1 segment, which some editors give to XMP instead.
    QByteArray exif;
    bool exifAfterOtherApp1 = false;  // where Qt's reader does not see the orientation tag
};

// The frame header of the JPEG on device (read from its start); nothing when it is no JPEG
// or ends before its frame header.
std::optional<JpegFrame> jpegFrame(QIODevice& device);

// Whether the JPEG ends before its end-of-image marker: a download or a copy cut short, whose
// missing rows decoders fill with grey. Data after the marker (a phone's motion video) is no
// fault; a file that is no JPEG is not judged.
bool jpegCutShort(const QByteArray& jpeg);

// A progressive, 8-bit JPEG with its frame height cut to at least one whole row of blocks
// more than rows (the neighbours that smooth colour at the corner's lower edge), or
// nothing when the file is none or is not taller than that. Arithmetic-coded files, files
// with restart markers and files whose height comes later are not cut.
std::optional<CutJpeg> cutProgressiveJpeg(QByteArray jpeg, int rows);

// The part of the JPEG on device (read from its start), a part that begins at the top row,
// as QImageReader decodes it from the whole file when cutProgressiveJpeg applies to it;
// nothing otherwise, also when the whole picture is beyond tooBigToHold.
std::optional<QImage> readProgressiveJpegTop(QIODevice& device, QRect part);

}  // namespace kavimo::pictures
