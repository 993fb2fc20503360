// The reference upload service's resumable uploads (tus), share pages, deletion addresses and
// expiry, for real: nginx in front of php-fpm started by server/run-local.sh, driven with raw
// HTTP requests, the videos read back with ffprobe and the page opened in a headless chromium.
#include "ServiceHarness.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/file.h>

using namespace servicetest;

namespace {

const QByteArray Tus = "Tus-Resumable: 1.0.0\r\n";
const QByteArray Token = "Authorization: Bearer tight-token-1234\r\n";
const QByteArray OffsetStream = "Content-Type: application/offset+octet-stream\r\n";

// What creating an upload gave back.
struct Created {
    Response answer;
    QByteArray path; // /files/<address>
    QString id;      // the video's id, as in its page's link
    QString link;
    QString deletion;
};

QByteArray request(const Service& s, const QByteArray& method, const QByteArray& path,
                   const QByteArray& headers, const QByteArray& body = {}) {
    QByteArray text =
        method + " " + path + " HTTP/1.1\r\nHost: " + s.host().toLatin1() + "\r\n" + headers;
    if (!headers.toLower().contains("content-length:") &&
        !headers.toLower().contains("transfer-encoding:") && method != "HEAD" && method != "GET")
        text += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return text + "Connection: close\r\n\r\n" + body;
}

Response send(const Service& s, const QByteArray& method, const QByteArray& path,
              const QByteArray& headers, const QByteArray& body = {}) {
    return raw(s.port, request(s, method, path, headers, body));
}

Created create(const Service& s, const QByteArray& headers) {
    Created c;
    c.answer = send(s, "POST", "/files/", Tus + headers);
    c.path = QUrl(QString::fromLatin1(c.answer.headers.value("location"))).path().toLatin1();
    c.link = QString::fromLatin1(c.answer.headers.value("clipnest-link"));
    c.deletion = QString::fromLatin1(c.answer.headers.value("clipnest-delete"));
    c.id = c.link.section('/', -1);
    return c;
}

Response patch(const Service& s, const QByteArray& path, qint64 offset, const QByteArray& body,
               const QByteArray& extra = {}) {
    return send(
        s, "PATCH", path,
        Tus + OffsetStream + "Upload-Offset: " + QByteArray::number(offset) + "\r\n" + extra, body);
}

QByteArray state(const Service& s, const QByteArray& path, const QByteArray& extra = {}) {
    return send(s, "HEAD", path, Tus + extra).headers.value("clipnest-state");
}

QByteArray metadata(const QList<QPair<QByteArray, QByteArray>>& pairs) {
    QByteArrayList items;
    for (const auto& [key, value] : pairs)
        items << key + " " + value.toBase64();
    return "Upload-Metadata: " + items.join(',') + "\r\n";
}

// A body in HTTP/1.1 chunks, of unknown length to the service until its end.
QByteArray chunked(const QByteArray& data) {
    QByteArray body;
    for (qsizetype at = 0; at < data.size(); at += 4096)
        body += QByteArray::number(std::min<qsizetype>(4096, data.size() - at), 16) + "\r\n" +
                data.mid(at, 4096) + "\r\n";
    return body + "0\r\n\r\n";
}
const QByteArray Chunked = "Transfer-Encoding: chunked\r\n";

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// ffprobe's word on a file: "width,height,duration".
QStringList probe(const QString& path) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                              "stream=width,height:format=duration", "-of",
                              "default=noprint_wrappers=1:nokey=1", path});
    ffprobe.waitForFinished(60000);
    return QString::fromLatin1(ffprobe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// The MP4's top-level boxes in file order ("ftyp", "moov", "mdat"...).
QByteArrayList topLevelBoxes(const QByteArray& mp4) {
    QByteArrayList boxes;
    qint64 at = 0;
    while (at + 8 <= mp4.size()) {
        quint64 size = qFromBigEndian<quint32>(mp4.constData() + at);
        if (size == 1 && at + 16 <= mp4.size())
            size = qFromBigEndian<quint64>(mp4.constData() + at + 8);
        boxes << mp4.mid(at + 4, 4);
        if (size < 8)
            break;
        at += qint64(size);
    }
    return boxes;
}

// The service's record of a video, as the operator could edit it: the tests' way to let time
// pass.
bool editRecord(const Service& s, const QString& id, const QString& key, qint64 value) {
    const QString path = s.storage + "/meta/" + id + ".json";
    QJsonObject record = QJsonDocument::fromJson(readFile(path)).object();
    if (record.isEmpty())
        return false;
    record.insert(key, value);
    return writeFile(path, QJsonDocument(record).toJson(QJsonDocument::Compact));
}

QMap<QString, QString> metaTags(const QByteArray& html) {
    QMap<QString, QString> tags;
    static const QRegularExpression meta(
        R"re(<meta (?:property|name)="([^"]+)" content="([^"]*)">)re");
    for (const auto& m : meta.globalMatch(QString::fromUtf8(html)))
        tags.insert(m.captured(1), m.captured(2));
    return tags;
}

} // namespace

class ResumableServiceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discoveryAndCreation();
    void patchesFollowTheServersOffset();
    void fragmentedRecordingBecomesAnOrdinaryVideo();
    void badRequestsStoreNothing_data();
    void badRequestsStoreNothing();
    void twoPatchesAtOnceNeverInterleave();
    void terminationRemovesEverything();
    void unfinishedUploadsExpire();
    void brokenUploadFailsCleanly();
    void multipartAnswersWithThePage();
    void sharePageCarriesPreviewsAndEscapes();
    void deletionNeedsTheSecret();
    void expiredVideosAnswer410();
    void sharePageInARealBrowser();

private:
    // Sends `data` as one resumable upload in chunks, the length deferred to the last one, and
    // waits until the service has made it a video. Returns the creation.
    Created uploadInChunks(const Service& s, const QByteArray& data, qsizetype chunk,
                           const QByteArray& meta = {});

    QTemporaryDir temp;
    QByteArray plainMp4;   // an ordinary MP4 with its index at the end
    QByteArray fragmented; // as the program writes while recording
    QStringList fragmentedProbe;
    Service svc;      // default settings
    Service tight;    // tokens, 500000-byte videos, 400000 bytes in all
    Service expiring; // videos expire after 3 days
};

void ResumableServiceTest::initTestCase() {
    QVERIFY2(!QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/bin"}).isEmpty(),
             "nginx is needed for this test");
    QVERIFY2(!QStandardPaths::findExecutable("ffmpeg").isEmpty(), "ffmpeg is needed");
    QVERIFY(temp.isValid());
    const auto make = [&](const QString& name, const QStringList& output) {
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        ffmpeg.start("ffmpeg", QStringList{"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                           "testsrc=duration=4:size=320x240:rate=25", "-f", "lavfi",
                                           "-i", "sine=duration=4", "-c:v", "libx264", "-g", "25",
                                           "-pix_fmt", "yuv420p", "-c:a", "aac"} +
                                   output + QStringList{temp.filePath(name)});
        return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
    };
    QVERIFY(make("plain.mp4", {}));
    QVERIFY(make("fragmented.mp4", {"-movflags", "frag_keyframe+empty_moov"}));
    plainMp4 = readFile(temp.filePath("plain.mp4"));
    fragmented = readFile(temp.filePath("fragmented.mp4"));
    QVERIFY(topLevelBoxes(fragmented).contains("moof"));
    fragmentedProbe = probe(temp.filePath("fragmented.mp4"));
    QCOMPARE(fragmentedProbe.size(), 3);

    QVERIFY(writeFile(temp.filePath("tokens"), "tight-token-1234\n"));
    QVERIFY(svc.start(temp.filePath("svc")));
    QVERIFY(
        tight.start(temp.filePath("tight"), {"--token-file", temp.filePath("tokens"),
                                             "--max-upload", "500000", "--max-storage", "400000"}));
    QVERIFY(expiring.start(temp.filePath("expiring"), {"--expire-days", "3"}));
}

Created ResumableServiceTest::uploadInChunks(const Service& s, const QByteArray& data,
                                             qsizetype chunk, const QByteArray& meta) {
    Created c = create(s, "Upload-Defer-Length: 1\r\n" + meta);
    if (c.answer.status != 201)
        return c;
    for (qsizetype at = 0; at < data.size(); at += chunk) {
        const bool last = at + chunk >= data.size();
        const Response r =
            patch(s, c.path, at, data.mid(at, chunk),
                  last ? "Upload-Length: " + QByteArray::number(data.size()) + "\r\n" : "");
        if (r.status != 204 || r.headers.value("upload-offset").toLongLong() !=
                                   std::min<qint64>(at + chunk, data.size())) {
            c.answer = r;
            return c;
        }
    }
    return c;
}

void ResumableServiceTest::discoveryAndCreation() {
    Response r = send(svc, "OPTIONS", "/files/", {});
    QCOMPARE(r.status, 204);
    QCOMPARE(r.headers.value("tus-resumable"), QByteArray("1.0.0"));
    QCOMPARE(r.headers.value("tus-version"), QByteArray("1.0.0"));
    QCOMPARE(r.headers.value("tus-extension"),
             QByteArray("creation,creation-defer-length,termination,expiration"));
    QCOMPARE(r.headers.value("tus-max-size"), QByteArray("1073741824"));
    // Discovery needs no token, so a program finds out what a guarded service speaks.
    QCOMPARE(send(tight, "OPTIONS", "/files/", {}).headers.value("tus-max-size"),
             QByteArray("500000"));

    const auto before = everything(svc.storage);
    const Created c = create(svc, "Upload-Length: 1000\r\n");
    QCOMPARE(c.answer.status, 201);
    QCOMPARE(c.answer.headers.value("tus-resumable"), QByteArray("1.0.0"));
    const QString host = QRegularExpression::escape(svc.host());
    QVERIFY2(QRegularExpression("^http://" + host + "/files/[0-9a-f]{64}$")
                 .match(c.answer.headers.value("location"))
                 .hasMatch(),
             c.answer.headers.value("location").constData());
    QVERIFY2(QRegularExpression("^http://" + host + "/v/[0-9a-f]{32}$").match(c.link).hasMatch(),
             qPrintable(c.link));
    // The upload's address is the video's id and a key the page's link does not show.
    QVERIFY(c.path.startsWith("/files/" + c.id.toLatin1()));
    QVERIFY2(QRegularExpression("^http://" + host + "/delete/" + c.id + "/[0-9a-f]{32}$")
                 .match(c.deletion)
                 .hasMatch(),
             qPrintable(c.deletion));
    QVERIFY(!c.answer.headers.contains("clipnest-expires"));
    // An HTTP date ("Fri, 11 Dec 2026 05:23:14 GMT"), which Qt reads with a numeric zone.
    const QDateTime expires = QDateTime::fromString(
        QString::fromLatin1(c.answer.headers.value("upload-expires")).replace("GMT", "+0000"),
        Qt::RFC2822Date);
    QVERIFY2(expires > QDateTime::currentDateTimeUtc().addSecs(23 * 3600),
             c.answer.headers.value("upload-expires").constData());
    auto after = everything(svc.storage);
    QCOMPARE(after.size(), before.size() + 2);
    QCOMPARE(after.value("tus/" + c.id + ".part"), 0);
    QVERIFY(after.contains("meta/" + c.id + ".json"));

    r = send(svc, "HEAD", c.path, Tus);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.headers.value("upload-offset"), QByteArray("0"));
    QCOMPARE(r.headers.value("upload-length"), QByteArray("1000"));
    QCOMPARE(r.headers.value("cache-control"), QByteArray("no-store"));
    QCOMPARE(r.headers.value("clipnest-state"), QByteArray("receiving"));

    r = send(svc, "HEAD", c.path, {});
    QCOMPARE(r.status, 412);
    QCOMPARE(r.headers.value("tus-version"), QByteArray("1.0.0"));

    // Where videos expire, the program learns when at creation.
    const Created e = create(expiring, "Upload-Defer-Length: 1\r\n");
    QCOMPARE(e.answer.status, 201);
    const QDateTime gone = QDateTime::fromString(
        QString::fromLatin1(e.answer.headers.value("clipnest-expires")), Qt::ISODate);
    QVERIFY2(gone.isValid() && e.answer.headers.value("clipnest-expires").endsWith('Z'),
             e.answer.headers.value("clipnest-expires").constData());
    QVERIFY(qAbs(gone.secsTo(QDateTime::currentDateTimeUtc().addDays(3))) < 120);
    QCOMPARE(send(expiring, "HEAD", e.path, Tus).headers.value("upload-defer-length"),
             QByteArray("1"));
}

void ResumableServiceTest::patchesFollowTheServersOffset() {
    const qsizetype half = plainMp4.size() / 2;
    const Created c = create(svc, "Upload-Length: " + QByteArray::number(plainMp4.size()) + "\r\n");
    QCOMPARE(c.answer.status, 201);
    const QString part = svc.storage + "/tus/" + c.id + ".part";

    Response r = patch(svc, c.path, 0, plainMp4.left(half));
    QCOMPARE(r.status, 204);
    QCOMPARE(r.headers.value("upload-offset").toLongLong(), half);
    QVERIFY(r.headers.contains("upload-expires"));
    // A client that thinks it starts over is told where the service's bytes end.
    r = patch(svc, c.path, 0, plainMp4.mid(half));
    QCOMPARE(r.status, 409);
    QCOMPARE(r.headers.value("upload-offset").toLongLong(), half);
    QCOMPARE(readFile(part), plainMp4.left(half));
    QCOMPARE(send(svc, "HEAD", c.path, Tus).headers.value("upload-offset").toLongLong(), half);

    // Sent in HTTP chunks, so the service learns its length only at the end.
    r = patch(svc, c.path, half, chunked(plainMp4.mid(half)), Chunked);
    QCOMPARE(r.status, 204);
    QCOMPARE(r.headers.value("upload-offset").toLongLong(), plainMp4.size());
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    QVERIFY(!QFile::exists(part));
    r = send(svc, "HEAD", c.path, Tus);
    QCOMPARE(r.headers.value("upload-offset").toLongLong(), plainMp4.size());

    const QString stored = svc.storage + "/" + c.id + ".mp4";
    QCOMPARE(probe(stored), probe(temp.filePath("plain.mp4")));
    QNetworkAccessManager net;
    QCOMPARE(get(net, videoOf(c.link)).body, readFile(stored));
    // A repeat of the last answer's offset with nothing more is harmless; more bytes are not.
    QCOMPARE(patch(svc, c.path, plainMp4.size(), {}).status, 204);
    QCOMPARE(patch(svc, c.path, plainMp4.size(), "x").status, 413);
    QCOMPARE(patch(svc, c.path, 0, {}).status, 409);
}

void ResumableServiceTest::fragmentedRecordingBecomesAnOrdinaryVideo() {
    const Created c = uploadInChunks(svc, fragmented, 16 * 1024);
    QVERIFY2(c.answer.status == 201, c.answer.body.constData());
    // The page is there at once; it says the video is on its way until it is.
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    QNetworkAccessManager net;
    const Response video = get(net, videoOf(c.link));
    QCOMPARE(video.status, 200);
    const QByteArrayList boxes = topLevelBoxes(video.body);
    QVERIFY2(!boxes.contains("moof"), boxes.join(' ').constData());
    QVERIFY2(boxes.indexOf("moov") >= 0 && boxes.indexOf("moov") < boxes.indexOf("mdat"),
             boxes.join(' ').constData());
    const QString copy = temp.filePath("fragmented-back.mp4");
    QVERIFY(writeFile(copy, video.body));
    const QStringList back = probe(copy);
    QCOMPARE(back.mid(0, 2), fragmentedProbe.mid(0, 2));
    QVERIFY2(qAbs(back.value(2).toDouble() - fragmentedProbe.value(2).toDouble()) < 0.05,
             qPrintable(back.join(' ') + " / " + fragmentedProbe.join(' ')));
    // Nothing of the upload is left but the video, its poster and its record.
    const auto files = everything(svc.storage);
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it.key().contains(c.id))
            QVERIFY2(it.key() == c.id + ".mp4" || it.key() == "posters/" + c.id + ".jpg" ||
                         it.key() == "meta/" + c.id + ".json",
                     qPrintable(it.key()));
    }
}

void ResumableServiceTest::badRequestsStoreNothing_data() {
    QTest::addColumn<QString>("service");
    QTest::addColumn<QByteArray>("method");
    // "collection", "upload" (one with 1000 bytes declared, 100 stored), "large upload" (3 MiB
    // declared, 100 stored), "id only", "wrong key", or a literal path.
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");

    const QByteArray none;
    const auto create = [&](const char* name, const QByteArray& headers, int status) {
        QTest::newRow(name) << "svc" << QByteArray("POST") << QByteArray("collection")
                            << Tus + headers << none << status;
    };
    create("1 TiB declared", "Upload-Length: 1099511627776\r\n", 413);
    create("more digits than fit", "Upload-Length: 99999999999999999999999\r\n", 400);
    create("negative length", "Upload-Length: -5\r\n", 400);
    create("non-numeric length", "Upload-Length: 12abc\r\n", 400);
    create("fractional length", "Upload-Length: 1.5\r\n", 400);
    create("zero length", "Upload-Length: 0\r\n", 400);
    create("length and deferral", "Upload-Length: 10\r\nUpload-Defer-Length: 1\r\n", 400);
    create("neither length nor deferral", none, 400);
    create("deferral other than 1", "Upload-Defer-Length: 0\r\n", 400);
    create("metadata not base64", "Upload-Length: 10\r\nUpload-Metadata: filename %%%\r\n", 400);
    create("from another site", "Upload-Length: 10\r\nOrigin: http://attacker.example\r\n", 403);
    create("cross-site fetch", "Upload-Length: 10\r\nSec-Fetch-Site: cross-site\r\n", 403);
    QTest::newRow("no tus version") << "svc" << QByteArray("POST") << QByteArray("collection")
                                    << QByteArray("Upload-Length: 10\r\n") << none << 412;
    QTest::newRow("another tus version")
        << "svc" << QByteArray("POST") << QByteArray("collection")
        << QByteArray("Tus-Resumable: 0.2.2\r\nUpload-Length: 10\r\n") << none << 412;
    QTest::newRow("bytes with the creation")
        << "svc" << QByteArray("POST") << QByteArray("collection")
        << Tus + "Upload-Length: 10\r\n" + OffsetStream << QByteArray("0123456789") << 400;

    const auto patchRow = [&](const char* name, const QByteArray& headers, const QByteArray& body,
                              int status) {
        QTest::newRow(name) << "svc" << QByteArray("PATCH") << QByteArray("upload") << Tus + headers
                            << body << status;
    };
    const QByteArray ten = "0123456789";
    patchRow("offset behind", OffsetStream + "Upload-Offset: 0\r\n", ten, 409);
    patchRow("offset ahead", OffsetStream + "Upload-Offset: 500\r\n", ten, 409);
    patchRow("negative offset", OffsetStream + "Upload-Offset: -100\r\n", ten, 400);
    patchRow("non-numeric offset", OffsetStream + "Upload-Offset: abc\r\n", ten, 400);
    patchRow("signed offset", OffsetStream + "Upload-Offset: +100\r\n", ten, 400);
    patchRow("no offset", OffsetStream, ten, 400);
    patchRow("past the declared length", OffsetStream + "Upload-Offset: 100\r\n",
             QByteArray(901, 'x'), 413);
    // Of unknown length to the client's headers; nginx counts it whole before the service
    // sees it, and nothing of it may stay.
    QTest::newRow("past the declared length, chunked")
        << "svc" << QByteArray("PATCH") << QByteArray("large upload")
        << Tus + OffsetStream + "Upload-Offset: 100\r\n" + Chunked
        << chunked(QByteArray(4 * 1024 * 1024, 'x')) << 413;
    patchRow("another length", OffsetStream + "Upload-Offset: 100\r\nUpload-Length: 2000\r\n", ten,
             400);
    patchRow("negative length", OffsetStream + "Upload-Offset: 100\r\nUpload-Length: -1\r\n", ten,
             400);
    patchRow("not offset+octet-stream",
             "Content-Type: application/octet-stream\r\nUpload-Offset: 100\r\n", ten, 415);
    patchRow("from another site",
             OffsetStream + "Upload-Offset: 100\r\nOrigin: http://attacker.example\r\n", ten, 403);
    patchRow("1 TiB body declared",
             OffsetStream + "Upload-Offset: 100\r\nContent-Length: 1099511627776\r\n", ten, 413);
    patchRow("chunk above the bound", OffsetStream + "Upload-Offset: 100\r\n",
             QByteArray(9 * 1024 * 1024, 'x'), 413);
    QTest::newRow("video id without its key")
        << "svc" << QByteArray("PATCH") << QByteArray("id only")
        << Tus + OffsetStream + "Upload-Offset: 100\r\n"
        << ten << 404;
    QTest::newRow("wrong key") << "svc" << QByteArray("DELETE") << QByteArray("wrong key") << Tus
                               << none << 404;
    QTest::newRow("unknown upload")
        << "svc" << QByteArray("HEAD") << QByteArray("/files/" + QByteArray(64, '0')) << Tus << none
        << 404;
    QTest::newRow("id with path characters")
        << "svc" << QByteArray("PATCH") << "/files/" + QByteArray(32, 'a') + "%2F..%2F..%2Flib.php"
        << Tus + OffsetStream + "Upload-Offset: 0\r\n"
        << ten << 404;
    QTest::newRow("id with a slash")
        << "svc" << QByteArray("HEAD") << QByteArray("/files/tus/../meta") << Tus << none << 404;
    QTest::newRow("id climbing out") << "svc" << QByteArray("DELETE")
                                     << QByteArray("/files/a/../../lib.php") << Tus << none << 404;
    QTest::newRow("no token") << "tight" << QByteArray("POST") << QByteArray("collection")
                              << Tus + "Upload-Length: 1000\r\n"
                              << none << 401;
    QTest::newRow("patch without token") << "tight" << QByteArray("PATCH") << QByteArray("upload")
                                         << Tus + OffsetStream + "Upload-Offset: 100\r\n"
                                         << ten << 401;
    QTest::newRow("past the storage cap")
        << "tight" << QByteArray("POST") << QByteArray("collection")
        << Tus + Token + "Upload-Length: 450000\r\n"
        << none << 507;
    QTest::newRow("past the largest video")
        << "tight" << QByteArray("POST") << QByteArray("collection")
        << Tus + Token + "Upload-Length: 500001\r\n"
        << none << 413;
    QTest::newRow("deferred length past the largest video")
        << "tight" << QByteArray("PATCH") << QByteArray("upload")
        << Tus + Token + OffsetStream + "Upload-Offset: 100\r\nUpload-Length: 600000\r\n"
        << ten << 413;
}

void ResumableServiceTest::badRequestsStoreNothing() {
    QFETCH(QString, service);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, headers);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    const Service& s = service == "tight" ? tight : svc;
    const QByteArray auth = &s == &tight ? Token : QByteArray();
    QByteArray path = target;
    if (target == "collection") {
        path = "/files/";
    } else if (!target.startsWith('/')) {
        const QByteArray length = target == "upload" && &s == &tight ? "Upload-Defer-Length: 1\r\n"
                                  : target == "large upload"         ? "Upload-Length: 3145728\r\n"
                                                                     : "Upload-Length: 1000\r\n";
        const Created c = create(s, auth + length);
        QCOMPARE(c.answer.status, 201);
        QCOMPARE(patch(s, c.path, 0, QByteArray(100, 'v'), auth).status, 204);
        path = target.endsWith("upload") ? c.path
               : target == "id only"     ? "/files/" + c.id.toLatin1()
                                         : c.path.left(c.path.size() - 32) + QByteArray(32, 'f');
    }
    const auto before = everything(s.storage);
    const Response r = send(s, method, path, headers, body);
    QCOMPARE(r.status, status);
    // Paths that climb out of /files/ are nginx's to refuse, not the tus endpoint's.
    if (!path.contains(".."))
        QCOMPARE(r.headers.value("tus-resumable"), QByteArray("1.0.0"));
    QVERIFY(!r.headers.contains("location"));
    QCOMPARE(everything(s.storage), before);
}

void ResumableServiceTest::twoPatchesAtOnceNeverInterleave() {
    // While one request holds an upload (here the test, holding the lock such a request takes
    // on the upload's bytes), another is turned away at once and writes nothing.
    {
        const Created c = create(svc, "Upload-Defer-Length: 1\r\n");
        QCOMPARE(c.answer.status, 201);
        QFile part(svc.storage + "/tus/" + c.id + ".part");
        QVERIFY(part.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(part.handle(), LOCK_EX | LOCK_NB), 0);
        const Response r = patch(svc, c.path, 0, "0123456789");
        QCOMPARE(r.status, 423);
        QCOMPARE(part.size(), 0);
        QCOMPARE(::flock(part.handle(), LOCK_UN), 0);
        QCOMPARE(patch(svc, c.path, 0, "0123456789").status, 204);
        QCOMPARE(part.size(), 10);
    }
    // Two whole requests sent together: one wins, the other is refused, whichever way they
    // meet in the service (the lock or the moved offset); never a mix of both.
    constexpr int Rounds = 3;
    constexpr qsizetype Size = 8 * 1024 * 1024;
    int locked = 0;
    for (int round = 0; round < Rounds; ++round) {
        const Created c = create(svc, "Upload-Defer-Length: 1\r\n");
        QCOMPARE(c.answer.status, 201);
        const QByteArray first(Size, 'a');
        const QByteArray second = randomBytes(Size);
        const QByteArray head = Tus + OffsetStream + "Upload-Offset: 0\r\n";
        const auto answers = rawAll(svc.port, {request(svc, "PATCH", c.path, head, first),
                                               request(svc, "PATCH", c.path, head, second)});
        QList<int> statuses{answers[0].status, answers[1].status};
        std::sort(statuses.begin(), statuses.end());
        QVERIFY2(statuses[0] == 204 && (statuses[1] == 409 || statuses[1] == 423),
                 qPrintable(QString("%1 %2").arg(statuses[0]).arg(statuses[1])));
        locked += statuses[1] == 423;
        const QByteArray stored = readFile(svc.storage + "/tus/" + c.id + ".part");
        QVERIFY(stored == (answers[0].status == 204 ? first : second));
        QCOMPARE(send(svc, "HEAD", c.path, Tus).headers.value("upload-offset").toLongLong(), Size);
    }
    qInfo("%d of %d rounds met the lock (423), the others the moved offset (409)", locked, Rounds);
}

void ResumableServiceTest::terminationRemovesEverything() {
    const auto before = everything(svc.storage);
    Created c = create(svc, "Upload-Defer-Length: 1\r\n");
    QCOMPARE(patch(svc, c.path, 0, fragmented.left(5000)).status, 204);
    Response r = send(svc, "DELETE", c.path, Tus);
    QCOMPARE(r.status, 204);
    QCOMPARE(r.headers.value("tus-resumable"), QByteArray("1.0.0"));
    QCOMPARE(everything(svc.storage), before);
    QCOMPARE(send(svc, "HEAD", c.path, Tus).status, 404);
    QCOMPARE(patch(svc, c.path, 5000, "x").status, 404);
    QNetworkAccessManager net;
    QCOMPARE(get(net, c.link).status, 404);

    // A finished one goes as a whole: video, poster, page.
    c = uploadInChunks(svc, fragmented, 64 * 1024);
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    QCOMPARE(send(svc, "DELETE", c.path, Tus).status, 204);
    QCOMPARE(everything(svc.storage), before);
    QCOMPARE(get(net, c.link).status, 404);
    QCOMPARE(get(net, videoOf(c.link)).status, 404);
}

void ResumableServiceTest::unfinishedUploadsExpire() {
    const Created stale = create(svc, "Upload-Defer-Length: 1\r\n");
    const Created forgotten = create(svc, "Upload-Defer-Length: 1\r\n");
    const Created fresh = create(svc, "Upload-Defer-Length: 1\r\n");
    for (const Created* c : {&stale, &forgotten, &fresh})
        QCOMPARE(patch(svc, c->path, 0, fragmented.left(3000)).status, 204);
    // A day and an hour without a byte.
    const qint64 past = QDateTime::currentSecsSinceEpoch() - 25 * 3600;
    for (const Created* c : {&stale, &forgotten}) {
        QFile part(svc.storage + "/tus/" + c->id + ".part");
        QVERIFY(part.open(QIODevice::ReadWrite));
        QVERIFY(part.setFileTime(QDateTime::fromSecsSinceEpoch(past),
                                 QFileDevice::FileModificationTime));
        part.close();
        QVERIFY(editRecord(svc, c->id, "created", past));
        QVERIFY(editRecord(svc, c->id, "updated", past));
    }
    Response r = send(svc, "HEAD", stale.path, Tus);
    QCOMPARE(r.status, 410);
    QCOMPARE(patch(svc, stale.path, 3000, "x").status, 410);
    QVERIFY(!QFile::exists(svc.storage + "/tus/" + stale.id + ".part"));
    QNetworkAccessManager net;
    QCOMPARE(get(net, stale.link).status, 410);
    // The other is dropped by the next creation, without anyone asking for it.
    QVERIFY(QFile::exists(svc.storage + "/tus/" + forgotten.id + ".part"));
    QCOMPARE(create(svc, "Upload-Defer-Length: 1\r\n").answer.status, 201);
    QVERIFY(!QFile::exists(svc.storage + "/tus/" + forgotten.id + ".part"));
    QCOMPARE(send(svc, "HEAD", fresh.path, Tus).headers.value("upload-offset"), QByteArray("3000"));
}

void ResumableServiceTest::brokenUploadFailsCleanly() {
    // Starts like an MP4 but is not a video: the service must not publish it.
    QByteArray bogus = fragmented.left(32) + randomBytes(20000);
    const Created c = uploadInChunks(svc, bogus, 8000);
    QCOMPARE(c.answer.status, 201);
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("failed"), kPatienceMs);
    const Response r = send(svc, "HEAD", c.path, Tus);
    QVERIFY(!r.headers.value("clipnest-error").isEmpty());
    QNetworkAccessManager net;
    QCOMPARE(get(net, videoOf(c.link)).status, 404);
    const Response page = get(net, c.link);
    QVERIFY2(page.body.contains("could not be published"), page.body.constData());
    QVERIFY(!page.body.contains("<video"));
    const auto files = everything(svc.storage);
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it.key().contains(c.id))
            QCOMPARE(it.key(), "meta/" + c.id + ".json");
    }
}

void ResumableServiceTest::multipartAnswersWithThePage() {
    const QByteArray body = multipart("attachment", "video.mp4", plainMp4);
    const Response r = raw(
        expiring.port,
        "POST /upload.php?width=320&height=240 HTTP/1.1\r\nHost: " + expiring.host().toLatin1() +
            "\r\nContent-Type: multipart/form-data; boundary=Ax3WQkoke\r\nContent-Length: " +
            QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    QCOMPARE(r.status, 200);
    const QString link = QString::fromLatin1(r.body);
    QVERIFY2(QRegularExpression("^http://" + QRegularExpression::escape(expiring.host()) +
                                "/v/[0-9a-f]{32}$")
                 .match(link)
                 .hasMatch(),
             r.body.constData());
    const QString id = link.section('/', -1);
    QVERIFY(r.headers.value("clipnest-delete").contains("/delete/" + id.toLatin1() + "/"));
    const QDateTime gone = QDateTime::fromString(
        QString::fromLatin1(r.headers.value("clipnest-expires")), Qt::ISODate);
    QVERIFY(qAbs(gone.secsTo(QDateTime::currentDateTimeUtc().addDays(3))) < 120);
    QNetworkAccessManager net;
    QTRY_VERIFY_WITH_TIMEOUT(get(net, link).body.contains("<video"), kPatienceMs);
    QCOMPARE(get(net, videoOf(link)).body, plainMp4);
}

void ResumableServiceTest::sharePageCarriesPreviewsAndEscapes() {
    const QByteArray hostile = "\"><script>alert(1)</script><img src=x onerror=alert(2)>&amp;'";
    // The sizes the uploader claims are not what the page ends up saying: the service reads
    // the video itself.
    const QByteArray meta =
        metadata({{"filename", hostile}, {"width", "9999"}, {"height", "7777"}});
    const Created c = create(svc, "Upload-Defer-Length: 1\r\n" + meta);
    QCOMPARE(c.answer.status, 201);
    QNetworkAccessManager net;
    Response page = get(net, c.link);
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains("still arriving"));
    QVERIFY(page.body.contains("<meta http-equiv=\"refresh\""));

    for (qsizetype at = 0; at < fragmented.size(); at += 50000) {
        const bool last = at + 50000 >= fragmented.size();
        QCOMPARE(
            patch(svc, c.path, at, fragmented.mid(at, 50000),
                  last ? "Upload-Length: " + QByteArray::number(fragmented.size()) + "\r\n" : "")
                .status,
            204);
    }
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    page = get(net, c.link);
    QCOMPARE(page.status, 200);
    QVERIFY(page.headers.value("content-security-policy").contains("default-src 'none'"));
    QVERIFY2(!page.body.contains("<script") && !page.body.contains("<img"), page.body.constData());
    QVERIFY(page.body.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    QVERIFY(page.body.contains("&amp;amp;"));
    QVERIFY(!page.body.contains("http-equiv=\"refresh\""));
    const auto tags = metaTags(page.body);
    QCOMPARE(tags.value("og:type"), QString("video.other"));
    QCOMPARE(tags.value("og:video"), videoOf(c.link));
    QCOMPARE(tags.value("og:video:type"), QString("video/mp4"));
    QCOMPARE(tags.value("og:video:width"), QString("320"));
    QCOMPARE(tags.value("og:video:height"), QString("240"));
    QCOMPARE(tags.value("twitter:card"), QString("player"));
    QCOMPARE(tags.value("twitter:player:width"), QString("320"));
    QCOMPARE(tags.value("twitter:player:height"), QString("240"));
    QVERIFY(!tags.contains("og:video:secure_url")); // plain http here
    const Response poster = get(net, tags.value("og:image"));
    QCOMPARE(poster.status, 200);
    QCOMPARE(poster.headers.value("content-type"), QByteArray("image/jpeg"));
    QVERIFY(writeFile(temp.filePath("poster.jpg"), poster.body));
    QCOMPARE(probe(temp.filePath("poster.jpg")).mid(0, 2),
             (QStringList{tags.value("og:image:width"), tags.value("og:image:height")}));
    const Response embed = get(net, tags.value("twitter:player"));
    QCOMPARE(embed.status, 200);
    QVERIFY(embed.body.contains("<video"));
    QVERIFY(!embed.headers.value("content-security-policy").contains("frame-ancestors"));
    QVERIFY(page.headers.value("content-security-policy").contains("frame-ancestors 'self'"));

    static const QRegularExpression oembedLink(
        R"re(<link rel="alternate" type="application/json\+oembed" href="([^"]+)")re");
    const auto m = oembedLink.match(QString::fromUtf8(page.body));
    QVERIFY(m.hasMatch());
    const Response oembed = get(net, m.captured(1).replace("&amp;", "&"));
    QCOMPARE(oembed.status, 200);
    const QJsonObject o = QJsonDocument::fromJson(oembed.body).object();
    QCOMPARE(o.value("type").toString(), QString("video"));
    QCOMPARE(o.value("version").toString(), QString("1.0"));
    QCOMPARE(o.value("width").toInt(), 320);
    QCOMPARE(o.value("height").toInt(), 240);
    QCOMPARE(o.value("title").toString(), QString::fromUtf8(hostile));
    QCOMPARE(o.value("thumbnail_url").toString(), tags.value("og:image"));
    QVERIFY(o.value("html").toString().startsWith("<iframe src=\"" + tags.value("twitter:player")));
    QVERIFY(!oembed.body.contains("<script"));
    QCOMPARE(get(net, svc.url("/oembed.php?url=" + c.link + "&format=xml")).status, 501);
}

void ResumableServiceTest::deletionNeedsTheSecret() {
    const auto before = everything(svc.storage);
    const Created c = uploadInChunks(svc, fragmented, 1 << 20);
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    const auto withVideo = everything(svc.storage);
    const QByteArray right = QUrl(c.deletion).path().toLatin1();
    const QByteArray wrong = right.left(right.size() - 32) + QByteArray(32, '0');
    const QByteArray form = "Content-Type: application/x-www-form-urlencoded\r\n";
    QCOMPARE(send(svc, "POST", wrong, form).status, 403);
    QCOMPARE(send(svc, "DELETE", wrong, {}).status, 403);
    QCOMPARE(send(svc, "DELETE", right.left(right.size() - 33), {}).status, 404);
    QCOMPARE(send(svc, "POST", right, form + "Origin: http://attacker.example\r\n").status, 403);
    const Response question = send(svc, "GET", right, {});
    QCOMPARE(question.status, 200);
    QVERIFY(question.body.contains("<form method=\"post\""));
    QCOMPARE(everything(svc.storage), withVideo);

    const Response done =
        send(svc, "POST", right, form + "Origin: http://" + svc.host().toLatin1() + "\r\n");
    QCOMPARE(done.status, 200);
    QCOMPARE(everything(svc.storage), before);
    QNetworkAccessManager net;
    QCOMPARE(get(net, c.link).status, 404);
    QCOMPARE(get(net, videoOf(c.link)).status, 404);
    QCOMPARE(send(svc, "DELETE", right, {}).status, 404);
}

void ResumableServiceTest::expiredVideosAnswer410() {
    QNetworkAccessManager net;
    const Created asked = uploadInChunks(expiring, fragmented, 1 << 20);
    const Created unasked = uploadInChunks(expiring, fragmented, 1 << 20);
    QString poster;
    for (const Created* c : {&asked, &unasked}) {
        QTRY_COMPARE_WITH_TIMEOUT(state(expiring, c->path), QByteArray("ready"), kPatienceMs);
        QCOMPARE(get(net, videoOf(c->link)).status, 200);
        if (c == &asked)
            poster = metaTags(get(net, asked.link).body).value("og:image");
        // Three days and a minute later.
        QVERIFY(editRecord(expiring, c->id, "expires", QDateTime::currentSecsSinceEpoch() - 60));
    }
    QCOMPARE(get(net, asked.link).status, 410);
    QCOMPARE(get(net, videoOf(asked.link)).status, 410);
    QVERIFY(!poster.isEmpty());
    QCOMPARE(get(net, poster).status, 410);
    QCOMPARE(send(expiring, "HEAD", asked.path, Tus).status, 410);
    QVERIFY(!QFile::exists(expiring.storage + "/" + asked.id + ".mp4"));
    QVERIFY(!QFile::exists(expiring.storage + "/posters/" + asked.id + ".jpg"));
    // The other goes with the next upload, no cron job needed.
    QVERIFY(QFile::exists(expiring.storage + "/" + unasked.id + ".mp4"));
    QCOMPARE(create(expiring, "Upload-Defer-Length: 1\r\n").answer.status, 201);
    QVERIFY(!QFile::exists(expiring.storage + "/" + unasked.id + ".mp4"));
    QVERIFY(!QFile::exists(expiring.storage + "/posters/" + unasked.id + ".jpg"));
    QCOMPARE(get(net, unasked.link).status, 410);
}

void ResumableServiceTest::sharePageInARealBrowser() {
    if (QStandardPaths::findExecutable("chromium").isEmpty())
        QFAIL("chromium is needed (scripts/install-deps.sh installs it)");
    const Created c =
        uploadInChunks(svc, fragmented, 32 * 1024, metadata({{"filename", "Browser <test>.mp4"}}));
    QTRY_COMPARE_WITH_TIMEOUT(state(svc, c.path), QByteArray("ready"), kPatienceMs);
    QProcess driver;
    driver.start("python3",
                 {QStringLiteral(CLIPNEST_SOURCE_DIR "/tests/server/page_in_browser.py"), c.link});
    QVERIFY(driver.waitForFinished(180000));
    const QByteArray out = driver.readAllStandardOutput();
    const QJsonObject visit = QJsonDocument::fromJson(out).object();
    QVERIFY2(!visit.isEmpty(), out.constData());
    QVERIFY2(visit.value("error").isNull() || visit.value("error").isUndefined(), out.constData());
    QCOMPARE(visit.value("title").toString(), QString("Browser <test>.mp4"));
    QCOMPARE(visit.value("scripts").toInt(), 0);
    const double duration = fragmentedProbe.value(2).toDouble();
    QVERIFY2(qAbs(visit.value("duration").toDouble() - duration) < 0.1, out.constData());
    QCOMPARE(visit.value("videoWidth").toInt(), 320);
    QCOMPARE(visit.value("videoHeight").toInt(), 240);
    QVERIFY(visit.value("played").toBool());
    QVERIFY2(qAbs(visit.value("afterSeek").toDouble() - duration / 2) < 0.5, out.constData());
    QVERIFY(visit.value("playedTo").toDouble() > visit.value("playsOnFrom").toDouble());
    const QJsonObject metas = visit.value("metas").toObject();
    QCOMPARE(metas.value("og:video:width").toString(), QString("320"));
    QCOMPARE(metas.value("og:video:height").toString(), QString("240"));
    QCOMPARE(metas.value("twitter:player:width").toString(), QString("320"));
    QCOMPARE(metas.value("og:video").toString(), videoOf(c.link));
    QVERIFY(metas.value("og:image").toString().endsWith(c.id + ".jpg"));
    QVERIFY(visit.value("oembed").toString().contains("/oembed.php?url="));

    // The deletion address's form works in a browser, which sends its own Origin with it.
    QProcess confirm;
    confirm.start("python3",
                  {QStringLiteral(CLIPNEST_SOURCE_DIR "/tests/server/page_in_browser.py"),
                   "--confirm", c.deletion});
    QVERIFY(confirm.waitForFinished(180000));
    const QByteArray answer = confirm.readAllStandardOutput();
    QCOMPARE(QJsonDocument::fromJson(answer).object().value("heading").toString(),
             QString("The video was deleted."));
    QVERIFY(!QFile::exists(svc.storage + "/" + c.id + ".mp4"));
    QVERIFY(!QFile::exists(svc.storage + "/posters/" + c.id + ".jpg"));
}

QTEST_GUILESS_MAIN(ResumableServiceTest)
#include "tst_resumable_service.moc"
