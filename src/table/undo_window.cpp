// Undo and redo on the window: the saved table comes back, and everything
// else follows as after a handler.

#include <memory>

#include "access/hint_speech.h"
#include "access/keyboard_window.h"
#include "access/table_accessible.h"
#include "app/form1.h"
#include "model/table_places.h"
#include "table/table_surface.h"

namespace tarvo {

namespace {

bool Won(const Table& t) {
    return t.FoundTop[1] + t.FoundTop[2] + t.FoundTop[3] + t.FoundTop[4] == 100;
}

}  // namespace

void Form1::ForgetMoves() {
    history_.Clear();
    RestoreState(rest_, table_);
    TableMoved();
}

void Form1::UndoKey(bool redo) {
    // A card held by the mouse goes home as after a lost grab, and that is all.
    if (gestures_.HeldButtons() != 0 || table_.Dragging != 0) {
        GestureBrokenOff();
        return;
    }
    auto before = std::make_unique<Table>();
    RestoreState(*before, table_);
    if (!(redo ? history_.Redo(table_) : history_.Undo(table_))) {
        // Every key answers, this one too.
        accessibility_->Say(redo ? "Nothing to redo" : "Nothing to undo");
        return;
    }
    RestoreState(rest_, table_);
    TableMoved();
    surface_->SetMazzoShown(StockShown(table_));
    // The focus goes to the card that moved, before the table tells of the change.
    if (const int16_t moved = MovedCard(*before, table_); moved != 0 && keyboard_)
        Keyboard().FocusOn(PlaceOfCard(table_, moved));
    // Told once, as an undo, not as the moves it reverses.
    accessibility_->SayNextChangeAs(UndoAnnouncement(*before, table_, redo));
    // The saved drawing order is older than the one shown: restack every card.
    shownZ_.fill(0);
    SyncCards();
    // The ring over the cards just restacked.
    if (keyboard_) keyboard_->Settle();
    ClickSound();
    // As the rules call it when the fourth suit is completed.
    if (redo && Won(table_) && !Won(*before) && table_.Finale) table_.Finale();
}

}  // namespace tarvo
