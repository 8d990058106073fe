#include "access/screen_reader_watch.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QEvent>

namespace tarvo {

namespace {

// The accessibility bus launcher's status, as screen readers set it.
const char* const kA11yService = "org.a11y.Bus";
const char* const kA11yPath = "/org/a11y/bus";
const char* const kStatusInterface = "org.a11y.Status";
const char* const kStatusKeys[] = {"IsEnabled", "ScreenReaderEnabled"};
// Qt's own connection object, its slot that reads the status and joins the
// bus, its signal that switches the bridge, and the bus connection it names.
const char* const kBridgeConnectionClass = "DBusConnection";
const char* const kReadStatusSlot = "serviceRegistered";
const char* const kSwitchSignal = "enabledChanged";
const char* const kA11yConnectionName = "a11y";

}  // namespace

ScreenReaderWatch::ScreenReaderWatch() {
    // The bridge is made on the first accessibility question; its connection
    // object adopts a child as it is built, and that event names it.
    QCoreApplication::instance()->installEventFilter(this);
    QAccessible::isActive();
    QCoreApplication::instance()->removeEventFilter(this);
    if (connection_.isNull()) return;  // no bridge on this platform
    QDBusConnection::sessionBus().connect(
        QString::fromLatin1(kA11yService), QString::fromLatin1(kA11yPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
        {QString::fromLatin1(kStatusInterface)}, QString(), this,
        SLOT(StatusChanged(QString, QVariantMap, QStringList)));
}

bool ScreenReaderWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && connection_.isNull() &&
        qstrcmp(watched->metaObject()->className(), kBridgeConnectionClass) == 0)
        connection_ = watched;
    return false;
}

void ScreenReaderWatch::StatusChanged(const QString& interface, const QVariantMap& changed,
                                      const QStringList& /*invalidated*/) {
    bool on = false;
    bool relevant = false;
    for (const char* key : kStatusKeys) {
        const auto value = changed.find(QString::fromLatin1(key));
        if (value == changed.end()) continue;
        relevant = true;
        on = on || value->toBool();
    }
    if (interface != QLatin1String(kStatusInterface) || !relevant || connection_.isNull()) return;
    // Qt reads both properties again and joins or leaves the bus, as it does
    // when the bus first appears.
    QMetaObject::invokeMethod(connection_, kReadStatusSlot, Qt::DirectConnection);
    // Found the bus at start through the X server, Qt holds the connection as
    // switched on though it told the bridge before the bridge listened.
    if (on && !QAccessible::isActive() &&
        QDBusConnection(QString::fromLatin1(kA11yConnectionName)).isConnected())
        QMetaObject::invokeMethod(connection_, kSwitchSignal, Qt::DirectConnection,
                                  Q_ARG(bool, true));
}

}  // namespace tarvo
