// Starting, restarting and ending games: the start-of-game sequence with its
// title pause on the first run, a new game, exit.

#include <QAction>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "access/keyboard_window.h"
#include "app/form1.h"
#include "table/table_surface.h"

namespace tarvo {

namespace {

constexpr QSize kWindowOuterSizePx(kWindowOuterWidthPx, kWindowOuterHeightPx);

}  // namespace

void Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (activated_) return;
    activated_ = true;
    // Runs once the window is on screen, from the event loop, never again on
    // later activations.
    QTimer::singleShot(0, this, [this] {
        if (!unloaded_) Form_Activate();
    });
}

void Form1::Form_Activate() {
    for (int16_t i = 1; i <= kCardCount; ++i)
        table_.MoveCard(i, kHidingLeftPx, kHidingTopPx);
    surface_->SetMazzoShown(false);
    SyncCards();
    SizeAndCentre();

    if (!Nuova->isEnabled()) {
        if (!TitlePause()) return;  // the window was closed meanwhile
        surface_->ClearTitle();
    }
    Nuova->setEnabled(true);
    LayoutTable();
    if (Option_music->isChecked()) MMC1().Command("Play");
    table_.Mescola();
    ForgetMoves();
    SyncCards();
}

bool Form1::TitlePause() {
    // Waits on a monotonic clock, sleeping between events: no spinning, and
    // midnight or a clock change does not matter.
    QElapsedTimer since;
    since.start();
    QEventLoop loop;
    pause_ = &loop;
    while (!unloaded_ && since.elapsed() <= options_.titlePause.count()) {
        const auto left = options_.titlePause.count() - since.elapsed() + 1;
        QTimer::singleShot(std::max<qint64>(left, 1), &loop, &QEventLoop::quit);
        loop.exec();
    }
    pause_ = nullptr;
    return !unloaded_;
}

void Form1::SizeAndCentre() {
    // The outer size is 620 by 480 with the frame, where the window system has
    // told us the frame; without a window manager there is none.
    frameExtra_ = FrameExtra();
    const QSize client = kWindowOuterSizePx - frameExtra_;
    setFixedSize(client);
    const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 1024, 768);
    const int left = static_cast<int>(screen.width() / 2.0 - kWindowOuterSizePx.width() / 2.0);
    const int top = static_cast<int>(screen.height() / 2.0 - kWindowOuterSizePx.height() / 2.0);
    move(screen.x() + left, screen.y() + top);
}

void Form1::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    FollowFrame();
}

QSize Form1::FrameExtra() const {
    const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

void Form1::FollowFrame() {
    // A window manager adds its frame only after the window is mapped (we
    // learn it by the time the window is first activated): size and centre
    // again once the frame is known.
    if (activated_ && isVisible() && FrameExtra() != frameExtra_) {
        SizeAndCentre();
    }
}

void Form1::Nuova_Click() {
    gestures_.Forget();
    table_.DropCol = 0;
    table_.DropRow = 0;
    table_.HomeLeft = 0;
    table_.HomeTop = 0;
    for (int16_t i = 1; i <= kCardCount; ++i) {
        table_.Pool[i] = i;
        table_.Carta[i].Mark = "";
        table_.MoveCard(i, kParkingLeftPx, kParkingTopPx);
    }
    Form_Activate();
    // The keys' focus goes to a place of the new deal.
    if (keyboard_) keyboard_->Settle();
}

void Form1::Exit_Click() {
    close();
    // Still running when the window would not close: end all the same.
    if (!unloaded_) Form_Unload();
}

void Form1::shuffle_cards_Click() {
    HidePanels();
}

void Form1::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

}  // namespace tarvo
