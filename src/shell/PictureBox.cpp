// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavimo {

namespace {
constexpr int kBorder = 2;  // a sunken Windows panel: two lines on each side
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setPicture(const QImage& picture) {
    if (picture_.isNull() && picture.isNull()) return;
    picture_ = picture;
    if (autoSize_) fitToPicture();
    update();
}

void PictureBox::setAutoSize(bool on) {
    autoSize_ = on;
    if (autoSize_) fitToPicture();
}

void PictureBox::fitToPicture() {
    if (picture_.isNull()) return;
    const int border = 2 * kBorder;
    resize(picture_.width() + border, picture_.height() + border);
}

// As Qt draws a sunken Windows panel, line by line, in the colours of the card's state:
// outer top and left in the palette's dark, inner in its shadow; outer bottom and right in
// its light, inner in its midlight. Drawn here straight, it costs a tenth of drawing it
// through the style's frame, which the window pays 42 times over before its first paint.
void PictureBox::drawBorder(QPainter& painter) const {
    const int w = width(), h = height();
    const QPalette& colours = palette();  // Qt sets its colour group to the card's state
    painter.fillRect(0, 0, 1, h - 1, colours.dark());
    painter.fillRect(0, 0, w - 1, 1, colours.dark());
    painter.fillRect(0, h - 1, w, 1, colours.light());
    painter.fillRect(w - 1, 0, 1, h, colours.light());
    if (w <= 4 || h <= 4) return;
    painter.fillRect(1, 1, 1, h - 3, colours.shadow());
    painter.fillRect(1, 1, w - 3, 1, colours.shadow());
    painter.fillRect(1, h - 2, w - 2, 1, colours.midlight());
    painter.fillRect(w - 2, 1, 1, h - 2, colours.midlight());
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawBorder(painter);
    if (picture_.isNull() && !frame_.isVisible()) return;
    painter.setClipRect(inner());
    if (!picture_.isNull()) painter.drawImage(inner().topLeft(), picture_);
    frame_.paint(painter);
}

// A click is a press and a release of the left button on the same card.
void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

// A double-click is one click: its second press, which Qt sends before the double-click,
// is taken back here, so a child's double-click marks a card instead of marking it and
// taking the mark away again.
void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) emit clicked();
}

}  // namespace kavimo
