#include <gtest/gtest.h>

#include "invariants.h"
#include "model/table.h"
#include "positions.h"

namespace tarvo {
namespace {

using testing::MakeTable;
using testing::Violations;

TEST(AutomaticAces, SendsEveryUncoveredAceUpFromTheTop) {
    struct Case {
        const char* name;
        std::vector<int16_t> column;
        int16_t acesUpBefore;
        int16_t rowAfter;
        int16_t acesUpAfter;
    };
    const Case cases[] = {
        {"no ace on top", {5, 6}, 0, 2, 0},
        {"empty column", {}, 0, 0, 0},
        {"two aces over a card", {5, 21, 11}, 0, 1, 2},
        {"an ace at row 1", {31}, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t = MakeTable(testing::Position{{c.column}, {0, 10, 20, 30}, {}});
        // Put the ace runs back on top, as a move would have just uncovered them.
        for (size_t r = 0; r < c.column.size(); ++r) {
            t.Carta[c.column[r]].Mark = r + 1 == c.column.size() ? "a" : "";
        }
        t.PosCol = 1;
        t.PosRow = static_cast<int16_t>(c.column.size());
        t.spostassi();
        EXPECT_EQ(t.PosRow, c.rowAfter);
        EXPECT_EQ(t.AcesUp, c.acesUpAfter);
        EXPECT_EQ(Violations(t), std::vector<std::string>{});
    }
}

TEST(AutomaticAces, StopsAtOnceWithFourAcesUpOrOnTheStrip) {
    Table t = MakeTable("c1: 11 | f: 1 10 21 31");
    t.AcesUp = 4;  // a count the column contradicts: it is not even looked at
    t.PosCol = 1;
    t.PosRow = 1;
    t.spostassi();
    EXPECT_EQ(t.Columns[1][1], 11);
    t.AcesUp = 3;
    t.PosCol = 8;
    t.spostassi();
    EXPECT_EQ(t.Columns[1][1], 11);
}

TEST(Stock, TurnsOneCardPerCallAndStopsWhenExhausted) {
    Table t = MakeTable(
        "c1: 2 3 4 5 6 7 8 | c2: 12 13 14 15 16 17 | c3: 22 23 24 25 26 | c4: 32 33 34 35 |"
        "c5: 9 10 18 | c6: 19 20 | c7: 27");
    ASSERT_EQ(t.StockNext, 29);
    // Untaken stock in id order: 1 11 21 28 29 30 31 36 37 38 39 40.
    std::vector<int16_t> turned;
    for (int i = 0; i < 14; ++i) {
        t.TurnStock();
        turned.push_back(t.CurCard);
        EXPECT_EQ(Violations(t), std::vector<std::string>{}) << "after turn " << i + 1;
    }
    EXPECT_EQ(t.StockNext, 41);
    EXPECT_EQ(turned.front(), 1);
    EXPECT_EQ(t.AcesUp, 4);
    EXPECT_EQ(t.Carta[1].Mark, "") << "an ace from the stock is never picked up";
    EXPECT_EQ(t.Carta[40].Mark, "a");
    EXPECT_GT(t.Carta[40].Z, t.Carta[39].Z) << "the last turned lies in front";
    EXPECT_EQ(turned[12], 40) << "calls past the end change nothing";

    // Taking the front card makes the one below it the top of the pile.
    t.CurCard = 40;
    t.HomeLeft = 540;
    t.HomeTop = 204;
    t.DropCol = 1;  // column 1 ends in 8: refused, back on the pile
    t.Decrescente();
    EXPECT_EQ(t.Carta[40].Left, 540);
}

TEST(Stock, DoesNothingBeforeTheDeal) {
    Table t;
    t.TurnStock();
    EXPECT_EQ(t.CurCard, 0);
    EXPECT_EQ(t.StockNext, 0);
}

TEST(Conversions, NearestIntegerTiesToEven) {
    EXPECT_EQ(ToInteger(0.5f), 0);
    EXPECT_EQ(ToInteger(1.5f), 2);
    EXPECT_EQ(ToInteger(2.5f), 2);
    EXPECT_EQ(ToInteger(2.4999f), 2);
    EXPECT_EQ(ToInteger(-0.5f), 0);
    EXPECT_EQ(ToInteger((390.0f + 65) / 65), 7);
    // Ids 10, 20, 30, 40 are tens; the ace form of the suit is wrong for them.
    EXPECT_EQ(suitOf(10), 1);
    EXPECT_EQ(aceSuit(21), 3);
    EXPECT_EQ(valueOf(40), 10);
    EXPECT_TRUE(isAce(31));
    EXPECT_FALSE(isShortSuit(21));
}

}  // namespace
}  // namespace tarvo
