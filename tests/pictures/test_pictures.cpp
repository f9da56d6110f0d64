// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures decoded only as far as they are shown, the right way up, and within the memory
// bound however large they are.
#include "pictures/JpegTop.h"
#include "pictures/PictureLoader.h"
#include "pictures/PngRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <zlib.h>

#include <array>
#include <string>
#include <vector>
#include <cstdio>
#include <cstdlib>

namespace kavimo::test {
namespace {

QImage photo(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 5) ^ y, y * 3, (x * y) % 251, 40 + x + y));
    return image.convertToFormat(format, Qt::ThresholdDither);
}

QByteArray jpeg(const QImage& image, bool progressive) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A PNG that Qt does not write, byte by byte: each pixel `bytes` bytes that differ from
// place to place; Adam7's seven passes when interlaced.
QByteArray rawPng(int depth, int colour, int bytes, const QByteArray& before = {}, bool interlaced = false) {
    using Pass = std::array<int, 4>;  // left, top, step across, step down
    const std::vector<Pass> passes =
        interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                   : std::vector<Pass>{{0, 0, 1, 1}};
    QByteArray rows;
    for (const auto& [left, top, across, down] : passes) {
        for (int y = top; y < 70; y += down) {
            rows += '\0';  // no filter
            for (int x = left; x < 90; x += across)
                for (int i = 0; i < bytes; ++i) rows += char((x * 7 + y * 13 + i * 50) & 0xff);
        }
    }
    return png(90, 70, depth, colour, qCompress(rows).mid(4), before, interlaced);
}

// A card shows the top-left corner of its picture. Of a PNG only the rows down to the
// card's edge are decoded, of a progressive JPEG a file cut short in height; either way
// the card shows what Qt's decode of the whole file shows there.
TEST(CardPicture, IsTheCornerOfTheWholePictureHoweverItIsDecoded) {
    QByteArray damaged = encoded(photo(150, 100, QImage::Format_RGB32), "PNG");
    damaged[damaged.indexOf("IDAT") + 4] = '\x55';  // no zlib stream
    QByteArray withRestarts = jpeg(photo(333, 517, QImage::Format_RGB32), true);
    withRestarts.insert(withRestarts.indexOf("\xff\xda"), QByteArray("\xff\xdd\x00\x04\x00\x02", 6));
    const struct {
        const char* name;
        QByteArray bytes;
        bool topOnly;
    } pictures[] = {
        {"RGB PNG", encoded(photo(150, 100, QImage::Format_RGB32), "PNG"), true},
        {"RGBA PNG", encoded(photo(150, 100, QImage::Format_ARGB32), "PNG"), true},
        {"grey PNG", encoded(photo(150, 100, QImage::Format_Grayscale8), "PNG"), true},
        {"palette PNG with alpha", encoded(photo(150, 100, QImage::Format_Indexed8), "PNG"), true},
        {"grey PNG with alpha", rawPng(8, 4, 2), true},
        {"RGB PNG with a transparent colour",
         rawPng(8, 2, 3, pngChunk("tRNS", QByteArray("\0\x07\0\x0e\0\x15", 6))), true},
        {"palette PNG with indices beyond it",
         rawPng(8, 3, 1, pngChunk("PLTE", randomBytes(18, 1)) + pngChunk("tRNS", "\x10\x80")), true},
        {"16-bit PNG", rawPng(16, 2, 6), false},
        {"interlaced PNG", rawPng(8, 2, 3, {}, true), false},
        {"grey PNG with a transparent colour", rawPng(8, 0, 1, pngChunk("tRNS", QByteArray("\0\x05", 2))),
         false},
        {"PNG damaged in the rows shown", damaged, false},
        {"progressive JPEG", jpeg(photo(333, 517, QImage::Format_RGB32), true), true},
        {"progressive grey JPEG", jpeg(photo(333, 517, QImage::Format_Grayscale8), true), true},
        {"progressive JPEG no taller than a card", jpeg(photo(120, 75, QImage::Format_RGB32), true), false},
        {"progressive JPEG with restart markers", withRestarts, false},
        {"baseline JPEG", jpeg(photo(333, 517, QImage::Format_RGB32), false), false},
        {"BMP", encoded(photo(150, 100, QImage::Format_RGB32), "BMP"), false},
    };
    TempDir dir;
    for (const auto& p : pictures) {
        const QString path = dir.write("picture", p.bytes);
        for (const QSize card : {QSize(62, 62), QSize(97, 97), QSize(400, 60)}) {
            SCOPED_TRACE(
                QString("%1 in %2 x %3").arg(p.name).arg(card.width()).arg(card.height()).toStdString());
            QImageReader qt(path);
            const QRect part(QPoint(0, 0), qt.size().boundedTo(card));
            const QImage corner = qt.read().copy(part);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            std::optional<QImage> top = pictures::readPngPart(file, part);
            if (!top) top = pictures::readProgressiveJpegTop(file, part);
            EXPECT_EQ(top.has_value(), p.topOnly);
            if (top) {
                EXPECT_EQ(*top, corner);
            }
            const auto shown = QImage::Format_ARGB32_Premultiplied;
            EXPECT_EQ(pictures::load(path, {card, QSize()}).convertToFormat(shown),
                      corner.convertToFormat(shown));
        }
    }
}

QByteArray bigEndian16(int value) {
    const char bytes[] = {char(value >> 8), char(value & 0xff)};
    return QByteArray(bytes, 2);
}
QByteArray bigEndian32(quint32 value) {
    return bigEndian16(int(value >> 16)) + bigEndian16(int(value & 0xffff));
}

// A JPEG with an Exif segment after its start: the orientation tag and, when given, an
// embedded thumbnail, as a phone writes them.
QByteArray withExif(const QByteArray& jpegBytes, int orientation, const QByteArray& thumbnail = {}) {
    QByteArray tiff = QByteArray("MM") + bigEndian16(42) + bigEndian32(8);
    constexpr int kFirstDirectoryEnd = 8 + 2 + 12 + 4;
    tiff += bigEndian16(1) + bigEndian16(0x0112) + bigEndian16(3) + bigEndian32(1) +
            bigEndian16(orientation) + bigEndian16(0);
    tiff += bigEndian32(thumbnail.isEmpty() ? 0 : kFirstDirectoryEnd);
    if (!thumbnail.isEmpty()) {  // the second directory: where the thumbnail is and its length
        tiff += bigEndian16(2);
        tiff += bigEndian16(0x0201) + bigEndian16(4) + bigEndian32(1) +
                bigEndian32(kFirstDirectoryEnd + 2 + 24 + 4);
        tiff +=
            bigEndian16(0x0202) + bigEndian16(4) + bigEndian32(1) + bigEndian32(quint32(thumbnail.size()));
        tiff += bigEndian32(0) + thumbnail;
    }
    const QByteArray segment = QByteArray("Exif\0\0", 6) + tiff;
    return jpegBytes.left(2) + "\xff\xe1" + bigEndian16(int(segment.size()) + 2) + segment + jpegBytes.mid(2);
}

// Four flat quarters: red top left, green top right, blue bottom left, yellow bottom right.
QImage quarters(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
    return image;
}

// The named colour nearest to rgb, so that JPEG's small shifts do not matter.
const char* colourName(QRgb rgb) {
    const struct {
        const char* name;
        QRgb rgb;
    } colours[] = {{"red", qRgb(255, 0, 0)},
                   {"green", qRgb(0, 255, 0)},
                   {"blue", qRgb(0, 0, 255)},
                   {"yellow", qRgb(255, 255, 0)}};
    const char* nearest = "none";
    int best = 3 * 60 * 60;  // further than this is no flat colour at all
    for (const auto& c : colours) {
        const int dr = qRed(rgb) - qRed(c.rgb), dg = qGreen(rgb) - qGreen(c.rgb),
                  db = qBlue(rgb) - qBlue(c.rgb);
        if (dr * dr + dg * dg + db * db < best) {
            best = dr * dr + dg * dg + db * db;
            nearest = c.name;
        }
    }
    return nearest;
}

// A phone stores a portrait photo turned and says so in the orientation tag: a card shows
// the top-left corner of the upright photo, exactly as Qt decodes it upright and whole,
// and the preview stands upright too.
TEST(TurnedPhoto, ShowsTheUprightCornerOnACardAndStandsUprightInThePreview) {
    const struct {
        int orientation;
        const char* topLeft;  // the quarter of the stored picture that comes to the top left
    } cases[] = {
        {.orientation = 1, .topLeft = "red"},    {.orientation = 2, .topLeft = "green"},
        {.orientation = 3, .topLeft = "yellow"}, {.orientation = 4, .topLeft = "blue"},
        {.orientation = 5, .topLeft = "red"},    {.orientation = 6, .topLeft = "blue"},
        {.orientation = 7, .topLeft = "yellow"}, {.orientation = 8, .topLeft = "green"},
    };
    TempDir dir;
    const QImage stored = quarters(QSize(320, 200));
    for (const auto& c : cases) {
        for (const bool progressive : {false, true}) {
            const QString path = dir.write("photo.jpg", withExif(jpeg(stored, progressive), c.orientation));
            QImageReader qt(path);
            qt.setAutoTransform(true);
            const QImage upright = qt.read().convertToFormat(QImage::Format_RGB32);
            for (const QSize card : {QSize(99, 99), QSize(400, 60)}) {
                SCOPED_TRACE(QString("orientation %1%2 in %3 x %4")
                                 .arg(c.orientation)
                                 .arg(progressive ? ", progressive" : "")
                                 .arg(card.width())
                                 .arg(card.height())
                                 .toStdString());
                const QImage shown = pictures::load(path, {card, QSize()});
                EXPECT_EQ(shown, upright.copy(QRect(QPoint(0, 0), upright.size().boundedTo(card))));
                EXPECT_STREQ(colourName(shown.pixel(0, 0)), c.topLeft);
            }
            const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
            ASSERT_EQ(preview.size(), QSize(49, 49)) << c.orientation;
            EXPECT_STREQ(colourName(preview.pixel(3, 3)), c.topLeft) << c.orientation;
            EXPECT_STREQ(colourName(preview.pixel(45, 45)),
                         colourName(upright.pixel(upright.width() - 1, upright.height() - 1)))
                << c.orientation;
        }
    }
}

// The thumbnail a camera embeds makes the preview without decoding the photo, turned as the
// photo is; one of another shape (letterboxed, or left from before a crop) is passed over.
TEST(PhotoPreview, ComesFromTheEmbeddedThumbnailOnlyWhenItHasThePhotosShape) {
    const struct {
        const char* name;
        QSize photo;
        int orientation;
        QImage thumbnail;
        const char* topLeft;
    } cases[] = {
        {.name = "same shape",
         .photo = {400, 300},
         .orientation = 1,
         .thumbnail = quarters({160, 120}),
         .topLeft = "red"},
        {.name = "same shape, turned",
         .photo = {400, 300},
         .orientation = 6,
         .thumbnail = quarters({160, 120}),
         .topLeft = "blue"},
        {.name = "letterboxed",
         .photo = {400, 225},
         .orientation = 1,
         .thumbnail = quarters({160, 120}),
         .topLeft = "yellow"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage photo(c.photo, QImage::Format_RGB32);
        photo.fill(Qt::yellow);
        const QString path =
            dir.write("photo.jpg", withExif(jpeg(photo, false), c.orientation, jpeg(c.thumbnail, false)));
        const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
        ASSERT_EQ(preview.size(), QSize(49, 49));
        EXPECT_STREQ(colourName(preview.pixel(3, 3)), c.topLeft);
    }
}

// A header that claims size, otherwise the file as it was.
QByteArray claiming(QByteArray bytes, QSize size) {
    if (bytes.startsWith("BM")) {  // little-endian width and height at 18 and 22
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = char(size.width() >> (8 * i));
            bytes[22 + i] = char(size.height() >> (8 * i));
        }
    } else {  // a JPEG's frame header: height, then width
        const qsizetype frame = bytes.indexOf("\xff\xc2");
        bytes.replace(frame + 5, 4, bigEndian16(size.height()) + bigEndian16(size.width()));
    }
    return bytes;
}

// What must be decoded whole to be shown at all (every coefficient of a progressive JPEG,
// all of a BMP) is held to 160 MB; beyond, the picture is refused from its header for the
// card, the preview and the closing picture alike.
TEST(PictureBeyondTheBudget, IsRefusedForCardPreviewAndClosingPictureAlike) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {.name = "progressive grey JPEG of 9500 x 9500 (180 MB of coefficients)",
         .bytes = claiming(jpegBomb(), {9500, 9500})},
        {.name = "BMP of 7000 x 7000 (196 MB)",
         .bytes = claiming(encoded(photo(8, 8, QImage::Format_RGB32), "BMP"), {7000, 7000})},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write("picture", c.bytes);
        ASSERT_FALSE(pictures::tooBigToHold(QImageReader(path).size()));
        EXPECT_TRUE(pictures::load(path, {QSize(99, 99), QSize()}).isNull());
        EXPECT_TRUE(pictures::load(path, {QSize(), QSize(49, 49)}).isNull());
        EXPECT_TRUE(pictures::load(path, {QSize(538, 517), QSize()}).isNull());
    }
}

// An RGBA PNG of side x side in 0.5 MB, written a row at a time: red at the top left, the
// rest blue.
QByteArray hugePng(int side) {
    z_stream zlib{};
    deflateInit(&zlib, Z_BEST_SPEED);
    QByteArray out;
    std::vector<uchar> row(size_t(side) * 4 + 1);
    std::vector<uchar> buffer(1 << 16);
    for (int y = 0; y < side; ++y) {
        // Each half's first row in full, the rows below it as "same as above" (filter Up).
        const bool first = y == 0 || y == side / 2;
        row[0] = first ? 0 : 2;
        for (int x = 0; x < side; ++x) {
            const bool red = y < side / 2 && x < side / 2;
            const uchar pixel[4] = {uchar(red ? 255 : 0), 0, uchar(red ? 0 : 255), 255};
            for (int i = 0; i < 4; ++i) row[size_t(x) * 4 + 1 + size_t(i)] = first ? pixel[i] : 0;
        }
        zlib.next_in = row.data();
        zlib.avail_in = uInt(row.size());
        const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
        do {
            zlib.next_out = buffer.data();
            zlib.avail_out = uInt(buffer.size());
            deflate(&zlib, flush);
            out.append(reinterpret_cast<const char*>(buffer.data()),
                       qsizetype(buffer.size() - zlib.avail_out));
        } while (zlib.avail_out == 0);
    }
    deflateEnd(&zlib);
    return png(side, side, 8, 6, out);
}

// Just under the largest picture shown (529 MB once inflated): shown as preview, card and
// closing picture, while the process never holds more than 300 MB. In a process of its
// own, so that the peak is this test's.
TEST(HugePicture, OfElevenThousandFiveHundredPixelsASideIsShownEverywhereWithinTheMemoryBound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TempDir dir;
            const QString path = dir.write("huge.png", hugePng(11500));
            const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
            const QImage card = pictures::load(path, {QSize(99, 99), QSize()});
            const QImage closing = pictures::load(path, {QSize(538, 517), QSize()});
            const int64_t peakMB = peakResidentBytes() >> 20;
            std::fprintf(stderr, "preview %s %s, card %s %dx%d, closing %dx%d, peak %lld MB\n",
                         colourName(preview.pixel(0, 0)), colourName(preview.pixel(48, 48)),
                         colourName(card.pixel(0, 0)), card.width(), card.height(), closing.width(),
                         closing.height(), static_cast<long long>(peakMB));
            const bool right =
                preview.size() == QSize(49, 49) && colourName(preview.pixel(0, 0)) == std::string("red") &&
                colourName(preview.pixel(48, 48)) == std::string("blue") && card.size() == QSize(99, 99) &&
                colourName(card.pixel(0, 0)) == std::string("red") && closing.size() == QSize(538, 517);
            std::exit(right && peakMB < 300 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavimo::test
