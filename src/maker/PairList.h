// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pairs as the child will see their cards: each card's picture at its real size on
// the board's colour, in the order of the set. Cards are reordered by dragging; files and
// folders dropped from the file manager are handed on.

#include <QListWidget>
#include <QStringList>

namespace kavimo::maker {

class PairList : public QListWidget {
    Q_OBJECT
public:
    explicit PairList(QWidget* parent = nullptr);

    // Cards of side logical pixels; their pictures are made at side x devicePixelRatio.
    void setCardSide(int side);
    int cardSide() const { return side_; }
    // Room for the game's grid of 5 x 4 large cards; at least a row of 5, or 2 on a small screen.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // On a screen too narrow for a row of 5 large cards beside the square (800 x 600).
    bool onNarrowScreen() const;
    // The side of large cards, which the list is sized for.
    void setCardSideLarge(int side) { large_ = side; }
    int cardSideLarge() const { return large_; }

signals:
    void filesDropped(const QStringList& paths);
    void reordered();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int widthFor(int cards) const;
    int side_ = 0;
    int large_ = 99;
};

// The local files among dropped data.
QStringList droppedFiles(const QMimeData* data);

}  // namespace kavimo::maker
