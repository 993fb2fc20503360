// HttpUploader against a raw loopback server that keeps every byte it receives and answers as
// each test tells it to.
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <zlib.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

const QString Boundary = QStringLiteral("Ax3WQkoke");

// One connection as the server saw it.
struct Exchange {
    QTcpSocket* socket = nullptr;
    QByteArray bytes;
    bool complete = false;
    bool disconnected = false;

    qsizetype headerEnd() const { return bytes.indexOf("\r\n\r\n"); }
    QByteArray requestLine() const { return bytes.left(bytes.indexOf("\r\n")); }
    // The value of a header, by case-insensitive name; null when absent.
    QByteArray header(const QByteArray& name) const {
        const QList<QByteArray> lines = bytes.left(headerEnd()).split('\n');
        for (const QByteArray& raw : lines) {
            const QByteArray line = raw.trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }
    QByteArray body() const { return bytes.mid(headerEnd() + 4); }
};

QByteArray httpResponse(int status, const QByteArray& reason, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Answers each complete request with what `respond` returns for it; no value means never
// answer (the connection stays open and silent).
class LoopbackServer {
public:
    std::function<std::optional<QByteArray>(int index, const Exchange&)> respond;
    std::vector<std::unique_ptr<Exchange>> exchanges;

    LoopbackServer() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                exchanges.push_back(std::make_unique<Exchange>());
                Exchange* ex = exchanges.back().get();
                const int index = int(exchanges.size()) - 1;
                ex->socket = socket;
                QObject::connect(socket, &QTcpSocket::readyRead, [this, ex, index] {
                    ex->bytes += ex->socket->readAll();
                    if (ex->complete || ex->headerEnd() < 0)
                        return;
                    const qint64 length = ex->header("Content-Length").toLongLong();
                    if (ex->bytes.size() - ex->headerEnd() - 4 < length)
                        return;
                    ex->complete = true;
                    if (!respond)
                        return;
                    if (const auto answer = respond(index, *ex)) {
                        ex->socket->write(*answer);
                        ex->socket->disconnectFromHost();
                    }
                });
                QObject::connect(socket, &QTcpSocket::disconnected,
                                 [ex] { ex->disconnected = true; });
            }
        });
    }

    bool listen() { return server.listen(QHostAddress::LocalHost); }
    QUrl url(int width = 64, int height = 48) const {
        return ServiceUrls::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(server.serverPort()),
                                      width, height);
    }

private:
    QTcpServer server;
};

QByteArray randomBytes(int size) {
    QByteArray data(size, Qt::Uninitialized);
    for (auto& ch : data)
        ch = char(QRandomGenerator::global()->bounded(256));
    return data;
}

void uploadVideo(HttpUploader& uploader, const QUrl& url, const QByteArray& data) {
    uploader.upload(url, data, "attachment", "video.mp4", "video/mp4", Boundary);
}

} // namespace

class HttpUploaderTest : public QObject {
    Q_OBJECT
private slots:
    void sendsTheExactRequest();
    void largeBodyArrivesWholeWithProgress();
    void secondUploadAbandonsTheFirst();
    void rejectedArgumentsLeaveTheRunningUploadAlone();
    void serverDownIsReportedOnce();
    void serverErrorIsReportedOnce();
    void stalledServerIsReportedOnceAfterTheTimeout();
    void answersAreCheckedBeforeUse_data();
    void answersAreCheckedBeforeUse();
    void redirectsAreNotFollowed_data();
    void redirectsAreNotFollowed();
    void errorAnswersShowTheServiceText_data();
    void errorAnswersShowTheServiceText();
    void tokenIsSentOnlyWhenSet();
    void passwordsStayOutOfLogsAndMessages();
    void destroyingTheUploaderAbandonsTheRequest();
    void oversizedAnswerIsReportedOnce();
    void slowButSteadyAnswerIsNotCutOff();
    void endlessCompressedAnswerIsCappedAsSent();
    void brokenCompressedAnswerIsNotALink();
    void tricklingAnswerMeetsItsDeadline();
};

void HttpUploaderTest::sendsTheExactRequest() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return httpResponse(200, "OK", "https://videos.example.org/v/1.mp4");
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "Z");
    QVERIFY(finished.wait(10000));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString("https://videos.example.org/v/1.mp4"));

    QCOMPARE(server.exchanges.size(), size_t(1));
    const Exchange& ex = *server.exchanges.front();
    QCOMPARE(ex.requestLine(), QByteArray("POST /upload.php?width=64&height=48 HTTP/1.1"));
    QCOMPARE(ex.header("Content-Type"), QByteArray("multipart/form-data; boundary=Ax3WQkoke"));
    QCOMPARE(ex.header("Content-Length"), QByteArray("130"));
    const QByteArray expected = "--Ax3WQkoke\r\n"
                                "Content-Disposition: form-data; name=\"attachment\";"
                                "filename=\"video.mp4\"\r\n"
                                "Content-Type: video/mp4\r\n\r\n"
                                "Z\r\n--Ax3WQkoke--\r\n";
    QCOMPARE(ex.body(), expected);
    QCOMPARE(ex.body().size(), 130);
}

void HttpUploaderTest::largeBodyArrivesWholeWithProgress() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return httpResponse(200, "OK", "http://x/1");
    };
    const QByteArray data = randomBytes(3 * 1024 * 1024 + 17);
    HttpUploader uploader;
    QSignalSpy progress(&uploader, &HttpUploader::progressChanged);
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    uploadVideo(uploader, server.url(), data);
    QVERIFY(finished.wait(30000));
    const Exchange& ex = *server.exchanges.front();
    QCOMPARE(ex.header("Content-Length").toLongLong(), qint64(data.size() + 129));
    QVERIFY(ex.body() == "--Ax3WQkoke\r\nContent-Disposition: form-data; name=\"attachment\";"
                         "filename=\"video.mp4\"\r\nContent-Type: video/mp4\r\n\r\n" +
                             data + "\r\n--Ax3WQkoke--\r\n");
    QVERIFY(progress.count() >= 2);
    double last = -1;
    for (const QList<QVariant>& args : progress) {
        const double value = args.at(0).toDouble();
        QVERIFY2(value > last, "progress repeated or went backwards");
        QVERIFY(value >= 0 && value <= 100);
        QCOMPARE(value, double(int(value)));
        last = value;
    }
    QCOMPARE(last, 100.0);
}

void HttpUploaderTest::secondUploadAbandonsTheFirst() {
    LoopbackServer server;
    QVERIFY(server.listen());
    // The first request gets no answer until the test sends one by hand; the second is answered
    // at once.
    server.respond = [](int index, const Exchange&) -> std::optional<QByteArray> {
        if (index == 0)
            return std::nullopt;
        return httpResponse(200, "OK", "http://second/2");
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "first");
    QTRY_VERIFY_WITH_TIMEOUT(!server.exchanges.empty() && server.exchanges[0]->complete, 10000);
    uploadVideo(uploader, server.url(), "second");
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString("http://second/2"));
    QVERIFY(server.exchanges.size() >= 2);
    QVERIFY(server.exchanges.back()->body().contains("\r\n\r\nsecond\r\n"));
    // The first connection was dropped by the uploader; an answer sent now goes nowhere.
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(errors.count(), 0);
}

void HttpUploaderTest::rejectedArgumentsLeaveTheRunningUploadAlone() {
    LoopbackServer server;
    QVERIFY(server.listen());
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "running");
    QTRY_VERIFY_WITH_TIMEOUT(!server.exchanges.empty() && server.exchanges[0]->complete, 10000);

    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, QUrl(), "data");
    QCOMPARE(errors.count(), 1);
    QVERIFY2(errors.at(0).at(0).toString().contains("Service host"),
             qPrintable(errors.at(0).at(0).toString()));
    uploadVideo(uploader, server.url(), QByteArray());
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(1).at(0).toString(), QString("There is no video to upload."));
    uploader.setServiceToken("two words");
    uploadVideo(uploader, server.url(), "data");
    QCOMPARE(errors.count(), 3);
    QVERIFY(errors.at(2).at(0).toString().contains("Service token"));
    QCOMPARE(failures.count(), 3);
    for (const auto& f : failures)
        QVERIFY(!f.at(0).value<UploadFailure>().isTransient());
    QCOMPARE(failures.at(0).at(0).value<UploadFailure>().kind, UploadFailure::Kind::BadSettings);
    QCOMPARE(failures.at(1).at(0).value<UploadFailure>().kind, UploadFailure::Kind::NoData);
    uploader.setServiceToken({});
    QVERIFY(uploader.isUploading());

    // The running request still gets its answer.
    Exchange& ex = *server.exchanges[0];
    ex.socket->write(httpResponse(200, "OK", "http://first/1"));
    ex.socket->disconnectFromHost();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toString(), QString("http://first/1"));
    QCOMPARE(errors.count(), 3);
}

void HttpUploaderTest::serverDownIsReportedOnce() {
    // A port that was free a moment ago: nobody listens there.
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    HttpUploader uploader;
    uploader.setSettingsFile("/home/u/.config/Clipnest/Clipnest.conf");
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, ServiceUrls::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(port), 8, 8),
                "video");
    QVERIFY(errors.wait(10000));
    // Says what to do, and where.
    QCOMPARE(errors.at(0).at(0).toString(),
             QStringLiteral("The upload service at http://127.0.0.1:%1 does not answer. Is it "
                            "running? The address is the \"Service host\" setting in "
                            "/home/u/.config/Clipnest/Clipnest.conf.")
                 .arg(port));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).value<UploadFailure>().kind, UploadFailure::Kind::Refused);
    QVERIFY(failures.at(0).at(0).value<UploadFailure>().isTransient());
    // A second report would come from the same reply within the same event processing.
    QTest::qWait(300);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!uploader.isUploading());
}

void HttpUploaderTest::serverErrorIsReportedOnce() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return httpResponse(500, "Internal Server Error", "http://looks-like-a-link/but-is-not");
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(errors.wait(10000));
    QTest::qWait(300);
    QCOMPARE(errors.count(), 1);
    // The body looks like a link but comes with an error status: it is the service's message.
    QCOMPARE(errors.at(0).at(0).toString(), "The upload service at http://" +
                                                server.url().authority() +
                                                " answered: http://looks-like-a-link/but-is-not");
    QCOMPARE(finished.count(), 0);
}

void HttpUploaderTest::stalledServerIsReportedOnceAfterTheTimeout() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return std::nullopt;
    };
    HttpUploader uploader;
    QCOMPARE(uploader.stallTimeout(), HttpUploader::kDefaultStallTimeoutMs);
    uploader.setStallTimeout(1000);
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    QElapsedTimer clock;
    clock.start();
    uploadVideo(uploader, server.url(), randomBytes(1000));
    QVERIFY(errors.wait(20000));
    // Not before the request went quiet for the whole timeout.
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(errors.at(0).at(0).toString(),
             "The upload service at http://" + server.url().authority() +
                 " stopped answering for 1 seconds. Please try again later.");
    QVERIFY(!uploader.isUploading());
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QTest::qWait(300);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(finished.count(), 0);
}

void HttpUploaderTest::answersAreCheckedBeforeUse_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("link"); // empty: refused
    QTest::newRow("html") << QByteArray("<html><body>Maintenance</body></html>") << QString();
    QTest::newRow("capital scheme") << QByteArray("HTTP://127.0.0.1/v/1.mp4") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("line break and command")
        << QByteArray("http://ok.example/v.mp4\nrm -rf ~") << QString();
    QTest::newRow("escape") << QByteArray("http://ok.example/v\x1b[2J.mp4") << QString();
    QTest::newRow("bell") << QByteArray("http://ok.example/v\x07.mp4") << QString();
    QTest::newRow("nul") << QByteArray("http://ok.example/v\0.mp4", 24) << QString();
    QTest::newRow("delete") << QByteArray("http://ok.example/v\x7f.mp4") << QString();
    QTest::newRow("space") << QByteArray("http://ok.example/my video.mp4") << QString();
    QTest::newRow("tab") << QByteArray("http://ok.example/v\t.mp4") << QString();
    QTest::newRow("right-to-left override")
        << QByteArray("http://ok.example/\xe2\x80\xaemp4.exe") << QString();
    QTest::newRow("3000 bytes") << "http://ok.example/" + QByteArray(3000 - 18, 'a') << QString();
    QTest::newRow("no host") << QByteArray("http:///v.mp4") << QString();
    QTest::newRow("trailing line break")
        << QByteArray("http://x.test/v.mp4\n") << QString("http://x.test/v.mp4");
    QTest::newRow("surrounding white space")
        << QByteArray(" \r\nhttps://x.test/v.mp4\r\n\t ") << QString("https://x.test/v.mp4");
    QTest::newRow("2048 bytes") << "http://ok.example/" + QByteArray(2048 - 18, 'a')
                                << "http://ok.example/" + QString(2048 - 18, 'a');
    QTest::newRow("link") << QByteArray("https://v.example/1.mp4")
                          << QString("https://v.example/1.mp4");
    // Letters beyond ASCII are handed on in the encoded form a URI carries them in.
    QTest::newRow("latin1") << QByteArray("http://v.example/caf\xe9")
                            << QString("http://v.example/caf%C3%A9");
    QTest::newRow("utf-8") << QByteArray("http://v.example/caf\xc3\xa9")
                           << QString("http://v.example/caf%C3%A9");
    QTest::newRow("international host") << QByteArray("https://b\xc3\xbc"
                                                      "cher.example/v")
                                        << QString("https://xn--bcher-kva.example/v");
    QTest::newRow("escapes kept") << QByteArray("http://v.example/a%20b?x=%2F")
                                  << QString("http://v.example/a%20b?x=%2F");
    QTest::newRow("script after quote")
        << QByteArray("http://ok.example/a\"<script>alert(1)</script>") << QString();
    QTest::newRow("angle bracket") << QByteArray("http://ok.example/a>b") << QString();
    QTest::newRow("backtick") << QByteArray("http://ok.example/`id`") << QString();
    QTest::newRow("braces and bar") << QByteArray("http://ok.example/{a|b}") << QString();
    QTest::newRow("backslash") << QByteArray("http://ok.example\\@evil.example/") << QString();
    QTest::newRow("caret") << QByteArray("http://ok.example/^") << QString();
    QTest::newRow("broken escape") << QByteArray("http://ok.example/a%2") << QString();
    QTest::newRow("quote beside letters beyond ASCII")
        << QByteArray("http://ok.example/caf\xc3\xa9\"<b>") << QString();
}

void HttpUploaderTest::answersAreCheckedBeforeUse() {
    QFETCH(QByteArray, body);
    QFETCH(QString, link);
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [body](int, const Exchange&) {
        return httpResponse(200, "OK", body);
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, server.url(), "video");
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 10000);
    QTest::qWait(100);
    if (link.isEmpty()) {
        QCOMPARE(finished.count(), 0);
        QCOMPARE(errors.count(), 1);
        const auto failure = failures.at(0).at(0).value<UploadFailure>();
        QCOMPARE(failure.kind, UploadFailure::Kind::BadAnswer);
        QVERIFY(!failure.isTransient());
        QVERIFY2(failure.message.startsWith("The upload service at http://127.0.0.1:"),
                 qPrintable(failure.message));
        // The refused answer itself is not repeated in the message.
        QVERIFY(!body.isEmpty() || failure.message.contains("without a link"));
        QVERIFY(!failure.message.contains("rm -rf"));
    } else {
        QCOMPARE(errors.count(), 0);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toString(), link);
    }
}

void HttpUploaderTest::redirectsAreNotFollowed_data() {
    QTest::addColumn<int>("status");
    for (int status : {301, 302, 303, 307, 308})
        QTest::addRow("%d", status) << status;
}

void HttpUploaderTest::redirectsAreNotFollowed() {
    QFETCH(int, status);
    LoopbackServer elsewhere;
    QVERIFY(elsewhere.listen());
    elsewhere.respond = [](int, const Exchange&) {
        return httpResponse(200, "OK", "http://elsewhere.example/taken.mp4");
    };
    const QUrl target = elsewhere.url();
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [&](int, const Exchange&) {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " Moved\r\nLocation: " + target.toEncoded() +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    };
    HttpUploader uploader;
    uploader.setSettingsFile("/cfg/Clipnest.conf");
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, server.url(), randomBytes(100000));
    QVERIFY(failures.wait(10000));
    const auto failure = failures.at(0).at(0).value<UploadFailure>();
    QCOMPARE(failure.kind, UploadFailure::Kind::Redirected);
    QCOMPARE(failure.httpStatus, status);
    QCOMPARE(failure.redirectTarget, target);
    QVERIFY(!failure.isTransient());
    // Names the address it pointed to and the setting to change.
    QVERIFY2(failure.message.contains(target.toString()), qPrintable(failure.message));
    QVERIFY(failure.message.contains("\"Service host\" setting in /cfg/Clipnest.conf"));
    QTest::qWait(300);
    QCOMPARE(finished.count(), 0);
    QVERIFY(elsewhere.exchanges.empty());
}

void HttpUploaderTest::errorAnswersShowTheServiceText_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");
    const auto K = [](UploadFailure::Kind k) {
        return int(k);
    };
    QTest::newRow("413 with text")
        << 413 << QByteArray("Payload Too Large") << QByteArray("text/plain; charset=utf-8")
        << QByteArray("The video is larger than the 100000 bytes this service accepts.\n")
        << "answered: The video is larger than the 100000 bytes this service accepts."
        << K(UploadFailure::Kind::Rejected);
    QTest::newRow("html reason, html text kept literal")
        << 403 << QByteArray("<a href=\"file:///etc/passwd\">Click to retry</a>")
        << QByteArray("text/plain") << QByteArray("<b>Nope</b>\r\nsecond line\x07")
        << "answered: <b>Nope</b> second line" << K(UploadFailure::Kind::Rejected);
    QTest::newRow("long text is cut")
        << 400 << QByteArray("Bad Request") << QByteArray("text/plain") << QByteArray(1000, 'x')
        << QString(": ") + QString(299, 'x') + QChar(0x2026) << K(UploadFailure::Kind::Rejected);
    QTest::newRow("html page is not shown")
        << 502 << QByteArray("Bad Gateway") << QByteArray("text/html")
        << QByteArray("<html><body><h1>502</h1></body></html>") << "has a problem (status 502)"
        << K(UploadFailure::Kind::ServerError);
    QTest::newRow("429") << 429 << QByteArray("Too Many Requests") << QByteArray("text/html")
                         << QByteArray("<p>slow down</p>") << "is busy"
                         << K(UploadFailure::Kind::TooManyRequests);
    QTest::newRow("408") << 408 << QByteArray("Request Timeout") << QByteArray() << QByteArray()
                         << "gave up waiting" << K(UploadFailure::Kind::RequestTimeout);
    QTest::newRow("401 without text")
        << 401 << QByteArray("Unauthorized") << QByteArray() << QByteArray()
        << "\"Service token\" setting" << K(UploadFailure::Kind::Rejected);
    QTest::newRow("401 with text")
        << 401 << QByteArray("Unauthorized") << QByteArray("text/plain")
        << QByteArray("This service needs an access token.")
        << "This service needs an access token." << K(UploadFailure::Kind::Rejected);
    QTest::newRow("404 empty") << 404 << QByteArray("Not Found") << QByteArray() << QByteArray()
                               << "refused the video (status 404)"
                               << K(UploadFailure::Kind::Rejected);
    QTest::newRow("507 with text")
        << 507 << QByteArray("Insufficient Storage") << QByteArray("text/plain")
        << QByteArray("The service has no room for this video.")
        << "answered: The service has no room for this video."
        << K(UploadFailure::Kind::ServerError);
}

void HttpUploaderTest::errorAnswersShowTheServiceText() {
    QFETCH(int, status);
    QFETCH(QByteArray, reason);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    QFETCH(int, kind);
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [&](int, const Exchange&) {
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
        if (!type.isEmpty())
            answer += "Content-Type: " + type + "\r\n";
        if (status == 401)
            answer += "WWW-Authenticate: Bearer realm=\"clipnest\"\r\n";
        return answer + "Content-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    };
    HttpUploader uploader;
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(failures.wait(10000));
    const auto failure = failures.at(0).at(0).value<UploadFailure>();
    QVERIFY2(failure.message.contains(message), qPrintable(failure.message));
    QCOMPARE(errors.at(0).at(0).toString(), failure.message);
    QCOMPARE(failure.httpStatus, status);
    QCOMPARE(int(failure.kind), kind);
    // Qt's own text would carry the reason phrase; it is never used for an answer with a status.
    QVERIFY(!failure.message.contains("Click to retry"));
}

void HttpUploaderTest::tokenIsSentOnlyWhenSet() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return httpResponse(200, "OK", "http://v.example/1.mp4");
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    uploadVideo(uploader, server.url(), "one");
    QVERIFY(finished.wait(10000));
    QVERIFY(server.exchanges[0]->header("Authorization").isNull());
    QVERIFY(!server.exchanges[0]->bytes.toLower().contains("authorization"));
    uploader.setServiceToken("  s3cret-Token_1/+=  ");
    uploadVideo(uploader, server.url(), "two");
    QVERIFY(finished.wait(10000));
    QCOMPARE(server.exchanges[1]->header("Authorization"), QByteArray("Bearer s3cret-Token_1/+="));
    uploader.setServiceToken("");
    uploadVideo(uploader, server.url(), "three");
    QVERIFY(finished.wait(10000));
    QVERIFY(!server.exchanges[2]->bytes.toLower().contains("authorization"));
    // Nor does the program ever claim an origin: the service refuses browsers' cross-site posts.
    for (const auto& ex : server.exchanges)
        QVERIFY(ex->header("Origin").isNull());
}

namespace {
QStringList logLines;
void keepLogLine(QtMsgType, const QMessageLogContext&, const QString& line) {
    logLines << line;
}
} // namespace

void HttpUploaderTest::passwordsStayOutOfLogsAndMessages() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int index, const Exchange&) {
        return index == 0 ? httpResponse(200, "OK", "http://v.example/1.mp4")
                          : httpResponse(500, "Internal Server Error", "");
    };
    const QString host = "http://alice:pa55word@" + server.url().authority() + "/";
    logLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepLogLine);
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, ServiceUrls::uploadUrl(host, 8, 8), "video");
    const bool answered = finished.wait(10000);
    uploadVideo(uploader, ServiceUrls::uploadUrl(host, 8, 8), "video");
    const bool failed = errors.wait(10000);
    qInstallMessageHandler(previous);
    QVERIFY(answered);
    QVERIFY(failed);
    QVERIFY(!logLines.isEmpty());
    for (const QString& line : logLines)
        QVERIFY2(!line.contains("pa55word"), qPrintable(line));
    QVERIFY(!errors.at(0).at(0).toString().contains("pa55word"));
    QVERIFY(!errors.at(0).at(0).toString().contains("alice"));
}

void HttpUploaderTest::destroyingTheUploaderAbandonsTheRequest() {
    LoopbackServer server;
    QVERIFY(server.listen());
    auto uploader = std::make_unique<HttpUploader>();
    uploadVideo(*uploader, server.url(), randomBytes(4096));
    QTRY_VERIFY_WITH_TIMEOUT(!server.exchanges.empty() && server.exchanges[0]->complete, 10000);
    uploader.reset();
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
}

void HttpUploaderTest::oversizedAnswerIsReportedOnce() {
    // An answer with no announced length that goes on and on: the uploader must stop reading
    // rather than wait for its end.
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange& ex) -> std::optional<QByteArray> {
        ex.socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nhttp://" +
                         QByteArray(4 * HttpUploader::kMaxAnswerBytes, 'a'));
        return std::nullopt;
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(errors.wait(10000));
    QVERIFY(errors.at(0).at(0).toString().contains("too long"));
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!uploader.isUploading());
}

void HttpUploaderTest::slowButSteadyAnswerIsNotCutOff() {
    // The answer trickles in over about three stall timeouts; every byte counts as progress.
    const QByteArray link = "http://v.example/slow";
    LoopbackServer server;
    QVERIFY(server.listen());
    QTimer drip;
    QByteArray left;
    Exchange* talking = nullptr;
    server.respond = [&](int, const Exchange& ex) -> std::optional<QByteArray> {
        talking = const_cast<Exchange*>(&ex);
        const QByteArray all = httpResponse(200, "OK", link);
        const qsizetype head = all.indexOf("\r\n\r\n") + 4;
        talking->socket->write(all.left(head));
        left = all.mid(head);
        drip.start(150);
        return std::nullopt;
    };
    QObject::connect(&drip, &QTimer::timeout, [&] {
        talking->socket->write(left.left(1));
        talking->socket->flush();
        left.remove(0, 1);
        if (left.isEmpty()) {
            drip.stop();
            talking->socket->disconnectFromHost();
        }
    });
    HttpUploader uploader;
    uploader.setStallTimeout(1000);
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    QElapsedTimer clock;
    clock.start();
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(finished.wait(30000));
    QVERIFY(clock.elapsed() > 2000);
    QCOMPARE(finished.at(0).at(0).toString(), QString::fromLatin1(link));
    QCOMPARE(errors.count(), 0);
}

namespace {

// A gzip stream of zeros that never ends: each piece inflates to a thousand times its size.
// Once deflate's window holds only zeros, every further flushed piece comes out the same, so
// after the first two the stream goes on by repeating the second at no cost.
class EndlessGzip {
public:
    EndlessGzip() {
        z_stream stream{};
        // 16 + 15 window bits: a gzip header, as a server's Content-Encoding: gzip sends.
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
        first_ = deflateZeros(stream);
        steady_ = deflateZeros(stream);
        deflateEnd(&stream);
    }
    QByteArray next() { return std::exchange(first_, QByteArray()) + steady_; }

private:
    static QByteArray deflateZeros(z_stream& stream) {
        QByteArray zeros(4 * 1024 * 1024, '\0');
        QByteArray out(64 * 1024, Qt::Uninitialized);
        stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
        stream.avail_in = uInt(zeros.size());
        QByteArray all;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, Z_SYNC_FLUSH);
            all += out.left(out.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0 || stream.avail_in > 0);
        return all;
    }
    QByteArray first_;
    QByteArray steady_;
};

} // namespace

void HttpUploaderTest::endlessCompressedAnswerIsCappedAsSent() {
    // Inflated by the network module, a few megabytes of this answer would take gigabytes of
    // memory before the uploader saw one byte; asked for as it is, its bytes count against the
    // cap as they arrive.
    LoopbackServer server;
    QVERIFY(server.listen());
    EndlessGzip gzip;
    QTimer pump;
    QTcpSocket* talking = nullptr;
    server.respond = [&](int, const Exchange& ex) -> std::optional<QByteArray> {
        talking = ex.socket;
        talking->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                       "Content-Encoding: gzip\r\n\r\n");
        pump.start(1);
        return std::nullopt;
    };
    QObject::connect(&pump, &QTimer::timeout, [&] {
        // Only as fast as the client reads, so that the test's own memory stays small too.
        if (talking->state() != QAbstractSocket::ConnectedState) {
            pump.stop();
            return;
        }
        while (talking->bytesToWrite() < 1024 * 1024)
            talking->write(gzip.next());
    });
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(errors.wait(30000));
    QVERIFY2(errors.at(0).at(0).toString().contains("too long"),
             qPrintable(errors.at(0).at(0).toString()));
    QCOMPARE(server.exchanges[0]->header("Accept-Encoding"), QByteArray("identity"));
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(finished.count(), 0);
}

void HttpUploaderTest::brokenCompressedAnswerIsNotALink() {
    // A service that compresses although asked not to: its bytes are the answer, which is no
    // link, and the message says so in full.
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        const QByteArray body("\x1f\x8b\x08\x00garbage", 12);
        return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Encoding: gzip\r\n"
               "Content-Length: " +
               QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    };
    HttpUploader uploader;
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(failures.wait(10000));
    const auto failure = failures.at(0).at(0).value<UploadFailure>();
    QCOMPARE(failure.kind, UploadFailure::Kind::BadAnswer);
    QVERIFY2(!failure.message.trimmed().endsWith(':'), qPrintable(failure.message));
    QVERIFY2(!failure.message.contains("Decompression"), qPrintable(failure.message));
}

void HttpUploaderTest::tricklingAnswerMeetsItsDeadline() {
    // One byte of the answer now and then is progress, so the stall timer never fires; the
    // deadline after the last byte of the video ends it.
    LoopbackServer server;
    QVERIFY(server.listen());
    QTimer drip;
    QTcpSocket* talking = nullptr;
    server.respond = [&](int, const Exchange& ex) -> std::optional<QByteArray> {
        talking = ex.socket;
        talking->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nhttp://");
        drip.start(100);
        return std::nullopt;
    };
    QObject::connect(&drip, &QTimer::timeout, [&] {
        if (talking->state() == QAbstractSocket::ConnectedState)
            talking->write("a");
        else
            drip.stop();
    });
    HttpUploader uploader;
    uploader.setStallTimeout(60000);
    uploader.setAnswerDeadline(1500);
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy failures(&uploader, &HttpUploader::failed);
    uploadVideo(uploader, server.url(), randomBytes(64 * 1024));
    QVERIFY(failures.wait(30000));
    const auto failure = failures.at(0).at(0).value<UploadFailure>();
    QVERIFY(failure.isTransient());
    QVERIFY2(failure.message.contains("within 2 seconds"), qPrintable(failure.message));
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!uploader.isUploading());
}

QTEST_GUILESS_MAIN(HttpUploaderTest)
#include "tst_http_uploader.moc"
