#pragma once
// May a card go there, and if not, why: the rules' own answer, asked by the
// column move and by whoever explains a refused move to a player.

#include <cstdint>

#include "model/table.h"

namespace tarvo {

enum class Refusal : uint8_t {
    None,
    NotNextOnFoundation,  // the foundation of its suit does not hold its predecessor
    ColumnFull,           // 15 cards: the column takes nothing more
    NotOneLower,          // the column's top card is not one value higher
    SameGroup,            // the column's top card is of the same suit group
};

// The card on the foundation of its suit.
Refusal FoundationRefusal(const Table& table, int16_t card);
// The card on column col (1..7), as the rules test it: an empty column takes
// any card, otherwise one value lower than its top card and of the other group.
Refusal ColumnRefusal(const Table& table, int16_t card, int16_t col);

// Whether any card a player can take may go anywhere it would change the
// table: up to its foundation, or onto another column (a column's only card
// onto an empty column changes nothing). The stock is not counted.
bool AnyMoveLeft(const Table& table);

}  // namespace tarvo
