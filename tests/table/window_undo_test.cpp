// Undo, redo and the hint on the real window: after every move of a won deal, Ctrl+Z
// shows exactly the table from before it (drawing order and stock
// included), Ctrl+Y the one after it; undoing the win and winning again
// celebrates again.

#include <QTest>
#include <array>
#include <memory>

#include "access/keyboard_play.h"
#include "form_harness.h"
#include "model/table_places.h"
#include "solver.h"
#include "table/table_surface.h"

namespace tarvo {

class WindowUndoTest : public QObject {
    Q_OBJECT

  private slots:
    void everyMoveOfAWonDealUndoneAndRedone() {
        testing::FormHarness h;
        h.table().TimeOfDay = [] { return 1001.0; };
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        int wins = 0;
        form.table().Finale = [&, finale = form.table().Finale] {
            ++wins;
            finale();
        };
        solver::Position start;
        std::string error;
        QVERIFY(solver::FromTable(form.table(), start, error));
        const solver::Result won = solver::Solver().Solve(start);
        QCOMPARE(won.verdict, solver::Verdict::kWon);
        auto shot = [&] { return form.Surface()->grab().toImage(); };
        auto key = [&](Qt::Key k, Qt::KeyboardModifiers m) {
            QTest::keyClick(form.windowHandle(), k, m);
        };

        for (const solver::Move& m : won.line) {
            const QImage before = shot();
            QVERIFY(testing::Replay(form.table(), {m}).empty());
            // As the stock's handler does when its last card is turned.
            form.Surface()->SetMazzoShown(StockShown(form.table()));
            form.SyncCards();
            const QImage after = shot();
            key(Qt::Key_Z, Qt::ControlModifier);
            QVERIFY(shot() == before);
            key(m.card % 2 ? Qt::Key_Y : Qt::Key_Z,
                m.card % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(shot() == after);
        }
        // The winning move was made, undone and redone: two wins.
        QVERIFY(testing::Won(form.table()));
        QCOMPARE(wins, 2);
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!testing::Won(form.table()));
        key(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(testing::Won(form.table()));
        QCOMPARE(wins, 3);
        QString why;
        QVERIFY2(testing::WidgetsAtModelPlaces(form, &why), qPrintable(why));
    }

    // H brings the keyboard focus to the card of a move that keeps the deal
    // won; a key held card only goes home.
    void hintFocusesAWinningMove() {
        testing::FormHarness h;
        h.table().TimeOfDay = [] { return 1001.0; };
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        solver::Position now;
        std::string error;
        QVERIFY(solver::FromTable(form.table(), now, error));
        const solver::Hint hint =
            solver::HintFinder({.nodeBudget = solver::kHintBudgetNodes}).Find(now, {});
        QCOMPARE(hint.kind, solver::HintKind::kMove);
        const Place from = hint.move.from == solver::Where::kStock
                               ? Place{PlaceKind::Stock, 0}
                               : PlaceOfCard(form.table(), hint.move.card);
        QTest::keyClick(form.windowHandle(), Qt::Key_H);
        QTRY_VERIFY(form.Keyboard().FocusShown() && *form.Keyboard().Focus() == from);
    }

    // Shift+F2 deals, through the game's own shuffle, a deal the solver wins.
    void shiftF2DealsADealThatCanBeWon() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        const auto first = std::to_array(form.table().Deck);
        QTest::keyClick(form.windowHandle(), Qt::Key_F2, Qt::ShiftModifier);
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
