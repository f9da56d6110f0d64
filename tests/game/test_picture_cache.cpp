// The selected set's pictures decoded ahead: the start takes them only while their files
// are unchanged and only for the part of the picture it asks for.
#include "game/PicturePrefetch.h"
#include "game/QuietPlatform.h"
#include "sets/Files.h"
#include "shell/WindowFixture.h"

#include <QDateTime>
#include <QFile>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace kavimo::test {
namespace {

using board::PicturePrefetch;

const PictureRequest kCard{QSize(62, 62), QSize()};

// Counts the pictures decoded, on any thread.
class CountingPlatform : public RecordingPlatform {
public:
    QImage loadPicture(const QString& path, const PictureRequest& request) override {
        ++decoded;
        return RecordingPlatform::loadPicture(path, request);
    }
    std::atomic<int> decoded{0};
};

// Last modified an hour ago, as a set's pictures usually are.
void age(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
}

unsigned shade(int pair) { return 0xff000000u | unsigned(0x203040 * (pair + 1)); }

class PictureCache : public ::testing::Test {
protected:
    // A set of three pairs; pair p's picture is filled with shade(p).
    void writeSet(bool settled) {
        QStringList lines{"[File]", "3", "[Picture]"};
        for (int p = 0; p < 3; ++p) {
            files.push_back(dir.writePicture(QString("p%1.png").arg(p), 120, 120, shade(p)));
            if (settled) age(files.back());
            lines << files.back();
        }
        set = dir.write("set.dat", (lines.join("\r\n") + "\r\n").toUtf8());
    }

    // Until the background threads have decoded that many; a minute at most.
    void waitForDecoded(int count) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (platform.decoded < count && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(platform.decoded, count);
    }

    void expectColours(const std::vector<QImage>& pictures, QSize size, const std::vector<unsigned>& colours) {
        ASSERT_EQ(pictures.size(), colours.size());
        for (size_t p = 0; p < colours.size(); ++p) {
            EXPECT_EQ(pictures[p].size(), size) << p;
            EXPECT_EQ(pictures[p].pixel(0, 0), colours[p]) << p;
        }
    }

    TempDir dir;
    CountingPlatform platform;
    PicturePrefetch prefetch{platform};
    std::vector<QString> files;
    QString set;
};

// What happens between the background decoding and the start, and how many pictures are
// decoded in all (three of them in the background).
struct Meanwhile {
    const char* name;
    std::function<void(TempDir&, PicturePrefetch&)> happen;
    PictureRequest dealt;
    std::vector<unsigned> colours;
    int decoded;
};

class DecodedAhead : public PictureCache, public ::testing::WithParamInterface<Meanwhile> {};

TEST_P(DecodedAhead, AreDealtOnlyWhileUnchanged) {
    SCOPED_TRACE(GetParam().name);
    writeSet(true);
    prefetch.start(set, 3, kCard);
    waitForDecoded(3);
    GetParam().happen(dir, prefetch);
    expectColours(prefetch.decode(files, GetParam().dealt), GetParam().dealt.clipTo, GetParam().colours);
    EXPECT_EQ(platform.decoded, GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodedAhead,
    ::testing::Values(
        Meanwhile{"nothing", [](TempDir&, PicturePrefetch&) {}, kCard, {shade(0), shade(1), shade(2)}, 3},
        Meanwhile{"a picture written anew",
                  [](TempDir& dir, PicturePrefetch&) { dir.writePicture("p1.png", 120, 120, 0xff00ff00); }, kCard,
                  {shade(0), 0xff00ff00, shade(2)}, 4},
        Meanwhile{"nothing, but a larger part dealt", [](TempDir&, PicturePrefetch&) {}, {QSize(97, 97), QSize()},
                  {shade(0), shade(1), shade(2)}, 6},
        Meanwhile{"the set left", [](TempDir&, PicturePrefetch& prefetch) { prefetch.cancel(); }, kCard,
                  {shade(0), shade(1), shade(2)}, 6}));

TEST_F(PictureCache, PicturesJustWrittenAreDecodedAtEveryStart) {
    writeSet(false);
    prefetch.start(set, 3, kCard);
    expectColours(prefetch.decode(files, kCard), {62, 62}, {shade(0), shade(1), shade(2)});
    prefetch.decode(files, kCard);
    EXPECT_EQ(platform.decoded, 6);
}

TEST(QuietPlatform, ReadingASetShowsNoBoxAndDecodesAsBefore) {
    TempDir dir;
    RecordingPlatform inner;
    board::QuietPlatform quiet(inner);
    const QString set = dir.write("set.dat", "[File]\r\n1\r\n");
    int16_t index = 0;
    EXPECT_EQ(Files::ReadSetEntry(set, index, Files::SectionPicture, quiet), "");
    EXPECT_TRUE(inner.messages.empty());
    const QString picture = dir.writePicture("p.png", 80, 80, 0xff123456);
    EXPECT_EQ(quiet.loadPicture(picture, kCard), inner.loadPicture(picture, kCard));
}

class DealAfterSelection : public WindowTest {};

TEST_F(DealAfterSelection, APictureChangedSinceTheSetWasSelectedIsDealtAsItIsNow) {
    writeFullSet("a.dat", 3);
    for (int p = 0; p < 3; ++p) age(app.file(QString("Data/a/p%1.png").arg(p)));
    loaded();
    app.writePicture("Data/a/p0.png", 120, 120, 0xff00ff00);
    form->Command1_Click();
    for (int k : cardsOf(0)) EXPECT_EQ(form->Picture1[k]->picture().pixel(0, 0), 0xff00ff00) << k;
    for (int k : cardsOf(1)) EXPECT_EQ(form->Picture1[k]->picture().pixel(0, 0), colourOf(1)) << k;
}

}  // namespace
}  // namespace kavimo::test
