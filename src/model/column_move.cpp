// A card onto a table column: any card on an empty column, otherwise one
// value lower than the top card and of the other suit group.

#include "model/table.h"

namespace tarvo {

void Table::Decrescente() {
    const auto col = static_cast<int16_t>(DropCol);
    DropRow = ColumnHeight(col);
    const auto height = static_cast<int16_t>(DropRow);

    bool legal = height == 0;
    // A full column ends in a 2, which takes nothing; refusing here also keeps
    // the new card inside the 15 rows.
    if (height > 0 && height < kColumnRows) {
        const int16_t t = Columns[col][height];
        // Tested on the ids: a 9 is shifted so that it meets the 10, whose id
        // is a multiple of ten.
        WrapShift = valueOf(CurCard) == 9 ? 1 : 0;
        const bool valueFits = (t - WrapShift) % 10 == (CurCard - WrapShift) % 10 + 1;
        const bool groupsDiffer = CurCard / 20 != (t - WrapShift) / 20;
        legal = valueFits && groupsDiffer;
    }
    if (!legal) {
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
