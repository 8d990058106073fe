#pragma once
// A real Form1 for window tests: recording sound devices instead of real
// ones, a short title pause, a fixed deal, and an end of the program that is
// only counted. Plus pointer input through the window's QWindow, so hit
// testing, stacking and the implicit grab are Qt's own.

#include <QPoint>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

#include "app/form1.h"
#include "model/table_places.h"
#include "solver/solver.h"

namespace tarvo::testing {

// Every command and setting a device receives, in order, as text lines in a
// log shared by both devices: "wave Close", "music setFrom 0",
// "music FileName=/game/Music/7carte.mid". The public fields (Notify,
// TimeFormat, FileName) are plain members, so a change of one is written
// down at the next call, just before that call.
class RecordingDevice final : public MciDevice {
  public:
    RecordingDevice(QString name, std::shared_ptr<QStringList> log);

    void Command(std::string_view command) override;
    void setFrom(int32_t ms) override;
    int32_t Position() const override { return position; }
    int32_t Length() const override { return length; }

    int32_t position = 0;
    int32_t length = 0;
    // Called with each command after it is logged.
    std::function<void(const QString&)> onCommand;

  private:
    void NoteFieldChanges();

    QString name_;
    std::shared_ptr<QStringList> log_;
    bool seenNotify_ = false;
    int32_t seenTimeFormat_ = -1;
    std::string seenFileName_;
};

class RecordingSoundDevices final : public SoundDevices {
  public:
    explicit RecordingSoundDevices(std::shared_ptr<QStringList> log)
        : music_(QStringLiteral("music"), log), wave_(QStringLiteral("wave"), log) {}
    MciDevice& music() override { return music_; }
    MciDevice& wave() override { return wave_; }
    RecordingDevice& Music() { return music_; }
    RecordingDevice& Wave() { return wave_; }

  private:
    RecordingDevice music_;
    RecordingDevice wave_;
};

// The directory the harness gives the window for its sound files.
inline const QString kGameDir = QStringLiteral("/game");

class FormHarness {
  public:
    explicit FormHarness(std::chrono::milliseconds titlePause = std::chrono::milliseconds(5));

    Form1& form() { return *form_; }
    Table& table() { return form_->table(); }
    RecordingDevice& music() { return *music_; }
    RecordingDevice& wave() { return *wave_; }
    QStringList& log() { return *log_; }
    int endProgramCalls() const { return *ends_; }
    // Log lines of one device ("music" or "wave") with that prefix removed.
    QStringList LogOf(const QString& device) const;

    // Shows the window and waits for the first deal; false if it never came.
    bool ShowAndDeal();
    // The same with the deal that the clock reading `timeOfDay` shuffles.
    bool ShowAndDealAt(double timeOfDay);
    // The wins so far: calls of Finale, which still does what it does.
    int wins() const { return *wins_; }
    // True once a deal is on the table and "shuffle cards" is enabled.
    bool Dealt() const;
    // Runs `f` inside the title pause of the first game start, once the
    // window has hidden its cards and is waiting.
    void RunInTitlePause(std::function<void()> f);

    // A point of `w` in the window's coordinates.
    QPoint OnWindow(const QWidget* w, QPoint local) const;
    // Press and release of one button at `local` of `w`, through the QWindow.
    void Click(const QWidget* w, QPoint local, Qt::MouseButton button = Qt::LeftButton);
    void Press(const QWidget* w, QPoint local, Qt::MouseButton button = Qt::LeftButton);
    void Release(const QWidget* w, QPoint local, Qt::MouseButton button = Qt::LeftButton);

  private:
    std::shared_ptr<QStringList> log_ = std::make_shared<QStringList>();
    std::shared_ptr<int> ends_ = std::make_shared<int>(0);
    std::shared_ptr<int> wins_ = std::make_shared<int>(0);
    RecordingDevice* music_ = nullptr;
    RecordingDevice* wave_ = nullptr;
    std::unique_ptr<Form1> form_;
};

// Keys on the window, through Qt's own key path.
void Key(Form1& form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
bool FocusedOn(Form1& form, Place want);
// Tab until the focus is on `want`; false when a whole round never got there.
bool TabTo(Form1& form, Place want);
// The keyboard focus on the card a move takes (the stock for a turn).
bool FocusFor(Form1& form, const solver::Move& m);
// Then the move made from there as a player makes it: Return turns the stock
// or sends the card up, Space picks it up, the column's digit carries it
// there and Space drops it. False when the card did not arrive.
bool PlayByKeys(Form1& form, const solver::Move& m);

// Every card widget of the form at its card's place.
bool WidgetsAtModelPlaces(Form1& form, QString* why);
// Within each column, a later row is drawn over (and hit before) an earlier one.
bool ColumnsStackedInRowOrder(Form1& form, QString* why);

}  // namespace tarvo::testing
