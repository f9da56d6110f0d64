// The whole game over arbitrary bytes: they become a set file, a few pictures and sounds and
// the fixed files in a scratch application folder, and then a player's clicks. Start-up,
// set selection, starts, card clicks and the closing sequence run on the recording fake;
// after every step the board must still be a board, and closing gives back the directory.
//
// Input: byte 0 says which fixed files exist (one bit each, kFixedFiles), bit 7 of byte 1
// adds a second, good set; byte 1 % 6 pictures follow, two bytes each (kind, size); then
// the set file, up to kClicksMark; then one byte per action (kinds in act()).
#include "shell/FileListBox.h"
#include "shell/Form1.h"
#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace kavimo;

const std::array<const char*, 7> kFixedFiles = {"Asonde00@22.wav", "HajimeA@08.wav",   "puu002@22.wav", "GongC@08.wav",
                                                "Omedeto00@11.wav", "sea.jpg", "Icq01@11.wav"};
constexpr int kMaxPictures = 6;
constexpr int kMaxActions = 400;
const QByteArray kClicksMark = "\n#clicks\n";

[[noreturn]] void fail(const char* what, int card) {
    std::fprintf(stderr, "broken board: %s (card %d)\n", what, card);
    std::abort();
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Picture k as one of the ways a file can be: a PNG or JPEG of some size, empty, not a
// picture, a folder, or a PNG cut short. Pair k's sound exists when bit 3 of kind is set.
void writePicture(const test::TempDir& app, int k, uint8_t kind, uint8_t size) {
    const QString name = QString("Data/p%1.png").arg(k);
    QImage image(1 + size % 130, 1 + size % 97, QImage::Format_RGB32);
    image.fill(0xff000000u | (0x2f1d0bu * uint32_t(k + 1)));
    switch (kind % 6) {
    case 0: app.write(name, encoded(image, "PNG")); break;
    case 1: app.write(name, encoded(image, "JPG")); break;
    case 2: app.write(name, {}); break;
    case 3: app.write(name, "not a picture"); break;
    case 4: app.mkdir(name); break;
    default: app.write(name, encoded(image, "PNG").left(size)); break;
    }
    if (kind & 8) app.writeWav(QString("Data/s%1.wav").arg(k));
}

bool shown(const Form1& f, int k) { return f.Picture1[k]->isVisibleTo(&f); }

// What must hold between two clicks, whatever the set held.
void checkBoard(const Form1& f) {
    std::array<int, board::kCards> standing{};  // enabled cards per pair number
    for (int k = 0; k < board::kCards; ++k) {
        const bool marked = f.Shape1[k]->isVisibleTo(f.Picture1[k]);
        if (marked != (f.FirstPicked != 0 && f.Picked[0] == k)) fail("a frame that is not the first pick's", k);
        if (!f.Picture1[k]->isEnabled()) continue;
        if (!shown(f, k)) fail("an enabled card that is hidden", k);
        if (f.Picture1[k]->picture().isNull()) fail("an enabled card without a picture", k);
        const int16_t p = f.CardValue[k];
        if (p < 0 || p >= f.PairCount || p >= board::kCards) fail("an enabled card with no pair of the set", k);
        ++standing[size_t(p)];
    }
    for (int p = 0; p < board::kCards; ++p)
        if (standing[size_t(p)] != 0 && standing[size_t(p)] != 2) fail("a pair on one card only", p);
    if (f.PairsFound < 0 || (f.PairsFound > f.PairCount && f.PairsFound != 0)) fail("more pairs found than the set has", -1);
}

void act(Form1& f, uint8_t action) {
    if (action >= 0xf8) {
        f.Command2_Click();
    } else if (action >= 0xf0) {
        f.Command3_Click();
    } else if (action >= 0xe0) {
        f.Command1_Click();
    } else {
        // A click reaches only a card that is shown and enabled.
        std::array<int16_t, board::kCards> cards{};
        int n = 0;
        for (int k = 0; k < board::kCards; ++k)
            if (shown(f, k) && f.Picture1[k]->isEnabled()) cards[size_t(n++)] = int16_t(k);
        if (n > 0) f.Picture1_Click(cards[size_t(action % n)]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Broken pictures make Qt warn on every run; the findings are what counts here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz_game";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto take = [&]() -> uint8_t {
        if (bytes.isEmpty()) return 0;
        const auto b = uint8_t(bytes.front());
        bytes = bytes.sliced(1);
        return b;
    };

    const test::TempDir app;
    const uint8_t fixed = take();
    const uint8_t pictures = take();
    for (size_t i = 0; i < kFixedFiles.size(); ++i) {
        if (!(fixed & (1u << i))) continue;
        const QString name = QString("Data/") + kFixedFiles[i];
        if (name.endsWith(".jpg")) app.writePicture(name, 40, 30, 0xff3060c0);
        else app.writeWav(name);
    }
    app.mkdir("Data");
    for (int k = 0; k < pictures % kMaxPictures; ++k) {
        const uint8_t kind = take();
        writePicture(app, k, kind, take());
    }
    if (pictures & 0x80) app.write("Data/b.dat", "[File]\r\n1\r\n[Picture]\r\nData\\p0.png\r\n");
    const qsizetype mark = bytes.indexOf(kClicksMark);
    app.write("Data/a.dat", (mark < 0 ? bytes : bytes.first(mark)).toByteArray());
    const QByteArrayView actions = mark < 0 ? QByteArrayView() : bytes.sliced(mark + kClicksMark.size());

    const QString startedFrom = QDir::currentPath();
    {
        test::RecordingPlatform platform;
        platform.appDir = app.path();
        Form1 form(platform);
        form.Form_Load();
        checkBoard(form);
        for (qsizetype i = 0; i < actions.size() && i < kMaxActions; ++i) {
            act(form, uint8_t(actions[i]));
            checkBoard(form);
        }
        int16_t cancel = 0;
        form.Form_Unload(cancel);
        if (QDir::currentPath() != startedFrom) fail("the current directory not given back", -1);
    }
    QDir::setCurrent(startedFrom);
    return 0;
}
