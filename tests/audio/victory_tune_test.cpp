// The window's handlers with the real devices on a manual clock: after a win
// the victory tune goes on where it is, whatever the stop before it reports
// late.

#include <QAction>
#include <QCoreApplication>
#include <QTest>

#include "app/form1.h"
#include "memory_output.h"
#include "soundfont.h"

using namespace tarvo;

namespace {

constexpr int kRate = 44100;

// Notifications come through the window's event queue, as the real ones do.
class ClockedSoundDevices final : public SoundDevices {
  public:
    ClockedSoundDevices()
        : output_(
              kRate,
              [](std::function<void()> f) {
                  QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
              },
              findSoundfont()) {}
    MciDevice& music() override { return output_.music(); }
    MciDevice& wave() override { return output_.wave(); }
    // `ms` of sound, the window's events handled after each 10 ms.
    void play(int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            output_.pull(kRate / 100);
            QCoreApplication::processEvents();
        }
    }

  private:
    MemoryOutput output_;
};

}  // namespace

class VictoryTune : public QObject {
    Q_OBJECT

  private slots:
    void goesOnWhereItIs_data();
    void goesOnWhereItIs();
};

void VictoryTune::goesOnWhereItIs_data() {
    QTest::addColumn<bool>("musicSwitch");
    QTest::newRow("a new game sends Play") << false;
    QTest::newRow("Music unchecked and checked") << true;
}

void VictoryTune::goesOnWhereItIs() {
    QFETCH(bool, musicSwitch);
    auto devices = std::make_unique<ClockedSoundDevices>();
    ClockedSoundDevices& sound = *devices;
    Form1::Options options;
    options.sound = std::move(devices);
    options.programDir = QStringLiteral(TARVO_SOUNDS_DIR);
    Form1 form(std::move(options));
    if (form.MMC1().Length() == 0) QSKIP("no soundfont here");
    form.MMC1().Command("Play");  // the game starts
    sound.play(2000);
    form.Finale();
    sound.play(2000);
    QVERIFY(form.MMC1().Length() > 4000);
    QCOMPARE(form.MMC1().Position(), 2000);
    if (musicSwitch) {
        form.Option_music_Click();
        sound.play(500);
        form.Option_music_Click();
    } else {
        form.MMC1().Command("Play");
    }
    sound.play(1000);
    QCOMPARE(form.MMC1().Position(), 3000);
}

QTEST_MAIN(VictoryTune)
#include "victory_tune_test.moc"
