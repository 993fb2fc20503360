#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A portal's answer as the tests' portals give it: `response` and `results` on the Request
// object for the call's handle_token, sent from the event loop once the call's own reply is
// on its way. Returns that object's path, the call's reply.
QDBusObjectPath answerLater(QObject* portal, const QDBusConnection& bus, const QDBusMessage& call,
                            const QVariantMap& options, uint response, const QVariantMap& results);

// The desktop's ScreenCast portal as the tests play it on a private bus: it answers each
// request as the fields below say, and keeps what it was asked.
class FakeScreenCastPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableSourceTypes READ sourceTypes)
    Q_PROPERTY(uint AvailableCursorModes READ cursorModes)
public:
    // How the portal answers a request: a response code and, for Start, what it sends.
    struct Stream {
        uint node = 0;
        int x = 0, y = 0, width = 0, height = 0;
        uint sourceType = 1;
    };
    explicit FakeScreenCastPortal(const QDBusConnection& bus)
        : bus_(bus) {}

    uint version() const { return interfaceVersion; }
    uint sourceTypes() const { return availableSourceTypes; }
    uint cursorModes() const { return availableCursorModes; }

    uint interfaceVersion = 4;
    uint availableSourceTypes = 1 | 2;
    uint availableCursorModes = 1 | 2 | 4;
    uint selectResponse = 0;
    uint startResponse = 0;
    // Start answers 2 (the choice cannot be restored) when asked with this token.
    QString staleToken;
    QString newToken = QStringLiteral("token-2");
    QList<Stream> streams = {{42, 0, 0, 1920, 1080, 1}};
    // SelectSources ends the session instead of answering, as xdg-desktop-portal-wlr does
    // when the user closes its chooser.
    bool closeOnSelect = false;
    // SelectSources refuses the call itself when it carries this token (one it cannot
    // read), instead of answering later.
    QString unreadableToken;
    // Replaces the streams entry with a string, as a broken portal might.
    bool garbageStreams = false;

    // What it was asked.
    QList<QVariantMap> selectOptions;
    QStringList sessions;       // made, in order
    QStringList closedSessions; // closed by the client

    // Ends a session from the desktop's side, as its sharing indicator does.
    void endSession(const QString& session);

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath SelectSources(const QDBusObjectPath& session, const QVariantMap& options);
    QDBusObjectPath Start(const QDBusObjectPath& session, const QString& parent,
                          const QVariantMap& options);
    QDBusUnixFileDescriptor OpenPipeWireRemote(const QDBusObjectPath& session,
                                               const QVariantMap& options);

private:
    // The request's path, answered once the method's reply is on its way.
    QDBusObjectPath respond(const QVariantMap& options, uint response, const QVariantMap& results);

    QDBusConnection bus_;
};

// A session object, which the client closes when done; its path goes to `closed` then.
class FakeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    FakeSession(QObject* portal, QStringList* closed, const QString& path)
        : QObject(portal)
        , closed_(closed)
        , path_(path) {}
public slots:
    void Close() { *closed_ << path_; }

private:
    QStringList* closed_;
    QString path_;
};
