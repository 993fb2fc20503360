#include "platform/DbusNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace platform {

namespace {

// A service that does not answer within this is taken for absent: the user should see the
// notice while it still means something, from our popup if need be. Long enough for a
// notification daemon started on demand by the bus.
constexpr int kCallTimeoutMs = 5000;
// Let the service pick how long a notice stays, as the user configured it.
constexpr int kServerDefaultTimeout = -1;

} // namespace

DbusNotifications::DbusNotifications(const QDBusConnection& bus, DesktopNotifications* fallback,
                                     const QString& appName, const QString& icon, QObject* parent)
    : DesktopNotifications(parent)
    , bus_(bus)
    , fallback_(fallback)
    , appName_(appName)
    , icon_(icon) {
    bus_.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                 QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    bus_.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                 QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
    connect(fallback_, &DesktopNotifications::actionInvoked, this,
            &DbusNotifications::onFallbackAction);
}

DbusNotifications::~DbusNotifications() {
    bus_.disconnect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                    QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    bus_.disconnect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                    QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

quint32 DbusNotifications::notify(const QString& summary, const QString& body,
                                  const QList<Action>& actions) {
    const Notice notice{++lastId_, summary, body, actions};
    if (!bus_.isConnected()) {
        fallBack(notice);
        return notice.id;
    }
    if (capabilitiesKnown_) {
        send(notice);
        return notice.id;
    }
    waiting_.append(notice);
    askCapabilities();
    return notice.id;
}

void DbusNotifications::askCapabilities() {
    if (asking_)
        return;
    asking_ = true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
        QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        w->deleteLater();
        onCapabilities(!reply.isError(), reply.isError() ? QStringList() : reply.value());
    });
}

void DbusNotifications::onCapabilities(bool answered, const QStringList& capabilities) {
    asking_ = false;
    capabilitiesKnown_ = answered;
    capabilities_ = capabilities;
    const QList<Notice> waiting = std::exchange(waiting_, {});
    for (const Notice& notice : waiting) {
        if (answered)
            send(notice);
        else
            fallBack(notice);
    }
}

void DbusNotifications::send(const Notice& notice) {
    // Buttons the service would not show would leave the user without the deed.
    if (!notice.actions.isEmpty() && !capabilities_.contains(QLatin1String("actions"))) {
        fallBack(notice);
        return;
    }
    // Where the service reads the body as markup, its few markup characters are escaped so
    // that outside text (a file name, a server's reason) shows as the characters it is.
    const QString body = capabilities_.contains(QLatin1String("body-markup"))
                             ? notice.body.toHtmlEscaped()
                             : notice.body;
    QStringList actions;
    for (const Action& action : notice.actions)
        actions << action.key << action.label;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("Notify"));
    call << appName_ << uint(0) << icon_ << notice.summary << body << actions << QVariantMap()
         << int(kServerDefaultTimeout);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError()) {
                    // The service went, or refused this one: ask afresh next time.
                    capabilitiesKnown_ = false;
                    fallBack(notice);
                    return;
                }
                byServerId_.insert(reply.value(), notice.id);
            });
}

void DbusNotifications::fallBack(const Notice& notice) {
    const quint32 fallbackId = fallback_->notify(notice.summary, notice.body, notice.actions);
    byFallbackId_.insert(fallbackId, notice.id);
}

void DbusNotifications::onFallbackAction(quint32 fallbackId, const QString& actionKey) {
    const auto it = byFallbackId_.constFind(fallbackId);
    if (it != byFallbackId_.constEnd())
        emit actionInvoked(it.value(), actionKey);
}

void DbusNotifications::onActionInvoked(uint serverId, const QString& actionKey) {
    // The signal goes to every client of the service: other programs' notices are theirs.
    const auto it = byServerId_.constFind(serverId);
    if (it != byServerId_.constEnd())
        emit actionInvoked(it.value(), actionKey);
}

void DbusNotifications::onClosed(uint serverId, uint reason) {
    Q_UNUSED(reason)
    byServerId_.remove(serverId);
}

} // namespace platform
