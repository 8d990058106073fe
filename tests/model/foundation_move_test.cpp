#include <gtest/gtest.h>

#include "invariants.h"
#include "model/table.h"
#include "positions.h"

namespace tarvo {
namespace {

using testing::MakeTable;
using testing::Violations;

// Tries `card` on its foundation as the release of a drag or a double click does.
void ToFoundation(Table& t, int16_t card) {
    t.CurCard = card;
    t.HomeLeft = t.Carta[card].Left;
    t.HomeTop = t.Carta[card].Top;
    t.DropRow = suitOf(card);
    t.Crescente();
    t.DropCol = 0;
    if (t.Carta[card].Mark == "n") t.Carta[card].Mark = "a";
}

TEST(FoundationMove, OnlyTheNextCardOfItsSuit) {
    struct Case {
        std::array<int16_t, 4> found;
        int16_t card;
        bool legal;
    };
    const Case cases[] = {
        {{0, 10, 20, 30}, 2, false},  // a 2 before its ace
        {{1, 10, 20, 30}, 2, true},
        {{1, 10, 20, 30}, 3, false},
        {{9, 10, 20, 30}, 10, true},  // a 10 on its 9
        {{0, 19, 20, 30}, 20, true},
        {{0, 18, 20, 30}, 20, false},
        {{0, 10, 20, 35}, 36, true},
        {{5, 15, 25, 35}, 26, true},  // the strip's other places do not matter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "card " << c.card);
        Table t = MakeTable(testing::Position{{{c.card}}, c.found, {}});
        ToFoundation(t, c.card);
        EXPECT_EQ(Violations(t), std::vector<std::string>{});
        const int16_t s = suitOf(c.card);
        EXPECT_EQ(t.FoundTop[s], c.legal ? c.card : c.found[s - 1]);
        EXPECT_EQ(t.Carta[c.card].Left, c.legal ? 458 : 0);
        EXPECT_EQ(t.Carta[c.card].Top, c.legal ? (s - 1) * 102 : 0);
        EXPECT_EQ(t.ColumnHeight(1), c.legal ? 0 : 1);
    }
}

TEST(FoundationMove, FromTheStockPileAndFromAFoundation) {
    Table t = MakeTable("f: 4 10 20 30 | p: 5 6");
    ToFoundation(t, 6);  // not next: stays on the pile
    EXPECT_EQ(t.Carta[6].Left, 540);
    t.MoveCard(6, 10, 10);  // as if dragged away to a column...
    ToFoundation(t, 4);     // the foundation top refuses itself
    EXPECT_EQ(t.FoundTop[1], 4);
    t.MoveCard(6, 540, 204);
    ToFoundation(t, 5);  // the 5 below the 6 is not reachable on screen, but fits
    EXPECT_EQ(t.FoundTop[1], 5);
    ToFoundation(t, 6);
    EXPECT_EQ(t.FoundTop[1], 6);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

TEST(FoundationMove, UncoversTheCardAboveAndAnyAce) {
    Table t = MakeTable("c1: 8 31 2 | f: 1 10 20 30");
    ToFoundation(t, 2);
    EXPECT_EQ(t.FoundTop[4], 31) << "the uncovered ace went up";
    EXPECT_EQ(t.Carta[8].Mark, "a");
    EXPECT_EQ(t.PosRow, 1) << "row of the column's new top card";
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

TEST(FoundationMove, WinningCallsFinaleOncePerWin) {
    Table t = MakeTable("c1: 10 | f: 9 20 30 40");
    int wins = 0;
    t.Finale = [&] { ++wins; };
    ToFoundation(t, 10);
    EXPECT_EQ(wins, 1);
    EXPECT_EQ(t.FoundSum, 100);
    ToFoundation(t, 10);  // the top refuses itself: no second call
    EXPECT_EQ(wins, 1);
    // A 10 back onto an empty column and up again wins again.
    t.CurCard = 10;
    t.HomeLeft = 458;
    t.HomeTop = 0;
    t.DropCol = 2;
    t.Decrescente();
    EXPECT_EQ(t.FoundTop[1], 9);
    ToFoundation(t, 10);
    EXPECT_EQ(wins, 2);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarvo
