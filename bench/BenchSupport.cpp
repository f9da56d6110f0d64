// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QImageWriter>
#include <QTimer>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <thread>

namespace kavimo::bench {

namespace {

double statusFieldMB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + key.size(), nullptr) / 1024.0;
    }
    return 0;
}

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, QEventLoop& loop) : window_(window), loop_(loop) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FirstPaint() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            auto* widget = qobject_cast<QWidget*>(target);
            if (widget && widget->window() == &window_) {
                seen_ = true;
                // Queued: it runs once the whole window has been painted and flushed.
                QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    QWidget& window_;
    QEventLoop& loop_;
    bool seen_ = false;
};

// xorshift32: fast and good enough for noise.
struct Noise {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

int clampByte(int v) { return std::clamp(v, 0, 255); }

constexpr int kPairs = 21;
constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kSmallSide = 120;
// Phone cameras save at about this quality.
constexpr int kJpegQuality = 92;

QString photoName(PictureKind kind, int index) {
    const char* suffix = kind == PictureKind::Png ? "png" : "jpg";
    return QString::asprintf("p%02d.%s", index, suffix);
}

bool savePicture(PictureKind kind, const QImage& image, const QString& path) {
    QImageWriter writer(path, kind == PictureKind::Png ? "png" : "jpeg");
    if (kind != PictureKind::Png) writer.setQuality(kJpegQuality);
    if (kind == PictureKind::Progressive) writer.setProgressiveScanWrite(true);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.toUtf8()) >= 0;
}

// Runs in the child: every file of the folder, both cores at work.
bool makeSetFolder(PictureKind kind, const QString& folder, const QString& repoData) {
    QDir().mkpath(folder + "/Data/photos");
    QDir().mkpath(folder + "/Data/other");
    const bool large = kind != PictureKind::Small;
    const int width = large ? kPhotoWidth : kSmallSide;
    const int height = large ? kPhotoHeight : kSmallSide;

    std::atomic<int> next{0};
    std::atomic<bool> ok{true};
    auto work = [&] {
        for (int i = next++; i < kPairs; i = next++) {
            const QImage image = photoLike(width, height, 1000u + static_cast<uint32_t>(i));
            if (!savePicture(kind, image, folder + "/Data/photos/" + photoName(kind, i))) ok = false;
        }
    };
    {
        std::jthread helper(work);
        work();
    }
    if (!savePicture(PictureKind::Small, photoLike(kSmallSide, kSmallSide, 7), folder + "/Data/other/o.jpg"))
        return false;

    QString photos = "[File]\r\n21\r\n[Picture]\r\n";
    for (int i = 0; i < kPairs; ++i) photos += "Data\\photos\\" + photoName(kind, i) + "\r\n";
    photos += "[Sound]\r\n";
    for (int i = 0; i < kPairs; ++i) photos += "Data\\puu002@22.wav\r\n";
    const QString other = "[File]\r\n1\r\n[Picture]\r\nData\\other\\o.jpg\r\n[Sound]\r\nData\\puu002@22.wav\r\n";
    if (!writeText(folder + "/Data/1-photos.dat", photos) || !writeText(folder + "/Data/2-other.dat", other))
        return false;
    for (const char* cue : {"HajimeA@08.wav", "puu002@22.wav"}) {
        QFile::remove(folder + "/Data/" + cue);
        if (!QFile::copy(repoData + "/" + cue, folder + "/Data/" + cue)) return false;
    }
    return ok && writeText(folder + "/.complete", "made by the Kavimo benchmarks\n");
}

}  // namespace

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double residentMB() { return statusFieldMB("VmRSS"); }
double peakResidentMB() { return statusFieldMB("VmHWM"); }

Spread spreadOf(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

std::string describe(const Spread& s, const char* unit) {
    char text[128];
    std::snprintf(text, sizeof text, "%.1f %s (%.1f-%.1f)", s.median, unit, s.min, s.max);
    return text;
}

void BenchPlatform::messageBox(const QString& text, const QString& title, int) {
    std::fprintf(stderr, "benchmark stopped: the game showed \"%s\" (%s)\n", qPrintable(text), qPrintable(title));
    std::fflush(stderr);
    std::_Exit(2);
}

void showAndWaitForPaint(QWidget& window) {
    QEventLoop loop;
    FirstPaint probe(window, loop);
    window.show();
    loop.exec();
}

void runEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

const char* nameOf(PictureKind kind) {
    switch (kind) {
    case PictureKind::Small: return "small";
    case PictureKind::Baseline: return "baseline";
    case PictureKind::Progressive: return "progressive";
    case PictureKind::Png: return "png";
    }
    return "?";
}

bool parseKind(const std::string& text, PictureKind& kind) {
    for (PictureKind k : {PictureKind::Small, PictureKind::Baseline, PictureKind::Progressive, PictureKind::Png}) {
        if (text == nameOf(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

QString pictureSetFolder(PictureKind kind, const QString& cacheRoot, const QString& repoData) {
    const QString folder = cacheRoot + "/" + nameOf(kind);
    if (QFile::exists(folder + "/.complete")) return folder;

    std::fprintf(stderr, "making the %s pictures in %s (once)...\n", nameOf(kind), qPrintable(folder));
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) std::_Exit(makeSetFolder(kind, folder, repoData) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? folder : QString();
}

QImage photoLike(int width, int height, uint32_t seed) {
    QImage image(width, height, QImage::Format_RGB32);
    Noise noise{seed * 2654435761u + 1u};
    // A few blobs of colour, like objects in a scene.
    struct Blob { double x, y, r; int dr, dg, db; };
    constexpr int kBlobs = 12;
    std::vector<Blob> blobs;
    blobs.reserve(kBlobs);
    for (int i = 0; i < kBlobs; ++i) {
        blobs.push_back({double(noise.next() % width), double(noise.next() % height),
                         double(width) / 20 + noise.next() % (width / 5), int(noise.next() % 120) - 60,
                         int(noise.next() % 120) - 60, int(noise.next() % 120) - 60});
    }
    const int r0 = 40 + noise.next() % 120, g0 = 40 + noise.next() % 120, b0 = 40 + noise.next() % 120;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            int r = r0 + 80 * x / width, g = g0 + 60 * y / height, b = b0 + 40 * (x + y) / (width + height);
            for (const Blob& blob : blobs) {
                const double dx = x - blob.x, dy = y - blob.y;
                if (dx * dx + dy * dy < blob.r * blob.r) {
                    r += blob.dr;
                    g += blob.dg;
                    b += blob.db;
                }
            }
            // Sensor noise, a little different in each channel.
            const uint32_t n = noise.next();
            r += int(n & 15) - 8;
            g += int((n >> 4) & 15) - 8;
            b += int((n >> 8) & 15) - 8;
            line[x] = qRgb(clampByte(r), clampByte(g), clampByte(b));
        }
    }
    return image;
}

QString repoDataFolder() {
    if (const char* env = std::getenv("KAVIMO_REPO_DATA")) return QString::fromLocal8Bit(env);
    return QStringLiteral(KAVIMO_BENCH_REPO_DATA);
}

QString cacheFolder() {
    if (const char* env = std::getenv("KAVIMO_BENCH_CACHE")) return QString::fromLocal8Bit(env);
    return QStringLiteral(KAVIMO_BENCH_CACHE);
}

}  // namespace kavimo::bench
