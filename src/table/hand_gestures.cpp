#include "table/hand_gestures.h"

namespace tarvo {

namespace {

// A button's bit among the held buttons of a move.
constexpr int16_t kLeftHeld = 1;

}  // namespace

void DoubleClick(TableHandlers& h, int16_t card) {
    h.Carta_MouseDown(card, kLeftButton, 0, kHandGrabXPx, kHandGrabYPx);
    h.Carta_MouseUp(card, kLeftButton, 0, kHandGrabXPx, kHandGrabYPx);
    h.Carta_Click(card);
    h.Carta_DblClick(card);
    h.Carta_MouseUp(card, kLeftButton, 0, kHandGrabXPx, kHandGrabYPx);
}

void Lift(TableHandlers& h, int16_t card) {
    h.Carta_MouseDown(card, kLeftButton, 0, kHandGrabXPx, kHandGrabYPx);
}

void CarryTo(TableHandlers& h, const Table& t, float left, float top) {
    // The pointer moves so that the grabbed point, and with it the card,
    // comes to (left, top).
    const CardPlace& c = t.Carta[t.CurCard];
    h.Carta_MouseMove(t.CurCard, kLeftHeld, 0, left - c.Left + t.GrabX, top - c.Top + t.GrabY);
}

void Drop(TableHandlers& h, const Table& t) {
    const int16_t card = t.CurCard;
    h.Carta_MouseUp(card, kLeftButton, 0, t.GrabX, t.GrabY);
    // The pointer is still on the card it carried: the release makes a click,
    // as at the end of a drag.
    h.Carta_Click(card);
}

void PeekPress(TableHandlers& h, int16_t card) {
    h.Carta_MouseDown(card, kRightButton, 0, kHandGrabXPx, kHandGrabYPx);
}

void PeekRelease(TableHandlers& h, int16_t card) {
    h.Carta_MouseUp(card, kRightButton, 0, kHandGrabXPx, kHandGrabYPx);
}

void SendHome(TableHandlers& h, int16_t card, int16_t button) {
    h.Carta_MouseUp(card, button, 0, kOffTablePx, 0);
}

}  // namespace tarvo
