#include "platform/WatcherTrayHost.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMetaObject>

namespace platform {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A watcher that has not answered in this time is taken as absent; the next check asks
// again. Well below the program's interval between checks, and far above what a panel on
// a loaded desktop takes to answer a property read.
constexpr int kWatcherTimeoutMs = 2000;

} // namespace

WatcherTrayHost::WatcherTrayHost(QObject* parent, const QString& busConnection)
    : TrayHost(parent)
    , busConnection_(busConnection) {}

WatcherTrayHost::~WatcherTrayHost() = default;

void WatcherTrayHost::check() {
    if (pending_)
        return;
    // Connecting happens once per process, on Qt's own D-Bus thread.
    QDBusConnection bus =
        busConnection_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busConnection_);
    if (!bus.isConnected()) {
        // Without a session bus only another kind of tray can be there.
        QMetaObject::invokeMethod(
            this, [this] { answer(false); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    pending_ = new QDBusPendingCallWatcher(bus.asyncCall(get, kWatcherTimeoutMs), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<QDBusVariant> reply = *call;
                call->deleteLater();
                pending_ = nullptr;
                // No watcher on the bus is an error reply: no such host.
                answer(!reply.isError() && reply.value().variant().toBool());
            });
}

void WatcherTrayHost::answer(bool statusNotifierHost) {
    emit answered(statusNotifierHost || otherTray());
}

} // namespace platform
