// Positions written as text, as tarvo-solve reads them: what the solver says
// of them, and of every move from them.

#include <gtest/gtest.h>

#include "solver.h"

namespace tarvo {
namespace {

using solver::Position;
using solver::Verdict;
using solver::Where;

constexpr uint64_t kBudgetNodes = 200'000;

// A deal, won.
constexpr const char* kWonDeal =
    "c1: 1 26 3 30 15 12 4 | c2: 16 8 33 11 2 13 | c3: 19 14 32 9 7 | c4: 24 31 5 35 | "
    "c5: 28 36 29 | c6: 25 34 | c7: 22 | f: 0 10 20 30 | p: | "
    "s: 40 27 17 10 21 37 18 38 6 39 23 20";
// Late in a game: the 4 of Bastoni (24) is buried under the 10 of Denari (10).
constexpr const char* kLost =
    "c1: 35 | c2: 24 3 30 9 32 10 29 | c3: 4 20 39 18 37 16 25 | c4: 14 6 28 7 36 15 34 | "
    "c5: 33 | c6: 8 27 | c7: 26 | f: 2 13 23 31 | p: 40 5 19 38 17 | s:";
// Won, but the 2 of Denari from the pile to the empty column loses: the
// column is then gone for good, its ace being buried.
constexpr const char* kTrap =
    "c1: 19 9 1 6 17 26 5 | c2: 30 | c3: 3 | c4: 7 | c5: 8 24 20 | "
    "c6: 10 29 18 27 16 25 | f: 0 15 23 40 | p: 4 28 2 | s:";

Position Parse(const std::string& text) {
    Position p;
    std::string error;
    EXPECT_TRUE(solver::FromText(text, p, error)) << error << ": " << text;
    // The form is canonical: written back, it reads the same.
    EXPECT_EQ(solver::ToText(p), text);
    return p;
}

// The deal of kWonDeal: Deck(1..40) as the shuffle left it. The shuffle
// repeats it from a random source returning (id + 0.5) / 41 for each id.
TEST(PositionText, ADealIsItsDeckInOrder) {
    const std::array<int16_t, kCardCount> deck{
        1, 16, 19, 24, 28, 25, 22, 26, 8,  14, 31, 36, 34, 3,  33, 32, 5, 29, 30, 11,
        9, 35, 15, 2,  7,  12, 13, 4,  40, 27, 17, 10, 21, 37, 18, 38, 6, 39, 23, 20};
    EXPECT_EQ(solver::ToText(solver::Deal(deck)), kWonDeal);
}

TEST(PositionText, VerdictsOfWrittenPositions) {
    const std::pair<const char*, Verdict> cases[] = {
        {kWonDeal, Verdict::kWon}, {kLost, Verdict::kLost}, {kTrap, Verdict::kWon}};
    solver::Solver solver({.nodeBudget = kBudgetNodes});
    for (const auto& [text, verdict] : cases)
        EXPECT_EQ(solver::Name(solver.Solve(Parse(text)).verdict),
                  std::string(solver::Name(verdict)))
            << text;
}

TEST(PositionText, EveryMoveWithWhetherItKeepsTheGameWinnable) {
    solver::Solver solver({.nodeBudget = kBudgetNodes});
    int won = 0, lost = 0;
    for (const solver::MoveVerdict& m : solver.Analyse(Parse(kTrap))) {
        if (m.after == Verdict::kLost) {
            ++lost;
            EXPECT_EQ(m.move.card, 2);
            EXPECT_EQ(m.move.toColumn, 7);
        }
        won += m.after == Verdict::kWon;
    }
    EXPECT_EQ(lost, 1);
    EXPECT_GT(won, 0);
}

}  // namespace
}  // namespace tarvo
