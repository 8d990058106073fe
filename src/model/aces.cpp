// Aces never stay on top of a column: each one uncovered goes to its
// foundation at once, and so does any ace it uncovers in turn.

#include "model/table.h"

namespace tarvo {

void Table::spostassi() {
    if (PosCol == kFoundationStripColumn || AcesUp == 4) return;
    while (PosRow != 0) {
        const int16_t t = Columns[PosCol][PosRow];
        if (!isAce(t)) break;
        Carta[t].Mark = "";
        // An ace keeps its place in the drawing order: its foundation is empty.
        MoveCard(t, kFoundationLeftPx, static_cast<float>(t / 10) * kFoundationPitchPx);
        FoundTop[aceSuit(t)] = t;
        if (PosRow > 1) Carta[Columns[PosCol][PosRow - 1]].Mark = "a";
        Columns[PosCol][PosRow] = 0;
        PosRow = static_cast<int16_t>(PosRow - 1);
        AcesUp = static_cast<int16_t>(AcesUp + 1);
    }
}

}  // namespace tarvo
