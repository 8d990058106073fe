#pragma once
// One look, for the whole application, at every mouse press, double click and
// release before a widget gets it (and whether the last press was a key's). It keeps the press
// history that a card's double click needs (Qt pairs presses by time, distance and button alone,
// whoever took them) and tells each window of the pointer events, so that a
// window decides in one place, in its own order, what they mean to it.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

namespace tarvo {

class PointerWatcher final : public QObject {
  public:
    // The application's watcher, made on first use.
    static PointerWatcher& Instance();

    // Whether the press before the one being delivered now went to `widget`
    // with `button`. A double click counts as the press being delivered.
    bool PressBeforeWas(const QObject* widget, Qt::MouseButton button) const;
    // Whether the last press anywhere was of a key rather than a mouse button.
    bool LastPressWasAKey() const { return lastPressWasAKey_; }

    // `listener` hears of every press, double click and release to any widget,
    // before the widget does, until `owner` is destroyed or unwatches.
    using Listener = std::function<void(QWidget* receiver, QEvent::Type type)>;
    void Watch(QObject* owner, Listener listener);
    void Unwatch(QObject* owner);

  protected:
    bool eventFilter(QObject* receiver, QEvent* e) override;

  private:
    using QObject::QObject;
    void Remember(QObject* receiver, QEvent* e);

    struct Press {
        QPointer<QObject> widget;
        Qt::MouseButton button = Qt::NoButton;
    };
    Press before_, last_;
    quint64 lastStamp_ = ~quint64{0};
    QEvent::Type lastType_ = QEvent::None;
    bool lastPressWasAKey_ = false;
    std::vector<std::pair<QObject*, Listener>> listeners_;
};

}  // namespace tarvo
