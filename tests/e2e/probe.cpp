// SPDX-License-Identifier: GPL-3.0-or-later
// The helper of the real-window tests (test_*.sh beside this file):
//
//   e2e_probe tone OUT.wav LEVEL MILLISECONDS
//       a 22050 Hz 16-bit stereo square wave whose samples are +LEVEL and -LEVEL
//   e2e_probe sounds RECORDING.raw
//       the sounds that SDL's disk audio driver recorded, in order: "LEVEL START LENGTH"
//   e2e_probe bursts RECORDING.raw
//       what in the recording is loud but no steady tone (the bells), in order: "START LENGTH"
//   e2e_probe colours SHOT.png X,Y [X,Y ...]
//       the colour at each point as RRGGBB, one a line
//   e2e_probe stray SHOT.png LEFT,TOP,WIDTH,HEIGHT
//       how many pixels outside the rectangle differ from the one at 0,0 (the window's
//       background), then their bounding box as LEFT,TOP,WIDTH,HEIGHT, or "none"
//   e2e_probe close WINDOW_ID
//       asks the window to close with WM_DELETE_WINDOW, as a window manager does: under a
//       bare X server nothing else does ("xdotool windowclose" destroys the window)
//   e2e_probe pause
//       a window whose top button's handler pauses one second with the game's pause and
//       whose bottom button quits; prints how many times the handler ran
//
// The game plays one sound at a time at full volume into a device opened at 22050 Hz,
// signed 16-bit stereo, so a test sound comes out with the sample values it went in with:
// its level names it. The recording is read in blocks of 10 ms, each named by the median
// magnitude of its samples rounded to a multiple of 1000 (within 150), so that a block that
// straddles two sounds cannot pass for a third; a sound lasts at least 3 blocks.
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// clang-format off: after Qt, whose headers cannot stand Xlib's macros
#include <X11/Xlib.h>
// clang-format on

namespace {

constexpr int kRate = 22050;

int tone(const char* path, int level, int milliseconds) {
    const quint32 frames = quint32(qint64{kRate} * milliseconds / 1000);
    QByteArray wav;
    auto put = [&](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav += char((value >> (8 * i)) & 0xff);
    };
    wav += "RIFF";
    put(36 + frames * 4, 4);
    wav += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(kRate, 4), put(kRate * 4, 4), put(4, 2),
        put(16, 2);  // PCM, 2 x 16 bits
    wav += "data";
    put(frames * 4, 4);
    for (quint32 f = 0; f < frames; ++f) put(quint16(qint16((f / 25) % 2 ? -level : level)) * 0x10001u, 4);
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(wav) == wav.size() ? 0 : 1;
}

// Blocks of 10 ms: the level each is named by (as above), or -1, and its loudest sample.
struct Block {
    int level;
    int peak;
};

std::vector<Block> blocks(const char* path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype block = kRate / 100 * 2;
    std::vector<Block> result;
    std::vector<int> magnitudes(block);
    for (qsizetype at = 0; at + block <= bytes.size() / 2; at += block) {
        for (qsizetype i = 0; i < block; ++i) magnitudes[i] = std::abs(samples[at + i]);
        const int peak = *std::max_element(magnitudes.begin(), magnitudes.end());
        std::nth_element(magnitudes.begin(), magnitudes.begin() + block / 2, magnitudes.end());
        const int median = magnitudes[block / 2], level = (median + 500) / 1000 * 1000;
        result.push_back({std::abs(median - level) <= 150 ? level : -1, peak});
    }
    return result;
}

// A burst is a run of at least 5 loud blocks that are no steady tone (the edge of a tone is
// one or two such blocks), runs less than 50 ms apart counting as one.
int bursts(const char* path) {
    const std::vector<Block> all = blocks(path);
    auto isBurst = [&](size_t i) { return all[i].level == -1 && all[i].peak > 1000; };
    for (size_t start = 0; start < all.size();) {
        if (!isBurst(start)) {
            ++start;
            continue;
        }
        size_t end = start + 1;
        for (size_t gap = 0; end < all.size() && gap < 5; ++end) gap = isBurst(end) ? 0 : gap + 1;
        while (!isBurst(end - 1)) --end;
        if (end - start >= 5) std::printf("%.2f %.2f\n", start / 100.0, (end - start) / 100.0);
        start = end;
    }
    return 0;
}

int sounds(const char* path) {
    QFile in(path);
    if (!in.exists()) return 1;
    const std::vector<Block> all = blocks(path);
    for (size_t start = 0, end = 0; start < all.size(); start = end) {
        while (end < all.size() && all[end].level == all[start].level) ++end;
        if (all[start].level > 0 && end - start >= 3)
            std::printf("%d %.2f %.2f\n", all[start].level, start / 100.0, (end - start) / 100.0);
    }
    return 0;
}

int colours(const QImage& shot, int count, char** points) {
    for (int i = 0; i < count; ++i) {
        const QStringList xy = QString(points[i]).split(',');
        const QPoint p = xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : QPoint(-1, -1);
        if (!shot.valid(p)) return std::fprintf(stderr, "%s is not a point of the picture\n", points[i]), 2;
        std::printf("%06X\n", shot.pixel(p) & 0xffffff);
    }
    return 0;
}

int stray(const QImage& shot, const QRect& allowed) {
    long count = 0;
    QRect box;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (!allowed.contains(x, y) && shot.pixel(x, y) != shot.pixel(0, 0))
                ++count, box |= QRect(x, y, 1, 1);
    if (count == 0) return std::printf("0 none\n"), 0;
    return std::printf("%ld %d,%d,%d,%d\n", count, box.x(), box.y(), box.width(), box.height()), 0;
}

int closeWindow(const char* id) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(id, nullptr, 0);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event) != 0;
    XCloseDisplay(display);  // sends it
    return sent ? 0 : 1;
}

int pause(int argc, char** argv) {
    QApplication app(argc, argv);
    kavimo::QtPlatform platform;
    QWidget window;
    window.setWindowTitle("Kavimo pause probe");
    window.setFixedSize(200, 200);
    QPushButton pause("Pause", &window), quit("Quit", &window);
    pause.setGeometry(0, 0, 200, 100);
    quit.setGeometry(0, 100, 200, 100);
    int runs = 0;
    QObject::connect(&pause, &QPushButton::clicked, [&] {
        ++runs;
        pause.repaint();
        platform.sleepUntil(platform.clock() + 1.0);
    });
    QObject::connect(&quit, &QPushButton::clicked, &app, &QApplication::quit);
    window.show();
    const int status = app.exec();
    std::printf("pause handler runs: %d\n", runs);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray command = argc > 1 ? argv[1] : "";
    if (command == "pause") return pause(argc, argv);
    if (command == "close" && argc == 3) return closeWindow(argv[2]);
    if (command == "tone" && argc == 5) return tone(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "sounds" && argc == 3) return sounds(argv[2]);
    if (command == "bursts" && argc == 3) return bursts(argv[2]);
    const QImage shot = argc > 3 ? QImage(argv[2]).convertToFormat(QImage::Format_RGB32) : QImage();
    const QStringList r = argc == 4 ? QString(argv[3]).split(',') : QStringList();
    const QRect area =
        r.size() == 4 ? QRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt()) : QRect();
    if (command == "colours" && !shot.isNull()) return colours(shot, argc - 3, argv + 3);
    if (command == "stray" && !shot.isNull() && area.isValid()) return stray(shot, area);
    std::fprintf(stderr, "usage: see the head of tests/e2e/probe.cpp\n");
    return 2;
}
