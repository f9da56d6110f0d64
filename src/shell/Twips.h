// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window is laid out in twips; the screen counts pixels.

#include <QRect>

#include <cmath>

namespace kavimo {

inline constexpr double kTwipsPerPixel = 15.0;

// Each of left, top, width and height is rounded on its own, so a layout never depends
// on where a control sits.
inline int twipsToPixels(int twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

}  // namespace kavimo
