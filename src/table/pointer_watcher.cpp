#include "table/pointer_watcher.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace tarvo {

namespace {

bool IsAncestor(const QObject* maybeParent, const QObject* child) {
    for (const QObject* o = child ? child->parent() : nullptr; o; o = o->parent()) {
        if (o == maybeParent) return true;
    }
    return false;
}

}  // namespace

PointerWatcher& PointerWatcher::Instance() {
    static QPointer<PointerWatcher> watcher;
    if (!watcher) {
        watcher = new PointerWatcher(qApp);
        qApp->installEventFilter(watcher);
    }
    return *watcher;
}

bool PointerWatcher::PressBeforeWas(const QObject* widget, Qt::MouseButton button) const {
    return before_.widget == widget && before_.button == button;
}

void PointerWatcher::Watch(QObject* owner, Listener listener) {
    listeners_.emplace_back(owner, std::move(listener));
    connect(owner, &QObject::destroyed, this, [this, owner] { Unwatch(owner); });
}

void PointerWatcher::Unwatch(QObject* owner) {
    std::erase_if(listeners_, [owner](const auto& l) { return l.first == owner; });
}

void PointerWatcher::Remember(QObject* receiver, QEvent* e) {
    // A press that a widget ignores goes on to its parent: that is still the
    // same press, not one more in between.
    const auto* me = static_cast<QMouseEvent*>(e);
    if (me->timestamp() != lastStamp_ || me->button() != last_.button || e->type() != lastType_ ||
        !IsAncestor(receiver, last_.widget)) {
        before_ = last_;
    }
    last_ = {receiver, me->button()};
    lastStamp_ = me->timestamp();
    lastType_ = e->type();
}

bool PointerWatcher::eventFilter(QObject* receiver, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type == QEvent::KeyPress) lastPressWasAKey_ = true;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        lastPressWasAKey_ = false;
    if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
         type != QEvent::MouseButtonRelease) ||
        !receiver->isWidgetType()) {
        return false;
    }
    if (type != QEvent::MouseButtonRelease) Remember(receiver, e);
    // A listener may close a window and so unwatch: go through a copy.
    const auto listeners = listeners_;
    for (const auto& [owner, listener] : listeners)
        listener(static_cast<QWidget*>(receiver), type);
    return false;
}

}  // namespace tarvo
