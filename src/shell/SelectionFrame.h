// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The selection frame of a card: a red square outline inside the card, which the card
// paints over its picture. It is no widget of its own, so a click on it is a click on its
// card, and the window has 42 fewer controls to create before it first shows.

#include <QRect>
#include <QRgb>

class QPainter;

namespace kavimo {

class PictureBox;

class SelectionFrame {
public:
    static constexpr int kLineWidth = 10;
    static constexpr QRgb kColour = 0xffff0000;  // pure red

    explicit SelectionFrame(PictureBox& card) : card_(card) {}
    SelectionFrame(const SelectionFrame&) = delete;
    SelectionFrame& operator=(const SelectionFrame&) = delete;

    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    void setVisible(bool visible);
    bool isVisible() const { return visible_; }

    // Position and size in pixels of the card's own coordinates.
    void place(int left, int top, int width, int height);
    // Where the frame stands in its card's own coordinates.
    QRect placement() const { return placement_; }

    // Draws the frame when it is shown; painter paints the card, clipped to its inner area.
    void paint(QPainter& painter) const;

private:
    PictureBox& card_;
    QRect placement_;
    bool visible_ = false;
};

}  // namespace kavimo
