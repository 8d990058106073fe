// What a screen reader hears about the table: the places' names, the cards a
// sighted player could read, and what each handler is announced as.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "access/table_speech.h"
#include "positions.h"
#include "table_mouse.h"

namespace tarvo {
namespace {

using testing::MakeTable;
using testing::TableMouse;

// The untaken stock holds these cards, the first one to be turned next.
void StockOf(Table& t, std::vector<int16_t> ids) {
    t.StockNext = static_cast<int16_t>(kStockExhausted - ids.size());
    for (size_t k = 0; k < ids.size(); ++k)
        t.Deck[t.StockNext + k] = ids[k];
}

TEST(Speech, PlacesAreNamedForWhatTheyHold) {
    Table t = MakeTable("c1: 24 3 | c3: 23 | f: 2 10 20 30 | p: 26 27");
    StockOf(t, {40, 39, 38});
    const struct {
        Place place;
        const char* name;
    } cases[] = {
        {{PlaceKind::Column, 1}, "Column 1, 2 cards, top 3 of Denari"},
        {{PlaceKind::Column, 2}, "Column 2, empty"},
        {{PlaceKind::Column, 3}, "Column 3, 1 card, top 3 of Bastoni"},
        {{PlaceKind::Foundation, 1}, "Denari foundation, up to 2"},
        // An empty foundation holds the id below its ace, here the 10 of Denari.
        {{PlaceKind::Foundation, 2}, "Coppe foundation, empty"},
        {{PlaceKind::StockPile, 0}, "Stock pile, 2 cards, top 7 of Bastoni"},
        {{PlaceKind::Stock, 0}, "Stock, 3 cards left"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceName(t, c.place), c.name);
    // Read whole, a column is its cards from the top edge down.
    EXPECT_EQ(PlaceReading(t, {PlaceKind::Column, 1}), "Column 1: 4 of Bastoni, 3 of Denari");
    EXPECT_EQ(PlaceReading(t, {PlaceKind::Column, 2}), "Column 2, empty");

    // Nor does the keyboard stop on an empty foundation.
    const std::vector<Place> focusable = FocusablePlaces(t);
    EXPECT_EQ(std::count_if(focusable.begin(), focusable.end(),
                            [](Place p) { return p.kind == PlaceKind::Foundation; }),
              1);

    t.StockNext = kStockExhausted;
    EXPECT_EQ(PlaceName(t, {PlaceKind::Stock, 0}), "Stock, empty");
}

TEST(Speech, EveryCardWhoseBandShowsIsNamed) {
    Table t = MakeTable("c1: 24 3 | c2: 35 25 14 | f: 2 10 20 30 | p: 26 27");
    TableMouse m(t);
    auto named = [&](std::vector<int16_t> ids) {
        std::string names;
        for (int16_t id : ids)
            names += (names.empty() ? "" : ", ") + CardSpokenName(t, id);
        return names;
    };
    EXPECT_EQ(named({24, 3, 26, 27, 1, 2, 40}),
              "4 of Bastoni, 3 of Denari, covered card, 7 of Bastoni, covered card, 2 of "
              "Denari, covered card");

    // The peek shows the covered card whole, over the band of the card below it.
    m.Press(kRightButton, 80, 30);
    EXPECT_EQ(named({35, 25, 14}), "5 of Spade, 5 of Bastoni, covered card");
    m.Release(kRightButton, 80, 30);
    EXPECT_EQ(named({35, 25, 14}), "5 of Spade, 5 of Bastoni, 4 of Coppe");

    // A carried card hides nothing while it travels over other cards.
    m.Press(kLeftButton, 30, 40);
    m.Move(90, 70);
    m.Move(100, 80);
    EXPECT_EQ(named({3, 25, 14}), "3 of Denari, 5 of Bastoni, 4 of Coppe");
}

TEST(Speech, ARefusedMoveSaysWhy) {
    const Table t = MakeTable(
        "c1: 35 2 | c2: 40 | c3: 24 | c4: 10 9 8 7 6 5 4 3 33 32 31 30 29 28 27 | c5: 34 "
        "| f: 1 12 20 30");
    struct Case {
        int16_t card;
        int16_t column;  // 0: up to its foundation
        const char* why;
    };
    const Case cases[] = {
        {2, 0, ""},
        {34, 0, "4 of Spade cannot go up: the Spade foundation is empty"},
        {2, 4, "2 of Denari cannot go on column 4: it is full"},
        {24, 0, "4 of Bastoni cannot go up: the Bastoni foundation is empty"},
        {34, 2, "4 of Spade cannot go on 10 of Spade: it needs a 5 of Denari or Coppe"},
        {2, 3, "2 of Denari cannot go on 4 of Bastoni: it needs a 3 of Bastoni or Spade"},
        {24, 5, "4 of Bastoni cannot go on 4 of Spade: it needs a 5 of Denari or Coppe"},
        {40, 1, "10 of Spade cannot go on 2 of Denari: a 10 goes only on an empty column"},
        {2, 5, "2 of Denari cannot go on 4 of Spade: it needs a 3 of Bastoni or Spade"},
        {24, 2, "4 of Bastoni cannot go on 10 of Spade: it needs a 5 of Denari or Coppe"},
        {27, 5, "7 of Bastoni cannot go on 4 of Spade: it needs an 8 of Denari or Coppe"},
        {2, 6, ""},
        {13, 0, ""},
        {14, 0, "4 of Coppe cannot go up: the Coppe foundation holds 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.card) + " to " + std::to_string(c.column));
        EXPECT_EQ(c.column == 0 ? WhyNotUp(t, c.card) : WhyNotOnColumn(t, c.card, c.column), c.why);
    }
}

TEST(Speech, EachHandlerIsAnnouncedByWhatItChanged) {
    using Act = std::function<void(Table&, TableMouse&)>;
    const struct {
        const char* what;
        const char* position;
        std::vector<int16_t> stock;
        Act act;
        const char* said;
        Carried carried{};
    } cases[] = {
        {"a move onto a card",
         "c1: 34 2 | c3: 23",
         {},
         [](Table&, TableMouse& m) { m.DragTo(2, 150, 60); },
         "2 of Denari to column 3, on 3 of Bastoni. Column 1 shows 4 of Spade"},
        {"a move that uncovers an ace",
         "c1: 21 2 | c3: 23",
         {},
         [](Table&, TableMouse& m) { m.DragTo(2, 150, 60); },
         "2 of Denari to column 3, on 3 of Bastoni. 1 of Bastoni goes up. Column 1 is empty"},
        {"from the pile to an empty column",
         "c1: 24 | p: 26 27",
         {},
         [](Table&, TableMouse& m) { m.DragTo(27, 100, 40); },
         "7 of Bastoni to column 2, empty before. The stock pile shows 6 of Bastoni"},
        {"a refused drop",
         "c1: 34 2 | c3: 24",
         {},
         [](Table&, TableMouse& m) { m.DragTo(2, 150, 60); },
         ""},
        {"a card carried, not yet dropped",
         "c1: 34 2 | c3: 23",
         {},
         [](Table&, TableMouse& m) {
             m.Press(kLeftButton, 30, 40);
             m.Move(150, 60);
         },
         ""},
        {"a card the keys pick up",
         "c1: 34 2 | c3: 23",
         {},
         [](Table&, TableMouse& m) {
             m.Press(kLeftButton, 30, 40);
             m.Move(36, 46);
         },
         "Picked up 2 of Denari",
         {0, 2}},
        {"a card the keys drop where it is refused",
         "c1: 34 2 | c3: 24",
         {},
         [](Table&, TableMouse& m) { m.DragTo(2, 150, 60); },
         "2 of Denari goes back to column 1",
         {2, 0}},
        {"a card the keys drop where it goes",
         "c1: 34 2 | c3: 23",
         {},
         [](Table&, TableMouse& m) { m.DragTo(2, 150, 60); },
         "2 of Denari to column 3, on 3 of Bastoni. Column 1 shows 4 of Spade",
         {2, 0}},
        {"a turned card",
         "c1: 24",
         {39, 40},
         [](Table&, TableMouse& m) { m.Gestures().mazzo_Click(); },
         "Turned 9 of Spade, 1 left in the stock"},
        {"a turned ace",
         "c1: 24 | f: 0 10 20 30",
         {31},
         [](Table&, TableMouse& m) { m.Gestures().mazzo_Click(); },
         "Turned 1 of Spade, it goes up, the stock is empty. The stock is spent and no card "
         "can move: no move is left"},
        {"the last card up",
         "c1: 40 | f: 10 20 30 39",
         {},
         [](Table& t, TableMouse& m) { m.DoubleClick(30, 40 + t.Carta[40].Top); },
         "10 of Spade to the Spade foundation. Column 1 is empty. All 40 cards are on the "
         "foundations: you have won"},
        {"a new deal",
         "c1: 34 2 | c3: 23",
         {},
         [](Table& t, TableMouse&) {
             t.TimeOfDay = [] { return 1234.5; };
             t.Mescola();
         },
         "New game. Tops: 9 of Coppe, 4 of Denari, 2 of Spade, 3 of Denari, 6 of Bastoni, 2 of "
         "Bastoni, 7 of Denari. Up: 1 of Denari"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Table t = MakeTable(c.position);
        if (!c.stock.empty()) StockOf(t, c.stock);
        TableMouse m(t);
        const TableSnapshot before = Snapshot(t);
        c.act(t, m);
        EXPECT_EQ(Announcement(before, t, c.carried), c.said);
    }
}

}  // namespace
}  // namespace tarvo
