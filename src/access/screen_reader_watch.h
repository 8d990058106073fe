#pragma once
// A screen reader switched on after the game started. Qt's bridge to the
// accessibility bus reads the bus's org.a11y.Status only once, at start, and
// never hears it change; this watch hears the change on the session bus and
// wakes the bridge, so the game appears (or goes quiet) as the screen reader
// comes and goes. While no screen reader is switched on, nothing runs: one
// signal subscription waits.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace tarvo {

class ScreenReaderWatch : public QObject {
    Q_OBJECT
  public:
    // Before any widget exists: the bridge must still be unborn, to be seen
    // being made.
    ScreenReaderWatch();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private slots:
    void StatusChanged(const QString& interface, const QVariantMap& changed,
                       const QStringList& invalidated);

  private:
    // The bridge's connection object; Qt keeps it out of any object tree.
    QPointer<QObject> connection_;
};

}  // namespace tarvo
