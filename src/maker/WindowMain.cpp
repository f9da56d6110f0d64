// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/MakerWindow.h"
#include "maker/SetMaker.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace kavimo::maker {

namespace {

// Written by the signal handler, read by the event loop: the one way out of a handler that
// is safe.
int signalPipe[2] = {-1, -1};

// A save under way gives up at once, or finishes when it is moving the set into place; a
// second signal ends the program at once.
void onSignal(int signal) {
    requestCancel();
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    std::signal(signal, SIG_DFL);
}

}  // namespace

int runMakerWindow(int& argc, char** argv) {
    QApplication app(argc, argv);
    // The menu entry's name, so that Wayland shows the set maker's own icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavimo.setmaker"));
    // Without any font for Japanese (a portable copy on a bare machine) Japanese texts would
    // show as boxes: the window speaks English then, and says why.
    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty()) {
        std::fputs("kavimo-set: no font for Japanese is installed, so the set maker speaks English and "
                   "Japanese names show as boxes. Install one with: sudo apt install fonts-ipafont-gothic\n",
                   stderr);
        loadTranslations(QLocale(QLocale::English));
    } else {
        loadTranslations();
    }
    QtPlatform platform;
    MakerWindow window(platform);
    // A logout's SIGTERM or Ctrl-C would otherwise end the program in the middle of a save,
    // leaving its work folder behind.
    std::unique_ptr<QSocketNotifier> signalled;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalled = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalled.get(), &QSocketNotifier::activated, &window, [&window] {
            char byte = 0;
            while (::read(signalPipe[0], &byte, 1) > 0) {
            }
            window.endAtSignal();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    window.show();
    return app.exec();
}

}  // namespace kavimo::maker
