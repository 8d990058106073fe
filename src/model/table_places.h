#pragma once
// The places of the table a player can point at: the seven columns, the four
// foundations, the stock pile and the stock. One idea of "a place", its order
// and its rectangle, shared by the mouse's hit tests, the keys, the accessible
// tree and the speech.

#include <cstdint>
#include <vector>

#include "model/table.h"

namespace tarvo {

enum class PlaceKind : uint8_t { Column, Foundation, StockPile, Stock };

struct Place {
    PlaceKind kind = PlaceKind::Stock;
    // Column 1..7, or the suit 1..4 of a foundation; 0 for the pile and the stock.
    int16_t index = 0;
    friend bool operator==(const Place&, const Place&) = default;
};

// Table order: the columns left to right, the foundations top to bottom, the
// stock pile, the stock.
constexpr int kPlaceCount = kColumnCount + kSuitCount + 2;
Place PlaceAt(int rank);
int RankOf(Place place);

// A rectangle in table pixels.
struct PxRect {
    float left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const PxRect&, const PxRect&) = default;
};

// Where the first card of a place lies (a column's row 1): a card widget's rectangle.
PxRect FirstCardRect(Place place);
// Where a card put on a place would lie: a column's next row, a
// foundation's or the pile's own place.
PxRect LandingRect(const Table& table, Place place);
// The part of the table a place covers now: a column reaches down to its last card.
PxRect PlaceRect(const Table& table, Place place);

// The card a player would take from the place: the last card of a column,
// the front card of the stock pile, a foundation's top card. 0 when there is
// none (an empty column or pile, an empty foundation, the stock itself).
int16_t TopCard(const Table& table, Place place);

// Cards lying at a place, counted as a player sees them (the stock counts
// the cards still to turn).
int16_t CardCount(const Table& table, Place place);

// The stock is shown from the deal until its last card is turned.
inline bool StockShown(const Table& table) {
    return table.StockNext != 0 && table.StockNext < kStockExhausted;
}

// The places that can hold the keyboard focus now, in table order: every
// column (a non-empty one for its top card, an empty one as a target), the
// foundations holding more than their ace (top to bottom), the stock pile
// while it holds a card, and the stock while it is shown.
std::vector<Place> FocusablePlaces(const Table& table);

// Where a card is as far as the game is concerned: a column, a foundation,
// the stock pile, or still in the stock (also where every card waits before
// a deal). A card being carried is at the place it was picked up from.
Place PlaceOfCard(const Table& table, int16_t id);

// The cards a player reads at a place, in screen order: a column from row 1
// (at the top edge) to its last card; the pile's and a foundation's top card.
std::vector<int16_t> CardsReadAt(const Table& table, Place place);
// The place whose CardsReadAt lists the card; false for a card in the stock
// or one buried under a pile's or foundation's top card.
bool PlaceReadingCard(const Table& table, int16_t id, Place& place);

// In the stock, or put away before a deal: nowhere on the visible table.
bool OffTable(const CardPlace& card);

}  // namespace tarvo
