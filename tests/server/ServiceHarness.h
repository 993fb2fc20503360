// The reference upload service for the tests: instances of nginx in front of php-fpm started
// by server/run-local.sh, and plain HTTP helpers to talk to them.
#pragma once

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

#include <csignal>
#include <sys/prctl.h>

namespace servicetest {

inline const QString ServerDir = QStringLiteral(CLIPNEST_SOURCE_DIR "/server");

// How long an upload here may go without progress: these tests check what is stored, not how
// fast, and a shared machine busy with builds can hold the disk for a long while.
inline constexpr int kPatienceMs = 180000;

struct Response {
    int status = 0;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers; // lower-case names
};

// One instance of the service: nginx in front of php-fpm, started by server/run-local.sh on a
// free loopback port with its own storage folder, exactly as the test desktop and `make run`
// start it; or the test desktop's own instance.
class Service {
public:
    QString storage;
    QString runDir;
    quint16 port = 0;

    ~Service() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(10000))
                process.kill();
            process.waitForFinished(5000);
        }
    }

    // `options` go to server/configure.sh (--max-upload, --php, --token-file...).
    bool start(const QString& dir, const QStringList& options = {}) {
        storage = dir + "/storage";
        runDir = dir + "/run";
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return false;
            port = probe.serverPort();
        }
        process.setProcessChannelMode(QProcess::MergedChannels);
        // Should this test die without its destructors, the runner still hears of it and stops
        // its servers.
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process.start("bash", QStringList{ServerDir + "/run-local.sh", "--dir", runDir, "--listen",
                                          host(), "--storage", storage} +
                                  options);
        if (!process.waitForStarted(10000))
            return false;
        QByteArray output;
        while (!output.contains("ready")) {
            if (!process.waitForReadyRead(60000)) {
                qWarning() << "service did not start:" << output << process.readAll();
                return false;
            }
            output += process.readAll();
        }
        return true;
    }

    // The test desktop's instance, when there is one.
    bool attach() {
        const QString address = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        storage = qEnvironmentVariable("CLIPNEST_TEST_UPLOADS");
        if (address.isEmpty() || storage.isEmpty())
            return false;
        port = quint16(address.section(':', -1).toUInt());
        return port != 0;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
    QString url(const QString& path) const { return "http://" + host() + path; }
    // Everything in the storage folder but the service's lock file.
    QStringList stored() const {
        QStringList names =
            QDir(storage).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        names.removeAll(".lock");
        return names;
    }
    QStringList videos() const { return QDir(storage).entryList({"*.mp4"}, QDir::Files); }

private:
    QProcess process;
};

inline Response finish(QNetworkReply* reply) {
    std::unique_ptr<QNetworkReply> owned(reply);
    if (!reply->isFinished()) {
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(60000);
    }
    Response r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.body = reply->readAll();
    for (const auto& pair : reply->rawHeaderPairs())
        r.headers.insert(pair.first.toLower(), pair.second);
    return r;
}

inline Response get(QNetworkAccessManager& net, const QString& url, const QByteArray& range = {}) {
    QNetworkRequest request{QUrl(url)};
    if (!range.isEmpty())
        request.setRawHeader("Range", range);
    return finish(net.get(request));
}

inline Response post(QNetworkAccessManager& net, const QString& url, const QByteArray& contentType,
                     const QByteArray& body) {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    return finish(net.post(request, body));
}

// Splits a whole HTTP answer into status, headers and body (nginx sends answers of unknown
// length in chunks: "<hex size> CRLF <bytes> CRLF"..., "0").
inline Response parseAnswer(const QByteArray& all) {
    Response r;
    const QList<QByteArray> statusLine = all.left(all.indexOf("\r\n")).split(' ');
    if (statusLine.size() >= 2)
        r.status = statusLine.at(1).toInt();
    const qsizetype headEnd = all.indexOf("\r\n\r\n");
    for (const QByteArray& line : all.left(headEnd).split('\n').mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            r.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    QByteArray body = all.mid(headEnd + 4);
    if (r.headers.value("transfer-encoding").toLower() != "chunked") {
        r.body = body;
        return r;
    }
    qsizetype at = 0;
    while (at < body.size()) {
        const qsizetype lineEnd = body.indexOf("\r\n", at);
        bool ok = false;
        const qsizetype size = body.mid(at, lineEnd - at).toLongLong(&ok, 16);
        if (lineEnd < 0 || !ok || size == 0)
            break;
        r.body += body.mid(lineEnd + 2, size);
        at = lineEnd + 2 + size + 2;
    }
    return r;
}

// Sends each request as raw bytes on its own connection, all before reading any answer, so
// the service has them all at once; no client library tidies the paths or the headers. Each
// request should say "Connection: close".
inline std::vector<Response> rawAll(quint16 port, const QList<QByteArray>& requests) {
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (const QByteArray& request : requests) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, port);
        if (sockets.back()->waitForConnected(10000))
            sockets.back()->write(request);
    }
    // Each socket sends only while it is waited on: take turns until all is out, so the
    // requests reach the service together rather than one after the other.
    for (bool pending = true; pending;) {
        pending = false;
        for (auto& socket : sockets) {
            if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() > 0) {
                socket->waitForBytesWritten(100);
                pending = true;
            }
        }
    }
    std::vector<Response> answers;
    for (auto& socket : sockets) {
        QByteArray all;
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->waitForReadyRead(60000))
            all += socket->readAll();
        all += socket->readAll();
        answers.push_back(parseAnswer(all));
    }
    return answers;
}

// Sends `request` as raw bytes, so no client library tidies the path or the headers, and
// returns the status code, the headers and the body.
inline Response raw(quint16 port, const QByteArray& request) {
    return rawAll(port, {request}).front();
}

inline QByteArray multipart(const QByteArray& field, const QByteArray& fileName,
                            const QByteArray& data, const QByteArray& boundary = "Ax3WQkoke") {
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field +
           "\";filename=\"" + fileName + "\"\r\nContent-Type: video/mp4\r\n\r\n" + data + "\r\n--" +
           boundary + "--\r\n";
}

inline QByteArray randomBytes(int size) {
    QByteArray data(size, Qt::Uninitialized);
    for (auto& ch : data)
        ch = char(QRandomGenerator::global()->bounded(256));
    return data;
}

inline QByteArray sha1(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex();
}

// Every file below the storage folder with its size, sub-folders included, but the service's
// lock file: what a refused request must leave as it was.
inline QMap<QString, qint64> everything(const QString& storage) {
    QMap<QString, qint64> files;
    QDirIterator it(storage, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString name = QDir(storage).relativeFilePath(it.filePath());
        if (name != ".lock")
            files.insert(name, it.fileInfo().size());
    }
    return files;
}

// The raw video behind a share page's link (http://host/v/<id>[?...]).
inline QString videoOf(const QString& pageLink) {
    QUrl url(pageLink);
    const QString id = url.path().section('/', -1);
    url.setQuery(QString());
    url.setPath("/video.php/" + id + ".mp4");
    return url.toString();
}

} // namespace servicetest
