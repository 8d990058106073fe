#include "model/move_answers.h"

#include "model/table_places.h"

namespace tarvo {

Refusal FoundationRefusal(const Table& t, int16_t card) {
    return t.FoundTop[suitOf(card)] == card - 1 ? Refusal::None : Refusal::NotNextOnFoundation;
}

Refusal ColumnRefusal(const Table& t, int16_t card, int16_t col) {
    const int16_t height = t.ColumnHeight(col);
    if (height == 0) return Refusal::None;
    // A full column ends in a 2, which takes nothing; refusing also keeps a
    // new card inside the 15 rows.
    if (height >= kColumnRows) return Refusal::ColumnFull;
    const int16_t top = t.Columns[col][height];
    // Tested on the ids: a 9 is shifted so that it meets the 10, whose id is
    // a multiple of ten.
    const int16_t shift = valueOf(card) == 9 ? 1 : 0;
    if ((top - shift) % 10 != (card - shift) % 10 + 1) return Refusal::NotOneLower;
    if (card / 20 == (top - shift) / 20) return Refusal::SameGroup;
    return Refusal::None;
}

bool AnyMoveLeft(const Table& t) {
    for (const Place& from : FocusablePlaces(t)) {
        const int16_t card = TopCard(t, from);
        if (card == 0 || t.Carta[card].Mark != "a") continue;
        if (from.kind != PlaceKind::Foundation && FoundationRefusal(t, card) == Refusal::None)
            return true;
        const bool alone = from.kind == PlaceKind::Column && t.ColumnHeight(from.index) == 1;
        for (int16_t col = 1; col <= kColumnCount; ++col) {
            if (from == Place{PlaceKind::Column, col}) continue;
            if (alone && t.ColumnHeight(col) == 0) continue;
            if (ColumnRefusal(t, card, col) == Refusal::None) return true;
        }
    }
    return false;
}

}  // namespace tarvo
