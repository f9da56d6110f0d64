// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <mutex>

namespace kavimo::fonts {

namespace {

const QString kWindowsFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kStandIn = QStringLiteral("IPAPGothic");
constexpr double kWindowPoints = 9;
constexpr double kBrowserPoints = 14.25;

// Qt's table of substitutes is not guarded, so it is written once, before any other thread
// can look a font up.
void substituteOnce() {
    static std::once_flag done;
    std::call_once(done, [] { QFont::insertSubstitution(kWindowsFamily, kStandIn); });
}

QFont windowsFont(double points, bool bold) {
    substituteOnce();
    QFont font(kWindowsFamily);
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
    return std::jthread([] { FcInit(); });
}

std::jthread preloadInBackground(std::jthread configuration) {
    substituteOnce();
    // The application's font is settled here: the first to ask for it holds a lock that
    // every widget being made waits for, and the thread would ask first.
    QGuiApplication::font();
    return std::jthread([configuration = std::move(configuration)]() mutable {
        if (configuration.joinable()) configuration.join();
        // Fresh fonts of this thread's own: a QFont is not to be shared between threads.
        // A font is looked up per script: the captions, and titles in kana, kanji or Latin.
        QFontDatabase::families();
        QFontMetrics(window()).horizontalAdvance(QStringLiteral("スタート かたち 漢字 Aa1"));
        QFontMetrics(browser()).horizontalAdvance(QStringLiteral("<<>>"));
        // Qt loads every picture plugin for the first picture it reads (the preview).
        QImageReader::supportedImageFormats();
    });
}

}  // namespace kavimo::fonts
