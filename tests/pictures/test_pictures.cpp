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

}  // namespace
}  // namespace kavimo::test
