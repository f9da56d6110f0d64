// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up probe: starts exactly as src/main.cpp does (or, built as the empty-window probe,
// shows a plain QWidget instead; built as the caption probe, that QWidget with the start
// button alone, in the game's font). At the end of the window's first paint it prints the
// milliseconds since the process was started and its peak resident memory, then ends.
//
// The start is the moment the launcher (bench_startup) took just before exec, passed in
// KAVIMO_BENCH_T0_NS (CLOCK_MONOTONIC), so dynamic loading counts. Without it the process
// start time from /proc/self/stat is used (10 ms steps).
#ifdef KAVIMO_PROBE_CAPTION
#include "shell/WindowFonts.h"

#include <QPushButton>
#endif
#ifdef KAVIMO_PROBE_GAME
#include "platform/QtPlatform.h"
#include "shell/Form1.h"
#include "shell/PreviewImage.h"
#include "shell/WindowFonts.h"
#endif

#include <QApplication>
#include <QLabel>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

double monotonicMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double msSinceStart() {
    if (const char* t0 = std::getenv("KAVIMO_BENCH_T0_NS"))
        return monotonicMs(CLOCK_MONOTONIC) - std::strtod(t0, nullptr) / 1e6;
    // Field 22 of /proc/self/stat: start time in clock ticks since boot.
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    const size_t afterName = stat.rfind(')');
    const char* p = stat.c_str() + afterName + 2;  // field 3
    for (int field = 3; field < 22; ++field) p = std::strchr(p, ' ') + 1;
    const double startMs = std::strtod(p, nullptr) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
    return monotonicMs(CLOCK_BOOTTIME) - startMs;
}

// With KAVIMO_BENCH_PHASES set, the time of each step of the start goes to stderr at the
// end, so that writing it does not slow the start down.
struct Phase {
    double ms;
    const char* name;
};
constexpr int kMaxPhases = 16;
Phase phases[kMaxPhases];
int phaseCount = 0;

void phase(const char* name) {
    static const bool wanted = std::getenv("KAVIMO_BENCH_PHASES") != nullptr;
    if (wanted && phaseCount < kMaxPhases) phases[phaseCount++] = {msSinceStart(), name};
}

void printPhases() {
    for (int i = 0; i < phaseCount; ++i) std::fprintf(stderr, "%8.2f ms  %s\n", phases[i].ms, phases[i].name);
}

long peakResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Sees the window's first Paint event and reports once the paint that it starts (the
// window and all its children, flushed to the screen) is over; then, for the game, once the
// first set's preview, decoded on another thread, has been painted too.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget& window, QWidget* preview = nullptr) : window_(window), preview_(preview) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(target);
            if (widget && widget->window() == &window_) {
                seen_ = true;
                phase("first Paint event");
                QMetaObject::invokeMethod(this, &FirstPaint::report, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    void report() {
        const double ms = msSinceStart();
        phase("painted");
        double previewMs = ms;
#ifdef KAVIMO_PROBE_GAME
        if (auto* preview = qobject_cast<kavimo::PreviewImage*>(preview_)) {
            QCoreApplication::processEvents();  // the decode starts after the first paint
            preview->picture();  // waits for it
            preview->repaint();
            previewMs = msSinceStart();
        }
        // As the game does next: the window's font is remembered for the next start.
        kavimo::fonts::useSystemConfiguration();
#endif
        std::printf("first_paint_ms=%.3f peak_rss_kb=%ld preview_ms=%.3f\n", ms, peakResidentKB(), previewMs);
        std::fflush(stdout);
        printPhases();
        std::_Exit(0);  // no closing sequence, no teardown: the figure is taken
    }

    QWidget& window_;
    QWidget* preview_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    phase("main");
#ifdef KAVIMO_PROBE_GAME
    std::jthread fontConfiguration = kavimo::fonts::readConfigurationInBackground();
#endif
    QApplication app(argc, argv);
    phase("QApplication");
#ifdef KAVIMO_PROBE_GAME
    const std::jthread fontLoader = kavimo::fonts::loadDatabaseInBackground(std::move(fontConfiguration));
    kavimo::QtPlatform platform;
    platform.setBeforeMessageBox(&kavimo::fonts::useSystemConfiguration);
    phase("QtPlatform");
    kavimo::Form1 form(platform);
    platform.setUpSoundAfterFirstPaint(form);
    phase("Form1");
    FirstPaint probe(form, form.Image1);
    form.Form_Load();
    phase("Form_Load");
    if (!kavimo::fonts::shows(form.Label1->text())) kavimo::fonts::useSystemConfiguration();
    form.show();
#else
    QWidget form;
    form.setWindowTitle(QStringLiteral("Kavimo"));
    form.setFixedSize(538, 517);  // the game's client area
#ifdef KAVIMO_PROBE_CAPTION
    form.setFont(kavimo::fonts::window());
    QPushButton start(QStringLiteral("スタート"), &form);
    start.setGeometry(40, 456, 129, 49);  // where the game has it
#endif
    FirstPaint probe(form);
    form.show();
#endif
    phase("show");
    return app.exec();
}
