#include "tests/support/FakeUploadService.h"

#include <QTcpSocket>

#include <memory>

bool FakeUploadService::listen(quint16 port) {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            // Lives as long as the socket's connections, which go with the socket.
            auto received = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
                *received += socket->readAll();
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const QByteArray head = received->left(end).toLower();
                const qsizetype at = head.indexOf("content-length:");
                const qint64 length = at < 0 ? 0
                                             : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15)
                                                   .trimmed()
                                                   .toLongLong();
                if (received->size() < end + 4 + length)
                    return;
                // The program first asks whether the service speaks the resumable protocol;
                // this one does not, and the question is no upload.
                if (received->startsWith("OPTIONS ")) {
                    received->clear();
                    socket->write(httpAnswer("405 Method Not Allowed", "text/plain", "no"));
                    socket->disconnectFromHost();
                    return;
                }
                requests << *received;
                received->clear();
                if (answer.isEmpty())
                    return;
                socket->write(answer);
                socket->disconnectFromHost();
            });
        }
    });
    return server_.listen(QHostAddress::LocalHost, port);
}

QString FakeUploadService::host() const {
    return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort());
}

QByteArray FakeUploadService::target(int request) const {
    const QByteArray line = requests.value(request).split('\n').value(0);
    return line.split(' ').value(1);
}

QByteArray FakeUploadService::header(int request, const QByteArray& name) const {
    for (const QByteArray& line : requests.value(request).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
        if (line.trimmed().isEmpty())
            break;
    }
    return {};
}

quint16 FakeUploadService::freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QByteArray httpAnswer(const QByteArray& statusLine, const QByteArray& type, const QByteArray& body,
                      const QByteArray& extra) {
    return "HTTP/1.1 " + statusLine + "\r\n" +
           (type.isEmpty() ? QByteArray() : "Content-Type: " + type + "\r\n") + extra +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}
