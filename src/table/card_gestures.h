#pragma once
// What the mouse does to the cards and the stock, decided on the Table alone.
// The window translates its events into these calls (Index is the card id;
// Button 1 left, 2 right, anything else a third button; for moves the set of
// held buttons; X, Y in pixels from the card's inner top-left corner, also
// outside the card while the press holds the pointer) and carries out the
// side effects through GestureEffects.

#include <cstdint>

#include "model/table.h"
#include "table/card_handlers.h"
#include "table/hand_gestures.h"

namespace tarvo {

class GestureEffects {
  public:
    virtual ~GestureEffects() = default;
    virtual void HidePanels() = 0;
    // The card sound as a release or a stock turn asks for it.
    virtual void ReleaseSound() = 0;
    // The card sound as a click asks for it.
    virtual void ClickSound() = 0;
    virtual void HideMazzo() = 0;
};

class CardGestures final : public TableHandlers {
  public:
    CardGestures(Table& table, GestureEffects& effects) : t_(table), fx_(effects) {}

    void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_Click(int16_t Index) override;
    void Carta_DblClick(int16_t Index) override;
    void mazzo_Click() override;
    // No card is left away from its place.
    void GestureBrokenOff() override;
    // A new deal replaced the table under a gesture: its remaining moves and
    // releases must not touch the new cards.
    void Forget();

    // Buttons of a gesture in progress (bit 0 left, bit 1 right).
    int HeldButtons() const { return held_; }
    // A button's bit in HeldButtons(); 0 for a third button, which holds no gesture.
    static int Bit(int16_t button) {
        return button == kLeftButton ? 1 : button == kRightButton ? 2 : 0;
    }

  private:
    void RestorePeekedColumn();

    Table& t_;
    GestureEffects& fx_;
    int held_ = 0;
};

}  // namespace tarvo
