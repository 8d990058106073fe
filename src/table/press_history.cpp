#include "table/press_history.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace tarvo {

namespace {

struct Press {
    QPointer<QObject> widget;
    Qt::MouseButton button = Qt::NoButton;
};

class PressWatcher final : public QObject {
  public:
    using QObject::QObject;
    Press before, last;

    bool eventFilter(QObject* receiver, QEvent* e) override {
        const QEvent::Type type = e->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
            receiver->isWidgetType()) {
            // A press that a widget ignores goes on to its parent: that is
            // still the same press, not one more in between.
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->timestamp() != lastStamp_ || me->button() != last.button || type != lastType_ ||
                !IsAncestor(receiver, last.widget)) {
                before = last;
            }
            last = {receiver, me->button()};
            lastStamp_ = me->timestamp();
            lastType_ = type;
        }
        return false;
    }

  private:
    static bool IsAncestor(const QObject* maybeParent, const QObject* child) {
        for (const QObject* o = child ? child->parent() : nullptr; o; o = o->parent()) {
            if (o == maybeParent) return true;
        }
        return false;
    }

    quint64 lastStamp_ = ~quint64{0};
    QEvent::Type lastType_ = QEvent::None;
};

QPointer<PressWatcher>& Watcher() {
    static QPointer<PressWatcher> watcher;
    return watcher;
}

}  // namespace

void WatchPresses() {
    if (Watcher() || !qApp) return;
    Watcher() = new PressWatcher(qApp);
    qApp->installEventFilter(Watcher());
}

bool PressBeforeWas(const QObject* widget, Qt::MouseButton button) {
    const PressWatcher* w = Watcher();
    return w && w->before.widget == widget && w->before.button == button;
}

}  // namespace tarvo
