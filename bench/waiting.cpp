// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting benchmark: CPU time (user + system, every thread) that the game uses while it
// waits for a click, again once the sound device has been closed for quiet, and during the
// one-second pause after a pair is found. Starts as src/main.cpp does, with the shipped sets
// beside the program. Needs a display.
//
// usage: bench_waiting [IDLE_SECONDS]   (default 10)
#include "BenchSupport.h"

#include "platform/SdlSound.h"
#include "shell/Form1.h"

#include <QApplication>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

// Start-up sound and the first set's decoding are over by then.
constexpr int kSettleMs = 2000;

struct ThreadTime {
    std::string name;
    double cpuMs = 0;
};

// CPU time of every live thread, from /proc/self/task/*/stat (clock ticks).
std::map<int, ThreadTime> threadTimes() {
    std::map<int, ThreadTime> times;
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return times;
    const double msPerTick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream file(std::string("/proc/self/task/") + entry->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        unsigned long utime = 0, stime = 0;
        // Fields 14 and 15, counted after the name (field 2).
        const char* p = stat.c_str() + close + 2;
        for (int field = 3; field < 14; ++field) p = std::strchr(p, ' ') + 1;
        std::sscanf(p, "%lu %lu", &utime, &stime);
        times[std::atoi(entry->d_name)] = {stat.substr(open + 1, close - open - 1),
                                           static_cast<double>(utime + stime) * msPerTick};
    }
    closedir(dir);
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kavimo::bench;
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;

    QApplication app(argc, argv);
    kavimo::QtPlatform platform;
    kavimo::Form1 form(platform);
    form.Form_Load();
    showAndWaitForPaint(form);
    runEventsFor(kSettleMs);

    // Waiting for a click.
    const auto threadsBefore = threadTimes();
    double cpu = processCpuMs(), wall = nowMs();
    runEventsFor(idleSeconds * 1000);
    const double idleCpu = processCpuMs() - cpu, idleWall = nowMs() - wall;
    const auto threadsAfter = threadTimes();

    // Waiting on, once the sound device has been closed (the last sound was the greeting).
    runEventsFor(static_cast<int>(kavimo::SdlSound::kIdleClose.count()) + 1000);
    cpu = processCpuMs();
    wall = nowMs();
    runEventsFor(idleSeconds * 1000);
    const double restedCpu = processCpuMs() - cpu, restedWall = nowMs() - wall;
    const auto threadsRested = threadTimes();

    // A found pair: its sound starts and both cards stay marked for one second.
    form.Command1_Click();
    form.repaint();
    runEventsFor(kSettleMs);
    int first = -1, second = -1;
    const int lastCard = 2 * form.PairCount - 1;
    for (int a = 0; a <= lastCard && second < 0; ++a) {
        for (int b = a + 1; b <= lastCard; ++b) {
            if (form.CardValue[a] == form.CardValue[b]) {
                first = a;
                second = b;
                break;
            }
        }
    }
    if (second < 0) {
        std::fprintf(stderr, "no pair dealt: is there a set in Data beside the program?\n");
        return 1;
    }
    form.Picture1_Click(static_cast<int16_t>(first));
    cpu = processCpuMs();
    wall = nowMs();
    form.Picture1_Click(static_cast<int16_t>(second));
    const double pauseCpu = processCpuMs() - cpu, pauseWall = nowMs() - wall;

    const double idleRate = idleCpu / (idleWall / 1000.0), pauseRate = pauseCpu / (pauseWall / 1000.0),
                 restedRate = restedCpu / (restedWall / 1000.0);
    std::printf("waiting: idle %.2f ms CPU over %.1f s = %.2f ms/s; sound device closed %.2f ms CPU over "
                "%.1f s = %.2f ms/s; found pair %.2f ms CPU over %.2f s = %.2f ms/s (goal < 10 ms/s)\n",
                idleCpu, idleWall / 1000.0, idleRate, restedCpu, restedWall / 1000.0, restedRate, pauseCpu,
                pauseWall / 1000.0, pauseRate);
    const auto printThreads = [](const char* when, const auto& before, const auto& after) {
        for (const auto& [tid, times] : after) {
            const auto earlier = before.find(tid);
            const double used = times.cpuMs - (earlier == before.end() ? 0.0 : earlier->second.cpuMs);
            if (used > 0) std::printf("  %s CPU of thread %s: %.0f ms\n", when, times.name.c_str(), used);
        }
    };
    printThreads("idle", threadsBefore, threadsAfter);
    printThreads("closed", threadsAfter, threadsRested);
    std::printf("RESULT waiting idle_ms_per_s=%.2f pause_ms_per_s=%.2f idle_cpu_ms=%.2f pause_cpu_ms=%.2f "
                "rested_ms_per_s=%.2f\n",
                idleRate, pauseRate, idleCpu, pauseCpu, restedRate);
    std::fflush(stdout);
    std::_Exit(0);
}
