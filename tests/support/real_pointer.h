#pragma once
// A pointer with a clock, through Qt's own input path (hit testing, implicit
// grab, double-click detection), with timestamps as a hand makes them: two
// presses close in time and place become a double click wherever they land.
// It shares QTest's clock, so QTest calls may be mixed in.

#include <QWindow>
#include <QtTest>

namespace tarvo::testing {

class RealPointer {
  public:
    explicit RealPointer(QWindow* window) : w_(window) {}

    void Wait(int ms) { QTest::lastMouseTimestamp += ms; }
    void Move(QPoint at) { Send(QEvent::MouseMove, Qt::NoButton, at); }
    void Press(Qt::MouseButton b, QPoint at) {
        QTestPrivate::qtestMouseButtons |= b;
        Send(QEvent::MouseButtonPress, b, at);
    }
    void Release(Qt::MouseButton b, QPoint at) {
        QTestPrivate::qtestMouseButtons &= ~b;
        Send(QEvent::MouseButtonRelease, b, at);
    }
    // A press and release at one point, `holdMs` apart.
    void Click(QPoint at, int holdMs = 60, Qt::MouseButton b = Qt::LeftButton) {
        Press(b, at);
        Wait(holdMs);
        Release(b, at);
    }
    Qt::MouseButtons Held() const { return QTestPrivate::qtestMouseButtons; }
    QPoint At() const { return at_; }

  private:
    void Send(QEvent::Type type, Qt::MouseButton b, QPoint at) {
        at_ = at;
        ++QTest::lastMouseTimestamp;  // strictly increasing, as a device's clock
        qt_handleMouseEvent(w_, at, w_->mapToGlobal(at), QTestPrivate::qtestMouseButtons, b, type,
                            Qt::NoModifier, QTest::lastMouseTimestamp);
        qApp->processEvents();
    }

    QWindow* w_;
    QPoint at_;
};

}  // namespace tarvo::testing
