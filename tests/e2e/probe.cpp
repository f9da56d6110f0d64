// SPDX-License-Identifier: GPL-3.0-or-later
// The helper of test_real_window.sh:
//
//   e2e_probe sounds RECORDING.raw
//       the sounds that SDL's disk audio driver recorded, in order, one a line: "LEVEL START"
//       for a test tone and "bell START" for what is loud but no steady tone (the bells)
//   e2e_probe close WINDOW_ID
//       asks the window to close with WM_DELETE_WINDOW, as a window manager does: under a
//       bare X server nothing else does ("xdotool windowclose" destroys the window)
//
// The game plays one sound at a time at full volume into a device opened at 22050 Hz,
// signed 16-bit stereo, so a test tone comes out as it went in, a square wave whose samples
// are +LEVEL and -LEVEL (with a little ringing): its level names it. The recording is read in
// blocks of 10 ms, each named by the median magnitude of its samples rounded to a multiple of
// 1000 (within 150), so that a block that straddles two sounds cannot pass for a third; a
// sound lasts at least 3 blocks.
#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// clang-format off: after Qt, whose headers cannot stand Xlib's macros
#include <X11/Xlib.h>
// clang-format on

namespace {

// Blocks of 10 ms: the level each is named by (as above), or -1, and its loudest sample.
struct Block {
    int level, peak;
};

std::vector<Block> blocks(const char* path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qsizetype block = 22050 / 100 * 2;  // stereo samples
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

// A sound is a run of at least 3 blocks of one level; a bell is a run of at least 5 loud
// blocks that are no steady tone (the edge of a tone is one or two such blocks), such runs
// less than 50 ms apart counting as one.
int sounds(const char* path) {
    const std::vector<Block> all = blocks(path);
    auto isBell = [&](size_t i) { return all[i].level == -1 && all[i].peak > 1000; };
    for (size_t start = 0, end = 0; start < all.size(); start = end) {
        end = start + 1;
        if (isBell(start)) {
            for (size_t gap = 0; end < all.size() && gap < 5; ++end) gap = isBell(end) ? 0 : gap + 1;
            while (!isBell(end - 1)) --end;
            if (end - start >= 5) std::printf("bell %.2f\n", start / 100.0);
            continue;
        }
        while (end < all.size() && all[end].level == all[start].level) ++end;
        if (all[start].level > 0 && end - start >= 3)
            std::printf("%d %.2f\n", all[start].level, start / 100.0);
    }
    return 0;
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

}  // namespace

int main(int argc, char** argv) {
    const QByteArray command = argc > 1 ? argv[1] : "";
    if (command == "close" && argc == 3) return closeWindow(argv[2]);
    if (command == "sounds" && argc == 3) return sounds(argv[2]);
    std::fprintf(stderr, "usage: see the head of tests/e2e/probe.cpp\n");
    return 2;
}
