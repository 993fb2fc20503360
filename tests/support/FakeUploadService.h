#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

// A stand-in for the upload service on loopback: keeps each whole request it receives (head
// and a body of the announced length) and answers it with `answer`, then closes. With an
// empty answer it takes the request and keeps quiet: an upload left in flight.
class FakeUploadService : public QObject {
public:
    QByteArray answer;
    QList<QByteArray> requests; // each complete request as received

    // Listens on `port`, any free one by default (a service coming up where it was down).
    bool listen(quint16 port = 0);
    quint16 port() const { return server_.serverPort(); }
    // "127.0.0.1:<port>", as the service host setting holds it.
    QString host() const;
    // The path and query request number `request` was sent to.
    QByteArray target(int request) const;
    // A header of request number `request`, empty when it has none.
    QByteArray header(int request, const QByteArray& name) const;

    // A port nothing listens on right now, for a service that is down.
    static quint16 freePort();

private:
    QTcpServer server_;
};

// A whole HTTP/1.1 answer that closes the connection: `statusLine` such as "200 OK", the
// Content-Type when `type` is not empty, any `extra` header lines (each ending in "\r\n").
QByteArray httpAnswer(const QByteArray& statusLine, const QByteArray& type, const QByteArray& body,
                      const QByteArray& extra = {});
