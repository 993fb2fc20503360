// HttpUploader against a raw loopback server that keeps every byte it receives and answers as
// each test tells it to.
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
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
    void answersThatAreNoLinkArriveThroughFinished_data();
    void answersThatAreNoLinkArriveThroughFinished();
    void destroyingTheUploaderAbandonsTheRequest();
    void oversizedAnswerIsReportedOnce();
    void slowButSteadyAnswerIsNotCutOff();
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

    uploadVideo(uploader, QUrl(), "data");
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QString("Invalid url: "));
    uploadVideo(uploader, server.url(), QByteArray());
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(1).at(0).toString(), QString("Empty data"));
    QVERIFY(uploader.isUploading());

    // The running request still gets its answer.
    Exchange& ex = *server.exchanges[0];
    ex.socket->write(httpResponse(200, "OK", "http://first/1"));
    ex.socket->disconnectFromHost();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toString(), QString("http://first/1"));
    QCOMPARE(errors.count(), 2);
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
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, ServiceUrls::uploadUrl(QStringLiteral("127.0.0.1:%1").arg(port), 8, 8),
                "video");
    QVERIFY(errors.wait(10000));
    QVERIFY2(errors.at(0).at(0).toString().contains("refused", Qt::CaseInsensitive),
             qPrintable(errors.at(0).at(0).toString()));
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
    QVERIFY2(errors.at(0).at(0).toString().contains("Internal Server Error"),
             qPrintable(errors.at(0).at(0).toString()));
    QCOMPARE(finished.count(), 0);
}

void HttpUploaderTest::stalledServerIsReportedOnceAfterTheTimeout() {
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [](int, const Exchange&) {
        return std::nullopt;
    };
    HttpUploader uploader;
    QCOMPARE(uploader.stallTimeout(), HttpUploader::DefaultStallTimeoutMs);
    uploader.setStallTimeout(1000);
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    QElapsedTimer clock;
    clock.start();
    uploadVideo(uploader, server.url(), randomBytes(1000));
    QVERIFY(errors.wait(20000));
    // Not before the request went quiet for the whole timeout.
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(
        errors.at(0).at(0).toString(),
        QString("The upload service stopped answering for 1 seconds. Please try again later."));
    QVERIFY(!uploader.isUploading());
    QTRY_VERIFY_WITH_TIMEOUT(server.exchanges[0]->disconnected, 10000);
    QTest::qWait(300);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(finished.count(), 0);
}

void HttpUploaderTest::answersThatAreNoLinkArriveThroughFinished_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("html") << QByteArray("<html><body>Maintenance</body></html>") << false;
    QTest::newRow("capital scheme") << QByteArray("HTTP://127.0.0.1/v/1.mp4") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("link") << QByteArray("https://v.example/1.mp4") << true;
    QTest::newRow("latin1") << QByteArray("http://v.example/caf\xe9") << true;
}

void HttpUploaderTest::answersThatAreNoLinkArriveThroughFinished() {
    QFETCH(QByteArray, body);
    QFETCH(bool, accepted);
    LoopbackServer server;
    QVERIFY(server.listen());
    server.respond = [body](int, const Exchange&) {
        return httpResponse(200, "OK", body);
    };
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploadVideo(uploader, server.url(), "video");
    QVERIFY(finished.wait(10000));
    const QString answer = finished.at(0).at(0).toString();
    QCOMPARE(answer, QString::fromLatin1(body));
    QCOMPARE(ServiceUrls::isAcceptedAnswer(answer), accepted);
    QCOMPARE(errors.count(), 0);
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
                         QByteArray(4 * HttpUploader::MaxAnswerBytes, 'a'));
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

QTEST_GUILESS_MAIN(HttpUploaderTest)
#include "tst_http_uploader.moc"
