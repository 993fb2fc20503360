#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// One shortcut in the portal's a(sa{sv}) lists.
struct FakeShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(FakeShortcut)
QDBusArgument& operator<<(QDBusArgument& arg, const FakeShortcut& s);
const QDBusArgument& operator>>(const QDBusArgument& arg, FakeShortcut& s);

// The desktop's GlobalShortcuts portal as the tests play it on a private bus: it binds what
// it is asked (answering as the fields below say), keeps what it was asked, and presses
// shortcuts on the test's word.
class FakeShortcutsPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakeShortcutsPortal(const QDBusConnection& bus);

    uint version() const { return 1; }

    uint bindResponse = 0;
    // Each bound shortcut's trigger as the desktop describes it, by id.
    QVariantMap triggerDescriptions;

    QStringList sessions;       // made, in order
    QStringList closedSessions; // closed by the client
    // Each BindShortcuts call's shortcuts.
    QList<QList<FakeShortcut>> binds;

    // The user presses shortcut `id` of `session`.
    void press(const QString& session, const QString& id);

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session,
                                  const QList<FakeShortcut>& shortcuts, const QString& parent,
                                  const QVariantMap& options);

private:
    QDBusConnection bus_;
};
