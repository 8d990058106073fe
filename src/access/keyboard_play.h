#pragma once
// Playing from the keyboard, decided on the Table alone. A focus moves over
// the places of the table; each action key makes the gesture a hand would
// make with the mouse (hand_gestures.h) on the very same handlers, carrying
// the card so that the release's hit test lands on the place chosen.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/table.h"
#include "model/table_places.h"
#include "table/card_gestures.h"
#include "table/card_handlers.h"

namespace tarvo {

// Read: the focused place read whole (a column card by card), for a screen reader.
enum class TableKey : uint8_t { Tab, BackTab, Left, Right, Up, Down, Return, Space, Escape, Read };

// A keyboard-held card lies this far right of and below its drop place, so it
// reads as lifted; the release's hit test still finds that place.
constexpr float kLiftPx = 6;

// The place an arrow or Tab goes to from `from` among `places` (table order).
// Tab and BackTab cycle; an arrow takes the nearest place lying that way,
// sideways distance counting double (up and down only within a narrow
// cone). `from` need not be among `places` (it may have just gone away).
// Returns `from` when nothing lies that way.
Place NextPlace(const std::vector<Place>& places, Place from, TableKey key);

class KeyboardPlay {
  public:
    KeyboardPlay(const Table& table, const CardGestures& gestures, TableHandlers& handlers)
        : t_(table), gestures_(gestures), h_(handlers) {}

    // A table key pressed. The first key while the focus is not shown only
    // shows it (on the stock the first time); a key during a mouse gesture
    // only ends that gesture.
    void Key(TableKey key);
    // A direct key: straight to a place (a column, the pile, the stock; a
    // foundation the keys may not use stands for the first they may). Read
    // again when the focus is there already.
    void JumpTo(Place target);
    // A table key released: the end of a peek made with Space.
    void KeyReleased(TableKey key);
    // What the last key has to say when the table alone would not tell it:
    // why nothing happened, or why a drop was refused. Empty when the change
    // on the table says it all.
    const std::string& Answer() const { return answer_; }
    // A mouse press anywhere on the window: it ends a keyboard pick-up as a
    // lost grab would and hides the focus.
    void MousePressed();
    // Puts the focus on the top card of `place` (where an undo or redo put
    // the card it moved), shown only if it was shown. Stays where it is when
    // the keys hold a card or `place` cannot take the focus.
    void FocusOn(Place place);
    // Puts the focus back on a place that exists, after the table changed
    // without a key (a new deal, a gesture broken off).
    void Settle();

    // For the focus ring and the accessible names.
    std::optional<Place> Focus() const { return focus_; }
    // The covered column card the focus went down to (Up and Down move along
    // a column's cards), 0 while the focus is on a place as a whole.
    int16_t FocusedCard() const;
    bool FocusShown() const { return shown_ && focus_.has_value(); }
    // The card held by a keyboard pick-up, 0 when none.
    int16_t HeldCard() const;
    bool Holding() const { return HeldCard() != 0; }
    // Called whenever the focus moves to a place or a card (also when it is
    // first shown).
    std::function<void(Place)> onFocusMoved;

    // Where the places can be reached now: the focusable places, or while a
    // card is held the drop targets (the columns, then the foundation strip
    // as the held card's own foundation).
    std::vector<Place> Places() const;

  private:
    void MoveFocus(Place to);
    // Up and Down along the focused column's cards; false when there is none that way.
    bool MoveAlongColumn(TableKey key);
    void EndPeek();
    void Act(TableKey key);
    void PickUp(int16_t card);
    void FollowFocus();
    void DropHere();
    void ReturnHome();
    // The table position the held card is carried to over `target`.
    PxRect SpotFor(Place target) const;

    const Table& t_;
    const CardGestures& gestures_;
    TableHandlers& h_;
    std::optional<Place> focus_;
    bool shown_ = false;
    // The card the keys picked up; it is held while the gesture lasts.
    int16_t held_ = 0;
    Place origin_;        // where the held card was taken from
    int16_t row_ = 0;     // the focused column's row of FocusedCard(), 0 for none
    int16_t peeked_ = 0;  // the card a held Space shows whole
    std::string answer_;
};

}  // namespace tarvo
