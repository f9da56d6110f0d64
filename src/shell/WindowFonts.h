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

// Then, once the QApplication exists: lists the system's fonts into Qt's font database on
// a thread of its own, after the configuration has been read. The returned thread is
// waited for when it goes.
std::jthread loadDatabaseInBackground(std::jthread configuration);

}  // namespace kavimo::fonts
