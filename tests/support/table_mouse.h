#pragma once
// A pointer over the table for gesture tests without a window: it turns
// table positions into the card handlers' calls as the window does (positions
// inside the card's border, the press holding the pointer, the click raised
// after a left release over the pressed card) and counts the side effects.

#include <string>

#include "table/card_gestures.h"

namespace tarvo::testing {

struct RecordedEffects final : GestureEffects {
    void HidePanels() override { ++panelHides; }
    void ReleaseSound() override { sounds += "r"; }
    void ClickSound() override { sounds += "c"; }
    void HideMazzo() override { ++mazzoHides; }
    int panelHides = 0;
    int mazzoHides = 0;
    std::string sounds;  // "r" per release sequence, "c" per click sequence
};

class TableMouse {
  public:
    TableMouse(Table& t) : t_(t), gestures_(t, effects) {}

    // The card in front under a table point, 0 for the bare table.
    int16_t CardAt(float x, float y) const;

    // Presses on whatever is at (x, y); returns the card pressed (0 = none).
    int16_t Press(int16_t button, float x, float y);
    void Move(float x, float y);
    void Release(int16_t button, float x, float y);
    void Click(float x, float y);                 // left press and release
    void DoubleClick(float x, float y);           // press, release, click, double click, release
    void DragTo(int16_t card, float x, float y);  // press at the card's middle, moves, release

    CardGestures& Gestures() { return gestures_; }
    RecordedEffects effects;

  private:
    float X(float x) const { return x - t_.Carta[grabbed_].Left - 1; }
    float Y(float y) const { return y - t_.Carta[grabbed_].Top - 1; }

    Table& t_;
    CardGestures gestures_;
    int16_t grabbed_ = 0;
    int held_ = 0;
    bool clickArmed_ = false;
};

}  // namespace tarvo::testing
