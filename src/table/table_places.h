#pragma once
// The places of the table a player can point at without a mouse: the seven
// columns, the four foundations, the stock pile and the stock. Qt-free, so
// the keyboard and the accessible names share one idea of "a place".

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

// The card a player would take from the place: the last card of a column,
// the front card of the stock pile, a foundation's top card. 0 when there is
// none (an empty column or pile, an empty foundation, the stock itself).
int16_t TopCard(const Table& table, Place place);

// Cards lying at a place, counted as a player sees them (the stock counts
// the cards still to turn).
int16_t CardCount(const Table& table, Place place);

// The places that can hold the keyboard focus now, in table order: every
// column (a non-empty one for its top card, an empty one as a target), the
// foundations holding more than their ace (top to bottom), the stock pile
// while it holds a card, and the stock while it is shown.
std::vector<Place> FocusablePlaces(const Table& table, bool stockShown);

}  // namespace tarvo
