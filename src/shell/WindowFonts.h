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

// Starts loading the font database and both fonts on a thread of their own, so that the
// window's first paint finds them ready instead of reading the font configuration itself.
// Call on the user-interface thread once the QApplication exists; the returned thread is
// waited for when it goes.
std::jthread preloadInBackground();

}  // namespace kavimo::fonts
