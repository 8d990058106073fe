#pragma once
// What a screen reader says about the table: the names of the cards and the
// places, and what changed since the table was last looked at. Qt-free; the
// accessible objects of the window only carry these texts.

#include <array>
#include <cstdint>
#include <string>

#include "model/table.h"
#include "model/table_places.h"

namespace tarvo {

// "7 of Coppe".
std::string CardName(int16_t id);

// A card a sighted player can read whole: on the table and with no card in
// front of any part of it. The card being carried does not count as in
// front, so the names under it stay put while it travels.
bool CardShown(const Table& table, int16_t id);

// The name of a card's accessible object: its own name while shown, else
// "covered card", so the reader tells no more than the screen.
std::string CardSpokenName(const Table& table, int16_t id);

// "Column 3, 4 cards, top 7 of Coppe", "Column 5, empty", "Stock, 9 cards
// left", "Stock pile, 2 cards, top 4 of Spade", "Denari foundation, up to 4".
std::string PlaceName(const Table& table, Place place);

// A place within a sentence: "column 2", "the Coppe foundation", "the stock pile", "the stock".
std::string PlaceOf(const Place& place);

// Where every card lies as far as the game is concerned (PlaceOfCard).
struct TableSnapshot {
    std::array<Place, 41> cards{};
    bool won = false;
    friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};

TableSnapshot Snapshot(const Table& table);

// The card the keyboard carries (0 for none), before and now: a screen
// reader cannot see a card being lifted or going back.
struct Carried {
    int16_t before = 0;
    int16_t now = 0;
};

// One sentence or a few for what happened between the snapshot and the
// table now: "New game", a move and what it uncovered, a turned card, an
// ace going up, the won game, a card the keyboard picked up or that went
// back. Empty when nothing the player sees changed.
std::string Announcement(const TableSnapshot& before, const Table& now, Carried carried = {});

}  // namespace tarvo
