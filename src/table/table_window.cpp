// The window side of the table: the fixed layout, the card widgets following
// the table state, and the mouse handlers handing over to the gestures.

#include <QAction>
#include <QEvent>
#include <algorithm>

#include "access/hint_marks.h"
#include "access/keyboard_window.h"
#include "access/table_accessible.h"
#include "app/form1.h"
#include "model/table_places.h"
#include "table/table_surface.h"

namespace tarvo {

namespace {

// Label5: 2340 twips wide at 15 twips per pixel.
constexpr int kStripLeftPx = 456;
constexpr int kStripWidthPx = 156;

}  // namespace

void Form1::LayoutTable() {
    const QSize card = Carta[1]->size();
    for (int i = 0; i < 4; ++i) {
        surface_->SetOutline(i, QRect(QPoint(kOutlineLeftPx, qRound(foundationTopPx(i + 1))), card),
                             true);
    }
    // The strip's height is the window's height in twips: it always reaches the bottom edge.
    surface_->SetStrip(QRect(kStripLeftPx, 0, kStripWidthPx, height() * 15), true);
    surface_->SetMazzo(QRect(ToQRect(FirstCardRect({PlaceKind::Stock, 0})).topLeft(), card));
    surface_->SetMazzoShown(true);
}

void Form1::SyncCards() {
    for (int16_t i = 1; i <= kCardCount; ++i) {
        const QPoint at(qRound(table_.Carta[i].Left), qRound(table_.Carta[i].Top));
        if (at != shownAt_[i]) {
            Carta[i]->move(at);
            shownAt_[i] = at;
        }
    }
    // Raising in the table's order puts every card brought to the front on top.
    std::array<int16_t, 41> raised{};
    int n = 0;
    for (int16_t i = 1; i <= kCardCount; ++i) {
        if (table_.Carta[i].Z != shownZ_[i]) raised[n++] = i;
    }
    std::sort(raised.begin(), raised.begin() + n,
              [this](int16_t a, int16_t b) { return table_.Carta[a].Z < table_.Carta[b].Z; });
    for (int k = 0; k < n; ++k) {
        Carta[raised[k]]->raise();
        shownZ_[raised[k]] = table_.Carta[raised[k]].Z;
    }
    // Saved at rest, so that an undo shows the table as it was before the move.
    const bool held = gestures_.HeldButtons() != 0 || (keyboard_ && keyboard_->Play().Holding());
    const bool moved = history_.Record(rest_, table_);
    if (moved || !held) RestoreState(rest_, table_);
    if (moved) TableMoved();
    accessibility_->TableChanged();
}

// While a gesture holds a card, the pointer is captured by it: every later
// press, move and release of the gesture comes from that card. One that goes
// anywhere else means the platform lost the capture somewhere (a popup, a
// grab by another program, a double click Qt made of presses on two widgets).
bool Form1::CaptureLost(const QObject* receiver) const {
    return gestures_.HeldButtons() != 0 && receiver != Carta[table_.CurCard];
}

void Form1::PointerEvent(QWidget* receiver, QEvent::Type type) {
    // The gesture ends as a lost grab ends it, before the event goes on.
    if (CaptureLost(receiver)) GestureBrokenOff();
    if (type == QEvent::MouseButtonRelease) return;
    // A press on the stock turns a card at its release, whose sound should
    // not wait for the output to open.
    if (receiver == surface_) sound_->PrepareOutput();
    // A hand on the mouse: the keys' focus goes away until the next key.
    if (receiver->window() == this && keyboard_) keyboard_->MousePressed();
    if (hintMarks_) hintMarks_->Hide();
}

void Form1::Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) {
    sound_->PrepareOutput();  // the release's card sound should not wait for it
    // A press of a button we think is still held: its release never reached us.
    if (gestures_.HeldButtons() & CardGestures::Bit(Button)) GestureBrokenOff();
    gestures_.Carta_MouseDown(Index, Button, Shift, X, Y);
    SyncCards();
}

void Form1::Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) {
    // A held button that the move no longer reports was released where we
    // could not see it: the gesture is over.
    if ((gestures_.HeldButtons() & ~Button & 3) != 0) GestureBrokenOff();
    // Measured on another card, its X and Y would throw ours off.
    if (CaptureLost(Carta[Index])) return;
    gestures_.Carta_MouseMove(Index, Button, Shift, X, Y);
    SyncCards();
}

void Form1::Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) {
    gestures_.Carta_MouseUp(Index, Button, Shift, X, Y);
    SyncCards();
}

void Form1::Carta_Click(int16_t Index) {
    gestures_.Carta_Click(Index);
}

void Form1::Carta_DblClick(int16_t Index) {
    gestures_.Carta_DblClick(Index);
}

void Form1::mazzo_Click() {
    gestures_.mazzo_Click();
    SyncCards();
}

void Form1::GestureBrokenOff() {
    gestures_.GestureBrokenOff();
    SyncCards();
    if (keyboard_) keyboard_->Settle();
}

void Form1::HideMazzo() {
    surface_->SetMazzoShown(false);
}

void Form1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) {
        FollowFrame();
    } else {
        GestureBrokenOff();
    }
}

}  // namespace tarvo
