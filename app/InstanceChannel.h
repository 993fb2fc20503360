#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// The running instance's door for requests from later starts of the program
// (`clipnest --capture`, `clipnest --stop`). A local socket in the user's runtime folder, named
// after the user: other users' instances have their own, and only the owner may
// connect to it.
//
// Requests are single lines of text; the instance answers "ok" once it has
// acted, so the asking process can exit with the right code.
//
// GUI thread only.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Full path of the socket for the current user.
    static QString serverName();

    // Opens the door. Only the holder of the single-instance guard may call it:
    // a socket file a crashed instance left behind is removed first.
    bool listen();
    QString errorString() const;

    enum class Request { Capture, Stop };
    // Asks the running instance to open the capture, or to stop the recording it is
    // making (nothing happens when it makes none). Waits until it has answered. False
    // when no instance answers (error gets why).
    static bool request(Request request, QString* error);
    static bool requestCapture(QString* error) { return request(Request::Capture, error); }

signals:
    void captureRequested();
    void stopRequested();

private:
    void onNewConnection();

    QLocalServer* server;
};
