// Many deals played by two players, one at random and one greedy, with the
// table's invariants checked after every call a player can cause.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "invariants.h"
#include "model/table.h"

namespace tarvo {
namespace {

using testing::Violations;

// Cards a left press could reach: marked "a" and in front at their place.
std::vector<int16_t> Reachable(const Table& t) {
    std::vector<int16_t> cards;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const CardPlace& c = t.Carta[id];
        if (c.Mark != "a") continue;
        bool covered = false;
        for (int16_t o = 1; o <= kCardCount && !covered; ++o) {
            const CardPlace& d = t.Carta[o];
            covered = o != id && d.Left == c.Left && d.Top == c.Top && d.Z > c.Z;
        }
        if (!covered) cards.push_back(id);
    }
    return cards;
}

class Player {
  public:
    explicit Player(Table& t) : t_(t) {}

    void Press(int16_t card) {
        t_.CurCard = card;
        t_.HomeLeft = t_.Carta[card].Left;
        t_.HomeTop = t_.Carta[card].Top;
        t_.Carta[card].Mark = "n";
    }
    void ReleaseOnColumn(int16_t col, float x, float y) {
        t_.MoveCard(t_.CurCard, x, y);
        t_.BringToFront(t_.CurCard);
        t_.DropCol = col;
        t_.Decrescente();
        EndRelease();
    }
    void ReleaseOnFoundation() {
        t_.DropRow = suitOf(t_.CurCard);
        t_.Crescente();
        t_.DropCol = 0;
        EndRelease();
    }
    // Would Decrescente take the card on this column, to a table not seen
    // before? Asked on a copy.
    bool FitsSomewhereNew(int16_t card, int16_t col, const std::set<std::string>& seen) const {
        Table probe = t_;
        probe.Finale = nullptr;
        Player p(probe);
        p.Press(card);
        p.ReleaseOnColumn(col, 0, 0);
        return probe.Columns[col][probe.ColumnHeight(col)] == card && !seen.count(Key(probe));
    }
    static std::string Key(const Table& t) {
        return std::string(reinterpret_cast<const char*>(t.Columns), sizeof t.Columns) +
               std::string(reinterpret_cast<const char*>(t.FoundTop), sizeof t.FoundTop);
    }

  private:
    void EndRelease() {
        if (t_.Carta[t_.CurCard].Mark == "n") t_.Carta[t_.CurCard].Mark = "a";
    }
    Table& t_;
};

bool Won(const Table& t) {
    return t.FoundTop[1] + t.FoundTop[2] + t.FoundTop[3] + t.FoundTop[4] == 100;
}

TEST(RandomPlay, InvariantsHoldAfterEveryCall) {
    std::mt19937 rng(12345);
    int checks = 0;
    for (int deal = 0; deal < 150; ++deal) {
        Table t;
        t.TimeOfDay = [deal] { return 1000.0 + deal * 0.37; };
        t.Mescola();
        ASSERT_EQ(Violations(t), std::vector<std::string>{}) << "deal " << deal;
        Player p(t);
        for (int call = 0; call < 1500; ++call) {
            const auto cards = Reachable(t);
            const int action = std::uniform_int_distribution<int>(0, 9)(rng);
            if (action == 0 || cards.empty()) {
                t.TurnStock();
            } else {
                p.Press(cards[std::uniform_int_distribution<size_t>(0, cards.size() - 1)(rng)]);
                if (action <= 3) {
                    p.ReleaseOnFoundation();
                } else {
                    p.ReleaseOnColumn(
                        static_cast<int16_t>(std::uniform_int_distribution<int>(1, 7)(rng)),
                        std::uniform_real_distribution<float>(-80, 700)(rng),
                        std::uniform_real_distribution<float>(-80, 500)(rng));
                }
            }
            const auto v = Violations(t);
            ++checks;
            ASSERT_EQ(v, std::vector<std::string>{}) << "deal " << deal << " call " << call;
        }
    }
    EXPECT_GT(checks, 200000);
}

// A player who sees the whole table and searches, trying foundations first,
// then column moves, then the stock. Stops at the first win.
class Searcher {
  public:
    explicit Searcher(int budget) : budget_(budget) {}

    bool Win(const Table& t, int depth = 0) {
        if (Won(t)) return true;
        if (depth > kMaxDepth || --budget_ < 0 || !seen_.insert(Key(t)).second) return false;
        const auto cards = Reachable(t);
        for (int16_t c : cards) {
            if (t.FoundTop[suitOf(c)] != c - 1) continue;
            auto next = std::make_unique<Table>(t);
            Player(*next).Press(c);
            Player(*next).ReleaseOnFoundation();
            if (Check(*next) && Win(*next, depth + 1)) return true;
        }
        for (int16_t c : cards) {
            if (t.Carta[c].Left == kFoundationLeftPx) continue;
            for (int16_t col = 1; col <= kColumnCount; ++col) {
                // Moving a whole column's only card to an empty one gains nothing.
                if (t.ColumnHeight(col) == 0 && t.Carta[c].Top == 0) continue;
                auto next = std::make_unique<Table>(t);
                Player p(*next);
                p.Press(c);
                p.ReleaseOnColumn(col, 0, 0);
                if (next->Carta[c].Left == t.Carta[c].Left &&
                    next->Carta[c].Top == t.Carta[c].Top) {
                    continue;  // refused
                }
                if (Check(*next) && Win(*next, depth + 1)) return true;
            }
        }
        if (t.StockNext <= kCardCount) {
            auto next = std::make_unique<Table>(t);
            next->TurnStock();
            if (Check(*next) && Win(*next, depth + 1)) return true;
        }
        return false;
    }
    int checks = 0;

  private:
    bool Check(const Table& t) {
        ++checks;
        const auto v = Violations(t);
        EXPECT_EQ(v, std::vector<std::string>{});
        return v.empty();
    }
    static std::string Key(const Table& t) {
        return std::string(reinterpret_cast<const char*>(t.Columns), sizeof t.Columns) +
               std::string(reinterpret_cast<const char*>(t.FoundTop), sizeof t.FoundTop) +
               std::to_string(t.StockNext);
    }
    static constexpr int kMaxDepth = 300;
    int budget_;
    std::set<std::string> seen_;
};

TEST(RandomPlay, SearchingPlayerWinsSomeGamesAndFinaleFiresOncePerWin) {
    int wins = 0, finales = 0;
    constexpr int kDeals = 30;
    for (int deal = 0; deal < kDeals; ++deal) {
        Table t;
        t.TimeOfDay = [deal] { return 50000.0 + deal * 1.25; };
        t.Finale = [&] { ++finales; };
        t.Mescola();
        Searcher player(1500);
        if (player.Win(t)) ++wins;
        EXPECT_EQ(finales, wins) << "deal " << deal;
    }
    std::printf("the searching player won %d of %d deals\n", wins, kDeals);
    EXPECT_GT(wins, 0);
}

}  // namespace
}  // namespace tarvo
