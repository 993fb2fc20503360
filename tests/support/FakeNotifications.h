#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification service as the tests play it on a private bus: it keeps every
// notice it is given, answers with the capabilities and the failure the test sets, and
// presses notices' buttons on the test's word.
class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notice {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        int timeout = 0;
        uint id = 0;
    };

    explicit FakeNotifications(const QDBusConnection& bus);

    // Exports the service on the bus; false when the name or the path is taken.
    bool offer();
    void withdraw();

    QStringList capabilities{QStringLiteral("body"), QStringLiteral("body-markup"),
                             QStringLiteral("actions")};
    // When set, Notify answers with this D-Bus error.
    QString refuseWith;
    QList<Notice> notices;

    // The user presses `actionKey` on notice `id` (any program's).
    void invoke(uint id, const QString& actionKey);

public slots:
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout);
    void CloseNotification(uint id);
    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion);

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    // Starts above 1 so that another program's notice 1 is never taken for ours by accident.
    uint lastId_ = 40;
};
