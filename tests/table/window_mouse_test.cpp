// The mouse on the real window, through Qt's own input path: drags, double
// clicks, the peek, the stock, and a storm of random events.

#include <QMenu>
#include <QWindow>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <random>

#include "app/form1.h"
#include "form_harness.h"
#include "invariants.h"
#include "positions.h"
#include "real_pointer.h"
#include "solver.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

using namespace tarvo;

namespace {

// The window on the shared harness, dealt with the clock at `timeOfDay`;
// null when no deal came.
Form1* Open(testing::FormHarness& h, double timeOfDay) {
    h.table().TimeOfDay = [timeOfDay] { return timeOfDay; };
    return h.ShowAndDeal() ? &h.form() : nullptr;
}

// Lays out a position on the window's table.
void SetPosition(Form1& form, const std::string& text) {
    Table& t = form.table();
    auto finale = t.Finale;
    t = testing::MakeTable(text);
    t.Finale = finale;
    form.Surface()->SetMazzoShown(t.StockNext <= 40);
    form.SyncCards();
}

QPoint At(Form1& form, float x, float y) {
    return form.Surface()->mapTo(&form, QPoint(qRound(x), qRound(y)));
}

// The card widgets where the table says, and each column stacked in row order.
QStringList WidgetFaults(Form1& form, bool checkStacking = true) {
    QStringList faults;
    const Table& t = form.table();
    for (int16_t i = 1; i <= kCardCount; ++i) {
        const QPoint want(qRound(t.Carta[i].Left), qRound(t.Carta[i].Top));
        if (form.Carta[i]->pos() != want)
            faults << QStringLiteral("card %1 widget off its card").arg(i);
    }
    const QObjectList stack = form.Surface()->children();
    for (int c = 1; checkStacking && c <= kColumnCount; ++c) {
        for (int r = 2; r <= t.ColumnHeight(static_cast<int16_t>(c)); ++r) {
            if (stack.indexOf(form.Carta[t.Columns[c][r - 1]]) >
                stack.indexOf(form.Carta[t.Columns[c][r]])) {
                faults << QStringLiteral("column %1 row %2 stacked behind row %3")
                              .arg(c)
                              .arg(r)
                              .arg(r - 1);
            }
        }
    }
    return faults;
}

// Counts what Qt made double clicks of: on the widget that had the first
// press, or on another one.
class PairCounter : public QObject {
  public:
    int sameWidget = 0, crossWidget = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!o->isWidgetType()) return false;
        if (e->type() == QEvent::MouseButtonDblClick) ++(o == last_ ? sameWidget : crossWidget);
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
            last_ = o;
        }
        return false;
    }

  private:
    QObject* last_ = nullptr;
};

// What a player could tell apart afterwards: every card's place and mark, the
// columns, the foundations, the stock and the panels.
std::string Snapshot(Form1& form) {
    const Table& t = form.table();
    std::string s;
    for (int16_t i = 1; i <= kCardCount; ++i) {
        s += std::to_string(i) + "@" + std::to_string(form.Carta[i]->x()) + "," +
             std::to_string(form.Carta[i]->y()) + t.Carta[i].Mark + " ";
    }
    for (int c = 1; c <= kColumnCount; ++c) {
        for (int r = 1; r <= kColumnRows; ++r)
            s += std::to_string(t.Columns[c][r]) + ",";
    }
    for (int f = 1; f <= kSuitCount; ++f)
        s += " f" + std::to_string(t.FoundTop[f]);
    s += " s" + std::to_string(t.StockNext);
    return s;
}

}  // namespace

// A purposeful drag: a card that may be picked up, onto a place that takes it
// when there is one, else anywhere on the columns or the strip.
template <typename Pick>
void Play(Form1& form, Pick& pick) {
    const Table& t = form.table();
    std::vector<std::pair<int16_t, QPoint>> moves;
    for (int16_t c = 1; c <= kCardCount; ++c) {
        if (t.Carta[c].Mark != "a" || t.Carta[c].Left > kStockPileLeftPx) continue;
        if (t.FoundTop[suitOf(c)] == c - 1) moves.push_back({c, QPoint(490, 200)});
        for (int16_t col = 1; col <= kColumnCount; ++col) {
            const int16_t h = t.ColumnHeight(col);
            const int16_t top = t.Columns[col][h];
            if (h == 0 || (valueOf(top) == valueOf(c) + 1 && isShortSuit(top) != isShortSuit(c))) {
                moves.push_back({c, QPoint(qRound(columnLeftPx(col)) + 30, h * 25 + 30)});
            }
        }
    }
    if (moves.empty()) return;
    const auto [card, target] = moves[pick(static_cast<int>(moves.size()))];
    QWindow* w = form.windowHandle();
    // Pressed on its visible band, 20 pixels into the card.
    const QPoint from = At(form, t.Carta[card].Left + 20, t.Carta[card].Top + 10);
    if (form.Surface()->childAt(form.Surface()->mapFrom(&form, from)) != form.Carta[card]) return;
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, (from + At(form, target.x(), target.y())) / 2);
    QTest::mouseMove(w, At(form, target.x(), target.y()));
    QTest::mouseRelease(w, Qt::LeftButton, {}, At(form, target.x(), target.y()));
}

class WindowMouseTest : public QObject {
    Q_OBJECT

  private slots:
    void dragToAColumnAndBack() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        SetPosition(*form, "c1: 35 2 | c3: 23 | c5: 30 | f: 1 10 20 30");
        QWindow* w = form->windowHandle();
        // Illegal: the 2 of Denari on the 10 of Bastoni returns home.
        QTest::mousePress(w, Qt::LeftButton, {}, At(*form, 20, 40));
        QTest::mouseMove(w, At(*form, 150, 200));
        QTest::mouseMove(w, At(*form, 280, 40));
        QCOMPARE(form->Carta[2]->pos(), QPoint(260, 25));  // the grabbed point under the pointer
        QTest::mouseRelease(w, Qt::LeftButton, {}, At(*form, 280, 40));
        QCOMPARE(form->Carta[2]->pos(), QPoint(0, 25));
        // Legal: onto the 3 of Bastoni.
        QTest::mousePress(w, Qt::LeftButton, {}, At(*form, 20, 40));
        QTest::mouseMove(w, At(*form, 100, 50));
        QTest::mouseMove(w, At(*form, 150, 50));
        QTest::mouseRelease(w, Qt::LeftButton, {}, At(*form, 150, 50));
        QCOMPARE(form->Carta[2]->pos(), QPoint(130, 25));
        QCOMPARE(form->table().Carta[35].Mark, std::string("a"));
        QVERIFY(testing::Violations(form->table()).empty());
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void dropOnTheFoundationStrip() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        SetPosition(*form, "c1: 35 2 | f: 1 10 20 30");
        QWindow* w = form->windowHandle();
        QTest::mousePress(w, Qt::LeftButton, {}, At(*form, 20, 40));
        QTest::mouseMove(w, At(*form, 300, 300));
        QTest::mouseMove(w, At(*form, 490, 420));  // over Spade's place: still Denari's foundation
        QTest::mouseRelease(w, Qt::LeftButton, {}, At(*form, 490, 420));
        QCOMPARE(form->Carta[2]->pos(), QPoint(458, 0));
        QCOMPARE(form->table().FoundTop[1], int16_t(2));
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void doubleClickSendsACardUp() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        SetPosition(*form, "c1: 35 2 | c2: 3 | f: 1 10 20 30");
        QWindow* w = form->windowHandle();
        QTest::mouseDClick(w, Qt::LeftButton, {}, At(*form, 20, 40));
        QCOMPARE(form->table().FoundTop[1], int16_t(2));
        QTest::mouseDClick(w, Qt::LeftButton, {}, At(*form, 90, 40));
        QCOMPARE(form->table().FoundTop[1], int16_t(3));
        QCOMPARE(form->Carta[3]->pos(), QPoint(458, 0));
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void rightButtonPeek() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        SetPosition(*form, "c2: 30 29 28 27");
        QWindow* w = form->windowHandle();
        QWidget* table = form->Surface();
        QTest::mousePress(w, Qt::RightButton, {}, At(*form, 80, 30));
        QCOMPARE(table->childAt(80, 60), form->Carta[29]);
        QTest::mouseRelease(w, Qt::RightButton, {}, At(*form, 80, 30));
        QCOMPARE(table->childAt(80, 60), form->Carta[28]);
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void twelveStockClicksHideTheStock() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        QWindow* w = form->windowHandle();
        const QPoint stock = At(*form, 570, 350);
        for (int i = 0; i < 12; ++i) {
            QVERIFY(form->Surface()->MazzoShown());
            // Every other pair at double-click pace: each press and release turns a card.
            if (i % 4 == 1) {
                QTest::mouseDClick(w, Qt::LeftButton, {}, stock);
                ++i;
            } else {
                QTest::mouseClick(w, Qt::LeftButton, {}, stock);
            }
            QCOMPARE(form->table().StockNext, int16_t(30 + i));
        }
        QVERIFY(!form->Surface()->MazzoShown());
        QTest::mouseClick(w, Qt::LeftButton, {}, stock);
        QCOMPARE(form->table().StockNext, int16_t(41));
        QVERIFY(testing::Violations(form->table()).empty());
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void newGameDuringADragEndsIt() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        QWindow* w = form->windowHandle();
        const int16_t top =
            form->table().Columns[7][1] ? form->table().Columns[7][1] : form->table().Columns[6][1];
        QVERIFY(top != 0);
        const QPoint from =
            At(*form, form->table().Carta[top].Left + 20, form->table().Carta[top].Top + 20);
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QTest::mouseMove(w, from + QPoint(30, 90));
        form->table().TimeOfDay = [] { return 999.0; };
        const std::vector<int16_t> before(std::begin(form->table().Deck),
                                          std::end(form->table().Deck));
        QTest::keyClick(form, Qt::Key_F2);
        QVERIFY(before !=
                std::vector<int16_t>(std::begin(form->table().Deck), std::end(form->table().Deck)));
        QTest::mouseMove(w, from + QPoint(200, 100));
        QTest::mouseRelease(w, Qt::LeftButton, {}, from + QPoint(200, 100));
        QCOMPARE(form->table().Dragging, kFalse);
        QVERIFY(testing::Violations(form->table()).empty());
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void lostGrabSendsTheCardHome() {
        testing::FormHarness h;
        Form1* form = Open(h, 100);
        QVERIFY(form);
        SetPosition(*form, "c1: 35 2 | c3: 23");
        QWindow* w = form->windowHandle();
        QTest::mousePress(w, Qt::LeftButton, {}, At(*form, 20, 40));
        QTest::mouseMove(w, At(*form, 300, 300));
        form->Option->popup(form->mapToGlobal(QPoint(10, 10)));
        form->Option->close();
        QCOMPARE(form->Carta[2]->pos(), QPoint(0, 25));
        QCOMPARE(form->table().Carta[2].Mark, std::string("a"));
        QCOMPARE(form->table().Dragging, kFalse);
        QTest::mouseRelease(w, Qt::LeftButton, {}, At(*form, 150, 40));
        QCOMPARE(form->Carta[2]->pos(), QPoint(0, 25));
    }

    // Two quick presses close together are a double click only on the card
    // that had both. A second press on another widget does what a plain press
    // there does: the table ends as it would with a slow second press. A card
    // whose first press Qt took for the end of a pair still has its own pair.
    void quickSecondPressOnAnotherWidget() {
        struct Step {
            enum Kind { kClick, kDrag, kEnglishRules } kind;
            int gapMs;  // before the step
            QPoint at, to;
        };
        // Twelve cards left to turn, from the 2 of Denari on.
        const char* const fullTable =
            "c1: 1 11 21 31 40 39 38 | c2: 37 36 35 34 33 32 | c3: 30 29 28 27 26 | "
            "c4: 25 24 23 22 | c5: 20 19 18 | c6: 17 16 | c7: 15";
        const struct {
            const char* name;
            const char* position;
            std::vector<Step> steps;
            bool doubleClick;  // the pair is a real double click: the quick one differs
        } rows[] = {
            {"the stock near its top edge, then the card just turned",
             fullTable,
             {{Step::kClick, 0, {560, 307}, {}}, {Step::kClick, 100, {560, 303}, {}}},
             false},
            {"a drag to a column, the bare table, then the dragged card",
             "c1: 35 2 | c3: 23 | f: 0 10 20 30",
             {{Step::kDrag, 0, {20, 40}, {150, 50}},
              {Step::kClick, 300, {150, 130}, {}},
              {Step::kClick, 100, {150, 126}, {}}},
             false},
            {"a card, then its neighbour in the next column",
             "c1: 35 2 | c2: 3 | f: 1 10 20 30",
             {{Step::kClick, 0, {62, 40}, {}}, {Step::kClick, 100, {66, 40}, {}}},
             false},
            {"a panel's text, then the foundation card beside it",
             "c1: 35 4 | f: 2 10 20 30",
             {{Step::kEnglishRules, 0, {}, {}},
              {Step::kClick, 0, {486, 50}, {}},
              {Step::kClick, 100, {490, 50}, {}}},
             false},
            {"the bare table, then a drag from a card beside it",
             "c1: 35 2 | c3: 23 | f: 0 10 20 30",
             {{Step::kClick, 0, {66, 40}, {}}, {Step::kDrag, 100, {62, 40}, {150, 50}}},
             false},
            // Qt pairs the table's press with the card's first one; the
            // card's own second press still makes its double click.
            {"the bare table 4 px below a card, then a double click on it",
             "c1: 35 2 | f: 1 10 20 30",
             {{Step::kClick, 0, {20, 130}, {}},
              {Step::kClick, 250, {20, 126}, {}},
              {Step::kClick, 150, {20, 126}, {}}},
             true},
            {"the stock twice: each press turns a card",
             fullTable,
             {{Step::kClick, 0, {560, 350}, {}}, {Step::kClick, 100, {563, 350}, {}}},
             false},
            {"the same card twice, 4 px apart",
             "c1: 35 2 | f: 1 10 20 30",
             {{Step::kClick, 0, {20, 40}, {}}, {Step::kClick, 150, {24, 40}, {}}},
             true},
        };
        auto play = [](const auto& row, bool slow) {
            testing::FormHarness h;
            Form1* form = Open(h, 100);
            if (!form) return std::pair(std::string("no deal"), std::string("no deal"));
            SetPosition(*form, row.position);
            testing::RealPointer pointer(form->windowHandle());
            pointer.Wait(1000);
            for (const Step& step : row.steps) {
                pointer.Wait(slow ? std::max(step.gapMs, 1000) : step.gapMs);
                const QPoint at = At(*form, step.at.x(), step.at.y());
                switch (step.kind) {
                    case Step::kClick:
                        pointer.Click(at);
                        break;
                    case Step::kDrag: {
                        const QPoint to = At(*form, step.to.x(), step.to.y());
                        pointer.Press(Qt::LeftButton, at);
                        pointer.Wait(50);
                        pointer.Move((at + to) / 2);
                        pointer.Wait(50);
                        pointer.Move(to);
                        pointer.Release(Qt::LeftButton, to);
                        break;
                    }
                    case Step::kEnglishRules:
                        form->Menu_english->trigger();
                        break;
                }
            }
            const auto faults = testing::Violations(form->table());
            return std::pair(Snapshot(*form), faults.empty() ? std::string() : faults.front());
        };
        for (const auto& row : rows) {
            const auto [quick, quickFault] = play(row, false);
            const auto [slow, slowFault] = play(row, true);
            QVERIFY2(quickFault.empty(), row.name);
            QVERIFY2(slowFault.empty(), row.name);
            QVERIFY2((quick != slow) == row.doubleClick, row.name);
        }
    }

    // A whole game won with the mouse alone: a line found by a searching
    // player is played with clicks, double clicks and drags.
    void winAGameWithTheMouse() {
        const auto [seed, line] = testing::FindWinnableDeal(3600, 199, 1500);
        QVERIFY(!line.empty());
        testing::FormHarness h;
        Form1* form = Open(h, seed);
        QVERIFY(form);
        int wins = 0;
        form->table().Finale = [&, finale = form->table().Finale] {
            ++wins;
            finale();
        };
        QWindow* w = form->windowHandle();
        const Table& t = form->table();
        for (const testing::Move& m : line) {
            const QPoint band = At(*form, t.Carta[m.card].Left + 20, t.Carta[m.card].Top + 10);
            switch (m.kind) {
                case testing::Move::kStock:
                    QTest::mouseClick(w, Qt::LeftButton, {}, At(*form, 570, 350));
                    QCOMPARE(t.CurCard, m.card);
                    break;
                case testing::Move::kFoundation:
                    QTest::mouseDClick(w, Qt::LeftButton, {}, band);
                    QCOMPARE(t.FoundTop[suitOf(m.card)], m.card);
                    break;
                case testing::Move::kColumn: {
                    const QPoint to = At(*form, columnLeftPx(m.column) + 20,
                                         t.ColumnHeight(m.column) * 25.0f + 10);
                    QTest::mousePress(w, Qt::LeftButton, {}, band);
                    QTest::mouseMove(w, (band + to) / 2);
                    QTest::mouseMove(w, to);
                    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
                    QCOMPARE(t.Columns[m.column][t.ColumnHeight(m.column)], m.card);
                    break;
                }
            }
            QCOMPARE(WidgetFaults(*form), QStringList());
        }
        QVERIFY(testing::Won(t));
        QCOMPARE(wins, 1);
    }

    // Random presses, moves and releases of three buttons anywhere, double
    // clicks, stock clicks, new deals, panels and lost grabs, timed as a hand
    // times them: quick second presses land near the first, often on another
    // widget (the next card, the card just turned, a panel's edge). The table
    // is checked after every event.
    void gestureStorm() {
        // Offscreen Qt complains of every event off the window and of popups; they are the point
        // here.
        static QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (type == QtWarningMsg || type == QtDebugMsg) return;
                previous(type, context, text);
            });
        testing::FormHarness h;
        Form1* form = Open(h, 4242);
        QVERIFY(form);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QWindow* w = form->windowHandle();
        testing::RealPointer pointer(w);
        PairCounter pairs;
        qApp->installEventFilter(&pairs);
        std::mt19937 rng(2024);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        QPoint lastPress = At(*form, 100, 100);
        int events = 0, wins = 0, dragging = 0, moves = 0;
        form->table().Finale = [&] { ++wins; };
        form->table().TimeOfDay = [clock = 0.0]() mutable { return clock += 1.37; };
        const int total = qEnvironmentVariableIntValue("TARVO_STORM_EVENTS") > 0
                              ? qEnvironmentVariableIntValue("TARVO_STORM_EVENTS")
                              : 100000;
        // Mostly where the cards are, sometimes anywhere, sometimes off the window.
        auto somewhere = [&] {
            if (pick(10) == 0) return QPoint(pick(900) - 150, pick(700) - 100);
            const Table& t = form->table();
            const int16_t id = static_cast<int16_t>(1 + pick(40));
            if (t.Carta[id].Left > 620) return At(*form, pick(620), pick(470));
            return At(*form, t.Carta[id].Left + pick(64), t.Carta[id].Top + pick(102));
        };
        // Just inside an edge of a card, the stock or a panel, where the next
        // press a few pixels away is on another widget.
        // A point just inside an edge of a card, the stock or a panel, and the
        // way out across that edge, where a press a few pixels on is on
        // another widget.
        auto nearAnEdge = [&] {
            const Table& t = form->table();
            const int16_t id = static_cast<int16_t>(1 + pick(40));
            QRectF r(t.Carta[id].Left, t.Carta[id].Top, 64, 102);
            if (pick(4) == 0) r = QRectF(540, 305, 64, 102);  // the stock
            if (pick(6) == 0)
                r = form->Text4->isVisible() ? QRectF(form->Text4->geometry())
                                             : QRectF(form->Text2->geometry());
            if (r.left() > 620) r = QRectF(540, 305, 64, 102);
            const int side = pick(4);
            const QPoint out[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            const double x = side == 0   ? r.left() + pick(3)
                             : side == 1 ? r.right() - pick(3)
                                         : r.left() + pick(static_cast<int>(r.width()));
            const double y = side == 2   ? r.top() + pick(3)
                             : side == 3 ? r.bottom() - pick(3)
                                         : r.top() + pick(static_cast<int>(r.height()));
            return std::pair(At(*form, static_cast<float>(x), static_cast<float>(y)), out[side]);
        };
        auto press = [&](Qt::MouseButton b, QPoint at) {
            pointer.Press(b, at);
            lastPress = at;
        };
        while (events < total) {
            const int what = pick(100);
            const Qt::MouseButtons held = pointer.Held();
            if (what < 36) {
                pointer.Wait(5 + pick(30));
                pointer.Move(held ? pointer.At() + QPoint(pick(81) - 40, pick(81) - 40)
                                  : somewhere());
            } else if (what < 56) {
                const Qt::MouseButton b = buttons[pick(10) < 7 ? 0 : pick(10) < 8 ? 1 : 2];
                pointer.Wait(pick(600));
                if (held & b) {
                    pointer.Release(b, pointer.At());
                } else {
                    press(b, held ? pointer.At() : somewhere());
                }
            } else if (what < 74) {
                // Let go of everything, as hands do.
                for (Qt::MouseButton b : buttons) {
                    if (held & b) pointer.Release(b, pointer.At());
                }
            } else if (what < 86) {
                // Two clicks 0 to 600 ms and 0 to 10 px apart, often across an
                // edge: Qt makes a double click of them wherever the second lands.
                if (!held) {
                    auto near = [&] { return (pick(2) ? pick(6) : pick(11)) * (pick(2) ? 1 : -1); };
                    auto [at, out] = nearAnEdge();
                    if (pick(3) == 0) at = somewhere(), out = {};
                    for (int k = 0; k < 2; ++k) {
                        const Qt::MouseButton b = pick(8) ? Qt::LeftButton : Qt::RightButton;
                        pointer.Wait(pick(600));
                        press(b, at);
                        pointer.Wait(pick(150));
                        pointer.Release(b, at);
                        at += out.isNull() ? QPoint(near(), near()) : out * (1 + pick(6));
                    }
                }
            } else if (what < 90) {
                if (!held) QTest::mouseDClick(w, Qt::LeftButton, {}, somewhere());
            } else if (what < 93) {
                if (!held) Play(*form, pick);
            } else if (what < 95) {
                if (!held) {
                    pointer.Wait(pick(600));
                    pointer.Click(lastPress = At(*form, 545 + pick(55), 306 + pick(90)));
                }
            } else if (what < 96) {
                (pick(2) ? form->Menu_english : form->Menu_about)->trigger();
            } else if (what < 98) {
                QTest::keyClick(form, Qt::Key_F2);
            } else {
                // A popup takes the pointer; offscreen, the window must be made active again after
                // it.
                form->Option->popup(form->mapToGlobal(QPoint(10, 10)));
                form->Option->close();
                form->activateWindow();
            }
            ++events;
            const Table& t = form->table();
            dragging += std::any_of(std::begin(t.Carta), std::end(t.Carta),
                                    [](const CardPlace& c) { return c.Mark == "n"; });
            static int16_t lastColumns[8][16];
            moves += std::memcmp(lastColumns, t.Columns, sizeof lastColumns) != 0;
            std::memcpy(lastColumns, t.Columns, sizeof lastColumns);
            // A peek in progress shows its card in front of its column. The game
            // decides whether it is in progress: a release can go astray.
            const bool peek = form->Gestures().HeldButtons() & CardGestures::Bit(kRightButton);
            const auto faults = testing::Violations(form->table(), {.checkDrawingOrder = !peek});
            if (!faults.empty()) {
                QFAIL(qPrintable(QStringLiteral("event %1: %2")
                                     .arg(events)
                                     .arg(QString::fromStdString(faults.front()))));
            }
            const QStringList widgetFaults = WidgetFaults(*form, !peek);
            if (!widgetFaults.isEmpty()) {
                QFAIL(qPrintable(
                    QStringLiteral("event %1: %2").arg(events).arg(widgetFaults.front())));
            }
        }
        qInstallMessageHandler(previous);
        qApp->removeEventFilter(&pairs);
        qInfo(
            "storm: %d events, %d with a card in hand, %d changes of the columns, %d wins, "
            "%d double clicks on the widget of the first press, %d across two widgets",
            events, dragging, moves, wins, pairs.sameWidget, pairs.crossWidget);
        // A storm that never picks a card up proves nothing.
        QVERIFY(dragging > events / 20);
        QVERIFY(moves > events / 200);
        QVERIFY(pairs.crossWidget > events / 200);
    }
};

QTEST_MAIN(WindowMouseTest)
#include "window_mouse_test.moc"
