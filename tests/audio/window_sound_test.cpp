// The window's sound handlers against recording devices: what the load and
// unload handlers, the music loop, the two switches, the victory tune and the
// card sound requests send, in which order, and when they send nothing.

#include <QAction>
#include <QTest>

#include "form_harness.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

using namespace tarvo;
using namespace tarvo::testing;

class WindowSound : public QObject {
    Q_OBJECT

  private slots:
    void loadOpensBothDevicesAndChecksBothSwitches();
    void musicStartsWithEveryGameWhileChecked_data();
    void musicStartsWithEveryGameWhileChecked();
    void musicLoopRestartsOnlyAtTheEnd_data();
    void musicLoopRestartsOnlyAtTheEnd();
    void stopCompletedRewinds();
    void musicSwitchPausesAndResumes();
    void cardRustleSwitchSendsNothing();
    void victoryTuneReplacesTheMusicWhileChecked();
    void victoryTuneStaysForLaterGames();
    void unloadClosesMusicThenWave_data();
    void unloadClosesMusicThenWave();
    void stockClickPlaysTheReleaseSequence_data();
    void stockClickPlaysTheReleaseSequence();
    void cardClickPlaysReleaseThenClickSequence_data();
    void cardClickPlaysReleaseThenClickSequence();
};

void WindowSound::loadOpensBothDevicesAndChecksBothSwitches() {
    FormHarness h;
    // Load options first, then close, name the file, open; the card sound first.
    QCOMPARE(h.log(), (QStringList{
                          "wave Notify=true",
                          "wave TimeFormat=0",
                          "wave Close",
                          "wave FileName=/game/carta.wav",
                          "wave Open",
                          "music Notify=true",
                          "music TimeFormat=0",
                          "music Close",
                          "music FileName=/game/Music/7carte.mid",
                          "music Open",
                      }));
    QVERIFY(h.form().Option_Card_rustle->isChecked());
    QVERIFY(h.form().Option_music->isChecked());
    QVERIFY(!h.form().Nuova->isEnabled());
}

void WindowSound::musicStartsWithEveryGameWhileChecked_data() {
    QTest::addColumn<bool>("music");
    QTest::newRow("Music checked") << true;
    QTest::newRow("Music unchecked before the first game") << false;
}

void WindowSound::musicStartsWithEveryGameWhileChecked() {
    QFETCH(bool, music);

    FormHarness h;
    Form1& f = h.form();
    if (!music) f.Option_music->trigger();
    const QStringList before = h.LogOf("music");
    // The music starts after the table is laid out and before the deal.
    int plays = 0;
    h.music().onCommand = [&](const QString& c) {
        if (c != "Play") return;
        ++plays;
        QVERIFY(f.Surface()->MazzoShown());
        QCOMPARE(h.table().Carta[1].Left, kHidingLeftPx);
    };
    QVERIFY(h.ShowAndDeal());
    QCOMPARE(plays, music ? 1 : 0);
    f.Nuova->trigger();
    QCOMPARE(plays, music ? 2 : 0);
    QCOMPARE(h.LogOf("music").mid(before.size()),
             music ? (QStringList{"Play", "Play"}) : QStringList());
    if (!music) {
        // Checking it later starts the tune where it is: at its beginning.
        f.Option_music->trigger();
        QCOMPARE(h.LogOf("music").mid(before.size()), QStringList{"play"});
    }
}

void WindowSound::musicLoopRestartsOnlyAtTheEnd_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("musicChecked");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("played to its end") << 61000 << 61000 << true << true;
    QTest::newRow("one ms before the end") << 60999 << 61000 << true << false;
    QTest::newRow("stopped half way") << 30000 << 61000 << true << false;
    QTest::newRow("at its end with Music unchecked") << 61000 << 61000 << false << true;
}

void WindowSound::musicLoopRestartsOnlyAtTheEnd() {
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(bool, musicChecked);
    QFETCH(bool, restarts);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    if (!musicChecked) h.form().Option_music->trigger();
    h.music().position = position;
    h.music().length = length;
    h.log().clear();
    // The device tells the window as it would after a play.
    QVERIFY(h.music().Done);
    h.music().Done(kNotifySuccessful);
    QCOMPARE(h.log(), restarts ? (QStringList{"music setFrom 0", "music Play"}) : QStringList());
}

void WindowSound::stopCompletedRewinds() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    h.log().clear();
    QVERIFY(h.music().StopCompleted);
    h.music().StopCompleted();
    QCOMPARE(h.log(), QStringList{"music setFrom 0"});
}

void WindowSound::musicSwitchPausesAndResumes() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    h.log().clear();
    f.Menu_about->trigger();
    f.Option_music->trigger();
    QVERIFY(!f.Option_music->isChecked());
    QVERIFY(f.Text4->isHidden());
    f.Option_music->trigger();
    QVERIFY(f.Option_music->isChecked());
    QCOMPARE(h.log(), (QStringList{"music pause", "music play"}));
}

void WindowSound::cardRustleSwitchSendsNothing() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    h.log().clear();
    f.Menu_english->trigger();
    f.Option_Card_rustle->trigger();
    QVERIFY(!f.Option_Card_rustle->isChecked());
    QVERIFY(f.Text2->isHidden());
    f.Option_Card_rustle->trigger();
    QVERIFY(f.Option_Card_rustle->isChecked());
    QCOMPARE(h.log(), QStringList());
}

void WindowSound::victoryTuneReplacesTheMusicWhileChecked() {
    for (bool music : {true, false}) {
        FormHarness h;
        QVERIFY(h.ShowAndDeal());
        if (!music) h.form().Option_music->trigger();
        h.log().clear();
        // What the rules call when the fourth suit is complete.
        QVERIFY(h.table().Finale);
        h.table().Finale();
        if (!music) {
            QCOMPARE(h.log(), QStringList());
            continue;
        }
        QCOMPARE(h.log(),
                 (QStringList{"music Stop", "music Close", "music FileName=/game/Music/borvio2.mid",
                              "music Open", "music setFrom 0", "music Play"}));
        // The victory tune repeats at its end like the background tune did.
        h.log().clear();
        h.music().position = h.music().length = 9000;
        h.music().Done(kNotifySuccessful);
        QCOMPARE(h.log(), (QStringList{"music setFrom 0", "music Play"}));
        QCOMPARE(QString::fromStdString(h.music().FileName), "/game/Music/borvio2.mid");
    }
}

void WindowSound::victoryTuneStaysForLaterGames() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    h.table().Finale();
    h.log().clear();
    h.form().Nuova->trigger();
    QCOMPARE(h.LogOf("music"), QStringList{"Play"});
    QCOMPARE(QString::fromStdString(h.music().FileName), "/game/Music/borvio2.mid");
}

void WindowSound::unloadClosesMusicThenWave_data() {
    QTest::addColumn<bool>("viaExit");
    QTest::newRow("closing the window") << false;
    QTest::newRow("EXIT") << true;
}

void WindowSound::unloadClosesMusicThenWave() {
    QFETCH(bool, viaExit);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    h.log().clear();
    if (viaExit) {
        h.form().Exit->trigger();
    } else {
        h.form().close();
    }
    QCOMPARE(h.log(), (QStringList{"music close", "wave close"}));
    QCOMPARE(h.endProgramCalls(), 1);
}

namespace {

void AddCardSoundColumns() {
    QTest::addColumn<bool>("rustle");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("sent");
}

}  // namespace

namespace {

// "Card rustle" as the row wants it, the card sound at a position, an empty log.
void PrepareCardSound(FormHarness& h, bool rustle, int position, int length) {
    if (!rustle) h.form().Option_Card_rustle->trigger();
    h.wave().position = position;
    h.wave().length = length;
    h.log().clear();
}

}  // namespace

void WindowSound::stockClickPlaysTheReleaseSequence_data() {
    AddCardSoundColumns();
    QTest::newRow("finished sound: rewind, play")
        << true << 400 << 400 << QStringList{"setFrom 0", "Play"};
    QTest::newRow("sound still playing: play") << true << 100 << 400 << QStringList{"Play"};
    QTest::newRow("unchecked, finished: rewind only")
        << false << 400 << 400 << QStringList{"setFrom 0"};
    QTest::newRow("unchecked, still playing: nothing") << false << 100 << 400 << QStringList();
}

void WindowSound::stockClickPlaysTheReleaseSequence() {
    QFETCH(bool, rustle);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(QStringList, sent);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    PrepareCardSound(h, rustle, position, length);
    h.Click(f.Surface(), f.Surface()->Mazzo().center());
    QCOMPARE(h.table().StockNext, kFirstStockIndex + 1);
    QCOMPARE(h.LogOf("wave"), sent);
    QCOMPARE(h.LogOf("music"), QStringList());
}

void WindowSound::cardClickPlaysReleaseThenClickSequence_data() {
    AddCardSoundColumns();
    QTest::newRow("finished sound: release rewinds and plays, click plays and rewinds")
        << true << 400 << 400 << QStringList{"setFrom 0", "Play", "Play", "setFrom 0"};
    QTest::newRow("sound still playing")
        << true << 100 << 400 << QStringList{"Play", "Play", "setFrom 0"};
    QTest::newRow("unchecked, finished: the release rewinds, the click sends nothing")
        << false << 400 << 400 << QStringList{"setFrom 0"};
    QTest::newRow("unchecked, still playing: nothing") << false << 100 << 400 << QStringList();
}

void WindowSound::cardClickPlaysReleaseThenClickSequence() {
    QFETCH(bool, rustle);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(QStringList, sent);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    PrepareCardSound(h, rustle, position, length);
    // The one card of column 7: a press and a release on it, without moving.
    const int16_t id = h.table().Columns[7][1];
    QVERIFY(id != 0);
    const QPoint home = f.Carta[id]->pos();
    h.Click(f.Carta[id], QPoint(30, 50));
    QCOMPARE(f.Carta[id]->pos(), home);
    QCOMPARE(h.LogOf("wave"), sent);
    QCOMPARE(h.LogOf("music"), QStringList());
}

QTEST_MAIN(WindowSound)
#include "window_sound_test.moc"
