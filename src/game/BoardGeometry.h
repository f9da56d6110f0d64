// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board: 42 card slots on one of two grids, in twips of the window (the frames inside
// the cards count pixels).

#include <cstdint>

namespace kavimo::board {

inline constexpr int kCards = 42;
inline constexpr int kMaxPairs = kCards / 2;

inline constexpr int kFirstLeft = 240;  // left edge of the first card of every row
inline constexpr int kFirstTop = 360;   // top edge of the first row
inline constexpr int kGap = 10;         // between neighbouring cards, across and down
inline constexpr int kFrameOffset = 1;  // the frame's left and top inside its card, pixels

struct Grid {
    int columns;
    int rows;
    int cardSide;   // twips
    int frameSide;  // pixels
    constexpr int pitch() const { return cardSide + kGap; }
    constexpr int cardsLaidOut() const { return columns * rows; }
};

inline constexpr Grid kSmallGrid{7, 6, 1000, 61};
inline constexpr Grid kLargeGrid{5, 4, 1550, 97};
// Up to 10 pairs fit the large cards. 11 to 21 pairs take the small ones: on the large grid
// their cards beyond the twentieth would stand over the large cards and could be covered
// for good.
inline constexpr int kMostPairsOnLargeCards = kLargeGrid.cardsLaidOut() / 2;

inline constexpr const Grid& gridFor(int16_t pairCount) {
    return pairCount > kMostPairsOnLargeCards && pairCount <= kMaxPairs ? kSmallGrid : kLargeGrid;
}

// Card k's left and top edge on a grid.
inline constexpr int cardLeft(const Grid& g, int k) { return kFirstLeft + (k % g.columns) * g.pitch(); }
inline constexpr int cardTop(const Grid& g, int k) { return kFirstTop + (k / g.columns) * g.pitch(); }

}  // namespace kavimo::board
