// The mouse on the cards and the stock, played on the table alone.

#include <gtest/gtest.h>

#include "invariants.h"
#include "positions.h"
#include "table_mouse.h"

namespace tarvo {
namespace {

using testing::MakeTable;
using testing::TableMouse;
using testing::Violations;

const std::vector<std::string> kSound{};

// Middle of a card's visible band or face.
float MidX(const Table& t, int16_t id) {
    return t.Carta[id].Left + 32;
}
float MidY(const Table& t, int16_t id) {
    return t.Carta[id].Top + 12;
}

TEST(Gestures, ClickOnATopCardLeavesItWhereItIs) {
    Table t = MakeTable("c1: 24 3 | c2: 30");
    TableMouse m(t);
    m.Click(MidX(t, 3), MidY(t, 3));
    EXPECT_EQ(t.Carta[3].Top, 25);
    EXPECT_EQ(t.Carta[3].Mark, "a");
    EXPECT_EQ(t.Dragging, kFalse);
    EXPECT_EQ(m.effects.sounds, "rc") << "the release, then the click";
    EXPECT_EQ(m.effects.panelHides, 2) << "by the press and by the click";
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, ReleaseHitTestChoosesFoundationColumnOrHome) {
    struct Case {
        float x, y;  // table position less the border, the card's top edge
        const char* where;
    };
    // The 2 of Denari from column 1 (its ace is up); the 3 of Bastoni in column 3.
    const Case cases[] = {
        {455, 0, "foundation"}, {519.5f, 460, "foundation"}, {480, 200, "foundation"},
        {520, 100, "home"},     {600, 300, "home"},          {-0.5f, 100, "home"},
        {130, 60, "column 3"},  {454, 50, "home"},  // column 7 refuses the 2
        {150, -1, "home"},                          // the card's top above the table
        {150, 475, "home"},                         // its top in row 20
        {150, 474, "column 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "release at x " << c.x << ", top " << c.y);
        Table t = MakeTable("c1: 35 2 | c3: 23 | c7: 40 | f: 1 10 20 30");
        TableMouse m(t);
        // Grabbed 10 pixels below its top edge: the pointer is 1 pixel right
        // of the hit test's x (the border) and 10 below the card's top.
        m.Press(kLeftButton, 21, 35);
        m.Move(c.x - 5, c.y + 3);
        m.Move(c.x + 1, c.y + 10);
        m.Release(kLeftButton, c.x + 1, c.y + 10);
        const std::string where = t.FoundTop[1] == 2                             ? "foundation"
                                  : t.Columns[3][2] == 2                         ? "column 3"
                                  : t.Carta[2].Left == 0 && t.Carta[2].Top == 25 ? "home"
                                                                                 : "lost";
        EXPECT_EQ(where, c.where);
        EXPECT_EQ(t.Dragging, kFalse);
        EXPECT_EQ(Violations(t), kSound);
    }
}

TEST(Gestures, UnmarkedCardsNeverMove) {
    // A covered card pressed, dragged and released over a column or the strip.
    for (float x : {170.0f, 480.0f}) {
        Table t = MakeTable("c1: 23 34 | c3: 24 | f: 3 10 20 30");
        TableMouse m(t);
        EXPECT_EQ(m.Press(kLeftButton, 20, 10), 23);
        m.Move(100, 100);
        m.Move(x, 50);
        m.Release(kLeftButton, x, 50);
        EXPECT_EQ(t.Carta[23].Left, 0);
        EXPECT_EQ(t.Carta[23].Mark, "");
        EXPECT_EQ(Violations(t), kSound);
    }
}

TEST(Gestures, RightButtonDuringADragSendsTheCardHome) {
    Table t = MakeTable("c1: 24 3 | c2: 30");
    TableMouse m(t);
    m.Press(kLeftButton, 30, 40);
    m.Move(200, 200);
    m.Press(kRightButton, 200, 200);
    EXPECT_EQ(t.Carta[3].Top, 25) << "home at the right press";
    EXPECT_EQ(t.Carta[3].Mark, "n");
    m.Move(250, 210);
    EXPECT_EQ(t.Carta[3].Left, 220) << "and it follows the pointer again from there";
    m.Release(kRightButton, 250, 210);
    EXPECT_EQ(t.Carta[3].Left, 0);
    EXPECT_EQ(t.Carta[3].Mark, "a");
    EXPECT_EQ(t.Dragging, kTrue);
    m.Move(300, 250);
    m.Release(kLeftButton, 300, 250);
    EXPECT_EQ(t.Carta[3].Left, 0);
    EXPECT_EQ(t.Carta[3].Top, 25);
    EXPECT_EQ(t.Dragging, kFalse);
    EXPECT_EQ(m.effects.sounds, "rr");
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, PeekShowsACoveredCardWholeAndRestoresTheColumn) {
    Table t = MakeTable("c2: 30 29 28 27 | f: 3 10 20 30 | p: 5");
    TableMouse m(t);
    EXPECT_EQ(m.Press(kRightButton, 80, 30), 29);
    EXPECT_EQ(m.CardAt(80, 70), 29) << "shown whole above the cards below it";
    m.Release(kRightButton, 80, 30);
    EXPECT_EQ(m.CardAt(80, 70), 28);
    EXPECT_EQ(Violations(t), kSound);
    // On a foundation or the stock pile the release restores nothing.
    m.Press(kRightButton, 480, 10);
    m.Release(kRightButton, 480, 10);
    m.Press(kRightButton, 560, 250);
    m.Release(kRightButton, 560, 250);
    EXPECT_EQ(m.effects.sounds, "rrr");
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, DoubleClickSendsTheCardToItsFoundationWhenItFits) {
    struct Case {
        const char* position;
        float x, y;
        int16_t card;
        bool goesUp;
    };
    const Case cases[] = {
        {"c1: 24 3 | f: 2 10 20 30", 30, 40, 3, true},
        {"c1: 24 3 | f: 1 10 20 30", 30, 40, 3, false},
        {"c1: 24 3 | f: 2 10 20 30", 30, 10, 24, false},  // covered: no mark
        {"f: 4 10 20 30", 480, 10, 4, false},             // a foundation's top
        {"f: 1 10 20 30", 480, 10, 1, false},             // an ace stays up
        {"f: 4 10 20 30 | p: 6 5", 560, 250, 5, true},    // the stock pile's top
        {"f: 4 10 20 30 | p: 5 6", 560, 250, 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        Table t = MakeTable(c.position);
        TableMouse m(t);
        const int16_t before = t.FoundTop[suitOf(c.card)];
        m.DoubleClick(c.x, c.y);
        EXPECT_EQ(t.FoundTop[suitOf(c.card)] != before, c.goesUp);
        EXPECT_EQ(t.DblClicked == kTrue, t.Carta[c.card].Mark != "")
            << "armed only on a marked card";
        EXPECT_EQ(m.effects.sounds, "rcr");
        EXPECT_EQ(Violations(t), kSound);
        // The next press on a card disarms it.
        m.Press(kRightButton, c.x, c.y);
        EXPECT_EQ(t.DblClicked, kFalse);
    }
}

TEST(Gestures, StockTurnsOneCardPerClickAndHidesWhenEmpty) {
    Table t = MakeTable(
        "c1: 2 3 4 5 6 7 8 | c2: 12 13 14 15 16 17 | c3: 22 23 24 25 26 |"
        "c4: 32 33 34 35 | c5: 9 10 18 | c6: 19 20 | c7: 27");
    TableMouse m(t);
    for (int i = 0; i < 12; ++i) {
        m.Gestures().mazzo_Click();
        EXPECT_EQ(t.StockNext, 30 + i);
        EXPECT_EQ(m.effects.mazzoHides, i == 11 ? 1 : 0);
    }
    EXPECT_EQ(m.effects.sounds, std::string(12, 'r'));
    EXPECT_EQ(m.effects.panelHides, 0) << "the stock leaves the panels alone";
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, ThirdButtonNeverMovesACardAwayFromItsPlace) {
    Table t = MakeTable("c1: 24 3 | c2: 30");
    TableMouse m(t);
    m.Press(kLeftButton, 30, 40);
    m.Move(200, 200);
    m.Press(4, 200, 200);    // would make the dragged position its home
    m.Release(4, 210, 210);  // would drop the "n" and leave it there
    EXPECT_EQ(t.Carta[3].Mark, "n");
    m.Move(600, 300);
    m.Release(kLeftButton, 600, 300);  // over the stock: home
    EXPECT_EQ(t.Carta[3].Left, 0);
    EXPECT_EQ(t.Carta[3].Top, 25);
    EXPECT_EQ(t.Carta[3].Mark, "a");
    EXPECT_EQ(m.effects.panelHides, 3) << "both presses and the click of the drop hide the panels";
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, NewDealDuringADragIsNotTouchedByItsRelease) {
    Table t = MakeTable("c1: 24 3 | c2: 30");
    TableMouse m(t);
    m.Press(kLeftButton, 30, 40);
    m.Move(200, 200);
    m.Gestures().Forget();
    t.TimeOfDay = [] { return 777.0; };
    t.Mescola();
    const Table dealt = t;
    m.Move(300, 300);
    m.Release(kLeftButton, 480, 300);
    for (int16_t id = 1; id <= kCardCount; ++id) {
        EXPECT_EQ(t.Carta[id].Left, dealt.Carta[id].Left);
        EXPECT_EQ(t.Carta[id].Mark, dealt.Carta[id].Mark);
    }
    EXPECT_EQ(Violations(t), kSound);
}

TEST(Gestures, BrokenOffGestureSendsTheCardHome) {
    struct Case {
        const char* name;
        bool peek, drag;
    };
    for (const Case& c : {Case{"drag", false, true}, Case{"peek", true, false},
                          Case{"peek during a drag", true, true}}) {
        SCOPED_TRACE(c.name);
        Table t = MakeTable("c1: 24 3 | c2: 30 29 28");
        TableMouse m(t);
        if (c.drag) {
            m.Press(kLeftButton, 30, 40);
            m.Move(300, 300);
        }
        if (c.peek) m.Press(kRightButton, c.drag ? 300 : 80, c.drag ? 300 : 30);
        m.Gestures().GestureBrokenOff();
        EXPECT_EQ(m.Gestures().HeldButtons(), 0);
        EXPECT_EQ(t.Dragging, kFalse);
        EXPECT_EQ(Violations(t), kSound);
    }
}

}  // namespace
}  // namespace tarvo
