// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/CutGeometry.h"

#include <algorithm>

namespace kavimo::maker {

namespace {

QRect keptInside(QRect cut, QSize upright) {
    const int side = std::clamp(cut.width(), smallestCut(upright), largestCut(upright));
    const int left = std::clamp(cut.left(), 0, upright.width() - side);
    const int top = std::clamp(cut.top(), 0, upright.height() - side);
    return {left, top, side, side};
}

}  // namespace

int largestCut(QSize upright) {
    return std::max(1, std::min(upright.width(), upright.height()));
}

int smallestCut(QSize upright) {
    return std::min(kSmallestCut, largestCut(upright));
}

QRect movedCut(QRect cut, QPoint delta, QSize upright) {
    return keptInside(cut.translated(delta), upright);
}

QRect resizedCut(QRect cut, int side, QSize upright) {
    side = std::clamp(side, smallestCut(upright), largestCut(upright));
    // Twice the centre, so that odd sides keep it exactly.
    const int centreX2 = 2 * cut.left() + cut.width();
    const int centreY2 = 2 * cut.top() + cut.height();
    return keptInside({(centreX2 - side) / 2, (centreY2 - side) / 2, side, side}, upright);
}

}  // namespace kavimo::maker
