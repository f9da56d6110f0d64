// Thousands of random games on random sets, clicked as a child would: after every click
// the board must still be a board. The generator's seed is printed on failure; set
// KAVIMO_SEED to play the same games again.
#include "shell/WindowFixture.h"

#include <QFile>

#include <cstdlib>
#include <map>
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
constexpr int kPool = board::kMaxPairs;

uint64_t seedForThisRun() {
    if (const char* fixed = std::getenv("KAVIMO_SEED")) return std::strtoull(fixed, nullptr, 10);
    return std::random_device{}();
}

class RandomGames : public WindowTest {
protected:
    void SetUp() override {
        for (int i = 0; i < kPool; ++i) {
            app.writePicture(QString("Data/pool/p%1.png").arg(i), 24, 24, colourOf(i));
            app.writeWav(QString("Data/pool/s%1.wav").arg(i));
        }
        writeCues({"puu002@22.wav", "GongC@08.wav", "Omedeto00@11.wav"});
    }

    // A set of `pairs` pairs drawing its pictures from the pool in random order, with
    // sounds that exist, are missing or are left empty. Returns pair -> pool picture.
    std::vector<int> writeRandomSet(int pairs, std::mt19937_64& random) {
        std::vector<int> pool(kPool);
        for (int i = 0; i < kPool; ++i) pool[i] = i;
        std::shuffle(pool.begin(), pool.end(), random);
        SetSpec set{QString::number(pairs), {}, {}};
        for (int p = 0; p < std::max(pairs, 1); ++p) {
            set.pictures << QString("Data\\pool\\p%1.png").arg(pool[p]);
            switch (random() % 3) {
            case 0: set.sounds << QString("Data\\pool\\s%1.wav").arg(pool[p]); break;
            case 1: set.sounds << QString("Data\\pool\\gone%1.wav").arg(p); break;
            default: set.sounds << QString(); break;
            }
        }
        writeSet("game.dat", set);
        pool.resize(pairs);
        return pool;
    }

    int cueCount(const char* name) const {
        const auto names = platform.soundNames();
        return int(std::count(names.begin(), names.end(), QString(name)));
    }

    // The first broken rule of the board, or "" when it is whole.
    std::string violation(int pairs, const std::vector<int>& pictureOf) {
        const Form1& f = *form;
        std::map<int16_t, int> standing;  // pair number -> cards not yet removed
        int removed = 0;
        for (int k = 0; k < board::kCards; ++k) {
            const bool inPlay = k < 2 * pairs;
            if (cardShown(k) != inPlay) return "card " + std::to_string(k) + " shown out of play or hidden in play";
            const bool marked = frameShown(k);
            const bool shouldBeMarked = f.FirstPicked != 0 && f.Picked[0] == k;
            if (marked != shouldBeMarked) return "frame " + std::to_string(k) + " shown without being the first pick";
            if (!inPlay) continue;
            const QImage& picture = f.Picture1[k]->picture();
            if (!f.Picture1[k]->isEnabled()) {
                if (!picture.isNull()) return "removed card " + std::to_string(k) + " still shows a picture";
                ++removed;
                continue;
            }
            const int16_t p = f.CardValue[k];
            if (p < 0 || p >= pairs) return "card " + std::to_string(k) + " holds pair " + std::to_string(p);
            if (picture.isNull() || picture.pixel(0, 0) != colourOf(pictureOf[p]))
                return "card " + std::to_string(k) + " does not show its pair's picture";
            ++standing[p];
        }
        for (const auto& [p, cards] : standing)
            if (cards != 2) return "pair " + std::to_string(p) + " stands on " + std::to_string(cards) + " cards";
        if (f.PairsFound > f.PairCount) return "more pairs found than the set has";
        if (removed != 2 * f.PairsFound) return "removed cards and pairs found disagree";
        const int finished = pairs > 0 && f.PairsFound == pairs ? 1 : 0;
        if (cueCount("GongC@08.wav") != finished || cueCount("Omedeto00@11.wav") != finished)
            return "finishing cues not played exactly once at the finish";
        return {};
    }

    std::vector<int> enabledCards() {
        std::vector<int> cards;
        for (int k = 0; k < board::kCards; ++k)
            if (cardShown(k) && form->Picture1[k]->isEnabled()) cards.push_back(k);
        return cards;
    }

    // A child's next click: any card, the marked one again, or now and then the partner.
    int nextClick(std::mt19937_64& random) {
        const std::vector<int> cards = enabledCards();
        const unsigned roll = random() % 10;
        if (form->FirstPicked != 0 && roll < 3) {
            const int first = *form->Picked[0];
            for (int k : cards)
                if (k != first && form->CardValue[k] == form->CardValue[first]) return k;
        }
        if (form->FirstPicked != 0 && roll == 3) return *form->Picked[0];
        return cards[random() % cards.size()];
    }
};

TEST_F(RandomGames, EveryClickLeavesAWholeBoard) {
    const uint64_t seed = seedForThisRun();
    SCOPED_TRACE("KAVIMO_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    writeRandomSet(1, random);
    loaded();

    int finishedGames = 0;
    for (int game = 0; game < kGames; ++game) {
        const int pairs = int(random() % (board::kMaxPairs + 1));
        const std::vector<int> pictureOf = writeRandomSet(pairs, random);
        form->File1_Click();
        ASSERT_EQ(form->PairCount, pairs);
        platform.clear();
        form->Command1_Click();
        ASSERT_TRUE(platform.messages.empty()) << "game " << game;
        ASSERT_EQ(violation(pairs, pictureOf), "") << "game " << game << " after the deal";

        for (int click = 0; click < 40 * pairs && form->PairsFound < pairs; ++click) {
            if (random() % 500 == 0) {
                platform.clear();
                form->Command1_Click();  // the player starts again mid-game
            } else {
                form->Picture1_Click(int16_t(nextClick(random)));
            }
            ASSERT_EQ(violation(pairs, pictureOf), "") << "game " << game << ", click " << click;
        }
        if (pairs > 0 && form->PairsFound == pairs) {
            ++finishedGames;
            EXPECT_TRUE(enabledCards().empty()) << "game " << game;
        }
    }
    EXPECT_GT(finishedGames, kGames / 2);
}

}  // namespace
}  // namespace kavimo::test
