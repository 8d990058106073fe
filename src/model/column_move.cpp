// A card onto a table column: any card on an empty column, otherwise one
// value lower than the top card and of the other suit group.

#include "model/move_answers.h"
#include "model/table.h"

namespace tarvo {

void Table::Decrescente() {
    const auto col = static_cast<int16_t>(DropCol);
    DropRow = ColumnHeight(col);
    const auto height = static_cast<int16_t>(DropRow);

    if (height > 0 && height < kColumnRows) WrapShift = valueOf(CurCard) == 9 ? 1 : 0;
    if (ColumnRefusal(*this, CurCard, col) != Refusal::None) {
        MoveCard(CurCard, HomeLeft, HomeTop);
        return;
    }

    PosCol = ToInteger((HomeLeft + kColumnPitchPx) / kColumnPitchPx);
    PosRow = ToInteger(HomeTop / kRowPitchPx + 1);
    BringToFront(CurCard);
    const bool fromColumn = HomeLeft <= kLastColumnLeftPx;
    if (HomeLeft == kFoundationLeftPx) {
        FoundTop[static_cast<int>(HomeTop / kFoundationPitchPx) + 1] =
            static_cast<int16_t>(CurCard - 1);
    } else if (fromColumn) {
        Columns[PosCol][PosRow] = 0;
        if (PosRow > 1) Carta[Columns[PosCol][PosRow - 1]].Mark = "a";
    }
    Columns[col][height + 1] = CurCard;
    MoveCard(CurCard, columnLeftPx(col), kRowPitchPx * static_cast<float>(height));
    if (height != 0) Carta[Columns[col][height]].Mark = "";
    if (fromColumn) {
        PosRow = static_cast<int16_t>(PosRow - 1);
        spostassi();
    }
}

}  // namespace tarvo
