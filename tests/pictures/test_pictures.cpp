// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures decoded only as far as they are shown, the right way up, and within the memory
// bound however large they are.
#include "pictures/JpegTop.h"
#include "pictures/PictureLoader.h"
#include "pictures/PngRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace kavimo::test {
namespace {

QByteArray jpeg(const QImage& image, bool progressive) { return encoded(image, "JPEG", -1, progressive); }

// The BMP with its rows stored from the top, as some programs write it: a negative height.
QByteArray topDown(const QImage& image) {
    QByteArray bmp = encoded(image.mirrored(), "BMP");  // its rows from the bottom: the image's from the top
    qToLittleEndian<qint32>(-image.height(), bmp.data() + 22);
    return bmp;
}

// A card shows the top-left corner of its picture. Of a PNG only the rows down to the
// card's edge are decoded, of a progressive JPEG a file cut short in height; either way
// the card shows what Qt's decode of the whole file shows there.
TEST(CardPicture, IsTheCornerOfTheWholePictureHoweverItIsDecoded) {
    const QImage rgb = textured({150, 100}), tall = textured({333, 517});
    const QImage palette = textured(rgb.size(), QImage::Format_Indexed8);
    const QImage deep = textured(rgb.size(), QImage::Format_RGBA64);
    const QByteArray damaged = encoded(rgb, "PNG").replace("IDAT\x78", "IDAT\x55");  // no zlib stream
    const QByteArray restartsThenScan("\xff\xdd\0\4\0\2\xff\xda", 8);  // a restart interval before every scan
    const QByteArray withRestarts = jpeg(tall, true).replace("\xff\xda", restartsThenScan);
    // topOnly: decoded down to the card's edge only.
    const struct { const char* name; QByteArray bytes; bool topOnly; } pictures[] = {
        {.name = "RGB PNG", .bytes = encoded(rgb, "PNG"), .topOnly = true},
        {.name = "palette PNG", .bytes = encoded(palette, "PNG"), .topOnly = true},
        {.name = "16-bit PNG", .bytes = encoded(deep, "PNG"), .topOnly = false},
        {.name = "PNG damaged in the rows shown", .bytes = damaged, .topOnly = false},
        {.name = "progressive JPEG", .bytes = jpeg(tall, true), .topOnly = true},
        {.name = "progressive JPEG with restart markers", .bytes = withRestarts, .topOnly = false},
        {.name = "baseline JPEG", .bytes = jpeg(tall, false), .topOnly = false},
        {.name = "BMP", .bytes = encoded(rgb, "BMP"), .topOnly = false},
        {.name = "top-down BMP", .bytes = topDown(rgb), .topOnly = false},
    };
    TempDir dir;
    for (const auto& p : pictures) {
        const QString path = dir.write("picture", p.bytes);
        for (const QSize card : {QSize(62, 62), QSize(97, 97), QSize(400, 60)}) {
            SCOPED_TRACE(std::string(p.name) + " in " + std::to_string(card.width()));
            QImageReader qt(path);
            const QSize header = qt.size();  // where the rows are damaged, nothing is decoded
            const QImage whole = qt.read();
            const QRect part(QPoint(0, 0), (whole.isNull() ? header : whole.size()).boundedTo(card));
            const QImage corner = whole.copy(part);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            std::optional<QImage> top = pictures::readPngPart(file, part);
            if (!top) top = pictures::readProgressiveJpegTop(file, part);
            EXPECT_EQ(top, p.topOnly ? std::optional(corner) : std::nullopt);
            const auto shown = QImage::Format_ARGB32_Premultiplied;
            EXPECT_EQ(pictures::load(path, {card, QSize()}).convertToFormat(shown),
                      corner.convertToFormat(shown));
        }
    }
}

// Four flat quarters: red top left, green top right, blue bottom left, yellow bottom right.
enum Colour { red, green, blue, yellow, none };

QImage quarters(QSize size) {
    constexpr QRgb kQuarters[] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00};
    return QImage(reinterpret_cast<const uchar*>(kQuarters), 2, 2, QImage::Format_RGB32).scaled(size);
}

// Which quarter's colour rgb is, each of red, green and blue on or off, so that JPEG's small
// shifts do not matter.
Colour colourOf(QRgb rgb) {
    constexpr Colour kByRgb[] = {none, blue, green, none, red, none, yellow, none};
    return kByRgb[(qRed(rgb) > 127) * 4 + (qGreen(rgb) > 127) * 2 + (qBlue(rgb) > 127)];
}

// A phone stores a portrait photo turned and says so in the orientation tag: a card shows
// the top-left corner of the upright photo, exactly as Qt decodes it upright and whole,
// and the preview stands upright too. So does an edited photo whose Exif segment comes after
// an XMP one (where Qt's reader does not see the tag).
TEST(TurnedPhoto, ShowsTheUprightCornerOnACardAndStandsUprightInThePreview) {
    // The quarter of the stored picture that comes to the top left, by orientation (1 to 8).
    const Colour topLeft[] = {none, red, green, yellow, blue, red, blue, yellow, green};
    TempDir dir;
    for (quint16 orientation = 1; orientation <= 8; ++orientation)
        for (const bool progressive : {false, true}) {
            const QByteArray tagged = withExif(jpeg(quarters({320, 200}), progressive), orientation);
            QImageReader qt(dir.write("plain.jpg", tagged));
            qt.setAutoTransform(true);
            const QImage upright = qt.read().convertToFormat(QImage::Format_RGB32);
            for (const bool xmpFirst : {false, true}) {
                SCOPED_TRACE(std::to_string(orientation) + (progressive ? ", progressive" : "") +
                             (xmpFirst ? ", XMP first" : ""));
                const QString path = dir.write("photo.jpg", xmpFirst ? withXmpFirst(tagged) : tagged);
                // Wider than the upright photo and lower: its corner is cut on both sides.
                const QImage shown = pictures::load(path, {QSize(400, 60), QSize()});
                EXPECT_EQ(shown, upright.copy(QRect({0, 0}, upright.size().boundedTo({400, 60}))));
                const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
                ASSERT_EQ(preview.size(), QSize(49, 49));
                EXPECT_EQ(colourOf(preview.pixel(3, 3)), topLeft[orientation]);
            }
        }
}

// The thumbnail a camera embeds makes the preview without decoding the all-yellow photo,
// turned as the photo is; one of another shape (letterboxed, or left from before a crop) is
// passed over.
TEST(PhotoPreview, ComesFromTheEmbeddedThumbnailOnlyWhenItFitsThePhoto) {
    // The photo is turned a quarter (orientation 6), as the thumbnail is. An editor that cut
    // or greyed the photo may have left its thumbnail and Exif size as they were.
    const struct { QSize photo; QSize exifSize = {}; bool grey = false; Colour topLeft; } cases[] = {
        {.photo = {400, 300}, .exifSize = {400, 300}, .topLeft = blue},  // the thumbnail's corner
        {.photo = {400, 225}, .exifSize = {400, 225}, .topLeft = yellow},  // letterboxed: the photo's
        {.photo = {400, 300}, .exifSize = {800, 600}, .topLeft = yellow},  // cut from a bigger one
        {.photo = {400, 300}, .topLeft = yellow},  // no size to compare
        {.photo = {400, 300}, .exifSize = {400, 300}, .grey = true, .topLeft = none},
    };
    TempDir dir;
    const QByteArray thumbnail = jpeg(quarters({160, 120}), false);
    for (const auto& c : cases) {
        QImage photo(c.photo, QImage::Format_RGB32);
        photo.fill(Qt::yellow);
        if (c.grey) photo = photo.convertToFormat(QImage::Format_Grayscale8);
        const QString path = dir.write("photo.jpg", withExif(jpeg(photo, false), 6, thumbnail, c.exifSize));
        EXPECT_EQ(colourOf(pictures::load(path, {QSize(), QSize(49, 49)}).pixel(3, 3)), c.topLeft)
            << c.exifSize.width() << (c.grey ? " grey" : "");
    }
}

// A PNG download that did not finish shows in the preview as far as it goes and grey below,
// as a JPEG cut short does.
TEST(CutPng, ShowsInThePreviewAsFarAsItGoes) {
    const QByteArray stored = encoded(quarters({200, 200}), "PNG", 100);
    TempDir dir;
    const QString cut = dir.write("cut.png", stored.left(stored.size() * 2 / 5));
    const QImage preview = pictures::load(cut, {QSize(), QSize(49, 49)});
    ASSERT_EQ(preview.size(), QSize(49, 49));
    EXPECT_EQ(colourOf(preview.pixel(3, 3)), red);
    EXPECT_EQ(colourOf(preview.pixel(45, 3)), green);
    EXPECT_EQ(preview.pixel(3, 30), 0xff808080);  // below row 80 of 200
}

// What must be decoded whole to be shown at all (every coefficient of a progressive JPEG,
// all of a BMP) is held to 160 MB; beyond, the picture is refused from its header for the
// card, the preview and the closing picture alike (the closing picture is loaded as a card
// of the window's size).
TEST(PictureBeyondTheBudget, IsRefusedForCardPreviewAndClosingPictureAlike) {
    // A progressive JPEG of 9500 x 9500 (180 MB of coefficients), a BMP of 7000 x 7000 (196 MB).
    QByteArray jpegBytes = jpegBomb(), bmp = encoded(textured({8, 8}), "BMP");
    for (int i = 0; i < 4; ++i) bmp[18 + i] = bmp[22 + i] = char(7000 >> (8 * i));  // little-endian
    TempDir dir;
    const std::pair<QByteArray, QSize> cases[] = {{jpegBytes, {9500, 9500}}, {bmp, {7000, 7000}}};
    for (const auto& [bytes, size] : cases) {
        const QString path = dir.write("picture", bytes);
        ASSERT_EQ(QImageReader(path).size(), size);
        EXPECT_TRUE(pictures::load(path, {QSize(99, 99), QSize()}).isNull()) << size.width();
        EXPECT_TRUE(pictures::load(path, {QSize(), QSize(49, 49)}).isNull()) << size.width();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && pictures::refusedForSize(file)) << size.width();
    }
}

// An RGBA PNG of side x side in a few MB, written a row at a time: its left half red, its right
// half blue. The first row in full, the rows below it "same as above" (filter Up).
QByteArray hugePng(size_t side) {
    std::vector<uchar> first(side * 4 + 1), up(first.size());
    up[0] = 2;
    // Red or blue, and opaque.
    for (size_t x = 0; x < side; ++x) first[x * 4 + (x < side / 2 ? 1 : 3)] = first[x * 4 + 4] = 255;
    QByteArray out(4 << 20, '\0');  // 2.3 MB for 11500 rows: one too small would cut the PNG short
    z_stream zlib{};
    deflateInit(&zlib, Z_BEST_SPEED);
    zlib.next_out = reinterpret_cast<Bytef*>(out.data()), zlib.avail_out = uInt(out.size());
    for (size_t y = 0; y < side; ++y) {
        zlib.next_in = (y == 0 ? first : up).data();
        zlib.avail_in = uInt(first.size());
        deflate(&zlib, y + 1 == side ? Z_FINISH : Z_NO_FLUSH);
    }
    out.resize(qsizetype(zlib.total_out));
    deflateEnd(&zlib);
    return png(int(side), int(side), 8, 6, out);
}

// Just under the largest picture shown (529 MB once inflated): shown as preview, card and
// closing picture, while the process never holds more than 300 MB. In a process of its
// own, so that the peak is this test's; exit code 1 for a wrong picture, 2 for the memory.
TEST(HugePicture, OfElevenThousandFiveHundredPixelsASideIsShownEverywhereWithinTheMemoryBound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto exitCode = [] {
        TempDir dir;  // removed before the exit, which runs no destructor
        const QString path = dir.write("huge.png", hugePng(11500));
        const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
        const QImage card = pictures::load(path, {QSize(99, 99), QSize()});
        const QImage closing = pictures::load(path, {QSize(538, 517), QSize()});
        const bool right = preview.size() == QSize(49, 49) && colourOf(preview.pixel(0, 0)) == red &&
                           colourOf(preview.pixel(48, 48)) == blue && card.size() == QSize(99, 99) &&
                           colourOf(card.pixel(0, 0)) == red && closing.size() == QSize(538, 517);
        return !right ? 1 : peakResidentBytes() >= 300 << 20 ? 2 : 0;
    };
    EXPECT_EXIT(std::exit(exitCode()), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kavimo::test
