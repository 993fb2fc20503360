// The upload queue against a real loopback HTTP server: transient failures are retried until
// the service takes the recording, permanent ones are not, pending jobs survive a restart,
// several uploads run at once with their own share targets, and every step is in the
// recordings' index on the disk before anyone is told of it.
#include "history/RecordingStore.h"
#include "upload/UploadFailure.h"
#include "upload/UploadQueue.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QByteArray httpResponse(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Answers each complete request with what `respond` returns for its number (0 first). With
// holdUntil set, the first holdUntil requests are answered only once they are all open.
class Service : public QObject {
public:
    std::function<QByteArray(int index)> respond = [](int) {
        return httpResponse(200, "http://videos.example/v/1");
    };
    int holdUntil = 0;
    int requests = 0;
    int questions = 0;
    int maxOpen = 0;
    QList<QByteArray> bodies;

    bool listen(quint16 port = 0) {
        connect(&server_, &QTcpServer::newConnection, this, &Service::accept, Qt::UniqueConnection);
        return server_.listen(QHostAddress::LocalHost, port);
    }
    void close() { server_.close(); }
    quint16 port() const { return server_.serverPort(); }

private:
    struct Pending {
        QTcpSocket* socket;
        int index;
    };
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto* buffer = new QByteArray;
            connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const qsizetype at = buffer->toLower().indexOf("content-length:");
                const qint64 length = buffer->mid(at + 15, buffer->indexOf("\r\n", at) - at - 15)
                                          .trimmed()
                                          .toLongLong();
                if (buffer->size() - end - 4 < length || socket->property("done").toBool())
                    return;
                socket->setProperty("done", true);
                // A service that takes multipart uploads only: the queue's question whether it
                // takes resumable ones is answered "no" and is no upload request.
                if (buffer->startsWith("OPTIONS ")) {
                    ++questions;
                    socket->write(
                        "HTTP/1.1 405 X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    socket->disconnectFromHost();
                    return;
                }
                bodies.append(buffer->mid(end + 4));
                pending_.append({socket, requests++});
                maxOpen = std::max(maxOpen, int(pending_.size()));
                if (int(pending_.size()) >= holdUntil || requests > holdUntil) {
                    for (const Pending& p : std::as_const(pending_)) {
                        p.socket->write(respond(p.index));
                        p.socket->disconnectFromHost();
                    }
                    pending_.clear();
                }
            });
        }
    }
    QTcpServer server_;
    QList<Pending> pending_;
};

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QUrl urlFor(quint16 port) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/upload.php?width=64&height=48").arg(port));
}

QString makeRecording(const QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    const QString path = dir.path() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return {};
    return path;
}

// The recordings' store on the test's folder, as a start of the program opens it.
std::unique_ptr<RecordingStore> openStore(const QTemporaryDir& dir) {
    auto store = std::make_unique<RecordingStore>(dir.path());
    if (!store->open().isEmpty())
        return nullptr;
    return store;
}

// What a new run would read: the index on the disk, not the memory of this one.
std::optional<RecordingEntry> onDisk(const QTemporaryDir& dir, const QString& file) {
    RecordingStore fresh(dir.path());
    if (!fresh.open().isEmpty())
        return std::nullopt;
    return fresh.entry(file);
}

// Test delays: quick, but long enough that a server started after a failure is there for
// the retry.
const std::vector<int> kQuickDelays = {100, 100, 100, 100, 100};

} // namespace

class TestUploadQueue : public QObject {
    Q_OBJECT
private slots:
    void classification_data();
    void classification();
    void serviceDownThenUpDeliversWithoutAClick();
    void permanentFailureIsNotRetried();
    void unacceptableAnswerIsPermanent();
    void givesUpAfterTheLastRetry();
    void pendingUploadsResumeAfterARestart();
    void severalUploadsEachWithItsOwnShareTarget();
    void addingAQueuedFileRetriesItAtOnce();
    void retryNowStartsAWaitingRetryAtOnce();
    void missingFileFailsAtOnce();
    void acceptedLinkIsOnTheDiskBeforeAnyoneHearsOfIt();
    void runningAndCancelledUploadsAsTheNextRunSeesThem();
    void defaultDelaysGrow();
};

void TestUploadQueue::classification_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("transient");
    QTest::newRow("refused") << int(QNetworkReply::ConnectionRefusedError) << 0 << true;
    QTest::newRow("no host") << int(QNetworkReply::HostNotFoundError) << 0 << true;
    QTest::newRow("timeout") << int(QNetworkReply::TimeoutError) << 0 << true;
    QTest::newRow("closed") << int(QNetworkReply::RemoteHostClosedError) << 0 << true;
    QTest::newRow("500") << int(QNetworkReply::InternalServerError) << 500 << true;
    QTest::newRow("503") << int(QNetworkReply::ServiceUnavailableError) << 503 << true;
    QTest::newRow("507") << int(QNetworkReply::UnknownServerError) << 507 << true;
    QTest::newRow("408") << int(QNetworkReply::UnknownContentError) << 408 << true;
    QTest::newRow("429") << int(QNetworkReply::UnknownContentError) << 429 << true;
    QTest::newRow("400") << int(QNetworkReply::ProtocolInvalidOperationError) << 400 << false;
    QTest::newRow("404") << int(QNetworkReply::ContentNotFoundError) << 404 << false;
    QTest::newRow("413") << int(QNetworkReply::UnknownContentError) << 413 << false;
    QTest::newRow("415") << int(QNetworkReply::UnknownContentError) << 415 << false;
    QTest::newRow("bad answer") << int(QNetworkReply::NoError) << 200 << false;
    QTest::newRow("tls") << int(QNetworkReply::SslHandshakeFailedError) << 0 << false;
}

void TestUploadQueue::classification() {
    QFETCH(int, error);
    QFETCH(int, status);
    QFETCH(bool, transient);
    QCOMPARE(classifyUploadFailure(QNetworkReply::NetworkError(error), status) ==
                 UploadFailureKind::Transient,
             transient);
}

void TestUploadQueue::serviceDownThenUpDeliversWithoutAClick() {
    QTemporaryDir dir;
    const QByteArray data(200000, 'v');
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), data);
    const quint16 port = freePort();
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays(kQuickDelays);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    queue.add(file, urlFor(port), -1);
    QVERIFY(failed.wait(10000));
    // The user's attempt failed: reported as such, with a retry to come.
    QCOMPARE(failed.first().at(0).toString(), file);
    QCOMPARE(failed.first().at(2).value<UploadFailureKind>(), UploadFailureKind::Transient);
    QCOMPARE(failed.first().at(3).toBool(), true);
    QCOMPARE(failed.first().at(4).toBool(), true);
    QVERIFY(queue.contains(file));

    Service service;
    QVERIFY(service.listen(port));
    QVERIFY(accepted.wait(10000));
    QCOMPARE(accepted.first().at(0).toString(), file);
    QCOMPARE(accepted.first().at(1).toString(), QStringLiteral("http://videos.example/v/1"));
    QCOMPARE(accepted.first().at(3).toBool(), false); // an automatic retry
    QVERIFY(!queue.contains(file));
    QVERIFY(service.bodies.first().contains(data));
    QVERIFY(QFile::exists(file)); // deleting is the program's decision, not the queue's
    QCOMPARE(onDisk(dir, file)->state, RecordingState::Uploaded);
}

void TestUploadQueue::permanentFailureIsNotRetried() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    Service service;
    service.respond = [](int) {
        return httpResponse(400, "The width must be a number.");
    };
    QVERIFY(service.listen());
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays(kQuickDelays);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    queue.add(file, urlFor(service.port()), -1);
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.first().at(2).value<UploadFailureKind>(), UploadFailureKind::Permanent);
    QCOMPARE(failed.first().at(4).toBool(), false);
    QVERIFY(!queue.contains(file));
    QCOMPARE(service.requests, 1);
    // Nothing is left to retry, in this run or the next; the recording keeps the reason.
    const auto failedEntry = onDisk(dir, file);
    QVERIFY(failedEntry);
    QCOMPARE(failedEntry->state, RecordingState::UploadFailed);
    QCOMPARE(failedEntry->reason, failed.first().at(1).toString());
    const auto again = openStore(dir);
    UploadQueue next(again.get());
    next.load();
    QVERIFY(next.jobs().isEmpty());
}

void TestUploadQueue::unacceptableAnswerIsPermanent() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    Service service;
    service.respond = [](int) {
        return httpResponse(200, "<html>maintenance</html>");
    };
    QVERIFY(service.listen());
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays(kQuickDelays);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    queue.add(file, urlFor(service.port()), -1);
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.first().at(4).toBool(), false);
    QVERIFY(!failed.first().at(1).toString().isEmpty());
    QCOMPARE(service.requests, 1);
}

void TestUploadQueue::givesUpAfterTheLastRetry() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    Service service;
    service.respond = [](int) {
        return httpResponse(503, "busy");
    };
    QVERIFY(service.listen());
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays({20, 20, 20, 20, 20});
    QSignalSpy failed(&queue, &UploadQueue::failed);
    queue.add(file, urlFor(service.port()), -1);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 6, 30000);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(failed.at(i).at(3).toBool(), i == 0); // only the first was the user's
        QCOMPARE(failed.at(i).at(4).toBool(), i < 5);  // the sixth is the last
    }
    QVERIFY(!queue.contains(file));
    QCOMPARE(service.requests, 6);
}

void TestUploadQueue::pendingUploadsResumeAfterARestart() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    const QString gone = makeRecording(dir, QStringLiteral("b.mp4"), "video");
    const quint16 port = freePort();
    {
        const auto store = openStore(dir);
        QVERIFY(store);
        UploadQueue queue(store.get());
        // A retry that comes after the restart, not before it.
        queue.setRetryDelays({1500});
        QSignalSpy failed(&queue, &UploadQueue::failed);
        queue.add(file, urlFor(port), 2);
        queue.add(gone, urlFor(port), -1);
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 2, 10000);
        QCOMPARE(queue.jobs().size(), 2);
    } // the program ends while both wait for their retry
    QVERIFY(QFile::remove(gone));
    const auto waiting = onDisk(dir, file);
    QVERIFY(waiting);
    QCOMPARE(waiting->state, RecordingState::Queued);
    QCOMPARE(waiting->failedAttempts, 1);
    QVERIFY(waiting->retryAt.isValid());
    QVERIFY(!waiting->uploading);
    QVERIFY(!waiting->reason.isEmpty());

    Service service;
    QVERIFY(service.listen(port));
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    queue.load();
    QCOMPARE(queue.jobs().size(), 1);
    QVERIFY(accepted.wait(10000));
    QCOMPARE(accepted.first().at(0).toString(), file);
    QCOMPARE(accepted.first().at(2).toInt(), 2);
    QCOMPARE(accepted.first().at(3).toBool(), false);
}

void TestUploadQueue::severalUploadsEachWithItsOwnShareTarget() {
    QTemporaryDir dir;
    const QString a = makeRecording(dir, QStringLiteral("a.mp4"), "first");
    const QString b = makeRecording(dir, QStringLiteral("b.mp4"), "second");
    const QString c = makeRecording(dir, QStringLiteral("c.mp4"), "third");
    Service service;
    service.holdUntil = UploadQueue::kMaxRunning; // answers only once both run at once
    service.respond = [](int i) {
        return httpResponse(200, "http://videos.example/v/" + QByteArray::number(i));
    };
    QVERIFY(service.listen());
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    queue.add(a, urlFor(service.port()), 0);
    queue.add(b, urlFor(service.port()), 1);
    queue.add(c, urlFor(service.port()), -1);
    QVERIFY(!queue.isUploading(c)); // waits for its turn
    QTRY_COMPARE_WITH_TIMEOUT(accepted.count(), 3, 10000);
    QCOMPARE(service.maxOpen, UploadQueue::kMaxRunning);
    QMap<QString, int> shares;
    for (const QList<QVariant>& args : accepted)
        shares.insert(args.at(0).toString(), args.at(2).toInt());
    QCOMPARE(shares.value(a), 0);
    QCOMPARE(shares.value(b), 1);
    QCOMPARE(shares.value(c), -1);
}

void TestUploadQueue::addingAQueuedFileRetriesItAtOnce() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    const quint16 port = freePort();
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays({3600000}); // a retry that would never come within the test
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    queue.add(file, urlFor(port), -1);
    QVERIFY(failed.wait(10000));
    Service service;
    QVERIFY(service.listen(port));
    queue.add(file, urlFor(port), 1); // "Upload again" from the history window
    QVERIFY(accepted.wait(10000));
    QCOMPARE(accepted.first().at(2).toInt(), 1);
    QCOMPARE(accepted.first().at(3).toBool(), true);
}

void TestUploadQueue::retryNowStartsAWaitingRetryAtOnce() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    const QString other = makeRecording(dir, QStringLiteral("b.mp4"), "other");
    const quint16 port = freePort();
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    queue.setRetryDelays({3600000}); // a retry that would never come within the test
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy started(&queue, &UploadQueue::attemptStarted);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    // Nothing to retry: no job, and a file the queue never saw.
    QVERIFY(!queue.retryNow(other));
    queue.add(file, urlFor(port), 2);
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.first().at(4).toBool(), true);
    // Waiting for its retry, with the time of it kept where the history window reads it.
    const auto waiting = store->entry(file);
    QVERIFY(waiting && waiting->retryAt.isValid() && !waiting->uploading);
    QVERIFY(waiting->retryAt > QDateTime::currentDateTime().addSecs(3000));

    Service service;
    QVERIFY(service.listen(port));
    started.clear();
    QVERIFY(queue.retryNow(file));
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().at(1).toBool(), true); // the user's own attempt
    // Already running: a second press changes nothing.
    QVERIFY(!queue.retryNow(file));
    QVERIFY(accepted.wait(10000));
    QCOMPARE(accepted.first().at(0).toString(), file);
    QCOMPARE(accepted.first().at(2).toInt(), 2);
    QCOMPARE(service.requests, 1);
    QCOMPARE(store->entry(file)->state, RecordingState::Uploaded);
    QVERIFY(!queue.retryNow(file));
}

void TestUploadQueue::missingFileFailsAtOnce() {
    QTemporaryDir dir;
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    QSignalSpy failed(&queue, &UploadQueue::failed);
    const QString missing = dir.filePath(QStringLiteral("missing.mp4"));
    queue.add(missing, urlFor(freePort()), -1);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(1).toString().contains(missing));
    QCOMPARE(failed.first().at(4).toBool(), false);
    QVERIFY(queue.jobs().isEmpty());
    QVERIFY(!store->contains(missing));
}

void TestUploadQueue::acceptedLinkIsOnTheDiskBeforeAnyoneHearsOfIt() {
    QTemporaryDir dir;
    const QString file = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    Service service;
    QVERIFY(service.listen());
    const auto store = openStore(dir);
    QVERIFY(store);
    UploadQueue queue(store.get());
    // The moment the program hears of the link is the last a crash could lose it at: what a
    // next run would read then must hold it already.
    std::optional<RecordingEntry> seen;
    connect(&queue, &UploadQueue::accepted, this,
            [&](const QString& path) { seen = onDisk(dir, path); });
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    queue.add(file, urlFor(service.port()), 1);
    QTRY_VERIFY_WITH_TIMEOUT(seen.has_value(), 10000);
    QCOMPARE(seen->state, RecordingState::Uploaded);
    QCOMPARE(seen->link, QStringLiteral("http://videos.example/v/1"));
    QVERIFY(seen->uploadedAt >= before);
    QVERIFY(seen->uploadedAt <= QDateTime::currentDateTime());
    QVERIFY(QFile::exists(file));
    // Not a kept recording any more, and nothing is left to upload.
    QVERIFY(store->list().isEmpty());
    QVERIFY(store->pendingUploads().isEmpty());
    QCOMPARE(store->uploaded().size(), 1);
}

void TestUploadQueue::runningAndCancelledUploadsAsTheNextRunSeesThem() {
    QTemporaryDir dir;
    QTemporaryDir elsewhere; // the user's own file, outside the recordings
    const QString kept = makeRecording(dir, QStringLiteral("a.mp4"), "video");
    const QString own = makeRecording(elsewhere, QStringLiteral("own.mp4"), "video");
    Service service;
    service.holdUntil = 3; // never answers the two requests
    QVERIFY(service.listen());
    {
        const auto store = openStore(dir);
        QVERIFY(store);
        UploadQueue queue(store.get());
        queue.add(kept, urlFor(service.port()), 0);
        queue.add(own, urlFor(service.port()), -1);
        QVERIFY(queue.isUploading(kept));
        const auto running = onDisk(dir, kept);
        QVERIFY(running);
        QCOMPARE(running->state, RecordingState::Queued);
        QVERIFY(running->uploading);
        QCOMPARE(running->shareTarget, 0);
        QCOMPARE(running->url, urlFor(service.port()));
        QVERIFY(onDisk(dir, own));
        // The user's own file is uploaded, never listed among the recordings.
        QCOMPARE(store->list().size(), 1);
    } // ends during both attempts
    const auto store = openStore(dir);
    QVERIFY(store);
    QCOMPARE(store->pendingUploads().size(), 2);
    UploadQueue queue(store.get());
    queue.load();
    QCOMPARE(queue.jobs().size(), 2);
    queue.remove(kept);
    queue.remove(own);
    QCOMPARE(onDisk(dir, kept)->state, RecordingState::NotUploaded);
    QVERIFY(!onDisk(dir, own));
    QVERIFY(QFile::exists(own));
    QVERIFY(QFile::exists(kept));
}

void TestUploadQueue::defaultDelaysGrow() {
    const std::vector<int> delays = UploadQueue::defaultRetryDelays();
    QVERIFY(delays.size() >= 4); // at least five tries
    QVERIFY(delays.front() <= 10000);
    QVERIFY(std::is_sorted(delays.cbegin(), delays.cend()));
    QVERIFY(delays.back() >= 120000);
}

QTEST_GUILESS_MAIN(TestUploadQueue)
#include "tst_upload_queue.moc"
