// Board reset and layout: which cards stand where for a pair count, blank and disabled.
#include "shell/WindowFixture.h"

#include "game/Shuffle.h"

namespace kavimo::test {
namespace {

class Board : public WindowTest {
protected:
    void resetFor(int16_t pairs) {
        window().PairCount = pairs;
        form->ResetBoard();
    }
    QRect cardAt(int k) { return form->Picture1[k]->geometry(); }

    void expectIdle(int visibleCards) {
        for (int k = 0; k < board::kCards; ++k) {
            EXPECT_EQ(cardShown(k), k < visibleCards) << "card " << k;
            EXPECT_FALSE(form->Picture1[k]->isEnabled()) << k;
            EXPECT_TRUE(form->Picture1[k]->picture().isNull()) << k;
            EXPECT_FALSE(frameShown(k)) << k;
            EXPECT_EQ(form->CardValue[k], k / 2) << k;
        }
        EXPECT_EQ(form->PairsFound, 0);
    }
};

TEST_F(Board, TenPairsUseTheLargeCardGrid) {
    resetFor(10);
    expectIdle(20);
    EXPECT_EQ(cardAt(0), QRect(16, 24, 103, 103));
    EXPECT_EQ(cardAt(4), QRect(432, 24, 103, 103));
    EXPECT_EQ(cardAt(5), QRect(16, 128, 103, 103));
    EXPECT_EQ(cardAt(19), QRect(432, 336, 103, 103));
    for (int k = 0; k < 20; ++k) EXPECT_EQ(form->Shape1[k]->placement(), QRect(1, 1, 97, 97)) << k;
    EXPECT_GE(form->Picture1[0]->inner().width(), 98);
    EXPECT_GE(form->Picture1[0]->inner().height(), 98);
}

TEST_F(Board, TwentyOnePairsUseAllFortyTwoSmallCards) {
    resetFor(21);
    expectIdle(42);
    EXPECT_EQ(cardAt(0), QRect(16, 24, 67, 67));
    EXPECT_EQ(cardAt(6), QRect(420, 24, 67, 67));
    EXPECT_EQ(cardAt(7), QRect(16, 91, 67, 67));
    EXPECT_EQ(cardAt(41), QRect(420, 361, 67, 67));
    for (int k = 0; k < 42; ++k) EXPECT_EQ(form->Shape1[k]->placement(), QRect(1, 1, 61, 61)) << k;
    EXPECT_GE(form->Picture1[0]->inner().width(), 62);
}

TEST_F(Board, NoPairsShowNoCardButStillPlaceTheLargeGrid) {
    resetFor(0);
    expectIdle(0);
    EXPECT_EQ(cardAt(19), QRect(432, 336, 103, 103));
}

TEST_F(Board, FifteenPairsLeaveCardsTwentyOnAtTheirSmallPlaces) {
    resetFor(15);
    expectIdle(30);
    EXPECT_EQ(cardAt(19), QRect(432, 336, 103, 103));
    EXPECT_EQ(cardAt(20), QRect(420, 159, 67, 67));  // (6300, 2380) twips
    EXPECT_EQ(cardAt(29), QRect(83, 293, 67, 67));   // (1250, 4400) twips
}

TEST_F(Board, SwitchingBetweenGridsMovesOnlyTheFirstTwentyCards) {
    resetFor(21);
    const QRect small20 = cardAt(20), small41 = cardAt(41), small19 = cardAt(19);
    resetFor(10);
    expectIdle(20);
    EXPECT_EQ(cardAt(19), QRect(432, 336, 103, 103));
    EXPECT_EQ(cardAt(20), small20);
    EXPECT_EQ(cardAt(41), small41);
    resetFor(21);
    expectIdle(42);
    EXPECT_EQ(cardAt(19), small19);
    EXPECT_EQ(cardAt(0), QRect(16, 24, 67, 67));
}

TEST_F(Board, CountsBeyondTheBoardResetWithoutOverflow) {
    for (int16_t pairs : {int16_t(22), int16_t(16384), int16_t(32767)}) {
        resetFor(pairs);
        expectIdle(42);
    }
    for (int16_t pairs : {int16_t(-1), int16_t(-16384), int16_t(-32768)}) {
        resetFor(pairs);
        expectIdle(0);
    }
}

TEST_F(Board, ResetClearsAPendingFirstPickAndEndsAGame) {
    resetFor(2);
    form->Picture1[0]->setEnabled(true);
    form->Picture1_Click(0);
    ASSERT_EQ(form->FirstPicked, -1);
    form->PairsFound = 1;
    form->ResetBoard();
    EXPECT_EQ(form->FirstPicked, 0);
    EXPECT_FALSE(form->Picked[0].has_value());
    EXPECT_FALSE(form->Picked[1].has_value());
    expectIdle(4);
}

// The shuffle on its own, with a scripted random source.
TEST(Shuffle, MakesExactly101ExchangesOfCardsInPlayOnly) {
    for (int16_t pairs : {int16_t(1), int16_t(10), int16_t(21)}) {
        std::array<int16_t, board::kCards> values{};
        for (int i = 0; i < board::kCards; ++i) values[i] = int16_t(i / 2);
        int draws = 0;
        uint32_t state = 12345;
        board::ShuffleCards(values, pairs, [&] {
            ++draws;
            state = state * 1664525u + 1013904223u;
            return (state >> 8) / double(1u << 24);
        });
        EXPECT_EQ(draws, 202) << pairs;
        std::vector<int> seen(board::kCards, 0);
        for (int k = 0; k < 2 * pairs; ++k) {
            ASSERT_GE(values[k], 0);
            ASSERT_LT(values[k], pairs);
            ++seen[values[k]];
        }
        for (int p = 0; p < pairs; ++p) EXPECT_EQ(seen[p], 2) << "pair " << p;
        for (int k = 2 * pairs; k < board::kCards; ++k) EXPECT_EQ(values[k], k / 2) << "card " << k;
    }
}

TEST(Shuffle, ADrawJustBelowOneStaysOnTheLastCard) {
    std::array<int16_t, board::kCards> values{};
    for (int i = 0; i < board::kCards; ++i) values[i] = int16_t(i / 2);
    bool first = true;
    board::ShuffleCards(values, 21, [&] {
        const double r = first ? std::nextafter(1.0, 0.0) : 0.0;
        first = !first;
        return r;
    });
    // 101 exchanges of cards 41 and 0: an odd number, so they end exchanged.
    EXPECT_EQ(values[0], 20);
    EXPECT_EQ(values[41], 0);
}

}  // namespace
}  // namespace kavimo::test
