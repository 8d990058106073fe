#pragma once
// The moves of one deal, for undo and redo: the table as it was before each
// move that changed it, and as it was before each undo. A move is whatever a
// handler did to the cards (a drop, a send-up, a stock turn) together with
// the aces that then went up by themselves. Unlimited within a deal.

#include <vector>

#include "model/table.h"

namespace tarvo {

// Whether the cards lie differently: the columns, the foundations or the stock.
bool CardsMoved(const Table& before, const Table& after);

// `to` takes the table state of `from` and keeps its own callbacks
// (Finale, TimeOfDay, Random), which belong to the window, not to a state.
void RestoreState(Table& to, const Table& from);

class History {
  public:
    // A new deal: nothing to undo or redo.
    void Clear();
    // After a handler: records `before` if the cards moved, and then forgets
    // what could be redone. Returns whether it recorded a move.
    bool Record(const Table& before, const Table& after);
    // Puts `t` back to before its last move; false when there is none.
    bool Undo(Table& t);
    // Makes again the move undone last; false when there is none.
    bool Redo(Table& t);

    size_t UndoCount() const { return past_.size(); }
    size_t RedoCount() const { return future_.size(); }
    // The table `back` moves ago (1: before the last move), back <= UndoCount().
    const Table& Before(size_t back) const { return past_[past_.size() - back]; }

  private:
    std::vector<Table> past_;    // oldest first
    std::vector<Table> future_;  // the next redo last
};

}  // namespace tarvo
