// Thousands of random games on random sets, clicked as a child would: after every click
// the board must still be a board. The generator's seed is printed on failure; set
// KAVIMO_SEED to play the same games again.
#include "support/Game.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>

namespace kavimo::test {
namespace {

// Every click is checked; instrumented builds play fewer games in the same time.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr int kGames = 400;
#else
constexpr int kGames = 4000;
#endif

class RandomGames : public Game {
protected:
    // The first broken rule of the board, or "" when it is whole: the cards in play all
    // shown, each pair on two of them, both dealt with its picture or both removed, only
    // the first pick marked, and the finishing cues played once when the last pair is found.
    QString violation(int inSet, const std::vector<int>& pictureOf) {
        static const QRegularExpression wholePairs("^((oo|o\\*|\\*o|__)( |$))*$");
        const QString cards = board(), byPair = pairs();
        if (cards.size() != 2 * inSet || cards.contains('.'))
            return "cards in play hidden, or others shown: " + cards;
        if (!wholePairs.match(byPair).hasMatch() || byPair.size() != std::max(3 * inSet - 1, 0))
            return "pairs not on two cards each, or half removed: " + byPair;
        if (cards.count('*') != (form->FirstPicked ? 1 : 0) ||
            (form->FirstPicked && look(*form->Picked[0]) != '*'))
            return "a mark that is not the first pick's: " + cards;
        if (cards.count('_') != 2 * form->PairsFound)
            return "removed cards and pairs found disagree: " + cards;
        for (int k = 0; k < cards.size(); ++k)
            if (cards[k] != '_' &&
                form->Picture1[k]->picture().pixel(0, 0) != colour(pictureOf[form->CardValue[k]]))
                return QString("card %1 does not show its pair's picture").arg(k);
        const qsizetype finished = inSet > 0 && form->PairsFound == inSet;
        for (const char* cue : {"sound GongC@08.wav", "sound Omedeto00@11.wav"})
            if (std::count(platform.log.begin(), platform.log.end(), cue) != finished)
                return QString(cue) + " not played exactly once at the finish";
        return {};
    }
};

TEST_F(RandomGames, EveryClickLeavesAWholeBoard) {
    const char* fixed = std::getenv("KAVIMO_SEED");
    const uint64_t seed = fixed ? std::strtoull(fixed, nullptr, 10) : std::random_device{}();
    SCOPED_TRACE("KAVIMO_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    for (int i = 0; i < board::kMaxPairs; ++i) {
        app.writePicture(QString("Data/pool/p%1.png").arg(i), 24, 24, colour(i));
        app.writeWav(QString("Data/pool/s%1.wav").arg(i));
    }
    cues({"puu002@22.wav", "GongC@08.wav", "Omedeto00@11.wav"});
    int finished = 0;
    for (int game = 0; game < kGames; ++game) {
        // Pictures drawn from the pool in random order; sounds that exist, are missing or empty.
        const int pairs = int(random() % (board::kMaxPairs + 1));
        std::vector<int> pictureOf(board::kMaxPairs);
        std::iota(pictureOf.begin(), pictureOf.end(), 0);
        std::shuffle(pictureOf.begin(), pictureOf.end(), random);
        QStringList set{"[File]", QString::number(pairs), "[Picture]"}, sounds{"[Sound]"};
        for (int p = 0; p < std::max(pairs, 1); ++p) {
            set << QString("Data\\pool\\p%1.png").arg(pictureOf[p]);
            sounds << QStringList{QString("Data\\pool\\s%1.wav").arg(pictureOf[p]), "Data\\gone.wav",
                                  ""}[random() % 3];
        }
        writeSet("game.dat", set + sounds);
        if (game == 0) load();
        form->File1_Click();
        ASSERT_EQ(form->PairCount, pairs);
        take();
        form->Command1_Click();
        ASSERT_EQ(take(), Log{}) << "game " << game;
        ASSERT_EQ(violation(pairs, pictureOf), "") << "game " << game << " after the deal";
        for (int click = 0; click < 40 * pairs && form->PairsFound < pairs; ++click) {
            // Any dealt card, the marked one again, or now and then its partner; the player
            // may also start again mid-game.
            std::vector<int> cards;
            for (int k = 0; k < 2 * pairs; ++k)
                if (form->Picture1[k]->isEnabled()) cards.push_back(k);
            int next = cards[random() % cards.size()];
            const unsigned roll = random() % 500;
            if (form->FirstPicked && roll < 150) {
                const int first = *form->Picked[0];
                for (int k : cards)
                    if (roll < 50 ? k == first : k != first && form->CardValue[k] == form->CardValue[first])
                        next = k;
            }
            if (roll == 499) {
                form->Command1_Click();
                take();
            } else {
                form->Picture1_Click(int16_t(next));
            }
            ASSERT_EQ(violation(pairs, pictureOf), "") << "game " << game << ", click " << click;
        }
        finished += pairs > 0 && form->PairsFound == pairs;
    }
    EXPECT_GT(finished, kGames / 2);
}

}  // namespace
}  // namespace kavimo::test
