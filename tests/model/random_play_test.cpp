// Many deals played by two players, one at random and one searching, with the
// table's invariants checked after every call a player can cause.

#include <gtest/gtest.h>

#include <random>

#include "invariants.h"
#include "model/table.h"
#include "solver.h"

namespace tarvo {
namespace {

using testing::Player;
using testing::Reachable;
using testing::Searcher;
using testing::Violations;

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

TEST(RandomPlay, SearchingPlayerWinsSomeGamesAndFinaleFiresOncePerWin) {
    int wins = 0, finales = 0;
    constexpr int kDeals = 30;
    for (int deal = 0; deal < kDeals; ++deal) {
        Table t;
        t.TimeOfDay = [deal] { return 50000.0 + deal * 1.25; };
        t.Finale = [&] { ++finales; };
        t.Mescola();
        Searcher player(solver::kHintBudgetNodes);
        if (player.Win(t)) ++wins;
        EXPECT_EQ(player.faults, std::vector<std::string>{}) << "deal " << deal;
        EXPECT_EQ(finales, wins) << "deal " << deal;
    }
    std::printf("the searching player won %d of %d deals\n", wins, kDeals);
    EXPECT_GT(wins, 0);
}

}  // namespace
}  // namespace tarvo
