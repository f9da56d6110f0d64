// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's fonts. Sets were made on Japanese Windows, whose "ＭＳ Ｐゴシック" is not on
// this system: IPAPGothic stands in for it.

#include <QFont>
#include <QWidget>

#include <thread>

namespace kavimo::fonts {

// The window's default font, which the start button and the set title use: 9 points.
QFont window();

// The font of "<<" and ">>": 14.25 points, bold.
QFont browser();

// Reads which font the window had at an earlier start, when it is remembered; otherwise
// reads the system's font configuration on a thread of its own, while the application
// connects to the display. Call first thing in main.
std::jthread readConfigurationInBackground();

// Then, once the QApplication exists: starts the fonts with the remembered font alone, or
// else lists the system's fonts into Qt's font database on a thread of its own, after the
// configuration has been read. The returned thread is waited for when it goes.
std::jthread loadDatabaseInBackground(std::jthread configuration);

// Until the system's configuration has taken over: whether the window's font shows every
// character of text (when not, the window needs the system's fallback fonts at once).
bool shows(const QString& text);

// Hands the system's font configuration to Qt, read now when it is not yet, as a message
// box needs; and remembers the window's font for the next start. Does that only once.
void useSystemConfiguration();

// Reads the system's configuration on a thread and hands it over when it has been read;
// call once the window has been painted for the first time. window owns the waiting.
void afterFirstPaint(QWidget* window);

}  // namespace kavimo::fonts
