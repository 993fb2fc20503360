#pragma once

// A small resumable-upload service of the tests' own on loopback: it keeps uploads in memory,
// follows the protocol as the reference service does, and lets a test make it misbehave in the
// ways a broken or hostile service could.
#include <QByteArray>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <optional>

struct TusRequest {
    QByteArray method;
    QByteArray path;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};

struct TusStored {
    QByteArray data;
    qint64 length = -1; // -1: deferred
};

class TusTestServer : public QObject {
public:
    QList<TusRequest> requests;
    QMap<QByteArray, TusStored> uploads; // by id
    bool speaksTus = true;
    // Answer a request in place of the protocol: return a whole HTTP answer, or nothing to let
    // the protocol answer. Called with the request's number (0 first).
    std::function<std::optional<QByteArray>(int, const TusRequest&)> override;
    // Cuts the connection of the PATCH number `cutPatch` (0 first) once this many of its body
    // bytes arrived, keeping them as a service keeps what reached it.
    int cutPatch = -1;
    qint64 cutAfter = 0;
    // Total PATCH body bytes received, kept or not.
    qint64 patchBytes = 0;
    QByteArray locationOverride; // sent instead of the real Location when not empty

    bool listen() {
        connect(&server_, &QTcpServer::newConnection, this, &TusTestServer::accept);
        return server_.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return server_.serverPort(); }
    QUrl uploadUrl() const {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1/upload.php?width=64&height=48").arg(port()));
    }
    int count(const QByteArray& method) const {
        int n = 0;
        for (const TusRequest& r : requests)
            n += r.method == method;
        return n;
    }

    static QByteArray answer(int status, const QList<QByteArray>& headers,
                             const QByteArray& body = {}) {
        QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + " X\r\n";
        for (const QByteArray& h : headers)
            out += h + "\r\n";
        out += "Content-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
        return out;
    }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto* buffer = new QByteArray;
            connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket, buffer] { onData(socket, buffer); });
        }
    }

    void onData(QTcpSocket* socket, QByteArray* buffer) {
        if (socket->property("done").toBool()) {
            socket->readAll();
            return;
        }
        *buffer += socket->readAll();
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        TusRequest r;
        const QList<QByteArray> lines = buffer->left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        r.method = first.value(0);
        r.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                r.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                 lines[i].mid(colon + 1).trimmed());
        }
        const qint64 length = r.header("Content-Length").toLongLong();
        r.body = buffer->mid(end + 4);
        const int patchIndex = r.method == "PATCH" ? count("PATCH") : -1;
        if (patchIndex >= 0 && patchIndex == cutPatch && r.body.size() >= cutAfter) {
            socket->setProperty("done", true);
            r.body.truncate(cutAfter);
            patchBytes += r.body.size();
            requests.append(r);
            store(r);
            socket->abort();
            return;
        }
        if (r.body.size() < length)
            return;
        socket->setProperty("done", true);
        if (r.method == "PATCH")
            patchBytes += r.body.size();
        const int index = int(requests.size());
        requests.append(r);
        std::optional<QByteArray> reply;
        if (override)
            reply = override(index, r);
        socket->write(reply ? *reply : protocol(r));
        socket->disconnectFromHost();
    }

    QByteArray idOf(const TusRequest& r) const {
        return r.path.startsWith("/files/") ? r.path.mid(7) : QByteArray();
    }

    // Appends a PATCH's body at its offset, as far as it is right.
    void store(const TusRequest& r) {
        auto it = uploads.find(idOf(r));
        if (it == uploads.end() || r.header("Upload-Offset").toLongLong() != it->data.size())
            return;
        it->data += r.body;
        if (r.headers.contains("upload-length"))
            it->length = r.header("Upload-Length").toLongLong();
    }

    QByteArray protocol(const TusRequest& r) {
        const QByteArray tus = "Tus-Resumable: 1.0.0";
        if (!speaksTus)
            return r.method == "POST" && r.path.startsWith("/upload.php")
                       ? answer(200, {"Content-Type: text/plain"}, "http://videos.example/v/m")
                       : answer(405, {});
        if (r.method == "OPTIONS")
            return answer(204, {tus, "Tus-Version: 1.0.0",
                                "Tus-Extension: creation,creation-defer-length,termination"});
        if (r.method == "POST" && r.path == "/files/") {
            const QByteArray id = QByteArray::number(uploads.size() + 1) + "abc";
            TusStored stored;
            stored.length =
                r.headers.contains("upload-length") ? r.header("Upload-Length").toLongLong() : -1;
            uploads.insert(id, stored);
            return answer(201, {tus,
                                "Location: " + (locationOverride.isEmpty() ? "/files/" + id
                                                                           : locationOverride),
                                "Clipnest-Link: http://videos.example/v/" + id,
                                "Clipnest-Delete: http://videos.example/delete/" + id + "/s3cret",
                                "Clipnest-Expires: 2027-01-09T10:00:00Z"});
        }
        auto it = uploads.find(idOf(r));
        if (it == uploads.end())
            return answer(404, {tus});
        if (r.method == "HEAD") {
            return answer(200, {tus, "Upload-Offset: " + QByteArray::number(it->data.size()),
                                it->length >= 0 ? "Upload-Length: " + QByteArray::number(it->length)
                                                : QByteArray("Upload-Defer-Length: 1"),
                                "Cache-Control: no-store"});
        }
        if (r.method == "PATCH") {
            if (r.header("Upload-Offset").toLongLong() != it->data.size())
                return answer(409, {tus});
            store(r);
            return answer(204, {tus, "Upload-Offset: " + QByteArray::number(it->data.size())});
        }
        if (r.method == "DELETE") {
            uploads.erase(it);
            return answer(204, {tus});
        }
        return answer(405, {tus});
    }

    QTcpServer server_;
};
