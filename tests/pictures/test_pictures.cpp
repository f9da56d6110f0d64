// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures decoded only as far as they are shown, the right way up, and within the memory
// bound however large they are.
#include "pictures/JpegTop.h"
#include "pictures/PictureLoader.h"
#include "pictures/PngRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace kavimo::test {
namespace {

QImage photo(QImage::Format format, int width = 150, int height = 100) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 5) ^ y, y * 3, (x * y) % 251, 40 + x + y));
    return image.convertToFormat(format, Qt::ThresholdDither);
}

QByteArray jpeg(const QImage& image, bool progressive) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

// A card shows the top-left corner of its picture. Of a PNG only the rows down to the
// card's edge are decoded, of a progressive JPEG a file cut short in height; either way
// the card shows what Qt's decode of the whole file shows there.
TEST(CardPicture, IsTheCornerOfTheWholePictureHoweverItIsDecoded) {
    const QImage rgb = photo(QImage::Format_RGB32), tall = photo(QImage::Format_RGB32, 333, 517);
    QByteArray damaged = encoded(rgb, "PNG");
    damaged[damaged.indexOf("IDAT") + 4] = '\x55';  // no zlib stream
    QByteArray withRestarts = jpeg(tall, true);
    withRestarts.insert(withRestarts.indexOf("\xff\xda"), QByteArray("\xff\xdd\x00\x04\x00\x02", 6));
    const struct {
        const char* name;
        QByteArray bytes;
        bool topOnly;  // decoded down to the card's edge only
    } pictures[] = {
        {.name = "RGB PNG", .bytes = encoded(rgb, "PNG"), .topOnly = true},
        {.name = "palette PNG", .bytes = encoded(photo(QImage::Format_Indexed8), "PNG"), .topOnly = true},
        {.name = "16-bit PNG", .bytes = encoded(photo(QImage::Format_RGBA64), "PNG"), .topOnly = false},
        {.name = "PNG damaged in the rows shown", .bytes = damaged, .topOnly = false},
        {.name = "progressive JPEG", .bytes = jpeg(tall, true), .topOnly = true},
        {.name = "progressive JPEG with restart markers", .bytes = withRestarts, .topOnly = false},
        {.name = "baseline JPEG", .bytes = jpeg(tall, false), .topOnly = false},
        {.name = "BMP", .bytes = encoded(rgb, "BMP"), .topOnly = false},
    };
    TempDir dir;
    for (const auto& p : pictures) {
        const QString path = dir.write("picture", p.bytes);
        for (const QSize card : {QSize(62, 62), QSize(97, 97), QSize(400, 60)}) {
            SCOPED_TRACE(std::string(p.name) + " in " + std::to_string(card.width()));
            QImageReader qt(path);
            const QRect part(QPoint(0, 0), qt.size().boundedTo(card));
            const QImage corner = qt.read().copy(part);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            std::optional<QImage> top = pictures::readPngPart(file, part);
            if (!top) top = pictures::readProgressiveJpegTop(file, part);
            EXPECT_EQ(top.has_value(), p.topOnly);
            EXPECT_EQ(top.value_or(corner), corner);
            const auto shown = QImage::Format_ARGB32_Premultiplied;
            EXPECT_EQ(pictures::load(path, {card, QSize()}).convertToFormat(shown),
                      corner.convertToFormat(shown));
        }
    }
}

// A JPEG with an Exif segment after its start: the orientation tag and, when given, an
// embedded thumbnail, as a phone writes them.
QByteArray withExif(const QByteArray& jpegBytes, quint16 orientation, const QByteArray& thumbnail = {}) {
    QByteArray tiff;
    QDataStream out(&tiff, QIODevice::WriteOnly);  // big-endian, as "MM" says
    const quint32 second = thumbnail.isEmpty() ? 0 : 8 + 2 + 12 + 4;  // the second directory's start
    out << quint16(0x4d4d) << quint16(42) << quint32(8);
    out << quint16(1) << quint16(0x0112) << quint16(3) << quint32(1) << orientation << quint16(0) << second;
    if (second != 0) {  // where the thumbnail is and its length
        out << quint16(2) << quint16(0x0201) << quint16(4) << quint32(1) << quint32(second + 2 + 24 + 4);
        out << quint16(0x0202) << quint16(4) << quint32(1) << quint32(thumbnail.size()) << quint32(0);
        out.writeRawData(thumbnail.constData(), int(thumbnail.size()));
    }
    QByteArray marker;
    QDataStream(&marker, QIODevice::WriteOnly) << quint16(0xffe1) << quint16(2 + 6 + tiff.size());
    return jpegBytes.left(2) + marker + QByteArray("Exif\0\0", 6) + tiff + jpegBytes.mid(2);
}

// Four flat quarters: red top left, green top right, blue bottom left, yellow bottom right.
enum Colour { red, green, blue, yellow, none };
constexpr QRgb kQuarters[] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00};

QImage quarters(QSize size) {
    return QImage(reinterpret_cast<const uchar*>(kQuarters), 2, 2, QImage::Format_RGB32).scaled(size);
}

// The quarter's colour nearest to rgb, so that JPEG's small shifts do not matter.
Colour colourOf(QRgb rgb) {
    for (const Colour c : {red, green, blue, yellow}) {
        const QRgb q = kQuarters[c];
        const int distance = std::abs(qRed(rgb) - qRed(q)) + std::abs(qGreen(rgb) - qGreen(q));
        if (distance + std::abs(qBlue(rgb) - qBlue(q)) < 100) return c;
    }
    return none;
}

// A phone stores a portrait photo turned and says so in the orientation tag: a card shows
// the top-left corner of the upright photo, exactly as Qt decodes it upright and whole,
// and the preview stands upright too.
TEST(TurnedPhoto, ShowsTheUprightCornerOnACardAndStandsUprightInThePreview) {
    const struct {
        quint16 orientation;
        Colour topLeft;  // the quarter of the stored picture that comes to the top left
    } cases[] = {
        {.orientation = 1, .topLeft = red},    {.orientation = 2, .topLeft = green},
        {.orientation = 3, .topLeft = yellow}, {.orientation = 4, .topLeft = blue},
        {.orientation = 5, .topLeft = red},    {.orientation = 6, .topLeft = blue},
        {.orientation = 7, .topLeft = yellow}, {.orientation = 8, .topLeft = green},
    };
    TempDir dir;
    for (const auto& c : cases) {
        for (const bool progressive : {false, true}) {
            SCOPED_TRACE(std::to_string(c.orientation) + (progressive ? ", progressive" : ""));
            const QByteArray stored = jpeg(quarters({320, 200}), progressive);
            const QString path = dir.write("photo.jpg", withExif(stored, c.orientation));
            QImageReader qt(path);
            qt.setAutoTransform(true);
            const QImage upright = qt.read().convertToFormat(QImage::Format_RGB32);
            for (const QSize card : {QSize(99, 99), QSize(400, 60)}) {
                const QImage shown = pictures::load(path, {card, QSize()});
                EXPECT_EQ(shown, upright.copy(QRect({0, 0}, upright.size().boundedTo(card)))) << card.width();
            }
            const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
            ASSERT_EQ(preview.size(), QSize(49, 49));
            EXPECT_EQ(colourOf(preview.pixel(3, 3)), c.topLeft);
            const QRgb bottomRight = upright.pixel(upright.width() - 1, upright.height() - 1);
            EXPECT_EQ(colourOf(preview.pixel(45, 45)), colourOf(bottomRight));
        }
    }
}

// The thumbnail a camera embeds makes the preview without decoding the all-yellow photo,
// turned as the photo is; one of another shape (letterboxed, or left from before a crop) is
// passed over.
TEST(PhotoPreview, ComesFromTheEmbeddedThumbnailOnlyWhenItHasThePhotosShape) {
    const struct {
        QSize photo;
        quint16 orientation;
        Colour topLeft;
    } cases[] = {
        {.photo = {400, 300}, .orientation = 6, .topLeft = blue},    // the same shape, turned
        {.photo = {400, 225}, .orientation = 1, .topLeft = yellow},  // letterboxed
    };
    TempDir dir;
    for (const auto& c : cases) {
        QImage photo(c.photo, QImage::Format_RGB32);
        photo.fill(Qt::yellow);
        const QByteArray thumbnail = jpeg(quarters({160, 120}), false);
        const QString path = dir.write("photo.jpg", withExif(jpeg(photo, false), c.orientation, thumbnail));
        const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
        ASSERT_EQ(preview.size(), QSize(49, 49)) << c.orientation;
        EXPECT_EQ(colourOf(preview.pixel(3, 3)), c.topLeft) << c.orientation;
    }
}

// What must be decoded whole to be shown at all (every coefficient of a progressive JPEG,
// all of a BMP) is held to 160 MB; beyond, the picture is refused from its header for the
// card, the preview and the closing picture alike.
TEST(PictureBeyondTheBudget, IsRefusedForCardPreviewAndClosingPictureAlike) {
    QByteArray jpegBytes = jpegBomb(), bmp = encoded(photo(QImage::Format_RGB32, 8, 8), "BMP");
    // A progressive grey JPEG of 9500 x 9500 (180 MB of coefficients), a BMP of 7000 x 7000 (196 MB).
    jpegBytes.replace(jpegBytes.indexOf("\xff\xc2") + 5, 4, QByteArray("\x25\x1c\x25\x1c", 4));
    for (int i = 0; i < 4; ++i) bmp[18 + i] = bmp[22 + i] = char(7000 >> (8 * i));  // little-endian
    TempDir dir;
    const std::pair<QByteArray, QSize> cases[] = {{jpegBytes, {9500, 9500}}, {bmp, {7000, 7000}}};
    for (const auto& [bytes, size] : cases) {
        const QString path = dir.write("picture", bytes);
        ASSERT_EQ(QImageReader(path).size(), size);
        ASSERT_FALSE(pictures::tooBigToHold(size));
        EXPECT_TRUE(pictures::load(path, {QSize(99, 99), QSize()}).isNull()) << size.width();
        EXPECT_TRUE(pictures::load(path, {QSize(), QSize(49, 49)}).isNull()) << size.width();
        EXPECT_TRUE(pictures::load(path, {QSize(538, 517), QSize()}).isNull()) << size.width();
    }
}

// An RGBA PNG of side x side in 0.5 MB, written a row at a time: red at the top left, the
// rest blue. Each half's first row in full, the rows below it "same as above" (filter Up).
QByteArray hugePng(int side) {
    z_stream zlib{};
    deflateInit(&zlib, Z_BEST_SPEED);
    QByteArray out;
    std::vector<uchar> row(size_t(side) * 4 + 1), buffer(1 << 16);
    for (int y = 0; y < side; ++y) {
        const bool first = y == 0 || y == side / 2;
        row[0] = first ? 0 : 2;
        for (int x = 0; x < side; ++x) {
            const bool isRed = y == 0 && x < side / 2;
            const uchar rgba[4] = {uchar(isRed ? 255 : 0), 0, uchar(isRed ? 0 : 255), 255};
            for (int i = 0; i < 4; ++i) row[size_t(x) * 4 + 1 + size_t(i)] = first ? rgba[i] : 0;
        }
        zlib.next_in = row.data();
        zlib.avail_in = uInt(row.size());
        do {
            zlib.next_out = buffer.data();
            zlib.avail_out = uInt(buffer.size());
            deflate(&zlib, y + 1 == side ? Z_FINISH : Z_NO_FLUSH);
            out.append(reinterpret_cast<const char*>(buffer.data()),
                       qsizetype(buffer.size() - zlib.avail_out));
        } while (zlib.avail_out == 0);
    }
    deflateEnd(&zlib);
    return png(side, side, 8, 6, out);
}

// Just under the largest picture shown (529 MB once inflated): shown as preview, card and
// closing picture, while the process never holds more than 300 MB. In a process of its
// own, so that the peak is this test's; exit code 1 for a wrong picture, 2 for the memory.
TEST(HugePicture, OfElevenThousandFiveHundredPixelsASideIsShownEverywhereWithinTheMemoryBound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TempDir dir;
            const QString path = dir.write("huge.png", hugePng(11500));
            const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
            const QImage card = pictures::load(path, {QSize(99, 99), QSize()});
            const QImage closing = pictures::load(path, {QSize(538, 517), QSize()});
            const bool right = preview.size() == QSize(49, 49) && colourOf(preview.pixel(0, 0)) == red &&
                               colourOf(preview.pixel(48, 48)) == blue && card.size() == QSize(99, 99) &&
                               colourOf(card.pixel(0, 0)) == red && closing.size() == QSize(538, 517);
            std::exit(!right ? 1 : peakResidentBytes() >= 300 << 20 ? 2 : 0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavimo::test
