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

// A card a sighted player can read: on the table, with the band at its top
// (value and suit) not hidden by a card in front, as a covered column card's
// band shows. The card being carried does not count as in front, so the
// names under it stay put while it travels.
bool CardReadable(const Table& table, int16_t id);

// The name of a card's accessible object: its own name while readable, else
// "covered card", so the reader tells what the screen tells.
std::string CardSpokenName(const Table& table, int16_t id);

// "Column 3, 4 cards, top 7 of Coppe", "Column 5, empty", "Stock, 9 cards
// left", "Stock pile, 2 cards, top 4 of Spade", "Denari foundation, up to 4".
std::string PlaceName(const Table& table, Place place);

// A place within a sentence: "column 2", "the Coppe foundation", "the stock pile", "the stock".
std::string PlaceOf(const Place& place);

// The keys of the table, as F1 says them.
std::string KeyList();

// "New game. Tops: 7 of Coppe, 2 of Denari, ... Up: 1 of Denari": the seven
// column tops left to right and the aces the deal sent up.
std::string DealSummary(const Table& table);

// Why a card may not go up, or onto a column, as a player hears it: "5 of
// Coppe cannot go up: the Coppe foundation holds 3", "3 of Bastoni cannot go
// on 7 of Spade: it needs a 4 of Denari or Coppe". Empty when it may.
std::string WhyNotUp(const Table& table, int16_t card);
std::string WhyNotOnColumn(const Table& table, int16_t card, int16_t col);

// A place read whole: "Column 3: 4 of Bastoni, 7 of Coppe, 2 of Denari",
// from row 1 (nearest the top edge) to the last card; other places by name.
std::string PlaceReading(const Table& table, Place place);

// Where every card lies as far as the game is concerned (PlaceOfCard).
struct TableSnapshot {
    std::array<Place, 41> cards{};
    bool won = false;
    // The stock is spent and no card may go anywhere.
    bool stuck = false;
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
