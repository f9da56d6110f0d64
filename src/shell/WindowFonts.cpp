// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowFonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <future>

namespace kavimo::fonts {

namespace {

const QString kWindowsFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kStandIn = QStringLiteral("IPAPGothic");
constexpr double kWindowPoints = 9;
constexpr double kBrowserPoints = 14.25;

// Done once the configuration thread has read the system's configuration. Qt's first font
// look-up waits for it: fontconfig does not, it reads the whole configuration again on the
// asking thread while another is still at it, and on two cores that costs the window
// 5 to 10 ms of CPU (seen in 1 start in 20).
std::shared_future<void> configurationRead;

// The Windows family where it is installed, otherwise its stand-in, named directly: for a
// family that is not installed, Qt first sorts all fonts by likeness (fontconfig's
// FcFontSort) and only then tries a substitute, a few milliseconds at the first paint.
const QString& family() {
    static const QString chosen = [] {
        if (configurationRead.valid()) configurationRead.wait();
        if (QFontDatabase::hasFamily(kWindowsFamily)) return kWindowsFamily;
        // Without any font for Japanese (a portable copy on a bare machine) the captions and
        // titles show as boxes: said where a parent who started it from a terminal sees it.
        if (!QFontDatabase::hasFamily(kStandIn) && QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
            std::fputs("kavimo: no font for Japanese is installed, so the game's texts show as boxes. "
                       "Install one with: sudo apt install fonts-ipafont-gothic\n",
                       stderr);
        return kStandIn;
    }();
    return chosen;
}

QFont windowsFont(double points, bool bold) {
    QFont font(family());
    font.setPointSizeF(points);
    font.setBold(bold);
    // Kana, kanji and Latin need no shaping (Qt still shapes the scripts that do), and
    // skipping it spares loading the font's layout tables before the first paint.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

}  // namespace

QFont window() { return windowsFont(kWindowPoints, false); }

QFont browser() { return windowsFont(kBrowserPoints, true); }

std::jthread readConfigurationInBackground() {
    // Qt's font database starts from fontconfig's configuration and cache, most of the cost.
    std::packaged_task<void()> read([] { FcInit(); });
    configurationRead = read.get_future().share();
    return std::jthread(std::move(read));
}

std::jthread loadDatabaseInBackground(std::jthread configuration) {
    return std::jthread([configuration = std::move(configuration)]() mutable {
        if (configuration.joinable()) configuration.join();
        // Only what all threads share: a thread's fonts and glyphs are its own, so loading
        // the window's fonts here would be done again for the first paint.
        QFontDatabase::families();
    });
}

}  // namespace kavimo::fonts
