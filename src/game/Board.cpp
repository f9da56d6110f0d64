// SPDX-License-Identifier: GPL-3.0-or-later
// Board reset and layout.
#include "shell/Form1.h"

#include "shell/PictureBox.h"
#include "shell/SelectionFrame.h"
#include "shell/Twips.h"

namespace kavimo {

void Form1::ResetBoard() {
    PairsFound = 0;
    int16_t v = 0;
    // Worked out wide, so that any 16-bit count resets: all cards in play above 21 pairs,
    // none below 1.
    const int32_t lastCard = 2 * int32_t{PairCount} - 1;

    for (int i = 0; i < board::kCards; ++i) {
        Picture1[i]->clearPicture();
        Picture1[i]->setEnabled(false);
        Picture1[i]->setVisible(i <= lastCard);
        Shape1[i]->setVisible(false);
        CardValue[i] = v;
        if (i % 2 == 1) ++v;
    }

    // Only the grid in use moves: with the large cards, cards 20 to 41 stay at their
    // small-card places.
    const board::Grid& grid = board::gridFor(PairCount);
    for (int k = 0; k < grid.cardsLaidOut(); ++k) {
        Picture1[k]->setGeometry(
            twipsRect(board::cardLeft(grid, k), board::cardTop(grid, k), grid.cardSide, grid.cardSide));
        Shape1[k]->place(board::kFrameOffset, board::kFrameOffset, grid.frameSide, grid.frameSide);
    }

    // A mark pending from before the reset would make the first click of the next deal
    // a second pick against an old, unmarked card.
    FirstPicked = 0;
    Picked = {};
}

}  // namespace kavimo
