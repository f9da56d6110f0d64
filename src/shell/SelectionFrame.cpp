#include "shell/SelectionFrame.h"

#include "shell/PictureBox.h"

#include <QPainter>

namespace kavimo {

SelectionFrame::SelectionFrame(PictureBox* card) : QWidget(card), card_(card) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void SelectionFrame::place(int left, int top, int width, int height) {
    setGeometry(card_->inner().left() + left, card_->inner().top() + top, width, height);
}

QRect SelectionFrame::placement() const { return geometry().translated(-card_->inner().topLeft()); }

void SelectionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Clipped by the card's inner area, like everything the card holds.
    painter.setClipRect(card_->inner().translated(-pos()));
    const QColor red = QColor::fromRgb(kColour);
    const int w = width(), h = height(), line = std::min({kLineWidth, w, h});
    painter.fillRect(0, 0, w, line, red);
    painter.fillRect(0, h - line, w, line, red);
    painter.fillRect(0, 0, line, h, red);
    painter.fillRect(w - line, 0, line, h, red);
}

}  // namespace kavimo
