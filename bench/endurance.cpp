// SPDX-License-Identifier: GPL-3.0-or-later
// Endurance benchmark: resident memory after the first deal and after many deals and
// sounds, with the real SDL backend playing into SDL's dummy driver. Each round selects
// the set of 21 pairs of 4000 x 3000 baseline JPEGs anew, deals it and plays 10 of the
// shipped pair sounds; every fourth round waits before the deal until the set's pictures
// have been decoded in the background.
//
// usage: bench_endurance [DEALS]   (default 200, with 10 sounds each)
#include "BenchSupport.h"

#include "shell/Form1.h"

#include <QApplication>
#include <QDirIterator>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSoundsPerDeal = 10;
constexpr int kWaitEvery = 4;
// Longer than the background decoding of the set takes.
constexpr int kWaitMs = 600;

}  // namespace

int main(int argc, char** argv) {
    using namespace kavimo::bench;
    const int deals = argc > 1 ? std::atoi(argv[1]) : 200;
    const QString folder = pictureSetFolder(PictureKind::Baseline, cacheFolder(), repoDataFolder());
    if (folder.isEmpty()) return 1;
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    QApplication app(argc, argv);
    std::vector<QString> sounds;
    for (QDirIterator it(repoDataFolder(), {"*.wav"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        sounds.push_back(it.next());
    if (sounds.empty()) {
        std::fprintf(stderr, "no sounds in %s\n", qPrintable(repoDataFolder()));
        return 1;
    }

    BenchPlatform platform(folder);
    kavimo::Form1 form(platform);
    form.Form_Load();
    showAndWaitForPaint(form);

    size_t played = 0;
    double afterFirst = 0;
    std::printf("endurance: resident memory after each number of deals (and 10 sounds each)\n");
    for (int d = 1; d <= deals; ++d) {
        form.Command3_Click();
        form.Command2_Click();
        if (d % kWaitEvery == 0) runEventsFor(kWaitMs);
        form.Command1_Click();
        form.repaint();
        for (int s = 0; s < kSoundsPerDeal; ++s) {
            if (platform.sndPlaySoundA(sounds[played % sounds.size()], kavimo::SND_ASYNC) == 0) {
                std::fprintf(stderr, "a sound did not start\n");
                return 1;
            }
            ++played;
        }
        QCoreApplication::processEvents();
        if (d == 1 || d % 50 == 0 || d == deals) {
            const double rss = residentMB();
            if (d == 1) afterFirst = rss;
            std::printf("  %4d deals, %5zu sounds: %.1f MB\n", d, played, rss);
        }
    }
    const double last = residentMB();
    std::printf("  growth from 1 to %d deals: %+.1f MB (goal <= 2)\n", deals, last - afterFirst);
    std::printf("RESULT endurance deals=%d sounds=%zu rss1_mb=%.1f rssN_mb=%.1f growth_mb=%.1f\n", deals, played,
                afterFirst, last, last - afterFirst);
    std::fflush(stdout);
    std::_Exit(0);
}
