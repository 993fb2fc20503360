#include "platform/x11/X11TrayHost.h"

#include "platform/x11/Xcb.h"

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

bool xembedTrayOwned() {
    using namespace x11;
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return false;
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem;
         xcb_screen_next(&it), ++number) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(number);
        Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr));
        // An atom nobody ever interned names no selection anybody owns.
        if (!atom || atom->atom == XCB_ATOM_NONE)
            continue;
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
        if (owner && owner->owner != XCB_WINDOW_NONE)
            return true;
    }
    return false;
}

X11TrayHost::X11TrayHost(QObject* parent, const QString& busConnection)
    : TrayHost(parent)
    , busConnection_(busConnection) {}

X11TrayHost::~X11TrayHost() = default;

void X11TrayHost::check() {
    if (pending_)
        return;
    // Connecting happens once per process, on Qt's own D-Bus thread.
    QDBusConnection bus =
        busConnection_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busConnection_);
    if (!bus.isConnected()) {
        // Without a session bus only an XEmbed tray can be there.
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

void X11TrayHost::answer(bool statusNotifierHost) {
    emit answered(statusNotifierHost || xembedTrayOwned());
}

} // namespace platform
