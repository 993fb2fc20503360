#include "app/InstanceChannel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtDebug>

#include <pwd.h>
#include <unistd.h>

namespace {

const QByteArray CaptureRequest = "capture\n";
const QByteArray StopRequest = "stop\n";
const QByteArray Acknowledgement = "ok\n";

// A request line is a handful of bytes; anything longer is not one of ours.
constexpr qint64 kMaxRequestBytes = 64;
// How long an asking process waits for each step (connect, write, answer). The
// instance answers from its event loop, which never blocks for long; a user's
// shortcut must still not hang for ever on a wedged instance.
constexpr int kStepTimeoutMs = 5000;
// A start that found the guard held may come before the holder has opened its
// door (both started at once, e.g. a double-pressed shortcut): keep trying to
// connect for this long before giving up.
constexpr int kConnectPatienceMs = 10000;
// Between two connection attempts: short next to a start-up, long enough not to spin.
constexpr useconds_t kRetryPauseUs = 100000;

QString userName() {
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

} // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent)
    , server(new QLocalServer(this)) {
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(8);
    connect(server, &QLocalServer::newConnection, this, &InstanceChannel::onNewConnection);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::serverName() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("clipnest-%1.socket").arg(userName()));
}

bool InstanceChannel::listen() {
    const QString name = serverName();
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        qDebug() << "Cannot open the request socket" << name << server->errorString();
        return false;
    }
    return true;
}

QString InstanceChannel::errorString() const {
    return server->errorString();
}

void InstanceChannel::onNewConnection() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequestBytes)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(kMaxRequestBytes);
            if (line == CaptureRequest || line == StopRequest) {
                if (line == CaptureRequest)
                    emit captureRequested();
                else
                    emit stopRequested();
                socket->write(Acknowledgement);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool InstanceChannel::request(Request request, QString* error) {
    QLocalSocket socket;
    QElapsedTimer patience;
    patience.start();
    for (;;) {
        socket.connectToServer(serverName());
        if (socket.waitForConnected(kStepTimeoutMs))
            break;
        if (patience.elapsed() > kConnectPatienceMs) {
            if (error)
                *error = QStringLiteral("No running instance answers on %1: %2")
                             .arg(serverName(), socket.errorString());
            return false;
        }
        // The holder is still starting: its socket appears within moments. It
        // is another process, so there is nothing to wait on but the clock.
        ::usleep(kRetryPauseUs);
    }
    socket.write(request == Request::Capture ? CaptureRequest : StopRequest);
    if (!socket.waitForBytesWritten(kStepTimeoutMs)) {
        if (error)
            *error = socket.errorString();
        return false;
    }
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(kStepTimeoutMs))
        answer += socket.readAll();
    if (answer != Acknowledgement) {
        if (error)
            *error = QStringLiteral("The running instance did not take the request");
        return false;
    }
    return true;
}
