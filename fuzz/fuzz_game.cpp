// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game over arbitrary bytes: they become a set file, a few pictures and sounds and
// the fixed files in a scratch application folder, and then a player's clicks. Start-up,
// set selection, starts, card clicks and the closing sequence run on the recording fake;
// after every step the board must still be a board, while the window is open the current
// directory is the application folder, every finished game has sounded its gong once, the
// closing sequence runs exactly when both of its files are there, and afterwards the
// directory is given back and every file is as it was.
//
// Input: byte 0 says which fixed files exist (one bit each, kFixedFiles); byte 1 holds the
// number of pictures in its low three bits (taken modulo 6) and, in bit 7, whether a second,
// good set is added; the pictures follow, two bytes each (kind and sound, size: see
// writePicture); then the set file, up to kClicksMark; then one byte per action (act()).
//
// A click names a card by its place among the enabled cards ordered by pair number, so
// the same bytes play the same game whatever the shuffle dealt: 0 1 0 1 ... finds the
// pairs one after the other, 0 2 is a mismatch, 0 0 takes the mark back.
#include "shell/FileListBox.h"
#include "shell/Form1.h"
#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"
#include "support/RecordingPlatform.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

using namespace kavimo;
using test::encoded;

const std::array<const char*, 7> kFixedFiles = {"Asonde00@22.wav", "HajimeA@08.wav",   "puu002@22.wav", "GongC@08.wav",
                                                "Omedeto00@11.wav", "sea.jpg", "Icq01@11.wav"};
constexpr uint8_t kGongBit = 1u << 3;
constexpr uint8_t kClosingPairBits = 3u << 5;  // sea.jpg and Icq01@11.wav
constexpr int kMaxPictures = 6;
constexpr int kMaxActions = 400;
const QByteArray kClicksMark = "\n#clicks\n";
// KAVIMO_FUZZ_TRACE=1: what the game did, for reading a finding.
const bool kTrace = std::getenv("KAVIMO_FUZZ_TRACE") != nullptr;

[[noreturn]] void fail(const char* what, int card) {
    std::fprintf(stderr, "broken game: %s (card %d)\n", what, card);
    std::abort();
}

// Picture k as one of the ways a file can be, by the low three bits of kind (modulo 6): a
// PNG or JPEG of some size, empty, not a picture, a folder, or a PNG cut short. Pair k's
// sound exists when bit 3 of kind is set.
void writePicture(const test::TempDir& app, int k, uint8_t kind, uint8_t size) {
    const QString name = QString("Data/p%1.png").arg(k);
    QImage image(1 + size % 130, 1 + size % 97, QImage::Format_RGB32);
    image.fill(0xff000000u | (0x2f1d0bu * uint32_t(k + 1)));
    switch ((kind & 7) % 6) {
    case 0: app.write(name, encoded(image, "PNG")); break;
    case 1: app.write(name, encoded(image, "JPG")); break;
    case 2: app.write(name, {}); break;
    case 3: app.write(name, "not a picture"); break;
    case 4: app.mkdir(name); break;
    default: app.write(name, encoded(image, "PNG").left(size)); break;
    }
    if (kind & 8) app.writeWav(QString("Data/s%1.wav").arg(k));
}

// Every folder and file below root with a digest of its bytes.
std::map<QString, QByteArray> snapshot(const QString& root) {
    std::map<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray digest = "folder";
        if (!it.fileInfo().isDir()) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) fail("a file of the application folder cannot be read", -1);
            digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
        }
        entries[path.mid(root.size())] = digest;
    }
    return entries;
}

bool shown(const Form1& f, int k) { return f.Picture1[k]->isVisibleTo(&f); }

// What must hold between two clicks, whatever the set held.
void checkBoard(const Form1& f) {
    std::array<int, board::kCards> standing{};  // enabled cards per pair number
    int enabled = 0;
    for (int k = 0; k < board::kCards; ++k) {
        const bool marked = f.Shape1[k]->isVisible();
        if (marked != (f.FirstPicked != 0 && f.Picked[0] == k)) fail("a frame that is not the first pick's", k);
        if (!f.Picture1[k]->isEnabled()) continue;
        if (!shown(f, k)) fail("an enabled card that is hidden", k);
        if (f.Picture1[k]->picture().isNull()) fail("an enabled card without a picture", k);
        const int16_t p = f.CardValue[k];
        if (p < 0 || p >= f.PairCount || p >= board::kCards) fail("an enabled card with no pair of the set", k);
        ++standing[size_t(p)];
        ++enabled;
    }
    for (int p = 0; p < board::kCards; ++p)
        if (standing[size_t(p)] != 0 && standing[size_t(p)] != 2) fail("a pair on one card only", p);
    if (f.PairsFound < 0 || (f.PairsFound > f.PairCount && f.PairsFound != 0)) fail("more pairs found than the set has", -1);
    // No game (nothing dealt, a failed start) or one where each pair found took two cards.
    if (enabled != 0 && enabled != 2 * (f.PairCount - f.PairsFound)) fail("cards in play and pairs found disagree", -1);
}

// The enabled cards that a click can reach, ordered by pair number, then by place.
std::vector<int16_t> clickable(const Form1& f) {
    std::vector<int16_t> cards;
    for (int k = 0; k < board::kCards; ++k)
        if (shown(f, k) && f.Picture1[k]->isEnabled()) cards.push_back(int16_t(k));
    std::stable_sort(cards.begin(), cards.end(),
                     [&](int16_t a, int16_t b) { return f.CardValue[size_t(a)] < f.CardValue[size_t(b)]; });
    return cards;
}

// Runs one action; true when it was a click that found the set's last pair.
bool act(Form1& f, uint8_t action) {
    if (action >= 0xf8) {
        f.Command2_Click();
    } else if (action >= 0xf0) {
        f.Command3_Click();
    } else if (action >= 0xe0) {
        f.Command1_Click();
    } else if (const std::vector<int16_t> cards = clickable(f); !cards.empty()) {
        const int16_t before = f.PairsFound;
        f.Picture1_Click(cards[action % cards.size()]);
        return f.PairsFound != before && f.PairsFound == f.PairCount;
    }
    return false;
}

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

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
    for (int k = 0; k < (pictures & 7) % kMaxPictures; ++k) {
        const uint8_t kind = take();
        writePicture(app, k, kind, take());
    }
    if (pictures & 0x80) app.write("Data/b.dat", "[File]\r\n1\r\n[Picture]\r\nData\\p0.png\r\n");
    const qsizetype mark = bytes.indexOf(kClicksMark);
    app.write("Data/a.dat", (mark < 0 ? bytes : bytes.first(mark)).toByteArray());
    const QByteArrayView actions = mark < 0 ? QByteArrayView() : bytes.sliced(mark + kClicksMark.size());

    const QString startedFrom = QDir::currentPath();
    const QString appFolder = canonical(app.path());
    const std::map<QString, QByteArray> before = snapshot(app.path());
    {
        test::RecordingPlatform platform;
        platform.appDir = app.path();
        Form1 form(platform);
        form.Form_Load();
        checkBoard(form);
        int finished = 0;
        for (qsizetype i = 0; i < actions.size() && i < kMaxActions; ++i) {
            if (act(form, uint8_t(actions[i]))) ++finished;
            checkBoard(form);
            if (canonical(QDir::currentPath()) != appFolder) fail("the current directory left the application folder", -1);
        }
        const auto gongs = std::count(platform.log.begin(), platform.log.end(), QString("sound GongC@08.wav"));
        if (gongs != ((fixed & kGongBit) ? finished : 0)) fail("a gong that is not one finished game's", -1);
        form.close();  // through the close event, as the window manager closes it
        if (QDir::currentPath() != startedFrom) fail("the current directory not given back", -1);
        const auto lastSound = std::find_if(platform.log.rbegin(), platform.log.rend(),
                                            [](const QString& line) { return line.startsWith("sound "); });
        const bool closingSound = lastSound != platform.log.rend() && *lastSound == "sound Icq01@11.wav";
        if (closingSound != ((fixed & kClosingPairBits) == kClosingPairBits))
            fail("the closing sequence without both of its files, or left out with both", -1);
        if (kTrace) {
            for (const QString& line : platform.log) std::fprintf(stderr, "  %s\n", qPrintable(line));
            std::fprintf(stderr, "games finished: %d, pairs found in the last: %d of %d\n", finished, form.PairsFound,
                         form.PairCount);
        }
    }
    QDir::setCurrent(startedFrom);
    if (snapshot(app.path()) != before) fail("a file of the application folder changed", -1);
    return 0;
}
