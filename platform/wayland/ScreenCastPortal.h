#pragma once

#include "platform/wayland/CastStreams.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <functional>

class QDBusPendingCallWatcher;

namespace platform::wayland {

class PortalRequest;

// A screen cast through the desktop's ScreenCast portal: the desktop asks the user which
// monitors to share (or remembers the answer through a restore token), then hands over a
// PipeWire connection and one stream per monitor. The session stays open, and the desktop
// shows that the screen is shared, until close() or the object's end. Nothing here blocks:
// every step is an asynchronous D-Bus call. GUI thread only.
class ScreenCastPortal : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        Unavailable, // no portal, or one without screen casting
        Cancelled,   // the user closed the desktop's dialog
        Refused,     // the desktop said no, or answered something unusable
    };
    Q_ENUM(Failure)
    struct Options {
        // A token from an earlier cast: the desktop may then share the same monitors
        // without asking. Empty: ask.
        QString restoreToken;
        // The pointer sent beside the pictures, to be drawn by us; otherwise it is drawn
        // into them by the desktop, where it can.
        bool pointerAsMetadata = true;
    };
    // What an open cast gives.
    struct Cast {
        QDBusUnixFileDescriptor remote; // the PipeWire connection; dup() it to use it
        QList<CastStream> streams;
        QString restoreToken; // for next time; empty when the desktop gave none
        bool pointerAsMetadata = false;
    };

    explicit ScreenCastPortal(const QDBusConnection& bus, QObject* parent = nullptr);
    ~ScreenCastPortal() override;

    // Starts a cast; ends in opened() or failed(). A cast already open is closed first.
    void open(const Options& options);
    // Ends the cast, so that the desktop stops sharing. Harmless when none is open.
    void close();
    bool isOpen() const { return open_; }
    // The open cast (empty while none is).
    const Cast& cast() const { return cast_; }

signals:
    void opened();
    // `message` says what happened and what the user can do, translated.
    void failed(platform::wayland::ScreenCastPortal::Failure failure, const QString& message);
    // The desktop ended an open cast (the user stopped sharing from its indicator).
    void closedByDesktop();

private slots:
    void onSessionClosed();

private:
    using Answer = std::function<void(const QVariantMap& results)>;

    void readProperties();
    void createSession();
    void selectSources();
    void start();
    void openRemote();
    // Calls `method` of the ScreenCast interface with `args` followed by an options map
    // that carries a fresh request token; `answer` receives the accepted results.
    void ask(const QString& method, QList<QVariant> args, QVariantMap options, Answer answer);
    void onAnswer(uint response, const QVariantMap& results, const Answer& answer);
    // Starts again without the restore token, once; false when there was none to drop.
    bool retryWithoutToken();
    // Ends the attempt with `failure`, closing whatever session was made.
    void fail(Failure failure, const QString& message);
    // Whether the watcher's call failed; if so the attempt ends with a message naming `step`.
    bool callFailed(QDBusPendingCallWatcher* watcher, const char* step);

    QDBusConnection bus_;
    Options options_;
    Cast cast_;
    uint version_ = 0;
    uint cursorModes_ = 0;
    QString session_; // the session's object path, once made
    bool open_ = false;
    bool retried_ = false; // asked again without the restore token
    quint64 attempt_ = 0;  // answers to an earlier attempt are ignored
    QPointer<PortalRequest> pending_;
    QString step_; // the method pending_ answers
};

} // namespace platform::wayland
