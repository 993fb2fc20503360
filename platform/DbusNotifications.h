#pragma once

#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QHash>
#include <QStringList>

namespace platform {

// Notices through the desktop's notification service (org.freedesktop.Notifications on the
// session bus), which X11 and Wayland desktops alike provide. Every call is asynchronous.
// Where no service answers, or it refuses a notice, or the notice has buttons and the
// service shows none, the notice goes to `fallback` instead; the ids stay this object's.
// Only the actions of our own notices are reported.
//
// GUI thread only.
class DbusNotifications : public DesktopNotifications {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kInterface = "org.freedesktop.Notifications";

    // `appName` and `icon` (a theme icon name) go with every notice. `fallback` must outlive
    // this object.
    DbusNotifications(const QDBusConnection& bus, DesktopNotifications* fallback,
                      const QString& appName, const QString& icon, QObject* parent = nullptr);
    ~DbusNotifications() override;

    quint32 notify(const QString& summary, const QString& body,
                   const QList<Action>& actions = {}) override;

private slots:
    void onActionInvoked(uint serverId, const QString& actionKey);
    void onClosed(uint serverId, uint reason);

private:
    struct Notice {
        quint32 id = 0;
        QString summary;
        QString body;
        QList<Action> actions;
    };
    void askCapabilities();
    void onCapabilities(bool answered, const QStringList& capabilities);
    void send(const Notice& notice);
    void fallBack(const Notice& notice);
    void onFallbackAction(quint32 fallbackId, const QString& actionKey);

    QDBusConnection bus_;
    DesktopNotifications* fallback_;
    QString appName_;
    QString icon_;
    // What the service said it can do; asked once per service, again after it failed us.
    bool asking_ = false;
    bool capabilitiesKnown_ = false;
    QStringList capabilities_;
    QList<Notice> waiting_; // until the capabilities are known
    QHash<uint, quint32> byServerId_;
    QHash<quint32, quint32> byFallbackId_;
    quint32 lastId_ = 0;
};

} // namespace platform
