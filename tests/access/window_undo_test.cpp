// Undo, redo and the hint on the real window, played with keys: after every
// move of a won deal, Ctrl+Z shows exactly the table from before it (drawing
// order, stock and focus ring included), Ctrl+Y the one after it; undoing
// the win and winning again celebrates again. H marks a move that keeps the
// deal won, or says why there is none, and leaves no trace.

#include <QTest>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "access/focus_ring.h"
#include "access/hint_marks.h"
#include "access/hint_speech.h"
#include "access/keyboard_play.h"
#include "form_harness.h"
#include "model/table_places.h"
#include "solver.h"
#include "solver/hint.h"
#include "table/table_surface.h"

namespace tarvo {

namespace {

using testing::Key;

std::string PositionText(const Table& t) {
    solver::Position p;
    std::string error;
    return solver::FromTable(t, p, error) ? solver::ToText(p) : error;
}

solver::Hint HintOn(const Table& t, const std::vector<solver::Position>& earlier = {}) {
    solver::Position now;
    std::string error;
    solver::FromTable(t, now, error);
    return solver::HintFinder({.nodeBudget = solver::kHintBudgetNodes}).Find(now, earlier);
}

QRect Ringed(const PxRect& place) {
    return ToQRect(place).adjusted(-kFocusRingPx, -kFocusRingPx, kFocusRingPx, kFocusRingPx);
}

}  // namespace

class WindowUndoTest : public QObject {
    Q_OBJECT

  private slots:
    void everyMoveOfAWonDealUndoneAndRedone() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDealAt(1001.0));
        Form1& form = h.form();
        const Table& t = form.table();
        solver::Position start;
        std::string error;
        QVERIFY(solver::FromTable(t, start, error));
        const solver::Result won = solver::Solver().Solve(start);
        QCOMPARE(won.verdict, solver::Verdict::kWon);
        auto shot = [&] { return form.Surface()->grab().toImage(); };
        // A hand on the mouse undoes with no focus ring showing up.
        const QImage dealt = shot();
        h.Click(form.Surface(), form.Surface()->Mazzo().center());
        QCOMPARE(t.StockNext, kFirstStockIndex + 1);
        Key(form, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shot(), dealt);
        bool peeked = false;

        for (const solver::Move& m : won.line) {
            QVERIFY(testing::FocusFor(form, m));
            const QImage before = shot();
            QVERIFY(testing::PlayByKeys(form, m));
            const std::string after = PositionText(t);
            const int16_t under = m.from == solver::Where::kColumn
                                      ? TopCard(t, {PlaceKind::Column, m.fromColumn})
                                      : 0;
            Key(form, Qt::Key_Z, Qt::ControlModifier);
            // The focus ring is back on the card (or the stock) too.
            QVERIFY(shot() == before);
            if (!peeked && under != 0) {
                // A peek after an undo shows the card the returned one covers,
                // as the mouse's peek always does, and restores the column.
                peeked = true;
                const QPoint hidden = form.Carta[under]->geometry().center() + QPoint(0, 30);
                QVERIFY(form.Surface()->childAt(hidden) != form.Carta[under]);
                h.Press(form.Carta[under], QPoint(20, 10), Qt::RightButton);
                QCOMPARE(form.Surface()->childAt(hidden), form.Carta[under]);
                h.Release(form.Carta[under], QPoint(20, 10), Qt::RightButton);
                QString why;
                QVERIFY2(testing::ColumnsStackedInRowOrder(form, &why), qPrintable(why));
            }
            Key(form, m.card % 2 ? Qt::Key_Y : Qt::Key_Z,
                m.card % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(PositionText(t), after);
            const Place moved = PlaceOfCard(t, m.card);
            if (std::ranges::count(FocusablePlaces(t), moved) != 0)
                QVERIFY(form.Keyboard().Focus() == moved);
        }
        QVERIFY(peeked);
        // The winning move was made, undone and redone: two wins.
        QVERIFY(testing::Won(t));
        QCOMPARE(h.wins(), 2);
        Key(form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!testing::Won(t));
        Key(form, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(testing::Won(t));
        QCOMPARE(h.wins(), 3);
        QString why;
        QVERIFY2(testing::WidgetsAtModelPlaces(form, &why), qPrintable(why));
    }

    // H on a fresh deal: the focus on the card of a move that keeps the deal
    // won and a mark on where it goes, or a sign saying why there is none.
    // A key or a press puts them away, leaving the table as it was.
    void hintMarksAMoveOrSaysWhyNot() {
        const struct {
            double deal;
            QString sign;  // empty: a move is shown
        } rows[] = {
            {1001.0, {}},
            {1014.0, QStringLiteral("This deal could not be won from the start")},
            {1008.0, QStringLiteral("No hint: the solver could not decide this position in time")},
        };
        for (const auto& row : rows) {
            testing::FormHarness h;
            QVERIFY(h.ShowAndDealAt(row.deal));
            Form1& form = h.form();
            const Table& t = form.table();
            const QImage before = form.Surface()->grab().toImage();
            const solver::Hint hint = HintOn(t);
            QCOMPARE(hint.kind == solver::HintKind::kMove, row.sign.isEmpty());
            Key(form, Qt::Key_H);
            QTRY_VERIFY(form.HintShown() != nullptr);
            const HintMarks& marks = *form.HintShown();
            if (row.sign.isEmpty()) {
                const Place from = hint.move.from == solver::Where::kStock
                                       ? Place{PlaceKind::Stock, 0}
                                       : PlaceOfCard(t, hint.move.card);
                QVERIFY(testing::FocusedOn(form, from));
                const auto* target =
                    form.Surface()->findChild<QWidget*>(QStringLiteral("HintTarget"));
                QVERIFY(marks.TargetShown());
                const Place to = hint.move.to == solver::Where::kColumn
                                     ? Place{PlaceKind::Column, hint.move.toColumn}
                                 : hint.move.to == solver::Where::kPile
                                     ? Place{PlaceKind::StockPile, 0}
                                     : Place{PlaceKind::Foundation, suitOf(hint.move.card)};
                QCOMPARE(target->geometry(), Ringed(LandingRect(t, to)));
                // The first hint of a run says what it knows, the next one not.
                QVERIFY(marks.SignShown());
                QVERIFY(marks.SignText().endsWith(QStringLiteral(", with the stock as dealt")));
                Key(form, Qt::Key_H);
                QVERIFY(marks.TargetShown() && !marks.SignShown());
            } else {
                QVERIFY(!marks.TargetShown());
                QCOMPARE(marks.SignText(), row.sign);
                QVERIFY(marks.SignShown());
            }
            h.Click(form.Surface(), QPoint(300, 430));
            QVERIFY(!marks.TargetShown() && !marks.SignShown());
            QCOMPARE(form.Surface()->grab().toImage(), before);
        }
    }

    // Where a merely legal move loses, H shows another one; once the losing
    // move is made, H says how far back the deal could be won.
    void theHintAvoidsALosingMoveAndCountsBack() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDealAt(1001.0));
        Form1& form = h.form();
        const Table& t = form.table();
        solver::Position now;
        std::string error;
        QVERIFY(solver::FromTable(t, now, error));
        const solver::Result won = solver::Solver().Solve(now);
        std::optional<solver::Move> losing;
        for (const solver::Move& m : won.line) {
            QVERIFY(solver::FromTable(t, now, error));
            for (const solver::MoveVerdict& v :
                 solver::Solver({.nodeBudget = solver::kHintBudgetNodes}).Analyse(now)) {
                if (v.after == solver::Verdict::kLost) losing = v.move;
            }
            if (losing) break;
            QVERIFY(testing::FocusFor(form, m) && testing::PlayByKeys(form, m));
        }
        QVERIFY(losing);
        const solver::Hint good = HintOn(t);
        QCOMPARE(good.kind, solver::HintKind::kMove);
        QVERIFY(!(good.move == *losing));
        Key(form, Qt::Key_H);
        QTRY_VERIFY(form.HintShown() && form.HintShown()->TargetShown());

        QVERIFY(testing::FocusFor(form, *losing) && testing::PlayByKeys(form, *losing));
        QVERIFY(!form.HintShown()->TargetShown());
        Key(form, Qt::Key_H);
        QTRY_VERIFY(form.HintShown()->SignShown());
        QCOMPARE(form.HintShown()->SignText(),
                 QStringLiteral("This deal can no longer be won. It could, one move ago: "
                                "Ctrl+Z once"));
        Key(form, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!form.HintShown()->SignShown());
        Key(form, Qt::Key_H);
        QTRY_VERIFY(form.HintShown()->TargetShown());
    }

    // Shift+F2 deals, through the game's own shuffle, a deal the solver wins.
    void shiftF2DealsADealThatCanBeWon() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        const auto first = std::to_array(form.table().Deck);
        Key(form, Qt::Key_F2, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(std::to_array(form.table().Deck) != first, 60000);
        QVERIFY(h.Dealt());
        solver::Position deal;
        std::string error;
        QVERIFY(solver::FromTable(form.table(), deal, error));
        QCOMPARE(solver::Solver().Solve(deal).verdict, solver::Verdict::kWon);
    }
};

}  // namespace tarvo

QTEST_MAIN(tarvo::WindowUndoTest)
#include "window_undo_test.moc"
