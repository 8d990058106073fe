#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

#include "invariants.h"
#include "model/table.h"
#include "positions.h"

namespace tarvo {
namespace {

using testing::DrawSequence;
using testing::Violations;

// The deck order that deals these columns (column c as dealt, 8 - c cards,
// row 1 first); the cards named nowhere become the stock in id order.
std::vector<int16_t> DeckDealing(const std::array<std::vector<int16_t>, 7>& cols) {
    std::vector<int16_t> deck;
    for (int row = 1; row <= 7; ++row) {
        for (int c = 1; c <= 8 - row; ++c)
            deck.push_back(cols[c - 1].at(row - 1));
    }
    for (int16_t id = 1; id <= 40; ++id) {
        if (std::find(deck.begin(), deck.end(), id) == deck.end()) deck.push_back(id);
    }
    return deck;
}

Table Dealt(const std::vector<int16_t>& draws) {
    Table t;
    t.Random = DrawSequence(draws);
    t.Mescola();
    return t;
}

TEST(Deal, LaysTheLadderAndLeavesTwelveStockCards) {
    std::vector<int16_t> order(40);
    std::iota(order.begin(), order.end(), 1);
    std::reverse(order.begin(), order.end());  // 40, 39, ...: no ace ends a column
    Table t = Dealt(order);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
    for (int16_t c = 1; c <= 7; ++c)
        EXPECT_EQ(t.ColumnHeight(c), 8 - c) << "column " << c;
    EXPECT_EQ(t.Columns[1][1], 40);
    EXPECT_EQ(t.Columns[7][1], 34);
    EXPECT_EQ(t.Columns[6][2], 28);  // row 2 starts at deck index 8
    EXPECT_EQ(t.Carta[28].Mark, "a");
    EXPECT_EQ(t.StockNext, 29);
    EXPECT_EQ(t.DealWidth, 0);
    EXPECT_EQ(t.AcesUp, 0);
    for (int k = 29; k <= 40; ++k) {
        EXPECT_EQ(t.Carta[t.Deck[k]].Left, 600);
        EXPECT_EQ(t.Carta[t.Deck[k]].Mark, "");
    }
    EXPECT_EQ((std::array<int16_t, 5>{t.FoundTop[0], t.FoundTop[1], t.FoundTop[2], t.FoundTop[3],
                                      t.FoundTop[4]}),
              (std::array<int16_t, 5>{0, 0, 10, 20, 30}));
}

TEST(Deal, RedrawsIndexZeroAndCardsAlreadyDrawn) {
    std::vector<int16_t> draws{0, 40, 40, 0, 39};
    for (int16_t id = 38; id >= 1; --id)
        draws.push_back(id);
    Table t = Dealt(draws);
    EXPECT_EQ(t.Deck[1], 40);
    EXPECT_EQ(t.Deck[2], 39);
    EXPECT_EQ(t.Deck[3], 38);
    EXPECT_EQ(Violations(t), std::vector<std::string>{});
    for (int i = 0; i <= 40; ++i)
        EXPECT_EQ(t.Pool[i], 0);
}

TEST(Deal, AcesThatEndAColumnGoUpWithTheAcesUnderThem) {
    struct Case {
        const char* name;
        std::array<std::vector<int16_t>, 7> cols;
        std::vector<int16_t> acesUp;
        int16_t expectedCol, expectedHeight, newTop;  // newTop 0: column empty
    };
    const std::vector<Case> cases = {
        {"column 7 is a single ace",
         {{{2, 3, 4, 5, 6, 7, 8},
           {12, 13, 14, 15, 16, 17},
           {22, 23, 24, 25, 26},
           {32, 33, 34, 35},
           {9, 10, 18},
           {19, 20},
           {1}}},
         {1},
         7,
         0,
         0},
        {"an ace on an ace in column 6",
         {{{2, 3, 4, 5, 6, 7, 8},
           {12, 13, 14, 15, 16, 17},
           {22, 23, 24, 25, 26},
           {32, 33, 34, 35},
           {9, 10, 18},
           {11, 21},
           {19}}},
         {11, 21},
         6,
         0,
         0},
        {"aces in rows 7 and 6 of column 1 over a non-ace",
         {{{2, 3, 4, 5, 6, 31, 1},
           {12, 13, 14, 15, 16, 17},
           {22, 23, 24, 25, 26},
           {32, 33, 34, 35},
           {9, 10, 18},
           {19, 20},
           {7}}},
         {1, 31},
         1,
         5,
         6},
        {"an ace under a non-ace stays covered",
         {{{2, 3, 4, 5, 6, 7, 8},
           {12, 13, 14, 15, 16, 17},
           {22, 23, 24, 25, 26},
           {32, 33, 34, 35},
           {9, 10, 18},
           {1, 20},
           {19}}},
         {},
         6,
         2,
         20},
        {"four aces up at the start",
         {{{2, 3, 4, 5, 6, 7, 1},
           {12, 13, 14, 15, 16, 11},
           {22, 23, 24, 25, 21},
           {32, 33, 34, 31},
           {9, 10, 18},
           {19, 20},
           {8}}},
         {1, 11, 21, 31},
         4,
         3,
         34},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t = Dealt(DeckDealing(c.cols));
        EXPECT_EQ(Violations(t), std::vector<std::string>{});
        EXPECT_EQ(t.AcesUp, static_cast<int16_t>(c.acesUp.size()));
        for (int16_t ace : c.acesUp) {
            EXPECT_EQ(t.FoundTop[suitOf(ace)], ace);
            EXPECT_EQ(t.Carta[ace].Left, 458);
            EXPECT_EQ(t.Carta[ace].Top, (suitOf(ace) - 1) * 102);
            EXPECT_EQ(t.Carta[ace].Mark, "");
        }
        EXPECT_EQ(t.ColumnHeight(c.expectedCol), c.expectedHeight);
        if (c.newTop != 0) {
            EXPECT_EQ(t.Carta[c.newTop].Mark, "a");
        }
        EXPECT_EQ(t.StockNext, 29);
    }
}

TEST(Deal, CoveredAceKeepsItsBandAndNoMark) {
    std::array<std::vector<int16_t>, 7> cols{{{2, 3, 4, 5, 6, 7, 8},
                                              {12, 13, 14, 15, 16, 17},
                                              {22, 23, 24, 25, 26},
                                              {32, 33, 34, 35},
                                              {9, 10, 18},
                                              {1, 20},
                                              {19}}};
    Table t = Dealt(DeckDealing(cols));
    EXPECT_EQ(t.Columns[6][1], 1);
    EXPECT_EQ(t.Carta[1].Left, 325);
    EXPECT_EQ(t.Carta[1].Top, 0);
    EXPECT_LT(t.Carta[1].Z, t.Carta[20].Z);
}

TEST(Deal, FixedClockGivesTheSameDealAndEveryDealIsFresh) {
    Table a, b;
    a.TimeOfDay = b.TimeOfDay = [] { return 43200.25; };
    a.Mescola();
    b.Mescola();
    EXPECT_TRUE(std::equal(std::begin(a.Deck), std::end(a.Deck), std::begin(b.Deck)));

    // A second deal on a played table resets it completely.
    a.TimeOfDay = [] { return 100.5; };
    a.TurnStock();
    a.Mescola();
    EXPECT_EQ(Violations(a), std::vector<std::string>{});
    EXPECT_EQ(a.StockNext, 29);
    std::vector<int16_t> deck(a.Deck + 1, a.Deck + 41);
    std::sort(deck.begin(), deck.end());
    for (int16_t i = 0; i < 40; ++i)
        EXPECT_EQ(deck[i], i + 1);
}

TEST(Deal, SystemTimeOfDayIsWithinADay) {
    const double s = SystemTimeOfDay();
    EXPECT_GE(s, 0.0);
    EXPECT_LT(s, 86401.0);
}

}  // namespace
}  // namespace tarvo
