#include "table_mouse.h"

namespace tarvo::testing {

int16_t TableMouse::CardAt(float x, float y) const {
    int16_t best = 0;
    for (int16_t id = 1; id <= kCardCount; ++id) {
        const CardPlace& c = t_.Carta[id];
        const bool inside =
            x >= c.Left && x < c.Left + kCardWidthPx && y >= c.Top && y < c.Top + kCardHeightPx;
        if (inside && (best == 0 || c.Z > t_.Carta[best].Z)) best = id;
    }
    return best;
}

int16_t TableMouse::Press(int16_t button, float x, float y) {
    // While a button is held every press goes to the card that has the pointer.
    if (held_ == 0) grabbed_ = CardAt(x, y);
    const int bit = button == kLeftButton ? 1 : button == kRightButton ? 2 : 4;
    held_ |= bit;
    if (grabbed_ == 0) return 0;
    if (button == kLeftButton) clickArmed_ = true;
    gestures_.Carta_MouseDown(grabbed_, button, 0, X(x), Y(y));
    return grabbed_;
}

void TableMouse::Move(float x, float y) {
    if (grabbed_ != 0)
        gestures_.Carta_MouseMove(grabbed_, static_cast<int16_t>(held_), 0, X(x), Y(y));
}

void TableMouse::Release(int16_t button, float x, float y) {
    const int bit = button == kLeftButton ? 1 : button == kRightButton ? 2 : 4;
    held_ &= ~bit;
    if (grabbed_ == 0) return;
    const CardPlace& c = t_.Carta[grabbed_];
    const bool click = button == kLeftButton && clickArmed_ && x >= c.Left &&
                       x < c.Left + kCardWidthPx && y >= c.Top && y < c.Top + kCardHeightPx;
    if (button == kLeftButton) clickArmed_ = false;
    const int16_t card = grabbed_;
    gestures_.Carta_MouseUp(card, button, 0, X(x), Y(y));
    if (click) gestures_.Carta_Click(card);
    if (held_ == 0) grabbed_ = 0;
}

void TableMouse::Click(float x, float y) {
    Press(kLeftButton, x, y);
    Release(kLeftButton, x, y);
}

void TableMouse::DoubleClick(float x, float y) {
    Click(x, y);
    grabbed_ = CardAt(x, y);
    held_ |= 1;
    if (grabbed_ != 0) gestures_.Carta_DblClick(grabbed_);
    Release(kLeftButton, x, y);
}

void TableMouse::DragTo(int16_t card, float x, float y) {
    const float fromX = t_.Carta[card].Left + 30;
    const float fromY = t_.Carta[card].Top + 10;
    Press(kLeftButton, fromX, fromY);
    Move((fromX + x) / 2, (fromY + y) / 2);
    Move(x, y);
    Release(kLeftButton, x, y);
}

}  // namespace tarvo::testing
