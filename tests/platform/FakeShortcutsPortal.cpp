#include "tests/platform/FakeShortcutsPortal.h"

#include "tests/platform/FakeScreenCastPortal.h"

#include <QDBusMessage>
#include <QDBusMetaType>

QDBusArgument& operator<<(QDBusArgument& arg, const FakeShortcut& s) {
    arg.beginStructure();
    arg << s.id << s.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, FakeShortcut& s) {
    arg.beginStructure();
    arg >> s.id >> s.properties;
    arg.endStructure();
    return arg;
}

FakeShortcutsPortal::FakeShortcutsPortal(const QDBusConnection& bus)
    : bus_(bus) {
    qDBusRegisterMetaType<FakeShortcut>();
    qDBusRegisterMetaType<QList<FakeShortcut>>();
}

QDBusObjectPath FakeShortcutsPortal::CreateSession(const QVariantMap& options) {
    const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/keys/%1")
                                .arg(options.value("session_handle_token").toString());
    sessions << session;
    bus_.registerObject(session, new FakeSession(this, &closedSessions, session),
                        QDBusConnection::ExportAllSlots);
    return answerLater(this, bus_, message(), options, 0, {{"session_handle", session}});
}

QDBusObjectPath FakeShortcutsPortal::BindShortcuts(const QDBusObjectPath&,
                                                   const QList<FakeShortcut>& shortcuts,
                                                   const QString&, const QVariantMap& options) {
    binds << shortcuts;
    QList<FakeShortcut> bound;
    for (const FakeShortcut& s : shortcuts) {
        FakeShortcut b{s.id, {{"description", s.properties.value("description")}}};
        if (triggerDescriptions.contains(s.id))
            b.properties.insert("trigger_description", triggerDescriptions.value(s.id));
        bound << b;
    }
    return answerLater(this, bus_, message(), options, bindResponse,
                       {{"shortcuts", QVariant::fromValue(bound)}});
}

void FakeShortcutsPortal::press(const QString& session, const QString& id) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.GlobalShortcuts", "Activated");
    signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1234)
           << QVariantMap();
    bus_.send(signal);
}
