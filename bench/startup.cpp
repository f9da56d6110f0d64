// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up benchmark: time from starting the process to the end of the window's first
// paint, and peak memory, for the game with the shipped sets against an empty Qt window,
// run alternately in the same session; and the empty window with the start button alone,
// the least that any window with text costs. Needs a display (run it under xvfb-run -a).
//
// usage: bench_startup [RUNS]   (default 15; one more of each is run first and dropped)
#include "BenchSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Sample {
    double ms = 0;
    double peakMB = 0;
    double previewMs = 0;  // the game: until its first set's preview has been painted too
};

// Starts program with the launch moment in its environment and reads its one line.
bool runProbe(const std::string& program, Sample& sample) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        const std::string t0 = std::to_string(static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
        setenv("KAVIMO_BENCH_T0_NS", t0.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    close(pipeFds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n = 0; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long peakKB = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(out.c_str(), "first_paint_ms=%lf peak_rss_kb=%ld preview_ms=%lf", &sample.ms, &peakKB,
                    &sample.previewMs) != 3) {
        std::fprintf(stderr, "%s failed: %s\n", program.c_str(), out.c_str());
        return false;
    }
    sample.peakMB = static_cast<double>(peakKB) / 1024.0;
    return true;
}

std::string beside(const char* self, const char* name) {
    std::string dir(self);
    const size_t slash = dir.rfind('/');
    return (slash == std::string::npos ? std::string(".") : dir.substr(0, slash)) + "/" + name;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kavimo::bench;
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_startup needs a display: run it under xvfb-run -a\n");
        return 1;
    }
    const std::string game = beside(argv[0], "bench_startup_game");
    const std::string empty = beside(argv[0], "bench_startup_empty");
    const std::string caption = beside(argv[0], "bench_startup_caption");

    std::vector<double> gameMs, emptyMs, captionMs, gameMB, emptyMB, previewMs;
    for (int i = -1; i < runs; ++i) {
        // Taking turns, each first in turn, so that drift in the machine's load hits all three.
        Sample samples[3];
        const std::string* programs[3] = {&game, &empty, &caption};
        for (int k = 0; k < 3; ++k) {
            const int p = (i + 1 + k) % 3;
            if (!runProbe(*programs[p], samples[p])) return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (i < 0) continue;  // warm-up: page cache, font cache
        const auto& [g, e, c] = samples;
        gameMs.push_back(g.ms);
        previewMs.push_back(g.previewMs);
        emptyMs.push_back(e.ms);
        captionMs.push_back(c.ms);
        gameMB.push_back(g.peakMB);
        emptyMB.push_back(e.peakMB);
    }
    const Spread gt = spreadOf(gameMs), et = spreadOf(emptyMs), ct = spreadOf(captionMs), gm = spreadOf(gameMB),
                 em = spreadOf(emptyMB), pt = spreadOf(previewMs);
    std::printf("start-up to first paint, %d runs each, median (min-max)\n", runs);
    std::printf("  empty Qt window : %s, peak %s\n", describe(et, "ms").c_str(), describe(em, "MB").c_str());
    std::printf("  with one caption: %s, ratio %.2f\n", describe(ct, "ms").c_str(), ct.median / et.median);
    std::printf("  Kavimo          : %s, peak %s\n", describe(gt, "ms").c_str(), describe(gm, "MB").c_str());
    std::printf("  Kavimo's preview: %s\n", describe(pt, "ms").c_str());
    std::printf("  ratio %.2f (goal <= 1.20), memory +%.1f MB (goal <= 15)\n", gt.median / et.median,
                gm.median - em.median);
    std::printf("RESULT startup ratio=%.3f game_ms=%.1f game_min=%.1f game_max=%.1f empty_ms=%.1f empty_min=%.1f "
                "empty_max=%.1f game_mb=%.1f empty_mb=%.1f preview_ms=%.1f preview_min=%.1f preview_max=%.1f "
                "caption_ratio=%.3f caption_ms=%.1f caption_min=%.1f caption_max=%.1f\n",
                gt.median / et.median, gt.median, gt.min, gt.max, et.median, et.min, et.max, gm.median, em.median,
                pt.median, pt.min, pt.max, ct.median / et.median, ct.median, ct.min, ct.max);
    return 0;
}
