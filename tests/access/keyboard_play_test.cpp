// Playing from the keyboard on the table alone: where the focus goes, and
// what each key does to the cards, with the sounds a player hears.

#include <gtest/gtest.h>

#include <sstream>

#include "access/keyboard_play.h"
#include "access/table_speech.h"
#include "invariants.h"
#include "positions.h"
#include "table_mouse.h"

namespace tarvo {
namespace {

using testing::MakeTable;

Place P(const std::string& s) {
    if (s == "p") return {PlaceKind::StockPile, 0};
    if (s == "s") return {PlaceKind::Stock, 0};
    const int16_t i = static_cast<int16_t>(std::stoi(s.substr(1)));
    return {s[0] == 'c' ? PlaceKind::Column : PlaceKind::Foundation, i};
}

std::string Name(Place p) {
    switch (p.kind) {
        case PlaceKind::Column:
            return "c" + std::to_string(p.index);
        case PlaceKind::Foundation:
            return "f" + std::to_string(p.index);
        case PlaceKind::StockPile:
            return "p";
        case PlaceKind::Stock:
            return "s";
    }
    return "?";
}

std::vector<Place> Places(const std::string& text) {
    std::vector<Place> places;
    std::istringstream in(text);
    for (std::string s; in >> s;)
        places.push_back(P(s));
    return places;
}

TableKey KeyOf(const std::string& s) {
    static const std::pair<const char*, TableKey> keys[] = {
        {"tab", TableKey::Tab},    {"btab", TableKey::BackTab}, {"l", TableKey::Left},
        {"r", TableKey::Right},    {"u", TableKey::Up},         {"d", TableKey::Down},
        {"ret", TableKey::Return}, {"sp", TableKey::Space},     {"esc", TableKey::Escape}};
    for (const auto& [name, key] : keys)
        if (s == name) return key;
    throw std::invalid_argument(s);
}

// Keys by their short names, "tab tab sp r", one after another.
void PressKeys(KeyboardPlay& play, const std::string& names) {
    std::istringstream keys(names);
    for (std::string k; keys >> k;)
        play.Key(KeyOf(k));
}

TEST(KeyboardFocus, NextPlaceInTableOrderAndByDirection) {
    const std::string all = "c1 c2 c3 c4 c5 c6 c7 f1 f2 f3 f4 p s";
    const std::string targets = "c1 c2 c3 c4 c5 c6 c7 f3";  // a Bastoni card held
    struct Case {
        const std::string& places;
        const char* from;
        const char* key;
        const char* to;
    };
    const Case cases[] = {
        {all, "c3", "tab", "c4"},
        {all, "c7", "tab", "f1"},
        {all, "s", "tab", "c1"},
        {all, "c1", "btab", "s"},
        {all, "f1", "btab", "c7"},
        {all, "c3", "r", "c4"},
        {all, "c1", "l", "c1"},
        {all, "c7", "r", "f1"},
        {all, "f2", "l", "c7"},
        {all, "f1", "d", "f2"},
        {all, "f4", "d", "f4"},
        {all, "c4", "d", "c4"},
        {all, "c4", "u", "c4"},
        {all, "s", "u", "p"},
        {all, "p", "d", "s"},
        {all, "p", "l", "f3"},
        {all, "f4", "r", "s"},
        {all, "f1", "r", "p"},
        {all, "p", "u", "p"},
        // Foundations with only their ace are no places; the pile may be empty.
        {"c1 c2 c3 c4 c5 c6 c7 f2 s", "c7", "r", "f2"},
        {"c1 c2 c3 c4 c5 c6 c7 f2 s", "s", "l", "f2"},
        {"c1 c2 c3 c4 c5 c6 c7 s", "s", "l", "c7"},
        {"c1 c2 c3 c4 c5 c6 c7 s", "c7", "tab", "s"},
        // From a place that has just gone away.
        {"c1 c2 c3 c4 c5 c6 c7 f4 s", "p", "btab", "f4"},
        {"c1 c2 c3 c4 c5 c6 c7 f4 s", "f2", "tab", "f4"},
        {"c1 c2 c3 c4 c5 c6 c7", "s", "btab", "c7"},
        // Holding a card: the columns and the foundation strip.
        {targets, "c7", "r", "f3"},
        {targets, "f3", "l", "c7"},
        {targets, "f3", "tab", "c1"},
        {targets, "p", "l", "f3"},
        {targets, "p", "tab", "c1"},
        {targets, "f3", "d", "f3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.key + " among " + c.places);
        EXPECT_EQ(Name(NextPlace(Places(c.places), P(c.from), KeyOf(c.key))), c.to);
    }
}

// The keys on the real gestures, which do what the window's handlers do to
// the table, with the sounds they ask for written down.
struct Hands {
    explicit Hands(Table& table) : gestures(table, effects) {}
    testing::RecordedEffects effects;
    CardGestures gestures;
};

TEST(KeyboardPlay, KeysPlayAsTheMouseWould) {
    // The 2 of Denari on the 5 of Spade in column 1 (its ace is up), the 3 of
    // Bastoni alone in column 3, the 4 of Coppe on the pile, column 7 empty.
    const char* position = "c1: 35 2 | c3: 23 | c5: 40 | f: 1 10 20 30 | p: 14";
    struct Case {
        const char* keys;
        const char* sounds;  // "r" per release or stock sound, "c" per click sound
        const char* focus;
        const char* check;        // "card@left,top" afterwards
        const char* answer = "";  // what the last key says beyond the table's change
    };
    const Case cases[] = {
        // The first key only shows the focus, on the stock.
        {"tab", "", "s", "2@0,25"},
        {"tab ret", "r", "s", "2@0,25"},
        {"tab sp", "r", "s", "2@0,25"},
        // Return on a card is a double click (release, click, release): the 2 goes up.
        {"tab tab ret", "rcr", "c1", "2@458,0"},
        // Space lifts it; the arrows carry it, lifted, over column 3's next
        // row, where it drops with a release and a click.
        {"tab tab sp r r", "", "c3", "2@136,31"},
        {"tab tab sp r r sp", "rc", "c3", "2@130,25"},
        // Nothing left of column 1: the card stays lifted. Then over the strip,
        // which tries the foundation of its own suit.
        {"tab tab sp l", "", "c1", "2@6,31", "Nothing further left"},
        {"tab tab sp btab", "", "f1", "2@464,6"},
        {"tab tab sp btab sp", "rc", "f1", "2@458,0"},
        // Escape sends it home with a release and no click.
        {"tab tab sp r esc", "r", "c1", "2@0,25"},
        // An illegal drop goes home, and so does the focus, with the reason.
        {"tab tab sp r r r r sp", "rc", "c1", "2@0,25",
         "2 of Denari cannot go on 10 of Spade: it needs a 3 of Bastoni or Spade"},
        // From the pile to its foundation, where its predecessor is missing: home.
        {"tab btab sp l sp", "rc", "p", "14@540,204",
         "4 of Coppe cannot go up: the Coppe foundation is empty"},
        // An empty column takes Space and Return without a sound; each key says so.
        {"tab tab r sp ret", "", "c2", "2@0,25", "Column 2 is empty"},
        {"tab tab r sp ret esc", "", "c2", "2@0,25", "No card is held"},
        // Return on a card that cannot go up says why, and each press again.
        {"tab tab r r ret ret", "rcrrcr", "c3", "23@130,0",
         "3 of Bastoni cannot go up: the Bastoni foundation is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        Table t = MakeTable(position);
        Hands r(t);
        KeyboardPlay play(t, r.gestures, r.gestures);
        PressKeys(play, c.keys);
        EXPECT_EQ(r.effects.sounds, c.sounds);
        EXPECT_EQ(play.Answer(), c.answer);
        ASSERT_TRUE(play.Focus());
        EXPECT_EQ(Name(*play.Focus()), c.focus);
        int16_t card = 0;
        float left = 0, top = 0;
        ASSERT_EQ(std::sscanf(c.check, "%hd@%f,%f", &card, &left, &top), 3);
        EXPECT_EQ(t.Carta[card].Left, left);
        EXPECT_EQ(t.Carta[card].Top, top);
        EXPECT_EQ(play.Holding(), t.Carta[card].Mark == "n");
        if (!play.Holding()) {
            EXPECT_EQ(testing::Violations(t), std::vector<std::string>{});
        }
    }
}

TEST(KeyboardPlay, KeysAndMouseEndEachOthersGestures) {
    Table t = MakeTable("c1: 35 2 | c3: 23 | f: 1 10 20 30");
    Hands r(t);
    KeyboardPlay play(t, r.gestures, r.gestures);
    std::vector<std::string> moves;
    play.onFocusMoved = [&](Place p) { moves.push_back(Name(p)); };

    // A key in the middle of a mouse drag ends the drag and does nothing else.
    r.gestures.Carta_MouseDown(2, kLeftButton, 0, 20, 20);
    r.gestures.Carta_MouseMove(2, 1, 0, 200, 200);
    play.Key(TableKey::Return);
    EXPECT_EQ(r.gestures.HeldButtons(), 0);
    EXPECT_EQ(r.effects.sounds, "r");
    EXPECT_EQ(t.Carta[2].Left, 0);
    EXPECT_EQ(t.Carta[2].Mark, "a");
    EXPECT_FALSE(play.FocusShown());

    // A mouse press during a keyboard pick-up breaks it off: the card goes home.
    for (TableKey k : {TableKey::Tab, TableKey::Tab, TableKey::Space, TableKey::Right})
        play.Key(k);
    EXPECT_TRUE(play.Holding());
    play.MousePressed();
    EXPECT_FALSE(play.Holding());
    EXPECT_FALSE(play.FocusShown());
    EXPECT_EQ(t.Carta[2].Left, 0);
    EXPECT_EQ(t.Carta[2].Top, 25);
    EXPECT_EQ(t.Dragging, kFalse);
    EXPECT_EQ(Name(*play.Focus()), "c1") << "back where the card lies";
    // The next key shows the focus where it was, and moves nothing.
    play.Key(TableKey::Right);
    EXPECT_EQ(Name(*play.Focus()), "c1");
    EXPECT_EQ(moves, (std::vector<std::string>{"s", "c1", "c2", "c1", "c1"}));
}

TEST(KeyboardPlay, UpAndDownWalkAColumnAndAHeldSpacePeeks) {
    // The 5 of Spade covered by the 2 of Denari in column 1.
    Table t = MakeTable("c1: 35 2 | c3: 23 | f: 1 10 20 30");
    Hands r(t);
    KeyboardPlay play(t, r.gestures, r.gestures);
    for (TableKey k : {TableKey::Tab, TableKey::Tab, TableKey::Up, TableKey::Up})
        play.Key(k);
    EXPECT_EQ(play.FocusedCard(), 35) << "row 1 is as far up as it goes";
    // Space shows it whole while held; its repeats press nothing more.
    play.Key(TableKey::Space);
    play.Key(TableKey::Space);
    EXPECT_FALSE(CardReadable(t, 2)) << "the peeked 5 lies over the 2's band";
    play.KeyReleased(TableKey::Space);
    EXPECT_TRUE(CardReadable(t, 2));
    EXPECT_EQ(r.effects.sounds, "r") << "one right release";
    EXPECT_EQ(t.Carta[35].Mark, "") << "a covered card is never picked up";
    // Down comes back to the top card, where Space picks it up.
    play.Key(TableKey::Down);
    EXPECT_EQ(play.FocusedCard(), 0);
    EXPECT_EQ(Name(*play.Focus()), "c1");
    play.Key(TableKey::Space);
    EXPECT_EQ(play.HeldCard(), 2);
    EXPECT_EQ(testing::Violations(t).size(), 0u);
}

TEST(KeyboardPlay, DirectKeysGoStraightToAPlace) {
    const char* position = "c1: 35 2 | c3: 23 | c5: 40 | f: 1 10 20 30 | p: 14";
    const struct {
        const char* keys;  // "tab sp" and so on before the direct key
        Place target;
        const char* focus;
        const char* answer;
    } cases[] = {
        {"", {PlaceKind::Column, 3}, "c3", ""},
        {"", {PlaceKind::StockPile, 0}, "p", ""},
        {"", {PlaceKind::Stock, 0}, "s", ""},
        // Only the Denari ace is up: no foundation has a card to take.
        {"tab", {PlaceKind::Foundation, 1}, "s", "No foundation has a card to take"},
        // Carrying the 2 of Denari, F is its own foundation.
        {"tab tab sp", {PlaceKind::Foundation, 1}, "f1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keys) + " then to " + Name(c.target));
        Table t = MakeTable(position);
        Hands r(t);
        KeyboardPlay play(t, r.gestures, r.gestures);
        PressKeys(play, c.keys);
        play.JumpTo(c.target);
        EXPECT_TRUE(play.FocusShown());
        EXPECT_EQ(Name(*play.Focus()), c.focus);
        EXPECT_EQ(play.Answer(), c.answer);
    }
}

TEST(KeyboardPlay, AFoundationNamedIsTheOneFocused) {
    // Denari up to 2, Coppe up to 3: F goes to the first, the hint's card
    // may lie on the other.
    Table t = MakeTable("c1: 34 | f: 2 13 20 30");
    Hands r(t);
    KeyboardPlay play(t, r.gestures, r.gestures);
    for (const auto& [target, focus] : {std::pair{P("f2"), "f2"}, {P("f1"), "f1"}}) {
        play.JumpTo(target);
        EXPECT_EQ(Name(*play.Focus()), focus);
    }
    play.JumpTo(P("f2"));
    play.Key(TableKey::Space);
    ASSERT_EQ(play.HeldCard(), 13);
    play.JumpTo(P("f1"));
    EXPECT_EQ(Name(*play.Focus()), "f2") << "carrying the 3 of Coppe, F is its own foundation";
}

TEST(KeyboardPlay, FocusLeavesAPlaceThatGoesAway) {
    // One card, the 2 of Spade, left in the stock: turned, the stock goes and
    // the focus falls back on the pile; sent up from there, the pile is empty
    // and the focus falls back on the foundation before it, which took it.
    Table t = MakeTable(
        "c1: 2 3 4 5 6 7 8 9 10 | c2: 12 13 14 15 16 17 18 19 20 | c3: 22 23 24 25 26 27 28 29 30 "
        "| c4: 33 34 35 36 37 38 39 40 | f: 1 11 21 31");
    Hands r(t);
    KeyboardPlay play(t, r.gestures, r.gestures);
    ASSERT_EQ(t.StockNext, kCardCount);
    for (TableKey k : {TableKey::Tab, TableKey::Return})
        play.Key(k);
    EXPECT_EQ(Name(*play.Focus()), "p");
    play.Key(TableKey::Return);
    EXPECT_EQ(t.FoundTop[4], 32);
    EXPECT_EQ(Name(*play.Focus()), "f4");
    EXPECT_EQ(r.effects.sounds,
              "r"
              "rcr")
        << "the stock turned, then a double click";
}

}  // namespace
}  // namespace tarvo
