// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A card: a picture box with a thin sunken border. It shows its picture at the picture's
// own size from its inner top-left corner and clips it at the inner edges. Its own
// coordinates (those of the selection frame inside it) count pixels from that corner.

#include "shell/SelectionFrame.h"

#include <QWidget>
#include <QImage>

namespace kavimo {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    // The empty picture: the card shows nothing.
    void clearPicture() { setPicture(QImage()); }

    // Grow to the picture: the card takes the size of its picture (plus its border).
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    // The inner area, where the picture and the card's own coordinates start.
    QRect inner() const { return contentsRect(); }

    // The card's selection frame, painted over its picture.
    SelectionFrame& frame() { return frame_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void fitToPicture();
    void drawBorder(QPainter& painter) const;

    QImage picture_;
    SelectionFrame frame_{*this};
    bool autoSize_ = false;
    bool pressed_ = false;
};

}  // namespace kavimo
