// A card's corner of a PNG, read row by row: the same format and pixels as Qt's whole
// decode cut to the card, and no answer for the kinds it leaves to Qt.
#include "platform/PngRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <functional>

namespace kavimo {
namespace {

using test::TempDir;

// PNG files byte by byte, for the kinds that Qt does not write.
quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray chunk(const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type, 4) + data;
    return bigEndian(static_cast<quint32>(data.size())) + body + bigEndian(crc32(body));
}

// The bytes of pixel (x, y) are pixel(x, y); for pixels smaller than a byte, the bytes of
// the row are given at some places and nothing at the others.
struct RawPng {
    int width, height, depth, colourType;
    std::function<QByteArray(int x, int y)> pixel;
    QByteArray beforeData = {};  // PLTE, tRNS
    bool adam7 = false;
    int rowsWritten = 1 << 30;  // the rest of the rows left out of the file

    QByteArray bytes() const {
        QByteArray header = bigEndian(static_cast<quint32>(width)) + bigEndian(static_cast<quint32>(height));
        for (const int field : {depth, colourType, 0, 0, adam7 ? 1 : 0}) header += char(field);
        // Adam7's passes as (left, top, step across, step down); one pass without it.
        const std::vector<std::array<int, 4>> passes =
            adam7 ? std::vector<std::array<int, 4>>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                  : std::vector<std::array<int, 4>>{{0, 0, 1, 1}};
        QByteArray rows;
        for (const auto& [left, top, across, down] : passes) {
            for (int y = top; y < std::min(height, rowsWritten) && left < width; y += down) {
                rows += '\0';  // no filter
                for (int x = left; x < width; x += across) rows += pixel(x, y);
            }
        }
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + beforeData +
               chunk("IDAT", qCompress(rows).mid(4)) + chunk("IEND", {});
    }
};

// count bytes that differ from place to place.
QByteArray bytesAt(int x, int y, int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes += char((x * 7 + y * 13 + i * 50) & 0xff);
    return bytes;
}

QByteArray savedByQt(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage photo(QImage::Format format) {
    QImage image(150, 100, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgba(x * 3, y * 5, (x * y) & 0xff, 40 + x + y));
    return format == QImage::Format_Indexed8 ? image.convertToFormat(format, Qt::ThresholdDither)
                                             : image.convertToFormat(format);
}

QByteArray palette(int entries) {
    QByteArray rgb;
    for (int i = 0; i < entries; ++i) rgb += QByteArray(1, char(i * 40)) + char(255 - i * 30) + char(i * 11);
    return chunk("PLTE", rgb);
}

struct Kind {
    const char* name;
    QByteArray file;
};

class PngTop : public ::testing::TestWithParam<Kind> {};

TEST_P(PngTop, IsQtsWholeDecodeCutToTheClip) {
    SCOPED_TRACE(GetParam().name);
    TempDir dir;
    const QString path = dir.write("p.png", GetParam().file);
    const QImage whole = QImageReader(path).read();
    ASSERT_FALSE(whole.isNull());
    for (const QSize clip : {QSize(62, 62), QSize(300, 40), QSize(500, 500)}) {
        const std::optional<QImage> top = pictures::readPngTop(path, clip);
        ASSERT_TRUE(top) << clip.width() << "x" << clip.height();
        EXPECT_EQ(top->format(), whole.format());
        EXPECT_EQ(*top, whole.copy(QRect(QPoint(0, 0), whole.size().boundedTo(clip))));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindItReads, PngTop,
    ::testing::Values(
        Kind{"RGB", savedByQt(photo(QImage::Format_RGB32))},
        Kind{"RGBA", savedByQt(photo(QImage::Format_ARGB32))},
        Kind{"grey", savedByQt(photo(QImage::Format_Grayscale8))},
        Kind{"palette with alpha", savedByQt(photo(QImage::Format_Indexed8))},
        Kind{"grey with alpha", RawPng{90, 70, 8, 4, [](int x, int y) { return bytesAt(x, y, 2); }}.bytes()},
        Kind{"RGB with a transparent colour",
             RawPng{90, 70, 8, 2, [](int x, int y) { return bytesAt(x, y, 3); },
                    chunk("tRNS", QByteArray("\0\x07\0\x0e\0\x15", 6))}
                 .bytes()},
        Kind{"palette with indices beyond it",
             RawPng{90, 70, 8, 3, [](int x, int y) { return bytesAt(x, y, 1); },
                    palette(6) + chunk("tRNS", QByteArray("\x10\x80", 2))}
                 .bytes()}));

TEST(PngTop, LeavesEveryOtherFileToQt) {
    TempDir dir;
    QByteArray damaged = savedByQt(photo(QImage::Format_RGB32));
    damaged[damaged.indexOf("IDAT") + 4] = '\x55';  // no zlib stream
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"16-bit", RawPng{20, 20, 16, 2, [](int x, int y) { return bytesAt(x, y, 6); }}.bytes()},
        {"interlaced", RawPng{20, 20, 8, 2, [](int x, int y) { return bytesAt(x, y, 3); }, {}, true}.bytes()},
        {"grey with a transparent colour",
         RawPng{20, 20, 8, 0, [](int x, int y) { return bytesAt(x, y, 1); }, chunk("tRNS", QByteArray("\0\x05", 2))}
             .bytes()},
        {"4-bit palette",
         RawPng{20, 20, 4, 3, [](int x, int y) { return x % 2 ? QByteArray() : bytesAt(x, y, 1); }, palette(6)}.bytes()},
        {"beyond the allocation limit",
         RawPng{30000, 30000, 8, 6, [](int, int) { return QByteArray(4, '\x40'); }, {}, false, 62}.bytes()},
        {"damaged in the rows shown", damaged},
        {"a JPEG", [] {
             QByteArray bytes;
             QBuffer buffer(&bytes);
             buffer.open(QIODevice::WriteOnly);
             photo(QImage::Format_RGB32).save(&buffer, "JPEG");
             return bytes;
         }()},
    };
    for (const auto& [name, bytes] : files) {
        const QString path = dir.write("f.png", bytes);
        EXPECT_FALSE(pictures::readPngTop(path, QSize(62, 62))) << name;
    }
}

}  // namespace
}  // namespace kavimo
