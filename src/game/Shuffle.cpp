// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Shuffle.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kavimo::board {

void ShuffleCards(std::array<int16_t, kCards>& cardValue, int16_t pairCount,
                  const std::function<double()>& random01) {
    const int inPlay = 2 * pairCount;
    if (inPlay <= 0) {
        // Nothing in play: the draws are still made, and change nothing.
        for (int n = 0; n < kShuffleExchanges; ++n) { random01(); random01(); }
        return;
    }
    auto draw = [&] { return std::clamp(static_cast<int>(std::floor(random01() * inPlay)), 0, inPlay - 1); };
    for (int n = 0; n < kShuffleExchanges; ++n) {
        const int a = draw();
        const int b = draw();
        std::swap(cardValue[a], cardValue[b]);
    }
}

}  // namespace kavimo::board
