// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/PictureLoader.h"

#include "pictures/ExifThumbnail.h"
#include "pictures/JpegTop.h"
#include "pictures/PngRows.h"
#include "platform/FileLookup.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QLoggingCategory>
#include <QTransform>

#include <cstdlib>
#include <memory>

namespace kavimo::pictures {

namespace {

// The single place where a picture's file is opened; every decoder reads from it.
std::unique_ptr<QFile> openFile(const QString& path) { return fs::openRegular(path); }

// The largest picture shown at all, counted as Qt counts a whole decode: an 11500 x 11500
// photo passes, a file that claims 30000 x 30000 is refused before anything is decoded.
constexpr qint64 kLargestPictureMB = 512;
// What decoding one picture may set aside at once, so that no picture takes the game
// beyond 300 MB. Qt's own allocation limit is set to it too.
constexpr int kBudgetMB = 160;
constexpr qint64 kBudgetBytes = qint64{kBudgetMB} << 20;
// Enough for a PNG's chunks before its rows (a longer header is left to Qt).
constexpr qint64 kPngHeadBytes = 4096;
// A thumbnail whose shape is further than this from its photo's is letterboxed or stale.
constexpr int kShapeTolerancePercent = 2;

// A JPEG's start that holds its Exif segment (at most 64 KB) after others, when the frame
// walk could not find it.
constexpr qint64 kExifHeadBytes = qint64{128} * 1024;

using Turn = QImageIOHandler::Transformations;

// How a picture is decoded, decided from its header alone, so that every request for one
// picture meets the same memory rule: a picture is shown everywhere or nowhere.
enum class Decoding {
    PngRows,          // row by row, never whole (PngRows.h)
    Jpeg,             // Qt's reader clips and scales while it decodes, a few rows at a time
    ProgressiveJpeg,  // the top rows cut out (JpegTop.h), otherwise every coefficient held
    Whole,            // decoded whole by Qt, then cut or scaled
};

struct Picture {
    Decoding decoding = Decoding::Whole;
    QByteArray format;  // as QImageReader names it
    QSize stored;       // before the orientation tag turns it
    Turn turn = QImageIOHandler::TransformationNone;
    QByteArray exif;  // a JPEG's Exif segment (JpegFrame::exif)
    bool grey = false;
    // The reader that read the header, kept to decode without reading the header again
    // while the file stands where it left it (a quarter of a baseline JPEG card's time).
    std::unique_ptr<QImageReader> reader;
    qint64 readerAt = -1;
};

// What Qt holds to decode a picture of this size whole, and the 32-bit copy that showing
// and scaling it take unless it has 32-bit pixels already.
qint64 wholeDecodeBytes(QSize size, QImage::Format format) {
    int bits = QImage::toPixelFormat(format).bitsPerPixel();
    if (bits <= 0) bits = 32;
    const qint64 held = ((qint64{size.width()} * bits + 31) >> 5 << 2) * size.height();
    return bits == 32 ? held : held + qint64{size.width()} * size.height() * 4;
}

// Nothing when the file is no picture, or is refused for its size (then *tooBig is set).
std::optional<Picture> inspect(QFile& file, bool* tooBig = nullptr) {
    Picture picture;
    const QByteArray head = file.peek(kPngHeadBytes);
    const bool jpeg = head.startsWith("\xff\xd8");
    const std::optional<JpegFrame> frame = jpeg ? jpegFrame(file) : std::nullopt;
    if (!file.seek(0)) return std::nullopt;
    // A frame walk stopped by stray bytes (libjpeg skips them): libexif looks itself.
    if (jpeg && !frame) picture.exif = file.peek(kExifHeadBytes);
    // The usual kinds are named from their signature: to recognise a file itself, Qt loads
    // every picture plugin it has, and the libraries behind them, even for a PNG.
    const QByteArray known = jpeg                                  ? QByteArrayLiteral("jpeg")
                             : head.startsWith("\x89PNG\r\n\x1a\n") ? QByteArrayLiteral("png")
                                                                     : QByteArray();
    picture.reader = std::make_unique<QImageReader>(&file, known);
    QImageReader& reader = *picture.reader;
    reader.setAutoDetectImageFormat(known.isEmpty());
    reader.setAutoTransform(false);
    picture.stored = storedSize(reader);
    // Refused from the header: to show even a corner or a thumbnail of a progressive JPEG
    // the decoder sets memory aside for the whole picture (a 210-byte file claiming
    // 34816 x 30744 took 2 GB and seconds).
    if (picture.stored.isEmpty()) return std::nullopt;
    const auto refused = [tooBig] {
        if (tooBig) *tooBig = true;
        return std::nullopt;
    };
    const QImage::Format decoded = storedFormat(reader);
    if (tooBigToHold(picture.stored, decoded)) return refused();
    picture.format = reader.format();
    picture.grey = decoded == QImage::Format_Grayscale8;
    picture.turn = reader.transformation();
    if (frame) picture.exif = frame->exif;
    // Qt's reader finds no tag where an XMP segment comes before the Exif one.
    if (frame && frame->exifAfterOtherApp1)
        if (const auto turn = exifTurn(picture.exif)) picture.turn = *turn;

    qint64 need = 0;
    if (picture.format == "png" && readsByRows(head)) {
        picture.decoding = Decoding::PngRows;
    } else if (picture.format == "jpeg") {
        picture.decoding = frame && !frame->progressive ? Decoding::Jpeg : Decoding::ProgressiveJpeg;
        // A frame header out of place (libjpeg skips stray bytes) counts as the costliest
        // kind: three full-size components.
        const qint64 area = qint64{picture.stored.width()} * picture.stored.height();
        if (picture.decoding == Decoding::ProgressiveJpeg) need = frame ? frame->coefficientBytes : area * 6;
    } else {
        need = wholeDecodeBytes(picture.stored, decoded);
    }
    if (need > kBudgetBytes) return refused();
    picture.readerAt = file.pos();
    return picture;
}

// The rectangle of the stored picture that becomes the upright picture's top-left corner
// of at most corner in size: mirrored first, then turned a quarter clockwise, as Qt does.
QRect storedCorner(QSize stored, QSize corner, Turn turn) {
    const bool quarter = turn & QImageIOHandler::TransformationRotate90;
    const QSize shown = (quarter ? stored.transposed() : stored).boundedTo(corner);
    const QSize part = quarter ? shown.transposed() : shown;
    int x = 0;
    int y = quarter ? stored.height() - part.height() : 0;  // the upright left column is the bottom row
    if (turn & QImageIOHandler::TransformationMirror) x = stored.width() - x - part.width();
    if (turn & QImageIOHandler::TransformationFlip) y = stored.height() - y - part.height();
    return QRect(QPoint(x, y), part);
}

QImage ready(QImage image) {
    if (image.isNull()) return image;
    // One conversion here instead of one per paint; in place where the pixels are 32-bit.
    const auto format = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return std::move(image).convertToFormat(format);
}

// Qt's own decode, the reader set up by setUp.
template <typename SetUp>
QImage readWithQt(QFile& file, Picture& picture, SetUp setUp) {
    std::unique_ptr<QImageReader> reader = std::move(picture.reader);
    if (!reader || file.pos() != picture.readerAt) {
        if (!file.seek(0)) return {};
        reader = std::make_unique<QImageReader>(&file, picture.format);
        reader->setAutoDetectImageFormat(false);
        reader->setAutoTransform(false);
    }
    setUp(*reader);
    return reader->read();
}

QImage corner(QFile& file, Picture& picture, QSize clip) {
    const QRect part = storedCorner(picture.stored, clip, picture.turn);
    std::optional<QImage> image;
    // Qt decodes the whole of a PNG or a progressive JPEG to show a corner; decoding the
    // rows down to the corner alone gives the same pixels. Files these readers turn down
    // (damaged rows, restart markers) go to Qt, within its allocation limit.
    if (picture.decoding == Decoding::PngRows) {
        image = readPngPart(file, part);
    } else if (picture.decoding == Decoding::ProgressiveJpeg && part.top() == 0) {
        image = readProgressiveJpegTop(file, part);
    }
    if (!image) {
        image = readWithQt(file, picture, [part](QImageReader& reader) { reader.setClipRect(part); });
        // Cut here should a reader not have cut it.
        if (image->size() == picture.stored && part.size() != picture.stored) image = image->copy(part);
    }
    return ready(turned(std::move(*image), picture.turn));
}

bool sameShape(QSize a, QSize b) {
    const qint64 across = qint64{a.width()} * b.height();
    const qint64 down = qint64{a.height()} * b.width();
    return std::llabs(across - down) * 100 <= std::max(across, down) * kShapeTolerancePercent;
}

// A thumbnail that an editor may have left as it was when it cropped, scaled or greyed the
// photo: the photo's size in the Exif data is not its own or not there (cameras and phones
// write it), or a grey photo has a colour thumbnail.
bool stale(const QImage& thumbnail, const Picture& picture) {
    const std::optional<QSize> said = exifPixelSize(picture.exif);
    if (!said || (*said != picture.stored && *said != picture.stored.transposed())) return true;
    return picture.grey && !thumbnail.isGrayscale();
}

QImage preview(QFile& file, Picture& picture, QSize box) {
    const QSize storedBox = (picture.turn & QImageIOHandler::TransformationRotate90) ? box.transposed() : box;
    QImage image;
    if (picture.decoding == Decoding::PngRows) {
        if (auto shrunk = readPngShrunk(file, storedBox)) image = std::move(*shrunk);
    } else if (picture.decoding != Decoding::Whole) {
        if (auto thumbnail = exifThumbnail(picture.exif);
            thumbnail && sameShape(thumbnail->size(), picture.stored) && !stale(*thumbnail, picture))
            image = std::move(*thumbnail);
    }
    if (image.isNull()) {
        // Only the JPEG reader scales while it decodes (by up to 1/8 in its transform).
        const bool scaleInDecoder =
            picture.decoding != Decoding::Whole && picture.decoding != Decoding::PngRows;
        image = readWithQt(file, picture, [&](QImageReader& reader) {
            if (scaleInDecoder) reader.setScaledSize(storedBox);
        });
    }
    // Converted before scaling, since Qt scales one-bit pictures in black and white.
    image = ready(std::move(image));
    if (!image.isNull() && image.size() != storedBox)
        image = image.scaled(storedBox, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return turned(std::move(image), picture.turn);
}

}  // namespace

QImage turned(QImage image, Turn turn) {
    if (turn == QImageIOHandler::TransformationNone || image.isNull()) return image;
    image = image.mirrored(turn & QImageIOHandler::TransformationMirror,
                           turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90) image = image.transformed(QTransform().rotate(90));
    return image;
}

Turn uprightTurn(QFile& file) {
    const std::optional<JpegFrame> frame = jpegFrame(file);
    const std::optional<Turn> turn =
        frame && frame->exifAfterOtherApp1 ? exifTurn(frame->exif) : std::nullopt;
    return turn.value_or(QImageIOHandler::TransformationNone);
}

bool cutShort(QFile& file) {
    if (!file.seek(0)) return false;
    const QByteArray head = file.peek(2);
    const bool jpeg = head.startsWith("\xff\xd8"), png = head.startsWith("\x89P");
    if (!jpeg && !png) return false;
    // Mapped, not read: the test walks the whole file.
    uchar* mapped = file.map(0, file.size());
    const QByteArray bytes =
        mapped ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size()) : file.readAll();
    const bool cut = jpeg ? jpegCutShort(bytes) : pngCutShort(bytes);
    if (mapped) file.unmap(mapped);
    return cut;
}

bool tooBigToHold(QSize size, QImage::Format format) {
    if (!size.isValid()) return false;
    const qint64 bitsPerPixel =
        format == QImage::Format_Grayscale8 || format == QImage::Format_Indexed8 ? 8 : 32;
    const qint64 bytesPerLine = ((qint64{size.width()} * bitsPerPixel + 31) >> 5) << 2;
    return bytesPerLine * size.height() >= (kLargestPictureMB << 20);
}

QSize storedSize(QImageReader& reader) {
    const QSize size = reader.size();
    return {std::abs(size.width()), std::abs(size.height())};
}

QImage::Format storedFormat(QImageReader& reader) {
    const int format = int(reader.imageFormat());  // held as a number until it is known to be one
    return format > QImage::Format_Invalid && format < QImage::NImageFormats ? QImage::Format(format)
                                                                             : QImage::Format_Invalid;
}

bool refusedForSize(QFile& file) {
    bool tooBig = false;
    return file.seek(0) && !inspect(file, &tooBig) && tooBig;
}

QImage load(const QString& path, const PictureRequest& request) {
    if (!fs::fileExists(path)) return {};
    const std::unique_ptr<QFile> file = openFile(path);
    return file ? load(*file, request) : QImage();
}

QImage load(QFile& file, const PictureRequest& request) {
    static const bool configured = [] {
        QImageReader::setAllocationLimit(kBudgetMB);
        // libjpeg reports the skipped rest of each scan of a cut progressive JPEG as
        // corrupt data; the game logs nothing anyway.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg.warning=false"));
        return true;
    }();
    (void)configured;

    if (!file.seek(0)) return {};
    std::optional<Picture> picture = inspect(file);
    if (!picture) return {};

    if (!request.scaleTo.isEmpty()) return preview(file, *picture, request.scaleTo);
    if (!request.clipTo.isEmpty()) return corner(file, *picture, request.clipTo);
    // The whole picture, but never more than the budget.
    if (qint64{picture->stored.width()} * picture->stored.height() * 4 > kBudgetBytes) return {};
    return corner(file, *picture, picture->stored.expandedTo(picture->stored.transposed()));
}

}  // namespace kavimo::pictures
