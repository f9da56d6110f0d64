#pragma once
// Decoding pictures through QImageReader, only as much of them as is shown; for a card's
// corner of a PNG or a progressive JPEG only their top rows (PngRows.h, JpegTop.h).

#include <QImage>
#include <QSize>
#include <QString>

namespace kavimo::pictures {

// How much of a picture is wanted. Decoding less keeps large photos cheap; what is shown
// on screen is the same, because a card clips at its inner area and the preview stretches.
struct PictureRequest {
    QSize clipTo;   // keep only this top-left part (empty: the whole picture)
    QSize scaleTo;  // stretch to exactly this size (empty: own size)
};

// Loads the picture at path (looked up with fs::resolve). A null image when the file is
// missing, is not a picture, or would need more memory than a picture is allowed. Safe to
// call from several threads at once.
QImage load(const QString& path, const PictureRequest& request = {});

// Whether a picture of this size, held whole in format, is beyond what a picture is
// allowed (Qt's allocation limit, counted as Qt counts it).
bool tooBigToHold(QSize size, QImage::Format format = QImage::Format_ARGB32);

}  // namespace kavimo::pictures
