// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the benchmarks share: clocks, memory figures, simple statistics, the game's
// platform pointed at a folder of our own, and the picture sets they deal.

#include "platform/QtPlatform.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace kavimo::bench {

// Milliseconds on the monotonic clock.
double nowMs();
// CPU time of the whole process (every thread, alive or ended), in milliseconds.
double processCpuMs();
// Resident memory now and at its peak, in MB (VmRSS and VmHWM of /proc/self/status).
double residentMB();
double peakResidentMB();

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};
Spread spreadOf(std::vector<double> samples);
// "12.3 ms (11.9-13.0)"
std::string describe(const Spread& s, const char* unit);

// The real platform, with the application folder of our choosing, and message boxes that
// end the benchmark instead of waiting for a click nobody makes.
class BenchPlatform : public QtPlatform {
public:
    explicit BenchPlatform(QString appDir) : appDir_(std::move(appDir)) {}
    QString applicationDir() override { return appDir_; }
    void messageBox(const QString& text, const QString& title, int style) override;

private:
    QString appDir_;
};

// Shows the window and runs its events until it has painted once.
void showAndWaitForPaint(QWidget& window);
// Runs the event loop for a while, as the game does while it waits for a click.
void runEventsFor(int milliseconds);

// The kinds of picture a deal is measured with.
enum class PictureKind { Small, Baseline, Progressive, Png };
const char* nameOf(PictureKind kind);
bool parseKind(const std::string& text, PictureKind& kind);

// An application folder holding Data/1-photos.dat (21 pairs of the kind's pictures),
// Data/2-other.dat (one small pair, somewhere to step to) and the deal's sound cue. Made
// the first time, in a child process so that the caller's memory figures stay clean.
// Returns the folder, or an empty string when it could not be made.
QString pictureSetFolder(PictureKind kind, const QString& cacheRoot, const QString& repoData);

// A photo-like picture: soft gradients and shapes under sensor-like noise, so that it
// compresses the way a camera photo does. Different for every seed.
QImage photoLike(int width, int height, uint32_t seed);

// Where the repository's Data folder and the bench's cache live (from the environment:
// KAVIMO_REPO_DATA, KAVIMO_BENCH_CACHE; defaults beside the program).
QString repoDataFolder();
QString cacheFolder();

}  // namespace kavimo::bench
