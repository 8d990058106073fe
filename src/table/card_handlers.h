#pragma once
// The card notifications as the rules name them. Index is the card id;
// Button 1 left, 2 right, 4 another (for moves, the set held); X and Y in
// pixels from the card's inner top-left corner. The card widgets raise them
// from the mouse, the keyboard from its keys.

#include <cstdint>

namespace tarvo {

class CardMouseHandlers {
  public:
    virtual ~CardMouseHandlers() = default;
    virtual void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) = 0;
    virtual void Carta_Click(int16_t Index) = 0;
    virtual void Carta_DblClick(int16_t Index) = 0;
};

}  // namespace tarvo
