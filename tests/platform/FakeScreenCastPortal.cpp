#include "tests/platform/FakeScreenCastPortal.h"

#include "platform/wayland/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>

#include <unistd.h>

namespace {

// The D-Bus shapes of a Start answer: a(ua{sv}) with (ii) pairs inside.
struct Pair {
    int a = 0, b = 0;
};
struct StreamEntry {
    uint node = 0;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& arg, const Pair& p) {
    arg.beginStructure();
    arg << p.a << p.b;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, Pair& p) {
    arg.beginStructure();
    arg >> p.a >> p.b;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const StreamEntry& s) {
    arg.beginStructure();
    arg << s.node << s.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, StreamEntry& s) {
    arg.beginStructure();
    arg >> s.node >> s.properties;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(Pair)
Q_DECLARE_METATYPE(StreamEntry)

QDBusObjectPath answerLater(QObject* portal, const QDBusConnection& bus, const QDBusMessage& call,
                            const QVariantMap& options, uint response, const QVariantMap& results) {
    const QString path = platform::wayland::PortalRequest::requestPath(
        call.service(), options.value("handle_token").toString());
    QTimer::singleShot(0, portal, [bus, path, response, results] {
        QDBusMessage signal =
            QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        signal << response << results;
        QDBusConnection(bus).send(signal);
    });
    return QDBusObjectPath(path);
}

QDBusObjectPath FakeScreenCastPortal::respond(const QVariantMap& options, uint response,
                                              const QVariantMap& results) {
    return answerLater(this, bus_, message(), options, response, results);
}

QDBusObjectPath FakeScreenCastPortal::CreateSession(const QVariantMap& options) {
    const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/fake/%1")
                                .arg(options.value("session_handle_token").toString());
    sessions << session;
    bus_.registerObject(session, new FakeSession(this, &closedSessions, session),
                        QDBusConnection::ExportAllSlots);
    return respond(options, 0, {{"session_handle", session}});
}

QDBusObjectPath FakeScreenCastPortal::SelectSources(const QDBusObjectPath& session,
                                                    const QVariantMap& options) {
    selectOptions << options;
    if (!unreadableToken.isEmpty() &&
        options.value("restore_token").toString() == unreadableToken) {
        sendErrorReply(QDBusError::InvalidArgs, "Restore token is not a valid UUID string");
        return QDBusObjectPath();
    }
    if (closeOnSelect) {
        const QString path = session.path();
        // The portal and its backend each announce it, as they do on a real desktop.
        QTimer::singleShot(0, this, [this, path] {
            endSession(path);
            endSession(path);
        });
        return QDBusObjectPath(platform::wayland::PortalRequest::requestPath(
            message().service(), options.value("handle_token").toString()));
    }
    return respond(options, selectResponse, {});
}

QDBusObjectPath FakeScreenCastPortal::Start(const QDBusObjectPath&, const QString&,
                                            const QVariantMap& options) {
    const QString asked = selectOptions.isEmpty()
                              ? QString()
                              : selectOptions.last().value("restore_token").toString();
    if (!staleToken.isEmpty() && asked == staleToken)
        return respond(options, 2, {});
    qDBusRegisterMetaType<Pair>();
    qDBusRegisterMetaType<StreamEntry>();
    qDBusRegisterMetaType<QList<StreamEntry>>();
    QList<StreamEntry> entries;
    for (const Stream& s : streams) {
        StreamEntry e;
        e.node = s.node;
        e.properties.insert("position", QVariant::fromValue(Pair{s.x, s.y}));
        e.properties.insert("size", QVariant::fromValue(Pair{s.width, s.height}));
        e.properties.insert("source_type", s.sourceType);
        entries << e;
    }
    QVariantMap results;
    results.insert("streams", garbageStreams ? QVariant(QStringLiteral("HEADLESS-1"))
                                             : QVariant::fromValue(entries));
    if (!newToken.isEmpty())
        results.insert("restore_token", newToken);
    return respond(options, startResponse, results);
}

QDBusUnixFileDescriptor FakeScreenCastPortal::OpenPipeWireRemote(const QDBusObjectPath&,
                                                                 const QVariantMap&) {
    int fds[2];
    if (pipe(fds) != 0)
        return QDBusUnixFileDescriptor();
    QDBusUnixFileDescriptor remote(fds[0]); // takes a copy
    close(fds[0]);
    close(fds[1]);
    return remote;
}

void FakeScreenCastPortal::endSession(const QString& session) {
    QDBusMessage signal =
        QDBusMessage::createSignal(session, "org.freedesktop.portal.Session", "Closed");
    signal << QVariantMap();
    bus_.send(signal);
}
