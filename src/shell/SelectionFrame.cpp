// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SelectionFrame.h"

#include "shell/PictureBox.h"

#include <QPainter>

#include <algorithm>

namespace kavimo {

void SelectionFrame::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    card_.update();
}

void SelectionFrame::place(int left, int top, int width, int height) {
    const QRect wanted(left, top, width, height);
    if (placement_ == wanted) return;
    placement_ = wanted;
    if (visible_) card_.update();
}

void SelectionFrame::paint(QPainter& painter) const {
    if (!visible_ || placement_.isEmpty()) return;
    const QColor red = QColor::fromRgb(kColour);
    const QRect r = placement_.translated(card_.inner().topLeft());
    const int line = std::min({kLineWidth, r.width(), r.height()});
    painter.fillRect(r.left(), r.top(), r.width(), line, red);
    painter.fillRect(r.left(), r.bottom() - line + 1, r.width(), line, red);
    painter.fillRect(r.left(), r.top(), line, r.height(), red);
    painter.fillRect(r.right() - line + 1, r.top(), line, r.height(), red);
}

}  // namespace kavimo
