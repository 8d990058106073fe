// The keyboard on the real window, through Qt's own key path: a whole game
// won with keys alone, the focus ring, and keys and mouse ending each other's
// gestures.

#include <QWindow>
#include <QtTest>

#include "access/focus_ring.h"
#include "access/keyboard_play.h"
#include "form_harness.h"
#include "solver.h"
#include "table/table_surface.h"

using namespace tarvo;

namespace {

using testing::FocusedOn;
using testing::Key;
using testing::TabTo;

// Along the row of columns with the arrows (from the right-hand places, Left
// comes to them).
bool ArrowTo(Form1& form, int16_t column) {
    const Place want{PlaceKind::Column, column};
    for (int i = 0; i < 12 && !FocusedOn(form, want); ++i) {
        const Place at = *form.Keyboard().Focus();
        const bool right = at.kind == PlaceKind::Column && at.index < column;
        Key(form, right ? Qt::Key_Right : Qt::Key_Left);
    }
    return FocusedOn(form, want);
}

Place PlaceOf(const Table& t, int16_t card) {
    for (Place p : FocusablePlaces(t))
        if (TopCard(t, p) == card) return p;
    return {PlaceKind::Stock, 0};
}

QWidget* Ring(Form1& form) {
    return form.Surface()->findChild<FocusRing*>(QStringLiteral("FocusRing"));
}

// The ring's band just outside the card, kept inside the table.
QRect RingAround(Form1& form, int16_t card) {
    const Table& t = form.table();
    const QRect place(qRound(t.Carta[card].Left), qRound(t.Carta[card].Top), qRound(kCardWidthPx),
                      qRound(kCardHeightPx));
    return place.adjusted(-kFocusRingPx, -kFocusRingPx, kFocusRingPx, kFocusRingPx)
        .intersected(form.Surface()->rect());
}

}  // namespace

class WindowKeysTest : public QObject {
    Q_OBJECT

  private slots:
    // A line found by the searching player, played with Tab, the arrows,
    // Return and Space only; the widgets and the ring checked after each move.
    void winAGameWithTheKeyboard() {
        const auto [seed, line] = testing::FindWinnableDeal(7200, 199, 1500);
        QVERIFY(!line.empty());
        testing::FormHarness h;
        QVERIFY(h.ShowAndDealAt(seed));
        Form1& form = h.form();
        const Table& t = form.table();
        int turns = 0;
        for (const testing::Move& m : line) {
            QString why;
            switch (m.kind) {
                case testing::Move::kStock:
                    QVERIFY(TabTo(form, {PlaceKind::Stock, 0}));
                    Key(form, ++turns % 2 ? Qt::Key_Return : Qt::Key_Space);
                    QCOMPARE(t.CurCard, m.card);
                    break;
                case testing::Move::kFoundation:
                    QVERIFY(TabTo(form, PlaceOf(t, m.card)));
                    Key(form, Qt::Key_Return);
                    QCOMPARE(t.FoundTop[suitOf(m.card)], m.card);
                    break;
                case testing::Move::kColumn:
                    QVERIFY(TabTo(form, PlaceOf(t, m.card)));
                    Key(form, Qt::Key_Space);
                    QCOMPARE(t.Carta[m.card].Mark, std::string("n"));
                    QVERIFY(ArrowTo(form, m.column));
                    // The card follows the focus, and the ring is around it.
                    QCOMPARE(Ring(form)->geometry(), RingAround(form, m.card));
                    Key(form, Qt::Key_Space);
                    QCOMPARE(t.Columns[m.column][t.ColumnHeight(m.column)], m.card);
                    break;
            }
            QVERIFY2(testing::WidgetsAtModelPlaces(form, &why), qPrintable(why));
            QVERIFY2(testing::ColumnsStackedInRowOrder(form, &why), qPrintable(why));
            QVERIFY(Ring(form)->isVisible());
            const int16_t top = TopCard(t, *form.Keyboard().Focus());
            if (top != 0) QCOMPARE(Ring(form)->geometry(), RingAround(form, top));
        }
        QVERIFY(testing::Won(t));
        QCOMPARE(h.wins(), 1);
    }

    // Until a key is used the table is as it always was; a key rings the
    // stock and changes nothing else; a press on the bare table hides it.
    void ringShownByAKeyHiddenByAPress() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        const QImage before = form.Surface()->grab().toImage();
        QVERIFY(!Ring(form)->isVisible());

        Key(form, Qt::Key_Tab);
        QVERIFY(FocusedOn(form, {PlaceKind::Stock, 0}));
        const QRect ring = form.Surface()->Mazzo().adjusted(-kFocusRingPx, -kFocusRingPx,
                                                            kFocusRingPx, kFocusRingPx);
        QCOMPARE(Ring(form)->geometry(), ring);
        const QImage shown = form.Surface()->grab().toImage();
        QCOMPARE(shown.size(), before.size());
        int changed = 0, yellow = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixel(x, y) == before.pixel(x, y)) continue;
                ++changed;
                yellow += QColor(shown.pixel(x, y)).rgb() == QColor(kFocusYellow).rgb();
                QVERIFY2(ring.contains(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                // Only the ring's band: the stock inside it is untouched.
                QVERIFY(!ring.adjusted(kFocusRingPx, kFocusRingPx, -kFocusRingPx, -kFocusRingPx)
                             .contains(x, y));
            }
        }
        QVERIFY(yellow > 0 && changed > 0);

        h.Click(form.Surface(), QPoint(300, 430));
        QVERIFY(!Ring(form)->isVisible());
        QCOMPARE(form.Surface()->grab().toImage(), before);
        // The next key shows the focus where it was.
        Key(form, Qt::Key_Right);
        QVERIFY(FocusedOn(form, {PlaceKind::Stock, 0}));
    }

    // Up goes down a column's cards to a covered one, rung where it lies;
    // Space held shows it whole, as the right button does, until released.
    void aHeldSpacePeeksACoveredCard() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        const Table& t = form.table();
        QVERIFY(t.ColumnHeight(1) >= 2);
        Key(form, Qt::Key_1);  // the direct key of column 1
        QVERIFY(FocusedOn(form, {PlaceKind::Column, 1}));
        Key(form, Qt::Key_Up);
        const int16_t covered = t.Columns[1][t.ColumnHeight(1) - 1];
        QCOMPARE(form.Keyboard().FocusedCard(), covered);
        QCOMPARE(Ring(form)->geometry(), RingAround(form, covered));
        // A point of its face that the card below it hides.
        const QPoint hidden = form.Carta[covered]->geometry().center() + QPoint(0, 30);
        QVERIFY(form.Surface()->childAt(hidden) != form.Carta[covered]);
        QTest::keyPress(form.windowHandle(), Qt::Key_Space);
        QCOMPARE(form.Surface()->childAt(hidden), form.Carta[covered]);
        QTest::keyRelease(form.windowHandle(), Qt::Key_Space);
        QVERIFY(form.Surface()->childAt(hidden) != form.Carta[covered]);
        QString why;
        QVERIFY2(testing::ColumnsStackedInRowOrder(form, &why), qPrintable(why));
    }

    void keysAndMouseEndEachOthersGestures() {
        testing::FormHarness h;
        QVERIFY(h.ShowAndDeal());
        Form1& form = h.form();
        const Table& t = form.table();
        int16_t col = 1;
        while (t.ColumnHeight(col) == 0)
            ++col;
        const int16_t card = TopCard(t, {PlaceKind::Column, col});
        const QPoint home(qRound(t.Carta[card].Left), qRound(t.Carta[card].Top));

        // A keyboard pick-up, then a press on the bare table: the card is home.
        QVERIFY(TabTo(form, {PlaceKind::Column, col}));
        Key(form, Qt::Key_Space);
        Key(form, Qt::Key_Right);
        QVERIFY(form.Keyboard().Holding());
        QVERIFY(form.Carta[card]->pos() != home);
        h.Click(form.Surface(), QPoint(300, 430));
        QVERIFY(!form.Keyboard().Holding());
        QCOMPARE(form.Carta[card]->pos(), home);
        QCOMPARE(t.Dragging, kFalse);
        QCOMPARE(t.Carta[card].Mark, std::string("a"));

        // A mouse drag, then a key: the drag is over, the release moves nothing.
        const QPoint grab = home + QPoint(20, 20);
        h.Press(form.Carta[card], QPoint(20, 20));
        QTest::mouseMove(form.windowHandle(), h.OnWindow(form.Surface(), grab + QPoint(150, 40)));
        QVERIFY(form.Carta[card]->pos() != home);
        Key(form, Qt::Key_Return);
        QCOMPARE(form.Carta[card]->pos(), home);
        QCOMPARE(t.Dragging, kFalse);
        QVERIFY2(!Ring(form)->isVisible(), "that key only ended the drag");
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {},
                            h.OnWindow(form.Surface(), grab + QPoint(160, 40)));
        QCOMPARE(form.Carta[card]->pos(), home);
        QString why;
        QVERIFY2(testing::WidgetsAtModelPlaces(form, &why), qPrintable(why));
    }
};

QTEST_MAIN(WindowKeysTest)
#include "window_keys_test.moc"
