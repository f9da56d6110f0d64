// A card's corner of a progressive JPEG decoded from a file cut short in height: the same
// pixels as Qt's decode of the whole file, and no cut for the files it leaves to Qt.
#include "platform/JpegTop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace kavimo {
namespace {

using test::TempDir;

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

QImage photo(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb((x * 5) ^ y, (y * 3) & 0xff, (x * y) % 251));
    return image.convertToFormat(format);
}

QImage qtCorner(const QString& path, QSize clip) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    reader.setClipRect(QRect(QPoint(0, 0), reader.size().boundedTo(clip)));
    return reader.read();
}

TEST(ProgressiveJpegTop, IsQtsCornerOfTheWholeFile) {
    TempDir dir;
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
        const QString path = dir.write("p.jpg", jpeg(photo(333, 517, format), true));
        for (const QSize clip : {QSize(62, 62), QSize(64, 64), QSize(97, 97), QSize(400, 60)}) {
            const std::optional<QImage> corner = pictures::readProgressiveJpegTop(path, clip);
            ASSERT_TRUE(corner) << format << " " << clip.height();
            EXPECT_EQ(*corner, qtCorner(path, clip)) << format << " " << clip.height();
        }
    }
}

TEST(ProgressiveJpegTop, LeavesEveryOtherFileToQt) {
    const QByteArray progressive = jpeg(photo(120, 300, QImage::Format_RGB32), true);
    QByteArray withRestarts = progressive;
    withRestarts.insert(withRestarts.indexOf("\xff\xda"), QByteArray("\xff\xdd\x00\x04\x00\x02", 6));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    photo(120, 300, QImage::Format_RGB32).save(&buffer, "PNG");
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"baseline", jpeg(photo(120, 300, QImage::Format_RGB32), false)},
        {"no taller than the corner and its neighbours", jpeg(photo(120, 75, QImage::Format_RGB32), true)},
        {"restart markers", withRestarts},
        {"header cut short", progressive.left(100)},
        {"a PNG", png},
    };
    for (const auto& [name, bytes] : files) EXPECT_FALSE(pictures::cutProgressiveJpeg(bytes, 62)) << name;
    EXPECT_TRUE(pictures::cutProgressiveJpeg(progressive, 62));
}

}  // namespace
}  // namespace kavimo
