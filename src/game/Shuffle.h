// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The deal's shuffle: 101 exchanges of two cards in play, each card drawn uniformly.
// Not a full permutation shuffle, and it need not be: a child cannot tell.

#include "game/BoardGeometry.h"

#include <array>
#include <cstdint>
#include <functional>

namespace kavimo::board {

inline constexpr int kShuffleExchanges = 101;

// random01 draws uniformly from [0, 1). Only the first 2 * pairCount entries move;
// pairCount must lie in 0 to kMaxPairs.
void ShuffleCards(std::array<int16_t, kCards>& cardValue, int16_t pairCount,
                  const std::function<double()>& random01);

}  // namespace kavimo::board
