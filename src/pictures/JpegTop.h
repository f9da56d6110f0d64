#pragma once
// The top rows of a progressive JPEG without decoding the rest. Every scan of such a file
// covers the whole picture, so Qt decodes all of it even for a card's corner. Told that
// the picture is only a little taller than the corner, the decoder takes from each scan
// just the blocks of those rows and skips the rest of the scan to its end marker.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace kavimo::pictures {

struct CutJpeg {
    QByteArray bytes;  // the file with its frame height cut
    QSize whole;       // the picture's own size
};

// A progressive, 8-bit JPEG with its frame height cut to at least one whole row of blocks
// more than rows (the neighbours that smooth colour at the corner's lower edge), or
// nothing when the file is none or is not taller than that. Arithmetic-coded files, files
// with restart markers and files whose height comes later are not cut.
std::optional<CutJpeg> cutProgressiveJpeg(QByteArray jpeg, int rows);

// The top-left part of the JPEG file at path, at most clip in size, as QImageReader
// decodes it from the whole file, when cutProgressiveJpeg applies to it; nothing
// otherwise, also when the whole picture would be beyond Qt's allocation limit.
std::optional<QImage> readProgressiveJpegTop(const QString& path, QSize clip);

}  // namespace kavimo::pictures
