#include <gtest/gtest.h>

#include "invariants.h"
#include "model/table.h"
#include "positions.h"

namespace tarvo {
namespace {

using testing::MakeTable;
using testing::Position;
using testing::Violations;

// Picks up `card` where it lies, as a left press would, and drops it on `col`.
void Drop(Table& t, int16_t card, int16_t col) {
    t.CurCard = card;
    t.HomeLeft = t.Carta[card].Left;
    t.HomeTop = t.Carta[card].Top;
    t.Carta[card].Mark = "n";
    t.MoveCard(card, 200.5f, 300.25f);  // wherever the drag left it
    t.DropCol = col;
    t.Decrescente();
    if (t.Carta[card].Mark == "n") t.Carta[card].Mark = "a";
}

TEST(ColumnMove, ValueOneLowerAndTheOtherSuitGroup) {
    struct Case {
        int16_t card, target;
        bool legal;
    };
    const Case cases[] = {
        {3, 24, true},                     // 3 of Denari on 4 of Bastoni
        {13, 34, true},                    // 3 of Coppe on 4 of Spade
        {33, 24, false},                   // both long
        {3, 14, false},                    // both short
        {23, 4, true},                     // long on short
        {19, 40, true},                    // a 9 meets a 10 of the other group
        {29, 20, true},  {19, 10, false},  // 9 of Coppe on 10 of Denari: both short
        {39, 40, false}, {5, 27, false},   // two lower
        {7, 26, false},                    // one higher
        {10, 39, false},                   // a 10 fits no non-empty column
        {22, 13, true},                    // a 2 on a 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.card << " on " << c.target);
        Table t = MakeTable("c1: " + std::to_string(c.card) + " | c2: " + std::to_string(c.target));
        Drop(t, c.card, 2);
        EXPECT_EQ(Violations(t), std::vector<std::string>{});
        EXPECT_EQ(t.ColumnHeight(2), c.legal ? 2 : 1);
        EXPECT_EQ(t.Carta[c.card].Left, c.legal ? 65 : 0);
        EXPECT_EQ(t.Carta[c.card].Top, c.legal ? 25 : 0);
        EXPECT_EQ(t.Carta[c.target].Mark, c.legal ? "" : "a");
        EXPECT_EQ(t.WrapShift, valueOf(c.card) == 9 ? 1 : 0) << "set on every non-empty target";
    }
}

TEST(ColumnMove, EmptyColumnTakesAnyCardFromAnywhere) {
    // A 10 from a column, a stock pile card, a card taken back from a foundation.
    Table t = MakeTable("c1: 5 40 | f: 0 13 20 30 | p: 26 27");
    Drop(t, 40, 2);
    EXPECT_EQ(t.Columns[2][1], 40);
    EXPECT_EQ(t.Carta[5].Mark, "a");
    EXPECT_EQ(t.PosRow, 1) << "row of the source column's new top";
    Drop(t, 27, 3);
    EXPECT_EQ(t.Columns[3][1], 27);
    EXPECT_EQ(t.Carta[26].Mark, "a");
    Drop(t, 13, 4);
    EXPECT_EQ(t.Columns[4][1], 13);
    EXPECT_EQ(t.FoundTop[2], 12) << "the foundation gives up its top card";
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
    EXPECT_GT(t.Carta[13].Z, t.Carta[12].Z);
}

TEST(ColumnMove, RefusedDropReturnsHomeAndKeepsDrawingOrder) {
    // Its own column, and a full column that ends in a 2.
    Table t = MakeTable("c1: 24 3 | c2: 30 29 28 27 26 25 10 39 18 37 16 35 14 33 12 | c3: 23");
    const unsigned z = t.Carta[23].Z;
    Drop(t, 23, 3);
    Drop(t, 3, 1);
    EXPECT_EQ(t.Carta[3].Top, 25);
    Drop(t, 23, 2);
    EXPECT_EQ(t.ColumnHeight(2), 15);
    EXPECT_EQ(t.Carta[23].Z, z);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

TEST(ColumnMove, LastCardLeavesAnEmptyColumn) {
    Table t = MakeTable("c1: 3 | c2: 24");
    Drop(t, 3, 2);
    EXPECT_EQ(t.ColumnHeight(1), 0);
    EXPECT_EQ(t.PosRow, 0);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

TEST(ColumnMove, UncoveredAcesGoUpDownToTheFirstOtherCard) {
    Table t = MakeTable("c1: 7 21 11 3 | c2: 24");
    Drop(t, 3, 2);
    EXPECT_EQ(t.FoundTop[2], 11);
    EXPECT_EQ(t.FoundTop[3], 21);
    EXPECT_EQ(t.AcesUp, 2);
    EXPECT_EQ(t.Carta[7].Mark, "a");
    EXPECT_EQ(t.PosRow, 1);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarvo
