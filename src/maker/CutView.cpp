// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/CutView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "maker/CutGeometry.h"

namespace kavimo::maker {

namespace {

// One wheel notch grows or shrinks the square by a tenth.
constexpr double kStepPerNotch = 1.1;

}  // namespace

CutView::CutView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::WheelFocus);
}

void CutView::setPicture(const QImage& preview, QSize upright, QRect cut) {
    preview_ = preview;
    upright_ = upright;
    cut_ = cut;
    grab_.reset();
    update();
}

void CutView::clear() {
    setPicture({}, {}, {});
}

void CutView::setCut(QRect cut) {
    cut_ = cut;
    update();
}

QSize CutView::sizeHint() const {
    const int em = fontMetrics().height();
    return {30 * em, 18 * em};
}

QSize CutView::minimumSizeHint() const {
    const int em = fontMetrics().height();
    return {12 * em, 9 * em};
}

QRect CutView::photoArea() const {
    if (upright_.isEmpty()) return {};
    const QSize shown = upright_.scaled(size(), Qt::KeepAspectRatio);
    return {QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown};
}

QPoint CutView::toPicture(QPointF widgetPoint) const {
    const QRect area = photoArea();
    const double scale = double(upright_.width()) / area.width();
    return {int(std::lround((widgetPoint.x() - area.left()) * scale)),
            int(std::lround((widgetPoint.y() - area.top()) * scale))};
}

QRect CutView::toWidget(QRect pictureRect) const {
    const QRect area = photoArea();
    const double scale = double(area.width()) / upright_.width();
    return QRectF(area.left() + pictureRect.left() * scale, area.top() + pictureRect.top() * scale,
                  pictureRect.width() * scale, pictureRect.height() * scale)
        .toRect();
}

void CutView::edit(QRect cut) {
    if (cut == cut_) return;
    cut_ = cut;
    update();
    emit cutEdited(cut_);
}

void CutView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (preview_.isNull() || upright_.isEmpty()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = photoArea();
    painter.drawImage(area, preview_);
    const QRect square = toWidget(cut_);
    // What is left out is dimmed, so the square reads as the card.
    QPainterPath outside;
    outside.addRect(area);
    outside.addRect(square);
    painter.fillPath(outside, QColor(0, 0, 0, 140));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(square.adjusted(0, 0, -1, -1));
    if (hasFocus()) {  // the square is what the keys move
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.drawRect(square.adjusted(2, 2, -3, -3));
    }
}

void CutView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || upright_.isEmpty()) return;
    const QPoint at = toPicture(event->position());
    // A press outside the square brings the square there first.
    if (!cut_.contains(at)) edit(movedCut(cut_, at - cut_.center(), upright_));
    grab_ = at;
    setCursor(Qt::ClosedHandCursor);
}

void CutView::mouseMoveEvent(QMouseEvent* event) {
    if (!grab_) return;
    const QPoint at = toPicture(event->position());
    const QRect moved = movedCut(cut_, at - *grab_, upright_);
    // The grab point follows only as far as the square could go.
    *grab_ += moved.topLeft() - cut_.topLeft();
    edit(moved);
}

void CutView::mouseReleaseEvent(QMouseEvent*) {
    grab_.reset();
    setCursor(Qt::OpenHandCursor);
}

void CutView::zoom(double notches) {
    if (upright_.isEmpty() || notches == 0) return;
    const int side = int(std::lround(cut_.width() * std::pow(kStepPerNotch, notches)));
    edit(resizedCut(cut_, side == cut_.width() ? side + (notches > 0 ? 1 : -1) : side, upright_));
}

void CutView::wheelEvent(QWheelEvent* event) {
    zoom(event->angleDelta().y() / 120.0);
    event->accept();
}

// The square is marked while it has the focus.
void CutView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CutView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CutView::keyPressEvent(QKeyEvent* event) {
    // One press moves the square by a tenth of its side, or grows or shrinks it as one
    // notch of the wheel does.
    const int step = std::max(1, cut_.width() / 10);
    QPoint by;
    switch (event->key()) {
    case Qt::Key_Left: by = {-step, 0}; break;
    case Qt::Key_Right: by = {step, 0}; break;
    case Qt::Key_Up: by = {0, -step}; break;
    case Qt::Key_Down: by = {0, step}; break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoom(1); return;
    case Qt::Key_Minus: zoom(-1); return;
    default: QWidget::keyPressEvent(event); return;
    }
    if (!upright_.isEmpty()) edit(movedCut(cut_, by, upright_));
}

}  // namespace kavimo::maker
