// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace kavimo {

// The style of a frame without a caption (Frame1): the application's own style, except that
// under Fusion it draws the frame from Fusion's own picture, read straight through libpng.
// Fusion reads that picture through Qt's format detection, which loads every picture plugin
// Qt has, and the libraries behind them, in the middle of the window's first paint.
class FrameStyle : public QProxyStyle {
public:
    FrameStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

private:
    QPixmap frame_;  // null where Fusion does not draw the frame this way
};

}  // namespace kavimo
