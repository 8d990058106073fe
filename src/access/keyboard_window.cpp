#include "access/keyboard_window.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <optional>

#include "access/focus_ring.h"
#include "access/table_accessible.h"
#include "access/table_speech.h"
#include "app/form1.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

namespace tarvo {

namespace {

// The keys that play on the table; with Ctrl, Alt or Meta they belong to
// someone else (the menus' access keys among them).
std::optional<TableKey> TableKeyOf(const QKeyEvent& e) {
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    const bool shift = e.modifiers() & Qt::ShiftModifier;
    switch (e.key()) {
        case Qt::Key_Tab:
            return shift ? TableKey::BackTab : TableKey::Tab;
        case Qt::Key_Backtab:
            return TableKey::BackTab;
        case Qt::Key_Left:
            return TableKey::Left;
        case Qt::Key_Right:
            return TableKey::Right;
        case Qt::Key_Up:
            return TableKey::Up;
        case Qt::Key_Down:
            return TableKey::Down;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return TableKey::Return;
        case Qt::Key_Space:
            return TableKey::Space;
        case Qt::Key_Escape:
            return TableKey::Escape;
        case Qt::Key_R:
            return TableKey::Read;
        default:
            return {};
    }
}

// Direct keys: 1 to 7 the columns, F the foundations, P the pile, S the stock.
std::optional<Place> DirectPlaceOf(const QKeyEvent& e) {
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    const int k = e.key();
    if (k >= Qt::Key_1 && k <= Qt::Key_7)
        return Place{PlaceKind::Column, static_cast<int16_t>(k - Qt::Key_1 + 1)};
    if (k == Qt::Key_F) return Place{PlaceKind::Foundation, 1};
    if (k == Qt::Key_P) return Place{PlaceKind::StockPile, 0};
    if (k == Qt::Key_S) return Place{PlaceKind::Stock, 0};
    return {};
}

}  // namespace

TableKeyboard::TableKeyboard(Form1& form)
    : form_(form),
      play_(form.table(), form.Gestures(), form),
      ring_(new FocusRing(form.Surface())) {
    // Keys reach the window itself: nothing on the table takes the focus.
    form_.installEventFilter(this);
    // Escape on a panel that has the keys does what a click on its text
    // does; a card the keys hold still goes back.
    form.Text2->onEscape = [this] { PanelEscape(&Form1::Text2_Click); };
    form.Text3->onEscape = [this] { PanelEscape(&Form1::Text3_Click); };
    form.Text4->onEscape = [this] { PanelEscape(&Form1::Text4_Click); };
}

void TableKeyboard::PanelEscape(void (Form1::*click)()) {
    (form_.*click)();
    if (play_.Holding()) play_.Key(TableKey::Escape);
    ShowFocus();
}

KeyboardPlay& Form1::Keyboard() {
    return keyboard_->Play();
}

void TableKeyboard::Settle() {
    play_.Settle();
    ShowFocus();
}

void TableKeyboard::MousePressed() {
    play_.MousePressed();
    ShowFocus();
}

bool TableKeyboard::eventFilter(QObject* watched, QEvent* e) {
    if (watched != &form_) return false;
    if (e->type() == QEvent::KeyPress) return TableKeyPressed(static_cast<QKeyEvent*>(e));
    if (e->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->isAutoRepeat()) return false;
    if (const std::optional<TableKey> k = TableKeyOf(*key)) {
        play_.KeyReleased(*k);
        ShowFocus();
    }
    return false;
}

bool TableKeyboard::TableKeyPressed(QKeyEvent* e) {
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool undo = e->key() == Qt::Key_Z && mods == Qt::ControlModifier;
    const bool redo =
        (e->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (e->key() == Qt::Key_Y && mods == Qt::ControlModifier);
    const bool hint = e->key() == Qt::Key_H && mods == Qt::NoModifier;
    const bool winnable = e->key() == Qt::Key_F2 && mods == Qt::ShiftModifier;
    if (winnable && form_.Nuova->isEnabled() && !QApplication::activePopupWidget()) {
        form_.WinnableDealKey();
        return true;
    }
    if ((undo || redo || hint) && form_.Nuova->isEnabled() && !QApplication::activePopupWidget()) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus != &form_) return false;
        if (play_.Holding()) {
            // A card the keys carry goes home, and that is all.
            play_.Key(TableKey::Escape);
            ShowFocus();
        } else if (hint) {
            form_.HintKey();
        } else {
            form_.UndoKey(redo);
        }
        return true;
    }
    const std::optional<TableKey> key = TableKeyOf(*e);
    const std::optional<Place> jump = DirectPlaceOf(*e);
    const bool help = e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier;
    // Not before the first deal, and not while a menu has the keyboard.
    if ((!key && !jump && !help) || !form_.Nuova->isEnabled() || QApplication::activePopupWidget())
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != &form_) return false;
    if (help) {
        form_.Accessibility().Say(KeyList());
        return true;
    }
    // A held Space peeks once: its repeats are no new presses.
    if (e->isAutoRepeat() && key == TableKey::Space) return true;
    if (QGuiApplication::mouseButtons() != Qt::NoButton && !play_.Holding()) {
        // A hand still on the mouse: the key ends its gesture, and that is all.
        if (form_.Gestures().HeldButtons() != 0) form_.GestureBrokenOff();
        return true;
    }
    TableAccessibility& news = form_.Accessibility();
    news.HoldNews();
    const std::optional<Place> before = play_.FocusShown() ? play_.Focus() : std::nullopt;
    const bool onPlace = play_.FocusedCard() == 0;
    if (jump) {
        play_.JumpTo(*jump);
    } else {
        play_.Key(*key);
    }
    ShowFocus();
    if (key == TableKey::Read && play_.FocusShown()) news.Read(*play_.Focus());
    // A direct key to the place that has the focus reads it again: a screen
    // reader does not speak a focus that stayed where it was.
    if (jump && before && onPlace && play_.Focus() == before) news.SayFocus();
    news.ReleaseNews(play_.Answer());
    return true;
}

void TableKeyboard::ShowHint(Place place) {
    play_.JumpTo(place);
    ShowFocus();
}

void TableKeyboard::ShowFocus() {
    const std::optional<Place> place = play_.Focus();
    if (!play_.FocusShown() || !place) {
        ring_->hide();
        return;
    }
    const Table& t = form_.table();
    const int16_t card = play_.Holding()            ? play_.HeldCard()
                         : play_.FocusedCard() != 0 ? play_.FocusedCard()
                                                    : TopCard(t, *place);
    PxRect r = FirstCardRect(*place);
    if (card != 0) {
        r.left = t.Carta[card].Left;
        r.top = t.Carta[card].Top;
    }
    ring_->Ring(ToQRect(r));
    ring_->show();
    // Over every card, under a panel that is shown.
    ring_->raise();
    for (QWidget* panel : {form_.Text2, form_.Text3, form_.Text4}) {
        if (panel->isVisible()) ring_->stackUnder(panel);
    }
}

}  // namespace tarvo
