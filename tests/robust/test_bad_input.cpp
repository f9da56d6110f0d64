// Hand-made sets broken in every way: the game never crashes, hangs or loses its footing,
// and tells the player what went wrong in its own messages. docs/bad-input.md is the
// catalogue; cases already covered by the flow and reader tests are only cited there.
#include "robust/BadFiles.h"
#include "shell/WindowFixture.h"

#include "platform/QtPlatform.h"
#include "platform/SdlSound.h"
#include "shell/PreviewImage.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <functional>

#include <sys/stat.h>

namespace kavimo::test {
namespace {

const QString kNoSet = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙが見つかりませんでした。");
const QString kNoPicture = QStringLiteral("ﾃﾞｰﾀﾌｧｲﾙに設定されているﾌｧｲﾙが見つかりませんでした。");
const QString kGeneralError = QStringLiteral("ｴﾗｰが発生しました");
const QString kReadError = QStringLiteral("ﾌｧｲﾙ読み込みエラー");
using Texts = std::vector<QString>;

constexpr int64_t kMiB = 1024 * 1024;

// A set of one pair in the given line end, naming the pictures and sounds of set "a".
QByteArray onePairSet(const QByteArray& end) {
    return "[File]" + end + "1" + end + "[Picture]" + end + "Data\\a\\p0.png" + end + "[Sound]" + end +
           "Data\\a\\s0.wav" + end;
}

// Notepad's "Unicode": UTF-16 with its byte-order mark.
QByteArray utf16(const QByteArray& text) {
    const QString s = QChar(QChar::ByteOrderMark) + QString::fromLatin1(text);
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// ---- The data folder ----------------------------------------------------------------

struct FolderCase {
    const char* name;
    std::function<void(const TempDir&)> layOut;
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class DataFolderWithoutASet : public WindowTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(DataFolderWithoutASet, ListsNothingAndStartSaysTheSetIsMissing) {
    GetParam().layOut(app);
    loaded();
    EXPECT_EQ(form->File1->listCount(), 0);
    EXPECT_TRUE(platform.messages.empty());
    form->Command3_Click();
    form->Command2_Click();
    form->Command1_Click();
    EXPECT_EQ(platform.messageTexts(), Texts{kNoSet});
    EXPECT_TRUE(form->Label1->text().isEmpty());
    expectIdle(0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DataFolderWithoutASet,
    ::testing::Values(
        FolderCase{"Missing", [](const TempDir&) {}},
        FolderCase{"Empty", [](const TempDir& app) { app.mkdir("Data"); }},
        FolderCase{"OnlyAFolderNamedXDat", [](const TempDir& app) { app.mkdir("Data/x.dat"); }},
        FolderCase{"OnlyAHiddenSet",
                   [](const TempDir& app) {
                       app.writePicture("Data/p.png", 60, 60, 0xff808080);
                       app.write("Data/.x.dat", "[File]\r\n1\r\n[Picture]\r\nData\\p.png\r\n");
                   }},
        // Opening a pipe would wait for a writer for ever.
        FolderCase{"OnlyANamedPipe",
                   [](const TempDir& app) { mkfifo((app.mkdir("Data") + "/x.dat").toLocal8Bit().constData(), 0600); }},
        FolderCase{"OnlyADanglingLink",
                   [](const TempDir& app) { QFile::link(app.mkdir("Data") + "/gone.dat", app.file("Data/x.dat")); }},
        FolderCase{"OnlyALinkToItself",
                   [](const TempDir& app) { QFile::link(app.mkdir("Data") + "/x.dat", app.file("Data/x.dat")); }},
        FolderCase{"DataIsAFile", [](const TempDir& app) { app.write("Data", "[File]\r\n1\r\n"); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The set file -------------------------------------------------------------------

// Set "a" (two pairs, all files present) is shown first; then ">>" selects the broken set
// "b" and Start is pressed.
class BrokenSet : public WindowTest {
protected:
    void SetUp() override {
        writeFullSet("a.dat", 2);
        writeCues({"HajimeA@08.wav"});
    }
    // Start-up with set "a" shown (unless already done), then ">>".
    Texts select() {
        if (!form) loaded();
        EXPECT_EQ(form->PairCount, 2);
        platform.clear();
        form->Command3_Click();
        EXPECT_EQ(form->Label1->text(), "b");
        return platform.messageTexts();
    }
    Texts start() {
        platform.clear();
        form->Command1_Click();
        return platform.messageTexts();
    }
    int enabledCards() {
        int n = 0;
        for (int k = 0; k < board::kCards; ++k) n += form->Picture1[k]->isEnabled();
        return n;
    }
    bool startCuePlayed() {
        const auto names = platform.soundNames();
        return std::find(names.begin(), names.end(), "HajimeA@08.wav") != names.end();
    }
};

struct ContentCase {
    const char* name;
    QByteArray bytes;
    Texts onSelect;   // messages when the set is selected
    int16_t count;    // PairCount afterwards
    Texts onStart;    // messages when Start is pressed
    int dealtCards;   // enabled cards after the start
};
void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.name; }

class BrokenSetContent : public BrokenSet, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(BrokenSetContent, IsReportedInTheGamesOwnWordsAndNothingBreaks) {
    const ContentCase& c = GetParam();
    app.write("Data/b.dat", c.bytes);
    EXPECT_EQ(select(), c.onSelect);
    EXPECT_EQ(form->PairCount, c.count);
    EXPECT_EQ(start(), c.onStart);
    EXPECT_EQ(enabledCards(), c.dealtCards);
    EXPECT_EQ(startCuePlayed(), c.onStart.empty());
    if (c.dealtCards > 0) {
        for (int k : cardsOf(0)) form->Picture1_Click(int16_t(k));
        EXPECT_EQ(form->PairsFound, 1);
    }
}

// What a set without a usable preview leaves: the count of set "a", and a start that
// finds no picture for pair 0.
const Texts kSilent{};
const Texts kReadErrorOnly{kReadError};
const Texts kNoPictureAfterReadError{kReadError, kNoPicture};
const Texts kNoPictureOnly{kNoPicture};

INSTANTIATE_TEST_SUITE_P(
    Contents, BrokenSetContent,
    ::testing::Values(
        ContentCase{"Empty", "", kReadErrorOnly, 2, kNoPictureAfterReadError, 0},
        ContentCase{"RandomBytes", randomBytes(64 * 1024, 7), kReadErrorOnly, 2, kNoPictureAfterReadError, 0},
        ContentCase{"NulBytesOnly", QByteArray(64 * 1024, '\0'), kReadErrorOnly, 2, kNoPictureAfterReadError, 0},
        ContentCase{"NulInTheCount", QByteArray("[File]\r\n1\0\r\n[Picture]\r\nData\\a\\p0.png\r\n", 38),
                    Texts{kGeneralError}, 0, kSilent, 0},
        ContentCase{"NulInThePictureName",
                    QByteArray("[File]\r\n1\r\n[Picture]\r\nData\\a\\p0.png\0.png\r\n", 42), kSilent, 2,
                    kNoPictureOnly, 0},
        ContentCase{"InvalidShiftJisInThePictureName",
                    "[File]\r\n1\r\n[Picture]\r\nData\\a\\\x81\xff\xa0\x82.png\r\n", kSilent, 2, kNoPictureOnly, 0},
        ContentCase{"FullWidthDigitsAsTheCount",
                    "[File]\r\n\x82\x50\r\n[Picture]\r\nData\\a\\p0.png\r\n", Texts{kGeneralError}, 0, kSilent, 0},
        ContentCase{"Utf16", utf16(onePairSet("\r\n")), kReadErrorOnly, 2,
                    kNoPictureAfterReadError, 0},
        ContentCase{"TenMebibyteLineAsThePicture",
                    "[File]\r\n1\r\n[Picture]\r\nData\\a\\p0.png" + QByteArray(10 * kMiB, 'x') + "\r\n", kSilent, 2,
                    kNoPictureOnly, 0},
        ContentCase{"TenMebibyteLineBeforeTheSections", QByteArray(10 * kMiB, '[') + "\r\n" + onePairSet("\r\n"),
                    kSilent, 1, kSilent, 2},
        ContentCase{"HeadersInSmallLetters",
                    "[file]\r\n1\r\n[picture]\r\nData\\a\\p0.png\r\n[sound]\r\nData\\a\\s0.wav\r\n", kReadErrorOnly, 2,
                    kNoPictureAfterReadError, 0},
        ContentCase{"HeadersInCapitals", "[FILE]\r\n1\r\n[PICTURE]\r\nData\\a\\p0.png\r\n", kReadErrorOnly, 2,
                    kNoPictureAfterReadError, 0},
        ContentCase{"PictureHeaderWithASpace", " [Picture]\r\nData\\a\\p0.png\r\n[File]\r\n1\r\n", kReadErrorOnly,
                    2, kNoPictureAfterReadError, 0},
        ContentCase{"FileHeaderWithASpace", "[File] \r\n1\r\n[Picture]\r\nData\\a\\p0.png\r\n",
                    Texts{kReadError, kGeneralError}, 0, kSilent, 0},
        ContentCase{"LineFeedsOnly", onePairSet("\n"), kSilent, 1, kSilent, 2},
        ContentCase{"CarriageReturnsOnly", onePairSet("\r"), kSilent, 1, kSilent, 2},
        ContentCase{"MixedLineEnds", "[File]\n1\r[Picture]\r\nData\\a\\p0.png\n\r[Sound]\rData\\a\\s0.wav", kSilent,
                    1, kSilent, 2},
        ContentCase{"NoFileSection", "[Picture]\r\nData\\a\\p0.png\r\n", Texts{kReadError, kGeneralError}, 0,
                    kSilent, 0},
        ContentCase{"NoPictureSection", "[File]\r\n1\r\n[Sound]\r\nData\\a\\s0.wav\r\n", kReadErrorOnly, 2,
                    kNoPictureAfterReadError, 0},
        ContentCase{"MorePairsThanPictures", "[File]\r\n2\r\n[Picture]\r\nData\\a\\p0.png\r\n", kSilent, 2,
                    kNoPictureOnly, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrokenSet, UnreadableSetFileGivesTheReadErrorAndNoGame) {
    app.write("Data/b.dat", onePairSet("\r\n"));
    makeUnreadable(app.file("Data/b.dat"));
    EXPECT_EQ(select(), kReadErrorOnly);
    EXPECT_EQ(form->PairCount, 2);
    EXPECT_EQ(start(), kNoPictureAfterReadError);
    EXPECT_EQ(enabledCards(), 0);
}

TEST_F(BrokenSet, SetFileDeletedBetweenListingAndSelectionGivesTheReadErrorThenTheMissingSet) {
    app.write("Data/b.dat", onePairSet("\r\n"));
    loaded();  // lists a.dat and b.dat
    QFile::remove(app.file("Data/b.dat"));
    EXPECT_EQ(select(), kReadErrorOnly);
    EXPECT_TRUE(form->Image1->picture().isNull());
    EXPECT_EQ(start(), Texts{kNoSet});
}

TEST_F(BrokenSet, HundredMegabyteSetIsPlayedWithoutBeingHeldInMemory) {
    const QString path = app.write("Data/b.dat", onePairSet("\r\n").replace("[Sound]", "[Other]"));
    {
        // A hole of zeros, then the sound section at the very end.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(100 * 1000 * 1000));
        ASSERT_TRUE(file.seek(file.size()));
        file.write("\r\n[Sound]\r\nData\\a\\s1.wav\r\n");
    }
    const int64_t before = residentBytes();
    EXPECT_EQ(select(), kSilent);
    EXPECT_EQ(start(), kSilent);
    platform.clear();
    for (int k : cardsOf(0)) form->Picture1_Click(int16_t(k));
    EXPECT_EQ(platform.soundNames(), Texts{"s1.wav"});
    EXPECT_EQ(form->PairsFound, 1);
    EXPECT_LT(peakResidentBytes() - before, 64 * kMiB);
    QFile::remove(path);
}

// ---- Pictures -----------------------------------------------------------------------

struct PictureCase {
    const char* name;
    std::function<void(const TempDir&, const QString& relative)> spoil;
    bool dealt;  // the start goes through (what could be decoded is shown)
};
void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class BrokenPicture : public WindowTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(BrokenPicture, StopsTheStartWithTheMissingFileMessageOrShowsWhatCouldBeRead) {
    writeFullSet("a.dat", 2);
    loaded();
    GetParam().spoil(app, "Data/a/p1.png");
    platform.clear();
    form->Command1_Click();
    EXPECT_EQ(platform.messageTexts(), GetParam().dealt ? Texts{} : Texts{kNoPicture});
    int enabled = 0;
    for (int k = 0; k < board::kCards; ++k) enabled += form->Picture1[k]->isEnabled();
    EXPECT_EQ(enabled, GetParam().dealt ? 4 : 0);
    if (!GetParam().dealt) expectIdle(4);
    EXPECT_LT(peakResidentBytes(), 1024 * kMiB);
}

void spoilWith(const TempDir& app, const QString& relative, const QByteArray& bytes) {
    QFile::remove(app.file(relative));
    app.write(relative, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, BrokenPicture,
    ::testing::Values(
        PictureCase{"Missing", [](const TempDir& app, const QString& p) { QFile::remove(app.file(p)); }, false},
        PictureCase{"AFolder",
                    [](const TempDir& app, const QString& p) {
                        QFile::remove(app.file(p));
                        app.mkdir(p);
                    },
                    false},
        PictureCase{"ANamedPipe",
                    [](const TempDir& app, const QString& p) {
                        QFile::remove(app.file(p));
                        mkfifo(app.file(p).toLocal8Bit().constData(), 0600);
                    },
                    false},
        PictureCase{"Empty", [](const TempDir& app, const QString& p) { spoilWith(app, p, {}); }, false},
        PictureCase{"NotAPicture",
                    [](const TempDir& app, const QString& p) { spoilWith(app, p, randomBytes(5000, 3)); }, false},
        PictureCase{"TruncatedPng",
                    [](const TempDir& app, const QString& p) { spoilWith(app, p, truncatedPicture("PNG", 120, 400)); },
                    false},
        PictureCase{"PngHeaderOnly",
                    [](const TempDir& app, const QString& p) { spoilWith(app, p, truncatedPicture("PNG", 120, 33)); },
                    false},
        PictureCase{"TruncatedJpegShowsItsTop",
                    [](const TempDir& app, const QString& p) { spoilWith(app, p, truncatedPicture("JPG", 120, 2000)); },
                    true},
        PictureCase{"DecompressionBomb30000x30000",
                    [](const TempDir& app, const QString& p) { spoilWith(app, p, compressiblePng(30000)); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

class BadPreview : public WindowTest {};

TEST_F(BadPreview, DecompressionBombAsThePreviewShowsNoPreviewButTheSetCanBePlayed) {
    const QByteArray bomb = compressiblePng(30000);
    ASSERT_GT(bomb.size(), 5 * kMiB);
    app.write("Data/bomb.png", bomb);
    app.writePicture("Data/p1.png", 120, 120, 0xff2040a0);
    writeSet("a.dat", {"2", {"Data\\p1.png", "Data\\p1.png"}, {}});
    writeSet("b.dat", {"1", {"Data\\bomb.png"}, {}});
    loaded().Command3_Click();
    EXPECT_TRUE(form->Image1->picture().isNull());
    EXPECT_EQ(form->PairCount, 1);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_LT(peakResidentBytes(), 1024 * kMiB);
}

// ---- Sounds -------------------------------------------------------------------------

// The recording platform, with every sound also handed to the real SDL backend.
class RealSoundPlatform : public RecordingPlatform {
public:
    int32_t sndPlaySoundA(const QString& path, uint32_t flags) override {
        RecordingPlatform::sndPlaySoundA(path, flags);
        const int32_t result = real.sndPlaySoundA(path, flags);
        results.push_back(result);
        return result;
    }
    QtPlatform real{openSdlSound};
    std::vector<int32_t> results;
};

QByteArray notASound() { return QByteArray("RIFF\x10\x00\x00\x00WAVEjunkjunkjunk", 24); }

// Sound files that the real backend cannot play, on a working dummy device and on none.
class BrokenSound : public WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        driver_.emplace("SDL_AUDIODRIVER", GetParam());
        sound = std::make_unique<RealSoundPlatform>();
        sound->appDir = app.path();
        form = std::make_unique<Form1>(*sound);
    }
    void TearDown() override { form.reset(); }

    std::optional<EnvVar> driver_;
    std::unique_ptr<RealSoundPlatform> sound;
};

TEST_P(BrokenSound, ThePlayCallFailsQuietlyAndTheGameGoesOn) {
    // Pair 0 has no file, 1 an empty one, 2 a cut-off WAV, 3 none that is a sound, 4 a
    // folder; the fallback is missing, the finishing cues are broken too.
    const QString good = app.writeWav("Data/a/good.wav");
    QFile wav(good);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    app.write("Data/a/s1.wav", {});
    app.write("Data/a/s2.wav", wav.readAll().left(30));
    app.write("Data/a/s3.wav", notASound());
    app.mkdir("Data/a/s4.wav");
    app.write("Data/GongC@08.wav", notASound());
    app.write("Data/Omedeto00@11.wav", {});
    QStringList pictures, sounds;
    for (int p = 0; p < 5; ++p) {
        app.writePicture(QString("Data/a/p%1.png").arg(p), 50, 50, colourOf(p));
        pictures << QString("Data\\a\\p%1.png").arg(p);
        sounds << QString("Data\\a\\s%1.wav").arg(p);
    }
    writeSet("a.dat", {"5", pictures, sounds});
    loaded().Command1_Click();
    for (int16_t p = 0; p < 5; ++p)
        for (int k : cardsOf(p)) form->Picture1_Click(int16_t(k));

    EXPECT_EQ(form->PairsFound, 5);
    EXPECT_TRUE(sound->messages.empty());
    EXPECT_EQ(sound->soundNames(), (Texts{"puu002@22.wav", "s1.wav", "s2.wav", "s3.wav", "puu002@22.wav",
                                          "GongC@08.wav", "Omedeto00@11.wav"}));
    EXPECT_EQ(sound->results, std::vector<int32_t>(7, 0));
    EXPECT_EQ(sound->real.sndPlaySoundA(good, SND_ASYNC), 1) << "a good sound still plays";
}

TEST_P(BrokenSound, CorruptClosingSoundStillShowsTheClosingPictureForTwoSeconds) {
    writeCues({"sea.jpg"});
    app.write("Data/Icq01@11.wav", randomBytes(3000, 11));
    const QString startedFrom = QDir::currentPath();
    loaded();
    sound->clear();
    form->close();
    EXPECT_EQ(sound->soundNames(), Texts{"Icq01@11.wav"});
    EXPECT_EQ(sound->results, std::vector<int32_t>{0});
    EXPECT_EQ(form->Picture1[0]->picture().size(), QSize(200, 150));
    ASSERT_EQ(sound->waits.size(), 1u);
    EXPECT_EQ(sound->waits[0].until - sound->waits[0].from, 2.0);
    EXPECT_EQ(QDir::currentPath(), startedFrom);
}

INSTANTIATE_TEST_SUITE_P(Devices, BrokenSound, ::testing::Values("dummy", "nosuchdriver"),
                         [](const auto& info) { return std::string(info.param); });

struct SoundFileCase {
    const char* name;
    std::function<QString(const TempDir&)> make;
};
void PrintTo(const SoundFileCase& c, std::ostream* os) { *os << c.name; }

class UnplayableSoundFile : public ::testing::TestWithParam<SoundFileCase> {};

TEST_P(UnplayableSoundFile, ReturnsZeroAtOnceOnTheRealBackend) {
    TempDir tmp;
    const QString path = GetParam().make(tmp);
    for (const char* driver : {"dummy", "nosuchdriver"}) {
        const EnvVar device("SDL_AUDIODRIVER", driver);
        QtPlatform platform(openSdlSound);
        EXPECT_EQ(platform.sndPlaySoundA(path, SND_ASYNC), 0) << driver;
        EXPECT_EQ(platform.sndPlaySoundA(tmp.writeWav("good.wav"), SND_ASYNC), 1) << driver;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnplayableSoundFile,
    ::testing::Values(
        SoundFileCase{"Missing", [](const TempDir& t) { return t.file("none.wav"); }},
        SoundFileCase{"Empty", [](const TempDir& t) { return t.write("e.wav", {}); }},
        SoundFileCase{"Truncated", [](const TempDir& t) { return t.write("t.wav", QByteArray("RIFF\x24\x03\x00\x00WAVEfmt ", 16)); }},
        SoundFileCase{"NotASound", [](const TempDir& t) { return t.write("n.wav", randomBytes(4096, 5)); }},
        SoundFileCase{"AFolder", [](const TempDir& t) { return t.mkdir("d.wav"); }},
        SoundFileCase{"ANamedPipe",
                      [](const TempDir& t) {
                          mkfifo(t.file("fifo.wav").toLocal8Bit().constData(), 0600);
                          return t.file("fifo.wav");
                      }},
        SoundFileCase{"SeventeenMegabytes",
                      [](const TempDir& t) { return t.write("big.wav", QByteArray(17 * kMiB, '\x80')); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavimo::test
