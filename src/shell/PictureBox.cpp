// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavimo {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
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
    const int border = 2 * frameWidth();
    resize(picture_.width() + border, picture_.height() + border);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull() && !frame_.isVisible()) return;
    QPainter painter(this);
    painter.setClipRect(inner());
    if (!picture_.isNull()) painter.drawImage(inner().topLeft(), picture_);
    frame_.paint(painter);
}

// A click is a press and a release of the left button on the same card.
void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QFrame::mousePressEvent(event);
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
