// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pair's whole photo with the square that is cut from it. Dragging or the arrow keys move
// the square, the wheel or + and - resize it; the square is given and reported in upright
// picture pixels.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

namespace kavimo::maker {

class CutView : public QWidget {
    Q_OBJECT
public:
    explicit CutView(QWidget* parent = nullptr);

    // preview: the photo scaled down for the screen; upright: its real size.
    void setPicture(const QImage& preview, QSize upright, QRect cut);
    void clear();
    void setCut(QRect cut);
    QRect cut() const { return cut_; }
    // Where the photo is drawn, in this widget's coordinates.
    QRect photoArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void cutEdited(QRect cut);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void zoom(double notches);
    QPoint toPicture(QPointF widgetPoint) const;
    QRect toWidget(QRect pictureRect) const;
    void edit(QRect cut);

    QImage preview_;
    QSize upright_;
    QRect cut_;
    std::optional<QPoint> grab_;  // picture point under the mouse while dragging
};

}  // namespace kavimo::maker
