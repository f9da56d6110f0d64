// Pictures decoded only as far as they are shown must look as if decoded whole.
#include "platform/PictureLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kavimo::test {
namespace {

TEST(PictureLoader, ScaledPreviewOfATwoColourPalettePngKeepsItsColours) {
    TempDir dir;
    QImage mono(40, 40, QImage::Format_Mono);
    mono.setColorTable({0xff0000ffu, 0xffff0000u});
    mono.fill(0);
    const QString path = dir.file("blue.png");
    ASSERT_TRUE(mono.save(path, "PNG"));
    const QImage preview = pictures::load(path, {QSize(), QSize(49, 49)});
    ASSERT_EQ(preview.size(), QSize(49, 49));
    EXPECT_EQ(preview.pixel(24, 24), 0xff0000ffu);
    EXPECT_EQ(preview.pixel(0, 48), 0xff0000ffu);
}

TEST(PictureLoader, ClippedCardPictureIsTheTopLeftOfTheWholeOne) {
    TempDir dir;
    QImage whole(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) whole.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
    for (const char* format : {"PNG", "BMP", "JPEG"}) {
        const QString path = dir.file(QString("p.") + format);
        ASSERT_TRUE(whole.save(path, format, 100));
        const QImage full = pictures::load(path);
        const QImage clipped = pictures::load(path, {QSize(99, 99), QSize()});
        ASSERT_EQ(clipped.size(), QSize(99, 99)) << format;
        // JPEG blocks near the clip edge may round differently; compare the blocks within.
        const int inside = QString(format) == "JPEG" ? 96 : 99;
        for (int y = 0; y < inside; ++y)
            for (int x = 0; x < inside; ++x)
                ASSERT_EQ(clipped.pixel(x, y), full.pixel(x, y)) << format << " at " << x << "," << y;
    }
}

TEST(PictureLoader, MissingFolderOrNonPictureGivesNoPicture) {
    TempDir dir;
    dir.mkdir("folder.png");
    dir.write("text.png", "not a picture");
    for (const char* name : {"missing.png", "folder.png", "text.png"})
        EXPECT_TRUE(pictures::load(dir.file(name), {QSize(99, 99), QSize()}).isNull()) << name;
}

}  // namespace
}  // namespace kavimo::test
