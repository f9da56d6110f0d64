// SPDX-License-Identifier: GPL-3.0-or-later
// Deal benchmark: Command1_Click from the click until the last card is painted, for a set
// of 21 pairs of one kind of picture, and the process's peak resident memory. One kind
// and one moment per process, so that the peak belongs to that case alone.
//
// usage: bench_deal KIND [MOMENT [DEALS]]
//   KIND    small (120 x 120 JPEG), baseline, progressive (4000 x 3000 JPEG), png (4000 x 3000)
//   MOMENT  straight: the start is clicked straight after the set was selected (default)
//           shown:    the set has been shown for 3 s, with the event loop running
//   DEALS   how many deals to time (default 9 straight, 5 shown)
// The pictures are made once into the bench's cache folder (KAVIMO_BENCH_CACHE).
#include "BenchSupport.h"

#include "shell/Form1.h"
#include "shell/PictureBox.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kShownMs = 3000;

bool allDealt(const kavimo::Form1& form) {
    for (const kavimo::PictureBox* card : form.Picture1) {
        if (card->picture().isNull() || !card->isEnabled()) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kavimo::bench;
    PictureKind kind{};
    if (argc < 2 || !parseKind(argv[1], kind)) {
        std::fprintf(stderr, "usage: bench_deal small|baseline|progressive|png [straight|shown [DEALS]]\n");
        return 1;
    }
    const std::string moment = argc > 2 ? argv[2] : "straight";
    const bool shown = moment == "shown";
    if (!shown && moment != "straight") {
        std::fprintf(stderr, "moment is straight or shown\n");
        return 1;
    }
    const int deals = argc > 3 ? std::atoi(argv[3]) : (shown ? 5 : 9);

    // Made before the application exists, in a child process.
    const QString folder = pictureSetFolder(kind, cacheFolder(), repoDataFolder());
    if (folder.isEmpty()) {
        std::fprintf(stderr, "could not make the pictures\n");
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    QApplication app(argc, argv);
    BenchPlatform platform(folder);
    kavimo::Form1 form(platform);
    form.Form_Load();  // selects 1-photos.dat
    showAndWaitForPaint(form);
    runEventsFor(500);
    const double residentBefore = residentMB();

    std::vector<double> times;
    for (int d = 0; d < deals; ++d) {
        // Away to the other set and back: the photo set is selected anew.
        form.Command3_Click();
        form.Command2_Click();
        if (form.PairCount != 21) {
            std::fprintf(stderr, "the photo set was not selected\n");
            return 1;
        }
        if (shown) runEventsFor(kShownMs);

        const double start = nowMs();
        form.Command1_Click();
        form.repaint();
        times.push_back(nowMs() - start);
        if (!allDealt(form)) {
            std::fprintf(stderr, "the deal did not show every card\n");
            return 1;
        }
        runEventsFor(100);
    }

    const Spread t = spreadOf(times);
    const double peak = peakResidentMB();
    std::printf("deal of 21 pairs, %s pictures, %s after selecting: %s over %d deals, peak %.1f MB (%.1f MB before "
                "the deals)\n",
                nameOf(kind), shown ? "3 s" : "straight", describe(t, "ms").c_str(), deals, peak, residentBefore);
    std::printf("RESULT deal kind=%s moment=%s median_ms=%.1f min_ms=%.1f max_ms=%.1f peak_mb=%.1f\n", nameOf(kind),
                moment.c_str(), t.median, t.min, t.max, peak);
    std::fflush(stdout);
    std::_Exit(0);
}
