// H on the window: the solver's worker follows the table once the player has
// asked for a hint; its answer comes back to the window's thread.

#include <QAction>
#include <QMetaObject>
#include <chrono>

#include "access/hint_marks.h"
#include "access/hint_speech.h"
#include "access/keyboard_window.h"
#include "access/table_accessible.h"
#include "app/form1.h"
#include "model/table_places.h"
#include "table/table_surface.h"

namespace tarvo {

void Form1::HintKey() {
    // A card held by the mouse goes home as after a lost grab, and that is all.
    if (gestures_.HeldButtons() != 0 || table_.Dragging != 0) {
        GestureBrokenOff();
        return;
    }
    if (lastHint_ && lastHint_->first == generation_) {
        ShowHint(lastHint_->second);
        return;
    }
    hintWanted_ = true;
    FeedSolver();
}

void Form1::TableMoved() {
    ++generation_;
    hintWanted_ = false;
    if (hintMarks_) hintMarks_->Hide();
    // Nothing runs for a player who never asked.
    if (solver_) FeedSolver();
}

void Form1::EnsureSolver() {
    if (solver_) return;
    solver_ = std::make_unique<solver::SolverWorker>(
        [this](uint64_t generation, const solver::Hint& hint) {
            QMetaObject::invokeMethod(
                this, [this, generation, hint] { HintFound(generation, hint); },
                Qt::QueuedConnection);
        },
        [this](std::optional<solver::Deck> deck) {
            QMetaObject::invokeMethod(
                this, [this, deck] { WinnableDealFound(deck); }, Qt::QueuedConnection);
        });
}

void Form1::WinnableDealKey() {
    EnsureSolver();
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    solver_->AskDeal(static_cast<uint64_t>(now));
    // From now on it follows the table too.
    FeedSolver();
}

void Form1::WinnableDealFound(std::optional<solver::Deck> deck) {
    // Not during the title pause, nor after the window was closed.
    if (unloaded_ || !Nuova->isEnabled()) return;
    if (!deck) {
        const std::string said = "No deal that can be won was found";
        Marks().Show({}, QString::fromStdString(said), {});
        accessibility_->Say(said);
        return;
    }
    // Dealt as "shuffle cards" deals, from a source that draws this deck.
    auto random = std::move(table_.Random);
    table_.Random = solver::DeckSource(*deck);
    Nuova_Click();
    table_.Random = std::move(random);
}

void Form1::FeedSolver() {
    EnsureSolver();
    solver::HintJob job{generation_, {}, {}};
    std::string error;
    if (!solver::FromTable(rest_, job.now, error)) return;
    for (size_t back = 1; back <= history_.UndoCount(); ++back) {
        solver::Position p;
        if (!solver::FromTable(history_.Before(back), p, error)) break;
        job.earlier.push_back(p);
    }
    solver_->Feed(std::move(job));
}

void Form1::HintFound(uint64_t generation, const solver::Hint& hint) {
    if (generation != generation_) return;
    lastHint_ = {generation, hint};
    if (!hintWanted_) return;
    hintWanted_ = false;
    ShowHint(hint);
}

HintMarks& Form1::Marks() {
    if (!hintMarks_) hintMarks_ = new HintMarks(this, surface_);
    return *hintMarks_;
}

void Form1::ShowHint(const solver::Hint& hint) {
    const std::string said = HintAnnouncement(table_, hint, !hintGiven_);
    // Shown when there is no move, and once a run with what the hint knows.
    const QString sign = hint.kind == solver::HintKind::kMove && hintGiven_
                             ? QString()
                             : QString::fromStdString(said);
    QRect target, card;
    if (hint.kind == solver::HintKind::kMove) {
        const solver::Move& m = hint.move;
        const Place from = m.from == solver::Where::kStock ? Place{PlaceKind::Stock, 0}
                                                           : PlaceOfCard(table_, m.card);
        const Place to = m.to == solver::Where::kFoundation
                             ? Place{PlaceKind::Foundation, suitOf(m.card)}
                         : m.to == solver::Where::kColumn ? Place{PlaceKind::Column, m.toColumn}
                                                          : Place{PlaceKind::StockPile, 0};
        if (keyboard_) keyboard_->ShowHint(from);
        target = ToQRect(LandingRect(table_, to));
        card = m.from == solver::Where::kStock ? surface_->Mazzo() : Carta[m.card]->geometry();
    }
    Marks().Show(target, sign, card);
    accessibility_->Say(said);
    hintGiven_ = true;
}

}  // namespace tarvo
