#pragma once
// The selection frame of a card: a red square outline inside the card, transparent
// inside and to clicks, so a click on it is a click on its card.

#include <QWidget>

namespace kavimo {

class PictureBox;

class SelectionFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLineWidth = 10;
    static constexpr QRgb kColour = 0xffff0000;  // pure red

    explicit SelectionFrame(PictureBox* card);

    // Position and size in pixels of the card's own coordinates.
    void place(int left, int top, int width, int height);
    // Where the frame stands in its card's own coordinates.
    QRect placement() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureBox* card_;
};

}  // namespace kavimo
