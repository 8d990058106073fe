// Turning the stock: one card per click, gone through once.

#include "model/table.h"

namespace tarvo {

void Table::TurnStock() {
    if (StockNext < kFirstStockIndex || StockNext >= kStockExhausted) return;
    CurCard = Deck[StockNext];
    BringToFront(CurCard);
    if (isAce(CurCard)) {
        MoveCard(CurCard, kFoundationLeftPx, static_cast<float>(CurCard / 10) * kFoundationPitchPx);
        FoundTop[aceSuit(CurCard)] = CurCard;
        AcesUp = static_cast<int16_t>(AcesUp + 1);
    } else {
        MoveCard(CurCard, kStockPileLeftPx, kStockPileTopPx);
        Carta[CurCard].Mark = "a";
    }
    StockNext = static_cast<int16_t>(StockNext + 1);
}

}  // namespace tarvo
