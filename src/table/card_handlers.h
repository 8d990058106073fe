#pragma once
// The table's notifications as the rules name them. Index is the card id;
// Button 1 left, 2 right, 4 another (for moves, the set held); X and Y in
// pixels from the card's inner top-left corner. The card widgets and the
// stock raise them from the mouse; the keys make the same gestures through
// hand_gestures.h.

#include <cstdint>

namespace tarvo {

class TableHandlers {
  public:
    virtual ~TableHandlers() = default;
    virtual void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) = 0;
    virtual void Carta_Click(int16_t Index) = 0;
    // Arrives instead of the second press of a double click.
    virtual void Carta_DblClick(int16_t Index) = 0;
    virtual void mazzo_Click() = 0;
    // The platform broke the gesture off (lost pointer grab, window
    // deactivated, a popup): it ends as releases off the table would end it.
    virtual void GestureBrokenOff() = 0;
};

}  // namespace tarvo
