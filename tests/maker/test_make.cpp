// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set make: a folder of photos becomes a set that the game deals, each card the
// centre of its photo the right way up; bad input is refused with nothing written.
#include <QFile>

#include "maker/SetMaker.h"
#include "support/Game.h"

namespace kavimo::test {
namespace {

using namespace maker;

constexpr QRgb kTop = 0xff00c000, kBottom = 0xff0000c0, kOutside = 0xffff0000;

// A photo whose largest centred square is kTop above `bottom`, with kOutside around it.
QImage photo(int width, int height, QRgb bottom = kBottom) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(kOutside);
    const int side = std::min(width, height), left = (width - side) / 2, top = (height - side) / 2;
    for (int y = top; y < top + side; ++y)
        for (int x = left; x < left + side; ++x) image.setPixel(x, y, y < top + side / 2 ? kTop : bottom);
    return image;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40 && std::abs(qAlpha(a) - qAlpha(b)) < 40;
}

using Make = Game;

TEST_F(Make, APhotoFolderBecomesASetTheGameDealsEachCardTheCentreOfItsPhotoUpright) {
    app.write("photos/1 camera.jpg", encoded(photo(4000, 3000), "JPEG"));
    // Stored turned a quarter to the left, and tagged so (orientation 6).
    const QImage storedTurned = photo(200, 300).transformed(QTransform().rotate(-90));
    app.write("photos/2 portrait.jpg", withExif(encoded(storedTurned, "JPEG"), 6));
    app.write("photos/3 clear.png", encoded(photo(100, 100, qRgba(0, 0, 0, 0)), "PNG"));
    app.write("photos/10 web.webp", encoded(photo(300, 240), "WEBP"));
    app.writeWav("photos/2 PORTRAIT.wav");

    const auto made = maker::writeSet(planFromPictures({app.file("photos")}, {}, app.file("Data"), false));
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    QFile dat(made.datPath);
    ASSERT_TRUE(dat.open(QIODevice::ReadOnly));
    EXPECT_EQ(dat.readAll(),
              "[File]\r\n4\r\n[Picture]\r\nData\\photos\\1 camera.png\r\nData\\photos\\2 portrait.png\r\n"
              "Data\\photos\\3 clear.png\r\nData\\photos\\10 web.png\r\n[Sound]\r\n\r\n"
              "Data\\photos\\2 portrait.wav\r\n\r\n\r\n");

    load().Command1_Click();
    ASSERT_EQ(board(), "oooooooo");
    for (int k = 0; k < 8; ++k) {
        const QImage picture = form->Picture1[k]->picture();
        EXPECT_PRED2(near, picture.pixel(49, 12), kTop) << k;
        EXPECT_PRED2(near, picture.pixel(49, 86), form->CardValue[k] == 2 ? qRgba(0, 0, 0, 0) : kBottom) << k;
        EXPECT_FALSE(near(picture.pixel(1, 49), kOutside) || near(picture.pixel(97, 30), kOutside)) << k;
    }
    find(1);
    EXPECT_EQ(take().at(0), "sound 2 portrait.wav");
}

TEST(MakeRefuses, EachBadInputWithAMessageAndLeavesTheDataFolderAsItWas) {
    const struct {
        const char* input;
        int pictures = 2;
        const char* extra = nullptr;  // one more file in the folder
        QByteArray bytes = {};
        const char* says;
    } rows[] = {
        {.input = "many", .pictures = 22, .says = "11 to 21 pairs give small cards"},
        // This one passes the plan and fails while the set is being written.
        {.input = "many", .extra = "9.png", .bytes = "\x89PNG\r\n\x1a\n", .says = "9.png"},
        {.input = "many", .extra = "1.m4a", .bytes = "....ftypM4A ", .says = "ffmpeg -i \"1.m4a\""},
        {.input = "old", .says = "already exists"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        dir.write("Data/old.dat", "[File]\r\n1\r\n");
        for (int i = 0; i < row.pictures; ++i)
            dir.writePicture(QString("%1/%2.png").arg(row.input).arg(i), 60, 40, kTop);
        if (row.extra) dir.write(QString(row.input) + "/" + row.extra, row.bytes);
        const auto made = writeSet(planFromPictures({dir.file(row.input)}, {}, dir.file("Data"), false));
        EXPECT_TRUE(!made.ok && made.message.contains(row.says)) << made.message.toStdString();
        // Anything written, even in part, would show beside the set that was there.
        EXPECT_EQ(QDir(dir.file("Data")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"old.dat"})
            << row.says;
    }
}

}  // namespace
}  // namespace kavimo::test
