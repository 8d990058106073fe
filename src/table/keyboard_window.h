#pragma once
// The keyboard on the window: table keys reaching Form1 go to KeyboardPlay,
// which drives Form1's own mouse handlers; a mouse press anywhere on the
// window ends a keyboard pick-up and hides the focus ring.

#include <QKeyEvent>
#include <QObject>

#include "table/keyboard_play.h"

namespace tarvo {

class FocusRing;
class Form1;

class TableKeyboard final : public QObject, private TableHandlers {
  public:
    explicit TableKeyboard(Form1& form);

    KeyboardPlay& Play() { return play_; }
    // The table changed without a key (a new deal, a gesture broken off):
    // the focus goes to a place that exists and the ring follows it.
    void Settle();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    bool TableKeyPressed(QKeyEvent* e);
    void ShowFocus();

    // TableHandlers: Form1's handlers, as the mouse calls them.
    void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_Click(int16_t Index) override;
    void Carta_DblClick(int16_t Index) override;
    void mazzo_Click() override;
    void GestureBrokenOff() override;
    bool MazzoShown() const override;

    Form1& form_;
    KeyboardPlay play_;
    FocusRing* ring_;
};

}  // namespace tarvo
