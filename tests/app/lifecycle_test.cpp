// Starting, restarting and ending games in the real window: the title pause
// of the first start (once, with "shuffle cards" off meanwhile), closing or
// EXIT during it, and the start sequence running on the first show only.

#include <QAction>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <ctime>

#include "form_harness.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

using namespace tarvo;
using namespace tarvo::testing;
using namespace std::chrono_literals;

namespace {

bool Undealt(const Table& t) {
    for (const auto& column : t.Columns) {
        for (int16_t cell : column) {
            if (cell != 0) return false;
        }
    }
    return t.StockNext == 0;
}

bool AllCardsHidden(const Form1& f) {
    for (int i = 1; i <= kCardCount; ++i) {
        if (f.Carta[i]->pos() != QPoint(1500, 1500)) return false;
    }
    return true;
}

}  // namespace

class Lifecycle : public QObject {
    Q_OBJECT

  private slots:
    void titlePauseOfThreeSecondsWithShuffleCardsOff();
    void titlePauseHappensOnce();
    void endingDuringTitlePauseDealsNothing_data();
    void endingDuringTitlePauseDealsNothing();
    void startSequenceRunsOnFirstShowOnly();
    void exitAfterTheDealEndsOnce();
};

// The one test that waits the real pause.
void Lifecycle::titlePauseOfThreeSecondsWithShuffleCardsOff() {
    FormHarness h(3000ms);
    Form1& f = h.form();
    QElapsedTimer sinceShow;
    bool sawPause = false;
    h.RunInTitlePause([&] {
        sawPause = true;
        QVERIFY(f.Surface()->TitleShown());
        QVERIFY(!f.Surface()->MazzoShown());
        QVERIFY(AllCardsHidden(f));
        QVERIFY(Undealt(h.table()));
        // F2 does nothing while "shuffle cards" is off.
        QTest::keyClick(f.windowHandle(), Qt::Key_F2);
        QVERIFY(!f.Nuova->isEnabled());
        QVERIFY(Undealt(h.table()));
        // The other menu commands work meanwhile.
        f.Option_music->trigger();
        QVERIFY(!f.Option_music->isChecked());
        f.Menu_about->trigger();
        QVERIFY(f.Text4->isVisible());
    });
    sinceShow.start();
    const std::clock_t cpuAtShow = std::clock();
    QVERIFY(h.ShowAndDeal());
    QVERIFY(sawPause);
    QVERIFY2(sinceShow.elapsed() > 3000, qPrintable(QString::number(sinceShow.elapsed())));
    // The pause sleeps between events; a spinning wait would burn the whole 3 s.
    const double cpuSeconds = double(std::clock() - cpuAtShow) / CLOCKS_PER_SEC;
    QVERIFY2(cpuSeconds < 1.5, qPrintable(QString::number(cpuSeconds)));
    QVERIFY(!f.Surface()->TitleShown());
    // "Music" was switched off in the pause: the game starts without it.
    QCOMPARE(h.LogOf("music").mid(5), QStringList{"pause"});
    // Now F2 deals a new game.
    f.Option_music->trigger();
    QTest::keyClick(f.windowHandle(), Qt::Key_F2);
    QCOMPARE(h.LogOf("music").mid(5), (QStringList{"pause", "play", "Play"}));
}

void Lifecycle::titlePauseHappensOnce() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    // A pause would process events: this one would then run.
    bool eventsProcessed = false;
    QTimer::singleShot(0, &h.form(), [&] { eventsProcessed = true; });
    h.form().Nuova->trigger();
    QVERIFY(!eventsProcessed);
    QVERIFY(!h.form().Surface()->TitleShown());
    QVERIFY(h.Dealt());
    QVERIFY(QTest::qWaitFor([&] { return eventsProcessed; }));
}

void Lifecycle::endingDuringTitlePauseDealsNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("closing the window") << "close";
    QTest::newRow("closing its platform window") << "qwindow close";
    QTest::newRow("EXIT") << "exit";
    QTest::newRow("EXIT after F2") << "f2 exit";
}

void Lifecycle::endingDuringTitlePauseDealsNothing() {
    QFETCH(QString, how);

    // Long enough that only the ending can end it within the test.
    constexpr auto kLongPause = 60s;
    FormHarness h(kLongPause);
    Form1& f = h.form();
    bool ended = false;
    h.RunInTitlePause([&] {
        if (how.startsWith("f2")) QTest::keyClick(f.windowHandle(), Qt::Key_F2);
        if (how.endsWith("exit")) {
            f.Exit->trigger();
        } else if (how.startsWith("qwindow")) {
            f.windowHandle()->close();
        } else {
            f.close();
        }
        ended = true;
    });
    QElapsedTimer sinceShow;
    sinceShow.start();
    f.show();
    QVERIFY(QTest::qWaitFor([&] { return ended; }, 20000));
    // The pause noticed at once; it did not wait its time out.
    QVERIFY(sinceShow.elapsed() < std::chrono::milliseconds(kLongPause).count());
    // Events go on after the start sequence gave up; nothing may follow.
    QTest::qWait(20);

    QCOMPARE(h.endProgramCalls(), 1);
    QVERIFY(!f.isVisible());
    QVERIFY(Undealt(h.table()));
    QVERIFY(AllCardsHidden(f));
    QVERIFY(!f.Surface()->MazzoShown());
    QVERIFY(!f.Surface()->StripShown());
    QVERIFY(!h.LogOf("music").contains("Play"));
    QCOMPARE(h.log().mid(h.log().size() - 2), (QStringList{"music close", "wave close"}));
}

void Lifecycle::startSequenceRunsOnFirstShowOnly() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    h.Click(f.Surface(), f.Surface()->Mazzo().center());
    QCOMPARE(h.table().StockNext, kFirstStockIndex + 1);
    const QStringList logBefore = h.log();

    f.hide();
    QTest::qWait(10);
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::qWait(10);

    QCOMPARE(h.table().StockNext, kFirstStockIndex + 1);
    QCOMPARE(h.log(), logBefore);
    QString why;
    QVERIFY2(WidgetsAtModelPlaces(f, &why), qPrintable(why));
}

void Lifecycle::exitAfterTheDealEndsOnce() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    h.form().Exit->trigger();
    QCOMPARE(h.endProgramCalls(), 1);
    QVERIFY(!h.form().isVisible());
    QCOMPARE(h.log().count("music close"), 1);
    QCOMPARE(h.log().count("wave close"), 1);
}

QTEST_MAIN(Lifecycle)
#include "lifecycle_test.moc"
