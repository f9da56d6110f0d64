// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/PairList.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QUrl>

namespace kavimo::maker {

QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

PairList::PairList(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    // Static, so that a drag reorders the set itself, not only where a card is drawn.
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    // On the viewport: a static list leaves it deaf to drops, internal moves included.
    viewport()->setAcceptDrops(true);
    // The board's own colour: the game window keeps the default palette.
    QPalette board = palette();
    board.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
    setPalette(board);
    connect(model(), &QAbstractItemModel::rowsMoved, this, &PairList::reordered);
}

void PairList::setCardSide(int side) {
    if (side == side_) return;
    side_ = side;
    setIconSize({side, side});
    // The game leaves a thin gap between cards; a line of text under each names the preview.
    const int gap = fontMetrics().height() / 2;
    setGridSize({side + 2 * gap, side + fontMetrics().height() + 2 * gap});
    setSpacing(gap / 2);
}

// A row of `cards` large cards, with the frame and the scroll bar.
int PairList::widthFor(int cards) const {
    const int gap = fontMetrics().height() / 2;
    return cards * (cardSideLarge() + 2 * gap) + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + gap;
}

bool PairList::onNarrowScreen() const {
    return screen() && screen()->availableSize().width() < 1024;
}

// A row holds as many large cards as the game's board, or two on a screen too narrow for that.
QSize PairList::minimumSizeHint() const {
    return {widthFor(onNarrowScreen() ? 2 : 5), gridSize().height() + 2 * frameWidth()};
}

QSize PairList::sizeHint() const {
    return {widthFor(5), 4 * gridSize().height() + 2 * frameWidth()};
}

void PairList::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QListWidget::dragEnterEvent(event);
}

void PairList::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QListWidget::dragMoveEvent(event);  // scrolls near the edges
    // Cards take no drops of their own; the list places a card dropped on one.
    if (event->source() == this) event->accept();
}

void PairList::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        emit filesDropped(files);
        return;
    }
    if (event->source() != this) return;
    // A card dropped on another takes its place; dropped past the last, it goes last. Moved
    // here, so that it also works on a card, and reported as a copy so the drag removes nothing.
    const int from = currentRow();
    const QModelIndex onto = indexAt(event->position().toPoint());
    const int to = onto.isValid() ? onto.row() : count() - 1;
    if (from >= 0 && to != from) model()->moveRow({}, from, {}, to > from ? to + 1 : to);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

}  // namespace kavimo::maker
