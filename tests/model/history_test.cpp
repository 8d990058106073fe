// Undo and redo over a whole won deal: every state comes back exactly, the
// window's callbacks stay, and a table that did not change is no move.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/history.h"
#include "solver.h"

namespace tarvo {
namespace {

// Everything a handler leaves that the window shows or the rules read.
void ExpectSameState(const Table& a, const Table& b, const std::string& where) {
    EXPECT_FALSE(CardsMoved(a, b)) << where;
    for (int id = 1; id <= kCardCount; ++id) {
        const CardPlace &x = a.Carta[id], &y = b.Carta[id];
        EXPECT_TRUE(x.Left == y.Left && x.Top == y.Top && x.Mark == y.Mark && x.Z == y.Z)
            << where << ", card " << id;
    }
}

TEST(History, UndoesAWonDealToItsStartAndRedoesItToTheWin) {
    auto t = std::make_unique<Table>();
    t->TimeOfDay = [] { return 1001.0; };
    t->Mescola();
    int finales = 0;
    t->Finale = [&finales] { ++finales; };
    solver::Position start;
    std::string error;
    ASSERT_TRUE(solver::FromTable(*t, start, error)) << error;
    solver::Solver solver;
    const solver::Result won = solver.Solve(start);
    ASSERT_EQ(won.verdict, solver::Verdict::kWon);

    History history;
    std::vector<Table> states{*t};
    for (const solver::Move& m : won.line) {
        auto before = std::make_unique<Table>(*t);
        // A press and a release where nothing may go: no move.
        testing::Player(*t).Press(testing::Reachable(*t).front());
        t->Carta[t->CurCard].Mark = "a";
        EXPECT_FALSE(history.Record(*before, *t));
        ASSERT_TRUE(testing::Replay(*t, {m}).empty());
        ASSERT_TRUE(history.Record(*before, *t));
        states.push_back(*t);
    }
    ASSERT_TRUE(testing::Won(*t));
    EXPECT_EQ(finales, 1);
    EXPECT_EQ(history.UndoCount(), won.line.size());

    for (size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(history.Undo(*t));
        ExpectSameState(*t, states[i], "undo to state " + std::to_string(i));
    }
    EXPECT_FALSE(history.Undo(*t));
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.Redo(*t));
        ExpectSameState(*t, states[i], "redo to state " + std::to_string(i));
    }
    EXPECT_FALSE(history.Redo(*t));
    ASSERT_TRUE(t->Finale);
    EXPECT_EQ(finales, 1) << "a redone win is the window's to celebrate";

    // A new move after an undo forgets what could be redone.
    history.Undo(*t);
    history.Undo(*t);
    auto before = std::make_unique<Table>(*t);
    ASSERT_TRUE(testing::Replay(*t, {won.line[won.line.size() - 2]}).empty());
    EXPECT_TRUE(history.Record(*before, *t));
    EXPECT_EQ(history.RedoCount(), 0u);
    ExpectSameState(history.Before(1), states[states.size() - 3], "the table one move back");
}

}  // namespace
}  // namespace tarvo
