#include "app/form1.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>

#include "access/keyboard_window.h"
#include "access/table_accessible.h"
#include "table/card_pictures.h"
#include "table/pointer_watcher.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

namespace tarvo {

namespace {

const QString kPublisher = QStringLiteral("Quattro Semi");

}  // namespace

Form1::Form1() : Form1(Options{}) {}

Form1::Form1(Options options) : options_(std::move(options)) {
    TableAccessibility::InstallFactory();
    setWindowTitle(kPublisher + QStringLiteral(" - Tarvo"));

    if (options_.sound) {
        sound_ = std::move(options_.sound);
    } else {
        // Notifications from the audio thread reach the handlers on ours,
        // and never after the window is gone.
        QPointer<Form1> self(this);
        sound_ = OpenSoundDevices([self](std::function<void()> f) {
            if (!self) return;
            QMetaObject::invokeMethod(
                self.data(),
                [self, f = std::move(f)] {
                    if (self) f();
                },
                Qt::QueuedConnection);
        });
    }

    surface_ = new TableSurface(this);
    setCentralWidget(surface_);
    surface_->onMazzoClick = [this] { mazzo_Click(); };
    surface_->onBarePress = [this] { Form_MouseDown(); };
    surface_->onFirstPaint = [this] {
        // Decoding the icon's sizes would hold up the window's first frame.
        // Qualified: inside the class, plain windowIcon() is QWidget's own.
        setWindowIcon(tarvo::windowIcon());
        sound_->Start();
    };
    // Off the table until the first deal, so the title picture shows alone.
    const QPoint hidden(static_cast<int>(kHidingLeftPx), static_cast<int>(kHidingTopPx));
    for (int16_t i = 1; i <= kCardCount; ++i) {
        Carta[i] = new CardWidget(i, *this, surface_);
        Carta[i]->move(hidden);
        shownAt_[i] = hidden;
    }
    accessibility_ = new TableAccessibility(table_, *surface_, Carta);
    BuildPanels();
    BuildMenus();
    table_.Finale = [this] { Finale(); };
    MMC1().Done = [this](int code) { MMC1_Done(code); };
    MMC1().StopCompleted = [this] { MMC1_StopCompleted(); };
    PointerWatcher::Instance().Watch(
        this, [this](QWidget* receiver, QEvent::Type type) { PointerEvent(receiver, type); });
    Form_Load();
    keyboard_ = std::make_unique<TableKeyboard>(*this);
    accessibility_->FollowKeyboard(Keyboard());
    // The window holds the keyboard focus itself: a menu bar that had the
    // keys gives them back to it when a menu closes.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    // Mapped at its size and place from the start, not moved there after.
    SizeAndCentre();
}

Form1::~Form1() {
    PointerWatcher::Instance().Unwatch(this);
    // It reads the keyboard, which goes before the surface would delete it.
    delete accessibility_;
    // The devices may still hold handlers that point here.
    MMC1().Done = nullptr;
    MMC1().StopCompleted = nullptr;
}

QString Form1::ProgramFile(const char* name) const {
    const QString dir = options_.programDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : options_.programDir;
    return dir + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace tarvo
