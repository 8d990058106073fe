#pragma once
// What the player hears (and reads) for an undo, a redo and a hint. Qt-free.

#include <string>

#include "model/table.h"
#include "solver/hint.h"

namespace tarvo {

// The card a move, undo or redo moved from `before` to `after`: the one the
// player moved, not the aces that went up by themselves with it. 0 for none.
int16_t MovedCard(const Table& before, const Table& after);

// "Undone: 7 of Coppe back to column 2", "Redone: 7 of Coppe to the Coppe
// foundation". `before` and `after` are the table around the undo or redo.
std::string UndoAnnouncement(const Table& before, const Table& after, bool redo);

// "Move 4 of Coppe onto 5 of Spade, column 2", "Turn the stock", or why
// there is no move to show: "This deal can no longer be won. It could, three
// moves ago: Ctrl+Z three times". `first`: the first hint of the run, which
// says that it knows the stock's order.
std::string HintAnnouncement(const Table& t, const solver::Hint& hint, bool first);

}  // namespace tarvo
