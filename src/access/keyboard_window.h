#pragma once
// The keyboard on the window: table keys reaching Form1 go to KeyboardPlay,
// which makes its gestures on Form1's own handlers; the focus ring follows.

#include <QKeyEvent>
#include <QObject>

#include "access/keyboard_play.h"

namespace tarvo {

class FocusRing;
class Form1;

class TableKeyboard final : public QObject {
  public:
    explicit TableKeyboard(Form1& form);

    KeyboardPlay& Play() { return play_; }
    // The table changed without a key (a new deal, a gesture broken off):
    // the focus goes to a place that exists and the ring follows it.
    void Settle();
    // A mouse press anywhere on the window: it ends a keyboard pick-up as a
    // lost grab would and puts the ring away.
    void MousePressed();
    // The hint's card (or the stock) takes the focus, shown by the ring.
    void ShowHint(Place place);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    bool TableKeyPressed(QKeyEvent* e);
    void PanelEscape(void (Form1::*click)());
    void ShowFocus();

    Form1& form_;
    KeyboardPlay play_;
    FocusRing* ring_;
};

}  // namespace tarvo
