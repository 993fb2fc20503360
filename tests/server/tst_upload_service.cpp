// The reference upload service for real: PHP's built-in server started on a free loopback port
// with a private storage folder, fed by HttpUploader, by hand-made requests and by raw bytes.
#include "upload/HttpUploader.h"
#include "upload/MultipartBody.h"
#include "upload/ServiceUrls.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString ServerDir = QStringLiteral(CLIPNEST_SOURCE_DIR "/server");

struct Response {
    int status = 0;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers; // lower-case names
};

// One instance of the service in its own process with its own storage folder.
class Service {
public:
    QString storage;
    quint16 port = 0;

    ~Service() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
            process.waitForFinished(5000);
        }
    }

    // With `router` false the scripts run as on any PHP web host: each file by its own name.
    bool start(const QString& storageDir, const QStringList& phpOptions,
               const QMap<QString, QString>& env, bool router = true) {
        storage = storageDir;
        QDir().mkpath(storage);
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return false;
            port = probe.serverPort();
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CLIPNEST_STORAGE", storage);
        for (auto it = env.begin(); it != env.end(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        // The built-in server logs every connection; keep that out of the test's output.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(storage + ".log");
        QStringList args = phpOptions + QStringList{"-S", host(), "-t", ServerDir};
        if (router)
            args << ServerDir + "/router.php";
        process.start("php", args);
        if (!process.waitForStarted(10000))
            return false;
        // Ready once it accepts connections.
        for (int i = 0; i < 100; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            if (probe.waitForConnected(200))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(100);
        }
        return false;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
    QString url(const QString& path) const { return "http://" + host() + path; }
    QStringList stored() const {
        return QDir(storage).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private:
    QProcess process;
};

Response finish(QNetworkReply* reply) {
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

Response get(QNetworkAccessManager& net, const QString& url, const QByteArray& range = {}) {
    QNetworkRequest request{QUrl(url)};
    if (!range.isEmpty())
        request.setRawHeader("Range", range);
    return finish(net.get(request));
}

Response post(QNetworkAccessManager& net, const QString& url, const QByteArray& contentType,
              const QByteArray& body) {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    return finish(net.post(request, body));
}

// Sends `request` as raw bytes, so no client library tidies the path, and returns the status
// code and everything after the header.
Response raw(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    Response r;
    if (!socket.waitForConnected(10000))
        return r;
    socket.write(request);
    QByteArray all;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(20000))
        all += socket.readAll();
    all += socket.readAll();
    const QList<QByteArray> statusLine = all.left(all.indexOf("\r\n")).split(' ');
    if (statusLine.size() >= 2)
        r.status = statusLine.at(1).toInt();
    r.body = all.mid(all.indexOf("\r\n\r\n") + 4);
    return r;
}

QByteArray multipart(const QByteArray& field, const QByteArray& fileName, const QByteArray& data,
                     const QByteArray& boundary = "Ax3WQkoke") {
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field +
           "\";filename=\"" + fileName + "\"\r\nContent-Type: video/mp4\r\n\r\n" + data + "\r\n--" +
           boundary + "--\r\n";
}

QByteArray randomBytes(int size) {
    QByteArray data(size, Qt::Uninitialized);
    for (auto& ch : data)
        ch = char(QRandomGenerator::global()->bounded(256));
    return data;
}

QByteArray sha1(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex();
}

} // namespace

class UploadServiceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void uploadedVideoComesBackWithRanges();
    void largeVideoIsReadInPieces();
    void midSizedVideoNeedsPhpLimitsLifted();
    void badUploadsStoreNothing_data();
    void badUploadsStoreNothing();
    void nothingOutsideTheVideosIsServed_data();
    void nothingOutsideTheVideosIsServed();
    void linkFollowsTheAddressedHost();
    void faqIsAPage();
    void worksWithoutTheRouter();

private:
    QString uploadWithUploader(Service& service, const QByteArray& data);

    QTemporaryDir temp;
    QByteArray video; // a real MP4 made by ffmpeg
    Service plain;    // started exactly like the scripts start it
    Service small;    // with a 100000-byte limit
    Service unparsed; // with PHP's own body parsing switched off
    Service bare;     // without the router, as on an ordinary PHP host
    QNetworkAccessManager net;
};

void UploadServiceTest::initTestCase() {
    QVERIFY2(!QStandardPaths::findExecutable("php").isEmpty(), "php is needed for this test");
    QVERIFY2(!QStandardPaths::findExecutable("ffmpeg").isEmpty(), "ffmpeg is needed");
    QVERIFY(temp.isValid());
    const QString mp4 = temp.filePath("clip.mp4");
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc=duration=1:size=64x48:rate=10", "-pix_fmt", "yuv420p", mp4});
    QVERIFY(ffmpeg.waitForFinished(60000));
    QVERIFY2(ffmpeg.exitCode() == 0, ffmpeg.readAll().constData());
    QFile file(mp4);
    QVERIFY(file.open(QIODevice::ReadOnly));
    video = file.readAll();
    QVERIFY(video.size() > 200);
    QCOMPARE(video.mid(4, 4), QByteArray("ftyp"));

    QVERIFY(plain.start(temp.filePath("plain"), {}, {}));
    QVERIFY(small.start(temp.filePath("small"), {}, {{"CLIPNEST_MAX_UPLOAD", "100000"}}));
    QVERIFY(unparsed.start(temp.filePath("unparsed"), {"-d", "enable_post_data_reading=0"}, {}));
    QVERIFY(bare.start(temp.filePath("bare"), {}, {}, false));
}

QString UploadServiceTest::uploadWithUploader(Service& service, const QByteArray& data) {
    HttpUploader uploader;
    QSignalSpy finished(&uploader, &HttpUploader::finished);
    QSignalSpy errors(&uploader, &HttpUploader::error);
    uploader.upload(ServiceUrls::uploadUrl(service.host(), 64, 48), data, "attachment", "video.mp4",
                    "video/mp4", "Ax3WQkoke");
    if (!finished.wait(120000) || !errors.isEmpty())
        return errors.isEmpty() ? QString("no answer") : "error: " + errors.at(0).at(0).toString();
    return finished.at(0).at(0).toString();
}

void UploadServiceTest::uploadedVideoComesBackWithRanges() {
    const QString link = uploadWithUploader(plain, video);
    QVERIFY2(ServiceUrls::isAcceptedAnswer(link), qPrintable(link));
    const QRegularExpression shape("^http://" + QRegularExpression::escape(plain.host()) +
                                   "/video\\.php/([0-9a-f]{32}\\.mp4)$");
    const auto match = shape.match(link);
    QVERIFY2(match.hasMatch(), qPrintable(link));
    QVERIFY(plain.stored().contains(match.captured(1)));

    const Response whole = get(net, link);
    QCOMPARE(whole.status, 200);
    QCOMPARE(whole.headers.value("content-type"), QByteArray("video/mp4"));
    QCOMPARE(whole.headers.value("accept-ranges"), QByteArray("bytes"));
    QCOMPARE(whole.body, video);

    // What comes back is still a playable video.
    const QString copy = temp.filePath("download.mp4");
    QFile out(copy);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(whole.body);
    out.close();
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream=width,height", "-of", "csv=p=0", copy});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.readAllStandardOutput().trimmed(), QByteArray("64,48"));

    // The shared link carries "?lang=": the video must still come.
    QCOMPARE(get(net, ServiceUrls::sharedLink(link, "br")).body, video);

    const qsizetype size = video.size();
    const QByteArray total = "/" + QByteArray::number(size);
    Response part = get(net, link, "bytes=100-199");
    QCOMPARE(part.status, 206);
    QCOMPARE(part.body, video.mid(100, 100));
    QCOMPARE(part.headers.value("content-range"), "bytes 100-199" + total);

    part = get(net, link, "bytes=-50");
    QCOMPARE(part.status, 206);
    QCOMPARE(part.body, video.right(50));

    part = get(net, link, "bytes=" + QByteArray::number(size - 10) + "-");
    QCOMPARE(part.status, 206);
    QCOMPARE(part.body, video.right(10));

    part = get(net, link, "bytes=0-" + QByteArray::number(size + 1000));
    QCOMPARE(part.status, 206);
    QCOMPARE(part.body, video);

    for (const QByteArray& bad :
         {"bytes=" + QByteArray::number(size) + "-", QByteArray("bytes=50-10"),
          QByteArray("bytes=abc"), QByteArray("bytes=-0"), QByteArray("lines=1-2")}) {
        part = get(net, link, bad);
        QVERIFY2(part.status == 416, bad.constData());
        QCOMPARE(part.headers.value("content-range"), "bytes */" + QByteArray::number(size));
    }
}

void UploadServiceTest::largeVideoIsReadInPieces() {
    // Beyond PHP's post_max_size, so upload.php reads the body itself.
    const QByteArray big = video + randomBytes(12 * 1024 * 1024);
    const QString link = uploadWithUploader(plain, big);
    QVERIFY2(ServiceUrls::isAcceptedAnswer(link), qPrintable(link));
    const Response back = get(net, link);
    QCOMPARE(back.status, 200);
    QCOMPARE(back.body.size(), big.size());
    QCOMPARE(sha1(back.body), sha1(big));
    const Response tail = get(net, link, "bytes=-4096");
    QCOMPARE(tail.body, big.right(4096));
}

void UploadServiceTest::midSizedVideoNeedsPhpLimitsLifted() {
    // Between PHP's default upload_max_filesize (2M) and post_max_size (8M) PHP refuses the
    // file before any script runs: a clear 413 and nothing stored...
    const QByteArray mid = video + randomBytes(5 * 1024 * 1024);
    const QStringList before = plain.stored();
    const Response refused =
        post(net, plain.url("/upload.php"), MultipartBody::contentTypeHeader("Ax3WQkoke"),
             multipart("attachment", "video.mp4", mid));
    QCOMPARE(refused.status, 413);
    QVERIFY(refused.body.contains("upload_max_filesize"));
    QCOMPARE(plain.stored(), before);
    // ...while with PHP's parsing switched off the service reads it itself.
    const QString link = uploadWithUploader(unparsed, mid);
    QVERIFY2(ServiceUrls::isAcceptedAnswer(link), qPrintable(link));
    QCOMPARE(sha1(get(net, link).body), sha1(mid));
}

void UploadServiceTest::badUploadsStoreNothing_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");

    const QByteArray form = "multipart/form-data; boundary=Ax3WQkoke";
    // Bigger than post_max_size: these reach upload.php unparsed.
    const QByteArray padding = randomBytes(9 * 1024 * 1024);
    QByteArray notMp4 = randomBytes(4000);
    notMp4.replace(4, 4, "moov");
    const QByteArray bigVideo = video + padding;
    const QByteArray twoParts =
        "--Ax3WQkoke\r\nContent-Disposition: form-data; name=\"attachment\";"
        "filename=\"video.mp4\"\r\nContent-Type: video/mp4\r\n\r\n" +
        video +
        "\r\n--Ax3WQkoke\r\nContent-Disposition: form-data; "
        "name=\"extra\"\r\n\r\nx\r\n--Ax3WQkoke--\r\n";
    const QByteArray twoPartsBig = "--Ax3WQkoke\r\nContent-Disposition: form-data; "
                                   "name=\"attachment\";filename=\"video.mp4\"\r\n"
                                   "Content-Type: video/mp4\r\n\r\n" +
                                   bigVideo +
                                   "\r\n--Ax3WQkoke\r\nContent-Disposition: form-data; "
                                   "name=\"extra\"\r\n\r\nx\r\n--Ax3WQkoke--\r\n";

    for (const QString& service : {QString("plain"), QString("unparsed")}) {
        const auto row = [&](const char* name) {
            return &(QTest::newRow(qPrintable(service + ": " + name)) << service);
        };
        *row("another field") << QByteArray("POST") << "/upload.php" << form
                              << multipart("file", "video.mp4", video) << 400;
        *row("another field, large") << QByteArray("POST") << "/upload.php" << form
                                     << multipart("file", "video.mp4", bigVideo) << 400;
        *row("two parts") << QByteArray("POST") << "/upload.php" << form << twoParts << 400;
        *row("two parts, large") << QByteArray("POST") << "/upload.php" << form << twoPartsBig
                                 << 400;
        *row("not an MP4") << QByteArray("POST") << "/upload.php" << form
                           << multipart("attachment", "video.mp4", notMp4) << 415;
        *row("not an MP4, large") << QByteArray("POST") << "/upload.php" << form
                                  << multipart("attachment", "video.mp4", padding) << 415;
        *row("path in file name") << QByteArray("POST") << "/upload.php" << form
                                  << multipart("attachment", "../../x.php", video) << 400;
        *row("path in file name, large") << QByteArray("POST") << "/upload.php" << form
                                         << multipart("attachment", "../x.mp4", bigVideo) << 400;
        *row("hidden file name") << QByteArray("POST") << "/upload.php" << form
                                 << multipart("attachment", ".htaccess", video) << 400;
        *row("GET") << QByteArray("GET") << "/upload.php" << QByteArray() << QByteArray() << 405;
        *row("not multipart") << QByteArray("POST") << "/upload.php"
                              << QByteArray("application/octet-stream") << video << 415;
        *row("bad width") << QByteArray("POST") << "/upload.php?width=abc&height=48" << form
                          << multipart("attachment", "video.mp4", video) << 400;
        *row("zero height") << QByteArray("POST") << "/upload.php?width=64&height=0" << form
                            << multipart("attachment", "video.mp4", video) << 400;
        *row("no closing boundary, large")
            << QByteArray("POST") << "/upload.php" << form
            << multipart("attachment", "video.mp4", bigVideo).chopped(20) << 400;
        *row("empty file") << QByteArray("POST") << "/upload.php" << form
                           << multipart("attachment", "video.mp4", QByteArray()) << 400;
    }
    QTest::newRow("small: too large")
        << "small" << QByteArray("POST") << "/upload.php" << form
        << multipart("attachment", "video.mp4", video + randomBytes(150000)) << 413;
    QTest::newRow("small: too large, large")
        << "small" << QByteArray("POST") << "/upload.php" << form
        << multipart("attachment", "video.mp4", bigVideo) << 413;
}

void UploadServiceTest::badUploadsStoreNothing() {
    QFETCH(QString, service);
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    Service& s = service == "plain" ? plain : service == "small" ? small : unparsed;
    const QStringList before = s.stored();
    QNetworkRequest request{QUrl(s.url(path))};
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    const Response r = method == "GET" ? finish(net.get(request)) : finish(net.post(request, body));
    QCOMPARE(r.status, status);
    QVERIFY(r.headers.value("content-type").startsWith("text/plain"));
    QVERIFY(!r.body.trimmed().isEmpty());
    QVERIFY(!r.body.startsWith("http"));
    QCOMPARE(s.stored(), before);
}

void UploadServiceTest::nothingOutsideTheVideosIsServed_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("router") << QByteArray("/router.php");
    QTest::newRow("lib") << QByteArray("/lib.php");
    QTest::newRow("dot dot after video") << QByteArray("/video.php/../lib.php");
    QTest::newRow("encoded dot dot") << QByteArray("/video.php/..%2Flib.php");
    QTest::newRow("dot dot in id") << QByteArray("/video.php?id=../router.php");
    QTest::newRow("dot dot out of storage") << QByteArray("/video.php/../../../etc/passwd");
    QTest::newRow("storage folder") << QByteArray("/storage/");
    QTest::newRow("unknown video") << QByteArray("/video.php/0123456789abcdef0123456789abcdef.mp4");
    QTest::newRow("upper case name")
        << QByteArray("/video.php/0123456789ABCDEF0123456789ABCDEF.mp4");
    QTest::newRow("symlink out of storage")
        << QByteArray("/video.php/ffffffffffffffffffffffffffffffff.mp4");
    QTest::newRow("root") << QByteArray("/");
    QTest::newRow("readme") << QByteArray("/README.md");
}

void UploadServiceTest::nothingOutsideTheVideosIsServed() {
    QFETCH(QByteArray, path);
    // A link inside the storage folder to a file outside it must not be followed.
    const QString secret = temp.filePath("secret.txt");
    QFile file(secret);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SECRET CONTENT");
    file.close();
    QFile::link(secret, plain.storage + "/ffffffffffffffffffffffffffffffff.mp4");

    const Response r =
        raw(plain.port, "GET " + path + " HTTP/1.1\r\nHost: " + plain.host().toLatin1() +
                            "\r\nConnection: close\r\n\r\n");
    QVERIFY2(r.status == 404, qPrintable(QString::number(r.status)));
    QVERIFY(!r.body.contains("<?php"));
    QVERIFY(!r.body.contains("SECRET"));
    QVERIFY(!r.body.contains("root:"));
    QFile::remove(plain.storage + "/ffffffffffffffffffffffffffffffff.mp4");
}

void UploadServiceTest::linkFollowsTheAddressedHost() {
    const QByteArray body = multipart("attachment", "video.mp4", video);
    const auto request = [&](const QByteArray& host, const QByteArray& extra) {
        return "POST /upload.php?width=64&height=48 HTTP/1.1\r\nHost: " + host +
               "\r\nContent-Type: multipart/form-data; boundary=Ax3WQkoke\r\nContent-Length: " +
               QByteArray::number(body.size()) + "\r\n" + extra + "Connection: close\r\n\r\n" +
               body;
    };
    Response r = raw(plain.port, request("videos.example.org:8443", ""));
    QCOMPARE(r.status, 200);
    QVERIFY2(r.body.startsWith("http://videos.example.org:8443/video.php/"), r.body.constData());
    // A forged proto header is not believed unless the operator asks for it.
    r = raw(plain.port, request("videos.example.org", "X-Forwarded-Proto: https\r\n"));
    QVERIFY2(r.body.startsWith("http://videos.example.org/video.php/"), r.body.constData());
    // A Host header that is no host name gives way to the server's own address.
    r = raw(plain.port, request("evil.example/<script>", ""));
    QCOMPARE(r.status, 200);
    QVERIFY2(
        r.body.startsWith("http://127.0.0.1:" + QByteArray::number(plain.port) + "/video.php/"),
        r.body.constData());
}

void UploadServiceTest::faqIsAPage() {
    const Response r = get(net, ServiceUrls::faqUrl(plain.host()).toString());
    QCOMPARE(r.status, 200);
    QVERIFY(r.headers.value("content-type").startsWith("text/html"));
    QVERIFY(r.body.contains("<h1>"));
}

void UploadServiceTest::worksWithoutTheRouter() {
    const QString link = uploadWithUploader(bare, video);
    QVERIFY2(link.startsWith("http://" + bare.host() + "/video.php/"), qPrintable(link));
    const Response back = get(net, link);
    QCOMPARE(back.status, 200);
    QCOMPARE(back.headers.value("content-type"), QByteArray("video/mp4"));
    QCOMPARE(back.body, video);
    QCOMPARE(get(net, link, "bytes=0-9").body, video.left(10));
    // Where the web server passes no path info, the name goes in the query.
    const QString name = link.section('/', -1);
    QCOMPARE(get(net, bare.url("/video.php?id=" + name)).body, video);
    QCOMPARE(get(net, bare.url("/video.php?id=../lib.php")).status, 404);
    QCOMPARE(get(net, bare.url("/lib.php")).body, QByteArray());
    QCOMPARE(get(net, bare.url("/faq/")).status, 200);
}

QTEST_GUILESS_MAIN(UploadServiceTest)
#include "tst_upload_service.moc"
