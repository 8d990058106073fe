#pragma once
// The one window of the game. It owns the table state, the widgets that show
// it and the sound devices; every handler is one of its member functions,
// named after widget and event. Each subsystem defines its handlers in its
// own folder: the mouse in table/, the keys and the screen reader in access/,
// the menus and panels in ui/, the sound in audio/, the start of a game in
// lifecycle/.

#include <QEvent>
#include <QMainWindow>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "audio/sound_devices.h"
#include "model/history.h"
#include "model/table.h"
#include "solver/solver_worker.h"
#include "table/card_gestures.h"
#include "table/card_handlers.h"
#include "table/card_widget.h"

class QAction;
class QEventLoop;
class QMenu;

namespace tarvo {

class HintMarks;
class KeyboardPlay;
class TableAccessibility;
class TableKeyboard;
class TableSurface;
class TextPanel;

class Form1 final : public QMainWindow, public TableHandlers, private GestureEffects {
  public:
    struct Options {
        // The sound devices; null opens the real ones.
        std::unique_ptr<SoundDevices> sound;
        // The title pause of the first game start.
        std::chrono::milliseconds titlePause{3000};
        // Where the sound files are; empty is the executable's directory.
        QString programDir;
        // Ends the program after the window is unloaded; empty quits the application.
        std::function<void()> endProgram;
    };

    Form1();
    explicit Form1(Options options);
    ~Form1() override;

    Table& table() { return table_; }
    MciDevice& MMC1() { return sound_->music(); }
    MciDevice& MMCw() { return sound_->wave(); }
    TableSurface* Surface() const { return surface_; }
    // The table for assistive technology; the keyboard focus reports to it.
    TableAccessibility& Accessibility() const { return *accessibility_; }
    const CardGestures& Gestures() const { return gestures_; }
    // The keyboard's focus on the table and its pick-up; onFocusMoved is free to hook.
    KeyboardPlay& Keyboard();

    // Widgets, by the names the handlers use.
    std::array<CardWidget*, 41> Carta{};
    TextPanel* Text2 = nullptr;
    TextPanel* Text3 = nullptr;
    TextPanel* Text4 = nullptr;
    QMenu* shuffle_cards = nullptr;
    QAction* Nuova = nullptr;
    QAction* Exit = nullptr;
    QMenu* Option = nullptr;
    QAction* Option_Card_rustle = nullptr;
    QAction* Option_music = nullptr;
    QMenu* menu_rules = nullptr;
    QAction* Menu_english = nullptr;
    QAction* Menu_italiano = nullptr;
    QAction* Menu_about = nullptr;

    // Window and lifecycle.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_MouseDown();
    void Nuova_Click();
    void Exit_Click();
    void shuffle_cards_Click();
    void LayoutTable();

    // Menus and panels.
    void Option_Click();
    void Menu_english_Click();
    void Menu_italiano_Click();
    void Menu_about_Click();
    void Text2_Click();
    void Text3_Click();
    void Text4_Click();

    // Sound.
    void Option_music_Click();
    void Option_card_rustle_Click();
    void MMC1_Done(int notifyCode);
    void MMC1_StopCompleted();
    void Finale();

    // The cards and the stock, from the mouse or the keys.
    void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) override;
    void Carta_Click(int16_t Index) override;
    void Carta_DblClick(int16_t Index) override;
    void mazzo_Click() override;
    void GestureBrokenOff() override;

    // Puts every card widget where the table says, in the table's drawing
    // order, and records a move that changed the table for undo.
    void SyncCards();

    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y: while a card is held they only end
    // its gesture.
    void UndoKey(bool redo);
    // H: the solver's hint, shown and said once it is found. From the first
    // H on, the solver follows every move on its own thread.
    void HintKey();
    // The hint's mark and sign, once H has shown them; null before.
    const HintMarks* HintShown() const { return hintMarks_; }
    // Shift+F2: a new game the solver proves can be won, dealt when found.
    void WinnableDealKey();

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

  private:
    // GestureEffects
    void HidePanels() override;
    void ReleaseSound() override;
    void ClickSound() override;
    void HideMazzo() override;

    // A press, double click or release anywhere, before its widget has it.
    void PointerEvent(QWidget* receiver, QEvent::Type type);
    bool CaptureLost(const QObject* receiver) const;
    void BuildMenus();
    void BuildPanels();
    // A panel opened from the keyboard takes the keys, to be read and
    // scrolled; one opened with the mouse looks as it always did. When the
    // panel with the keys goes, the table has them again.
    bool PanelHasKeys() const;
    void PanelsChanged(bool hadKeys);
    void SizeAndCentre();
    void FollowFrame();
    QSize FrameExtra() const;
    bool TitlePause();
    // A new deal: nothing to undo.
    void ForgetMoves();
    // The table after a move, undo, redo or deal: a new position for the solver.
    void TableMoved();
    void EnsureSolver();
    void FeedSolver();
    void WinnableDealFound(std::optional<solver::Deck> deck);
    void HintFound(uint64_t generation, const solver::Hint& hint);
    void ShowHint(const solver::Hint& hint);
    // The hint's mark and sign, made when first shown.
    HintMarks& Marks();
    QString ProgramFile(const char* name) const;

    Options options_;
    Table table_;
    std::unique_ptr<SoundDevices> sound_;
    CardGestures gestures_{table_, *this};
    TableSurface* surface_ = nullptr;
    TableAccessibility* accessibility_ = nullptr;  // the table surface's
    std::array<QPoint, 41> shownAt_{};
    std::array<unsigned, 41> shownZ_{};
    bool activated_ = false;
    bool unloaded_ = false;
    QEventLoop* pause_ = nullptr;
    QSize frameExtra_;
    std::unique_ptr<TableKeyboard> keyboard_;
    History history_;
    Table rest_;               // the table after the last move, as undo saves it
    uint64_t generation_ = 0;  // moves, undos and deals so far
    bool hintWanted_ = false;
    bool hintGiven_ = false;  // the first hint of a run says what it knows
    std::optional<std::pair<uint64_t, solver::Hint>> lastHint_;
    HintMarks* hintMarks_ = nullptr;  // made by the first hint shown
    // Last: destroyed first, so no answer comes for a window half gone.
    std::unique_ptr<solver::SolverWorker> solver_;
};

}  // namespace tarvo
