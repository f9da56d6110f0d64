// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a pair's square is cut from its photo: the arithmetic of moving and resizing it,
// always a square that lies wholly inside the upright picture.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kavimo::maker {

// The smallest square a parent may cut, in picture pixels (smaller photos: their short side).
inline constexpr int kSmallestCut = 32;

int smallestCut(QSize upright);
int largestCut(QSize upright);

// The cut moved by delta, kept inside the picture.
QRect movedCut(QRect cut, QPoint delta, QSize upright);

// The cut with a new side around the same centre, the side kept between the smallest and
// the largest cut, and the square kept inside the picture.
QRect resizedCut(QRect cut, int side, QSize upright);

}  // namespace kavimo::maker
