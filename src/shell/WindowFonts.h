// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's fonts. Sets were made on Japanese Windows, whose "ＭＳ Ｐゴシック" is not on
// this system: IPAPGothic stands in for it.

#include <QFont>

#include <thread>

namespace kavimo::fonts {

// The window's default font, which the start button and the set title use: 9 points.
QFont window();

// The font of "<<" and ">>": 14.25 points, bold.
QFont browser();

// Starts reading the system's font configuration on a thread of its own, while the
// application connects to the display. Call first thing in main.
std::jthread readConfigurationInBackground();

// Then, once the QApplication exists (on the user-interface thread): loads the font database,
// both fonts and Qt's picture plugins on a thread of their own, after the configuration has
// been read, so that the window's controls, its preview and its first paint find them ready.
// The returned thread is waited for when it goes.
std::jthread preloadInBackground(std::jthread configuration);

}  // namespace kavimo::fonts
