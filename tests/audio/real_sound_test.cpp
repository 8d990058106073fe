// The window with the real sound devices on this machine (which may have no
// sound card): it opens them, starts, deals, plays a card sound and closes,
// and the sound prints nothing on stderr. One real sound system per process,
// so this is its own executable.

#include <unistd.h>
#include <QAction>
#include <QFile>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>

#include "app/form1.h"
#include "table/table_surface.h"

using namespace tarvo;
using namespace std::chrono_literals;

namespace {

// Sends file descriptor 2 to a file for as long as it lives.
class StderrCapture {
  public:
    StderrCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { Restore(); }
    QString Text() {
        Restore();
        QFile f(file_.fileName());
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll());
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

}  // namespace

class RealSound : public QObject {
    Q_OBJECT

  private slots:
    void startsDealsAndClosesSilentlyOnStderr();
};

void RealSound::startsDealsAndClosesSilentlyOnStderr() {
    StderrCapture capture;
    int ends = 0;
    {
        Form1::Options options;  // sound null: the real devices
        options.titlePause = 5ms;
        options.endProgram = [&ends] { ++ends; };
        Form1 form(std::move(options));
        form.table().TimeOfDay = [] { return 1234.5; };
        // The sound files lie beside this test, as beside the game.
        QVERIFY(form.MMCw().Length() > 0);
        QVERIFY(form.MMC1().Length() > 0);
        form.show();
        QVERIFY(QTest::qWaitFor(
            [&] { return form.Nuova->isEnabled() && form.table().StockNext == kFirstStockIndex; },
            20000));
        QVERIFY(form.Surface()->MazzoShown());
        // A stock click asks for the card sound; the music plays meanwhile.
        const QPoint stock = form.Surface()->mapTo(&form, form.Surface()->Mazzo().center());
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, stock);
        QCOMPARE(form.table().StockNext, kFirstStockIndex + 1);
        QVERIFY(QTest::qWaitFor([&] { return form.MMC1().Position() > 0; }, 10000));
        form.Exit->trigger();
        QCOMPARE(ends, 1);
    }
    const QString printed = capture.Text();
    QVERIFY2(printed.isEmpty(), qPrintable(printed));
}

QTEST_MAIN(RealSound)
#include "real_sound_test.moc"
