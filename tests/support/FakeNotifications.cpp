#include "tests/support/FakeNotifications.h"

#include <QDBusError>

namespace {
const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
} // namespace

FakeNotifications::FakeNotifications(const QDBusConnection& bus)
    : bus_(bus) {}

bool FakeNotifications::offer() {
    return bus_.registerObject(QLatin1String(kPath), this,
                               QDBusConnection::ExportAllSlots |
                                   QDBusConnection::ExportAllSignals) &&
           bus_.registerService(QLatin1String(kService));
}

void FakeNotifications::withdraw() {
    bus_.unregisterService(QLatin1String(kService));
    bus_.unregisterObject(QLatin1String(kPath));
}

void FakeNotifications::invoke(uint id, const QString& actionKey) {
    emit ActionInvoked(id, actionKey);
}

QStringList FakeNotifications::GetCapabilities() {
    return capabilities;
}

uint FakeNotifications::Notify(const QString& appName, uint replacesId, const QString& icon,
                               const QString& summary, const QString& body,
                               const QStringList& actions, const QVariantMap& hints, int timeout) {
    Q_UNUSED(hints)
    if (!refuseWith.isEmpty()) {
        sendErrorReply(QDBusError::Failed, refuseWith);
        return 0;
    }
    const uint id = ++lastId_;
    notices.append({appName, replacesId, icon, summary, body, actions, timeout, id});
    return id;
}

void FakeNotifications::CloseNotification(uint id) {
    emit NotificationClosed(id, 3);
}

QString FakeNotifications::GetServerInformation(QString& vendor, QString& version,
                                                QString& protocolVersion) {
    vendor = QStringLiteral("tests");
    version = QStringLiteral("1");
    protocolVersion = QStringLiteral("1.2");
    return QStringLiteral("fake-notifications");
}
