#include "table/card_gestures.h"

#include <cmath>

namespace tarvo {

void CardGestures::Carta_MouseDown(int16_t Index, int16_t Button, int16_t, float X, float Y) {
    fx_.HidePanels();
    // A third button has no part in the game: it must not make the dragged
    // position the card's home.
    if (Bit(Button) == 0) return;
    held_ |= Bit(Button);

    t_.CurCard = Index;
    t_.DblClicked = kFalse;
    CardPlace& card = t_.Carta[Index];
    if (Button == kRightButton && t_.Dragging == kTrue) {
        t_.MoveCard(Index, t_.HomeLeft, t_.HomeTop);
        return;
    }
    t_.HomeLeft = card.Left;
    t_.HomeTop = card.Top;
    if (Button == kLeftButton) {
        t_.Dragging = kTrue;
        if (card.Mark == "a") card.Mark = "n";
        t_.GrabX = X;
        t_.GrabY = Y;
    } else {
        t_.BringToFront(Index);  // the peek: shown whole above its column
    }
}

void CardGestures::Carta_MouseMove(int16_t, int16_t Button, int16_t, float X, float Y) {
    if (Button == 0 || held_ == 0) return;
    const int16_t id = t_.CurCard;
    if (t_.Carta[id].Mark != "n") return;
    // The grabbed point of the card stays under the pointer.
    t_.MoveCard(id, t_.Carta[id].Left - t_.GrabX + X, t_.Carta[id].Top - t_.GrabY + Y);
    t_.BringToFront(id);
}

void CardGestures::Carta_MouseUp(int16_t, int16_t Button, int16_t, float X, float) {
    // A third button asks for the sound like any release, and touches nothing.
    if (Bit(Button) == 0) {
        fx_.ReleaseSound();
        return;
    }
    if ((held_ & Bit(Button)) == 0) return;  // its press belonged to a table that is gone
    held_ &= ~Bit(Button);
    fx_.ReleaseSound();

    const int16_t id = t_.CurCard;
    CardPlace& card = t_.Carta[id];
    if (Button == kRightButton) {
        if (t_.HomeLeft <= kLastColumnLeftPx) RestorePeekedColumn();
        if (t_.Dragging == kTrue) t_.MoveCard(id, t_.HomeLeft, t_.HomeTop);
    } else {
        t_.Dragging = kFalse;
        t_.DropCol = std::floor((X + card.Left) / kColumnPitchPx) + 1;
        t_.DropRow = std::floor(card.Top / kRowPitchPx) + 1;
        if ((t_.DropCol == kFoundationStripColumn || t_.DblClicked == kTrue) && card.Mark != "") {
            t_.DropRow = static_cast<float>(suitOf(id));
            t_.Crescente();
            t_.DropCol = 0;
        } else if (t_.DropCol >= 1 && t_.DropCol <= kFoundationStripColumn && t_.DropRow >= 1 &&
                   t_.DropRow <= 19) {
            if (card.Mark == "n") t_.Decrescente();
        } else {
            t_.MoveCard(id, t_.HomeLeft, t_.HomeTop);
        }
    }
    if (card.Mark == "n") card.Mark = "a";
}

void CardGestures::RestorePeekedColumn() {
    t_.PosCol = ToInteger((t_.HomeLeft + kColumnPitchPx) / kColumnPitchPx);
    t_.PosRow = ToInteger(t_.HomeTop / kRowPitchPx + 1);
    for (; t_.PosRow <= kColumnRows; ++t_.PosRow) {
        const int16_t id = t_.Columns[t_.PosCol][t_.PosRow];
        if (id == 0) break;
        t_.BringToFront(id);
    }
}

void CardGestures::Carta_Click(int16_t) {
    fx_.HidePanels();
    fx_.ClickSound();
}

void CardGestures::Carta_DblClick(int16_t) {
    held_ |= Bit(kLeftButton);  // the second press of the pair
    if (t_.Carta[t_.CurCard].Mark != "") t_.DblClicked = kTrue;
}

void CardGestures::mazzo_Click() {
    fx_.ReleaseSound();
    t_.TurnStock();
    if (t_.StockNext == kStockExhausted) fx_.HideMazzo();
}

void CardGestures::GestureBrokenOff() {
    if (held_ & Bit(kRightButton)) SendHome(*this, t_.CurCard, kRightButton);
    if (held_ & Bit(kLeftButton)) SendHome(*this, t_.CurCard, kLeftButton);
    held_ = 0;
}

void CardGestures::Forget() {
    held_ = 0;
    t_.Dragging = kFalse;
    t_.DblClicked = kFalse;
}

}  // namespace tarvo
