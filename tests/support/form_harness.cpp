#include "form_harness.h"

#include <QAction>
#include <QTest>
#include <QTimer>

#include "access/keyboard_play.h"
#include "table/table_surface.h"

namespace tarvo::testing {

RecordingDevice::RecordingDevice(QString name, std::shared_ptr<QStringList> log)
    : name_(std::move(name)), log_(std::move(log)) {
    // Neither load option is at the value the window must set, so setting them shows.
    Notify = false;
    TimeFormat = -1;
}

void RecordingDevice::NoteFieldChanges() {
    if (Notify != seenNotify_) {
        seenNotify_ = Notify;
        *log_ << name_ + QStringLiteral(" Notify=") + QLatin1String(Notify ? "true" : "false");
    }
    if (TimeFormat != seenTimeFormat_) {
        seenTimeFormat_ = TimeFormat;
        *log_ << name_ + QStringLiteral(" TimeFormat=%1").arg(TimeFormat);
    }
    if (FileName != seenFileName_) {
        seenFileName_ = FileName;
        *log_ << name_ + QStringLiteral(" FileName=") + QString::fromStdString(FileName);
    }
}

void RecordingDevice::Command(std::string_view command) {
    NoteFieldChanges();
    const QString c = QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size()));
    *log_ << name_ + QLatin1Char(' ') + c;
    if (onCommand) onCommand(c);
}

void RecordingDevice::setFrom(int32_t ms) {
    NoteFieldChanges();
    *log_ << name_ + QStringLiteral(" setFrom %1").arg(ms);
}

FormHarness::FormHarness(std::chrono::milliseconds titlePause) {
    auto devices = std::make_unique<RecordingSoundDevices>(log_);
    music_ = &devices->Music();
    wave_ = &devices->Wave();
    Form1::Options options;
    options.sound = std::move(devices);
    options.titlePause = titlePause;
    options.programDir = kGameDir;
    options.endProgram = [ends = ends_] { ++*ends; };
    form_ = std::make_unique<Form1>(std::move(options));
    // The same deal every time.
    form_->table().TimeOfDay = [] { return 1234.5; };
    form_->table().Finale = [wins = wins_, finale = form_->table().Finale] {
        ++*wins;
        finale();
    };
}

QStringList FormHarness::LogOf(const QString& device) const {
    QStringList out;
    const QString prefix = device + QLatin1Char(' ');
    for (const QString& line : *log_) {
        if (line.startsWith(prefix)) out << line.mid(prefix.size());
    }
    return out;
}

bool FormHarness::Dealt() const {
    return form_->Nuova->isEnabled() && form_->table().StockNext == kFirstStockIndex;
}

bool FormHarness::ShowAndDeal() {
    form_->show();
    return QTest::qWaitFor([this] { return Dealt(); }, 20000);
}

bool FormHarness::ShowAndDealAt(double timeOfDay) {
    form_->table().TimeOfDay = [timeOfDay] { return timeOfDay; };
    return ShowAndDeal();
}

void FormHarness::RunInTitlePause(std::function<void()> f) {
    // Waiting: the cards are hidden away and "shuffle cards" is still disabled.
    auto waiting = [this] {
        return form_->isVisible() && !form_->Nuova->isEnabled() &&
               form_->table().Carta[1].Left == kHidingLeftPx;
    };
    auto* poll = new QTimer(form_.get());
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, form_.get(), [this, poll, waiting, f = std::move(f)] {
        if (!waiting() && !Dealt()) return;
        poll->stop();
        poll->deleteLater();
        if (waiting()) f();
    });
    poll->start();
}

QPoint FormHarness::OnWindow(const QWidget* w, QPoint local) const {
    return w->mapTo(form_.get(), local);
}

void FormHarness::Press(const QWidget* w, QPoint local, Qt::MouseButton button) {
    QTest::mousePress(form_->windowHandle(), button, {}, OnWindow(w, local));
}

void FormHarness::Release(const QWidget* w, QPoint local, Qt::MouseButton button) {
    QTest::mouseRelease(form_->windowHandle(), button, {}, OnWindow(w, local));
}

void FormHarness::Click(const QWidget* w, QPoint local, Qt::MouseButton button) {
    Press(w, local, button);
    Release(w, local, button);
}

void Key(Form1& form, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(form.windowHandle(), key, modifiers);
}

bool FocusedOn(Form1& form, Place want) {
    return form.Keyboard().FocusShown() && form.Keyboard().Focus() == want;
}

bool TabTo(Form1& form, Place want) {
    for (int i = 0; i < 2 * kPlaceCount && !FocusedOn(form, want); ++i)
        Key(form, Qt::Key_Tab);
    return FocusedOn(form, want);
}

bool FocusFor(Form1& form, const solver::Move& m) {
    return TabTo(form, m.from == solver::Where::kStock ? Place{PlaceKind::Stock, 0}
                                                       : PlaceOfCard(form.table(), m.card));
}

bool PlayByKeys(Form1& form, const solver::Move& m) {
    const Table& t = form.table();
    Place to{PlaceKind::Foundation, suitOf(m.card)};
    if (m.to == solver::Where::kColumn) {
        to = {PlaceKind::Column, m.toColumn};
        Key(form, Qt::Key_Space);
        Key(form, static_cast<Qt::Key>(Qt::Key_0 + m.toColumn));
        Key(form, Qt::Key_Space);
    } else {
        if (m.to == solver::Where::kPile) to = {PlaceKind::StockPile, 0};
        Key(form, Qt::Key_Return);
    }
    return PlaceOfCard(t, m.card) == to;
}

bool WidgetsAtModelPlaces(Form1& form, QString* why) {
    for (int16_t i = 1; i <= kCardCount; ++i) {
        const CardPlace& c = form.table().Carta[i];
        const QPoint want(qRound(c.Left), qRound(c.Top));
        if (form.Carta[i]->pos() != want) {
            *why = QStringLiteral("card %1 shown at (%2, %3), its place is (%4, %5)")
                       .arg(i)
                       .arg(form.Carta[i]->x())
                       .arg(form.Carta[i]->y())
                       .arg(want.x())
                       .arg(want.y());
            return false;
        }
    }
    return true;
}

bool ColumnsStackedInRowOrder(Form1& form, QString* why) {
    const Table& t = form.table();
    QWidget* surface = form.Surface();
    for (int col = 1; col <= kColumnCount; ++col) {
        for (int row = 1; row <= kColumnRows && t.Columns[col][row] != 0; ++row) {
            // A point in the visible strip of this row: every later row lies
            // below it, every earlier row under it.
            const QPoint at(static_cast<int>(columnLeftPx(col)) + 10,
                            static_cast<int>(rowTopPx(row)) + 5);
            QWidget* hit = surface->childAt(at);
            const int16_t want = t.Columns[col][row];
            if (hit != form.Carta[want]) {
                *why = QStringLiteral("column %1 row %2: card %3 expected on top, hit %4")
                           .arg(col)
                           .arg(row)
                           .arg(want)
                           .arg(hit ? hit->objectName() : QStringLiteral("nothing"));
                return false;
            }
        }
    }
    // The widgets' order among the surface's children is the drawing order.
    const QObjectList kids = surface->children();
    for (int col = 1; col <= kColumnCount; ++col) {
        for (int row = 2; row <= kColumnRows && t.Columns[col][row] != 0; ++row) {
            const qsizetype under = kids.indexOf(form.Carta[t.Columns[col][row - 1]]);
            const qsizetype over = kids.indexOf(form.Carta[t.Columns[col][row]]);
            if (under >= over) {
                *why = QStringLiteral("column %1: row %2 drawn after row %3")
                           .arg(col)
                           .arg(row - 1)
                           .arg(row);
                return false;
            }
        }
    }
    return true;
}

}  // namespace tarvo::testing
