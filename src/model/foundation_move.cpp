// A card onto the foundation of its suit: legal only as the next card of
// that suit. Completing the fourth suit wins the game.

#include "model/table.h"

namespace tarvo {

void Table::Crescente() {
    const auto s = static_cast<int16_t>(DropRow);
    if (FoundTop[s] != CurCard - 1) {
        MoveCard(CurCard, HomeLeft, HomeTop);
        return;
    }
    BringToFront(CurCard);
    MoveCard(CurCard, kFoundationLeftPx, foundationTopPx(s));
    FoundTop[s] = CurCard;

    FoundSum = static_cast<int16_t>(FoundTop[1] + FoundTop[2] + FoundTop[3] + FoundTop[4]);
    if (FoundSum == 100 && Finale) Finale();

    if (HomeLeft <= kLastColumnLeftPx) {
        PosCol = ToInteger((HomeLeft + kColumnPitchPx) / kColumnPitchPx);
        PosRow = ToInteger((HomeTop + kRowPitchPx) / kRowPitchPx);
        Columns[PosCol][PosRow] = 0;
        if (PosRow != 1) {
            PosRow = static_cast<int16_t>(PosRow - 1);
            Carta[Columns[PosCol][PosRow]].Mark = "a";
            spostassi();
        }
    }
}

}  // namespace tarvo
