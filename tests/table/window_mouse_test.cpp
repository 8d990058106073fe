// The mouse on the real window, through Qt's own input path: drags, double
// clicks, the peek, the stock, and a storm of random events.

#include <QMenu>
#include <QWindow>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <random>

#include "app/form1.h"
#include "invariants.h"
#include "positions.h"
#include "solver.h"
#include "table/table_surface.h"

using namespace tarvo;

namespace {

std::unique_ptr<Form1> OpenWindow(double timeOfDay) {
    Form1::Options o;
    o.sound = std::make_unique<SilentSoundDevices>();
    o.titlePause = std::chrono::milliseconds(1);
    o.endProgram = [] {};
    auto form = std::make_unique<Form1>(std::move(o));
    form->table().TimeOfDay = [timeOfDay] { return timeOfDay; };
    form->show();
    if (!QTest::qWaitFor([&] { return form->table().StockNext == 29; }, 5000)) return nullptr;
    return form;
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
        auto form = OpenWindow(100);
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
        auto form = OpenWindow(100);
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
        auto form = OpenWindow(100);
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
        auto form = OpenWindow(100);
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
        auto form = OpenWindow(100);
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
        auto form = OpenWindow(100);
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
        QTest::keyClick(form.get(), Qt::Key_F2);
        QVERIFY(before !=
                std::vector<int16_t>(std::begin(form->table().Deck), std::end(form->table().Deck)));
        QTest::mouseMove(w, from + QPoint(200, 100));
        QTest::mouseRelease(w, Qt::LeftButton, {}, from + QPoint(200, 100));
        QCOMPARE(form->table().Dragging, kFalse);
        QVERIFY(testing::Violations(form->table()).empty());
        QCOMPARE(WidgetFaults(*form), QStringList());
    }

    void lostGrabSendsTheCardHome() {
        auto form = OpenWindow(100);
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

    // A whole game won with the mouse alone: a line found by a searching
    // player is played with clicks, double clicks and drags.
    void winAGameWithTheMouse() {
        const auto [seed, line] = testing::FindWinnableDeal(3600, 199, 1500);
        QVERIFY(!line.empty());
        auto form = OpenWindow(seed);
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
    // clicks, stock clicks, new deals and lost grabs, with the table checked
    // after every event.
    void gestureStorm() {
        // Offscreen Qt complains of every event off the window and of popups; they are the point
        // here.
        static QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (type == QtWarningMsg || type == QtDebugMsg) return;
                previous(type, context, text);
            });
        auto form = OpenWindow(4242);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QWindow* w = form->windowHandle();
        std::mt19937 rng(2024);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        Qt::MouseButtons held;
        QPoint pointer = At(*form, 100, 100);
        int events = 0, wins = 0, dragging = 0, moves = 0;
        form->table().Finale = [&] { ++wins; };
        form->table().TimeOfDay = [clock = 0.0]() mutable { return clock += 1.37; };
        const int total = qEnvironmentVariableIntValue("TARVO_STORM_EVENTS") > 0
                              ? qEnvironmentVariableIntValue("TARVO_STORM_EVENTS")
                              : 100000;
        while (events < total) {
            const int what = pick(100);
            // Mostly where the cards are, sometimes anywhere, sometimes off the window.
            auto somewhere = [&] {
                if (pick(10) == 0) return QPoint(pick(900) - 150, pick(700) - 100);
                const Table& t = form->table();
                const int16_t id = static_cast<int16_t>(1 + pick(40));
                if (t.Carta[id].Left > 620) return At(*form, pick(620), pick(470));
                return At(*form, t.Carta[id].Left + pick(64), t.Carta[id].Top + pick(102));
            };
            if (what < 40) {
                pointer = held ? pointer + QPoint(pick(81) - 40, pick(81) - 40) : somewhere();
                QTest::mouseMove(w, pointer);
            } else if (what < 60) {
                const Qt::MouseButton b = buttons[pick(10) < 7 ? 0 : pick(10) < 8 ? 1 : 2];
                if (held & b) {
                    QTest::mouseRelease(w, b, {}, pointer);
                    held &= ~b;
                } else {
                    if (!held) pointer = somewhere();
                    QTest::mousePress(w, b, {}, pointer);
                    held |= b;
                }
            } else if (what < 82) {
                // Let go of everything, as hands do.
                for (Qt::MouseButton b : buttons) {
                    if (held & b) QTest::mouseRelease(w, b, {}, pointer);
                }
                held = {};
            } else if (what < 90) {
                if (!held) QTest::mouseDClick(w, Qt::LeftButton, {}, pointer = somewhere());
            } else if (what < 93) {
                if (!held) Play(*form, pick);
            } else if (what < 96) {
                if (!held)
                    QTest::mouseClick(w, Qt::LeftButton, {},
                                      pointer = At(*form, 545 + pick(55), 310 + pick(90)));
            } else if (what < 98) {
                QTest::keyClick(form.get(), Qt::Key_F2);
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
            // A peek in progress shows its card in front of its column.
            const bool peek = held & Qt::RightButton;
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
        qInfo("storm: %d events, %d with a card in hand, %d changes of the columns, %d wins",
              events, dragging, moves, wins);
        // A storm that never picks a card up proves nothing.
        QVERIFY(dragging > events / 20);
        QVERIFY(moves > events / 200);
    }
};

QTEST_MAIN(WindowMouseTest)
#include "window_mouse_test.moc"
