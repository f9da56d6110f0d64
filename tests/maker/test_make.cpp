// SPDX-License-Identifier: GPL-3.0-or-later
// kavimo-set make: a folder of photos becomes a set that the game deals, each card the
// centre of its photo the right way up; bad input is refused with nothing written.
#include "maker/SetMaker.h"
#include "support/Game.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>

namespace kavimo::test {
namespace {

using maker::planFromPictures;
using maker::writeSet;

constexpr QRgb kTop = 0xff00c000, kBottom = 0xff0000c0, kOutside = 0xffff0000;

// A photo whose largest centred square is kTop above kBottom, with kOutside around it.
QImage photo(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(kOutside);
    const QRect square = maker::largestCentredSquare(image.size());
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x)
            image.setPixel(x, y, y < square.center().y() ? kTop : kBottom);
    return image;
}

// A JPEG with an EXIF orientation tag: 6 means the stored picture is turned a quarter to
// the left, so the upright one is the stored one turned a quarter to the right.
QByteArray jpegWithOrientation(const QImage& stored, int orientation) {
    const QByteArray tiff = QByteArray("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) +
                            char(orientation) + QByteArray("\0\0\0\0\0\0", 6);
    const QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(app1.size()) + 2;
    const QByteArray jpeg = encoded(stored, "JPEG");
    return jpeg.left(2) + "\xff\xe1" + char(length >> 8) + char(length & 0xff) + app1 + jpeg.mid(2);
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40 && std::abs(qAlpha(a) - qAlpha(b)) < 40;
}

using Make = Game;

TEST_F(Make, APhotoFolderBecomesASetTheGameDealsEachCardTheCentreOfItsPhotoUpright) {
    app.write("photos/1 camera.jpg", encoded(photo(4000, 3000), "JPEG"));
    app.write("photos/2 portrait.jpg",
              jpegWithOrientation(photo(200, 300).transformed(QTransform().rotate(-90)), 6));
    QImage clear = photo(100, 100);
    for (int y = 50; y < 100; ++y)
        for (int x = 0; x < 100; ++x) clear.setPixel(x, y, qRgba(0, 0, 0, 0));
    app.write("photos/3 clear.png", encoded(clear, "PNG"));
    app.write("photos/10 web.webp", encoded(photo(300, 240), "WEBP"));
    app.writeWav("photos/2 PORTRAIT.wav");

    const maker::MakeResult made =
        maker::writeSet(planFromPictures({app.file("photos")}, {}, app.file("Data"), false));
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    QFile dat(made.datPath);
    ASSERT_TRUE(dat.open(QIODevice::ReadOnly));
    EXPECT_EQ(dat.readAll(),
              "[File]\r\n4\r\n[Picture]\r\nData\\photos\\1 camera.png\r\nData\\photos\\2 portrait.png\r\n"
              "Data\\photos\\3 clear.png\r\nData\\photos\\10 web.png\r\n[Sound]\r\n\r\n"
              "Data\\photos\\2 portrait.wav\r\n\r\n\r\n");
    for (const maker::Finding& f : maker::checkSet(made.datPath, app.path()))
        EXPECT_EQ(f.severity, maker::Finding::Severity::Warning) << f.message.toStdString();

    const auto again = maker::readSet(made.datPath, nullptr);  // as the set maker window opens it
    ASSERT_TRUE(again);
    EXPECT_EQ(again->title, "photos");
    ASSERT_EQ(again->pairs.size(), 4u);
    EXPECT_EQ(again->pairs[1].sound.kind, maker::SoundChoice::Kind::File);
    EXPECT_EQ(again->pairs[2].sound.kind, maker::SoundChoice::Kind::None);

    load().Command1_Click();
    ASSERT_EQ(board(), "oooooooo");
    for (int k = 0; k < 8; ++k) {
        const QImage picture = form->Picture1[k]->picture();
        ASSERT_EQ(picture.size(), QSize(99, 99));
        const bool transparent = form->CardValue[k] == 2;
        EXPECT_PRED2(near, picture.pixel(49, 12), kTop) << k;
        EXPECT_PRED2(near, picture.pixel(49, 86), transparent ? qRgba(0, 0, 0, 0) : kBottom) << k;
        EXPECT_FALSE(near(picture.pixel(1, 49), kOutside) || near(picture.pixel(97, 30), kOutside)) << k;
    }
    find(1);
    EXPECT_EQ(take().at(0), "sound 2 portrait.wav");
}

// Every file below a folder with its bytes.
QMap<QString, QByteArray> contents(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files[it.filePath()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "(folder)";
    }
    return files;
}

TEST(MakeRefuses, EachBadInputWithAMessageAndLeavesTheDataFolderAsItWas) {
    const struct {
        const char* input;
        int pictures;
        const char* extra;  // one more file in the folder
        QByteArray bytes;
        const char* says;
    } rows[] = {
        {.input = "empty", .pictures = 0, .extra = nullptr, .bytes = {}, .says = "no pictures"},
        {.input = "many",
         .pictures = 22,
         .extra = nullptr,
         .bytes = {},
         .says = "11 to 21 pairs give small cards"},
        {.input = "many",
         .pictures = 1,
         .extra = "9.jpg",
         .bytes = "not a picture",
         .says = "9.jpg is not a picture"},
        {.input = "many", .pictures = 2, .extra = "9.png", .bytes = "\x89PNG\r\n\x1a\n", .says = "9.png"},
        {.input = "many",
         .pictures = 2,
         .extra = "1.m4a",
         .bytes = "....ftypM4A ",
         .says = "ffmpeg -i \"1.m4a\""},
        {.input = "old", .pictures = 1, .extra = nullptr, .bytes = {}, .says = "already exists"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        dir.write("Data/old.dat", "[File]\r\n1\r\n");
        dir.writePicture("Data/old/0.png", 10, 10, kTop);
        dir.mkdir(row.input);
        for (int i = 0; i < row.pictures; ++i)
            dir.writePicture(QString("%1/%2.png").arg(row.input).arg(i), 60, 40, kTop);
        if (row.extra) dir.write(QString(row.input) + "/" + row.extra, row.bytes);
        const auto before = contents(dir.file("Data"));

        const maker::MakeResult made =
            writeSet(planFromPictures({dir.file(row.input)}, {}, dir.file("Data"), false));
        EXPECT_FALSE(made.ok) << row.says;
        EXPECT_TRUE(made.message.contains(row.says)) << made.message.toStdString();
        EXPECT_EQ(contents(dir.file("Data")), before) << row.says;
    }
}

TEST(MakeCutsAndOrders, TheLargestCentredSquareAndNamesAsPeopleCount) {
    EXPECT_EQ(maker::largestCentredSquare({4000, 3000}), QRect(500, 0, 3000, 3000));
    EXPECT_EQ(maker::largestCentredSquare({3, 8}), QRect(0, 2, 3, 3));
    EXPECT_EQ(maker::naturalOrder({"img10.jpg", "IMG2.jpg", "img1.jpg", "b.png", "a.png"}),
              QStringList({"a.png", "b.png", "img1.jpg", "IMG2.jpg", "img10.jpg"}));
    EXPECT_EQ(maker::cardSide(10), 99);
    EXPECT_EQ(maker::cardSide(11), 63);
}

}  // namespace
}  // namespace kavimo::test
