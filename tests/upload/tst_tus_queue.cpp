// The upload queue with a service that speaks the resumable protocol (a loopback service of the
// test's own): the upload's address is in the index before the first chunk, a retry and a new
// queue after a restart go on from the service's offset, the deletion address and expiry reach
// the history, and a service without the protocol is asked once and then sent multipart.
#include "history/HistoryManager.h"
#include "history/HistoryStore.h"
#include "history/RecordingStore.h"
#include "history/UploadedLinks.h"
#include "upload/TusUpload.h"
#include "upload/UploadQueue.h"

#include "TusTestServer.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray randomBytes(qint64 size) {
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
    return data;
}

QString makeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return {};
    return path;
}

// What a new run reads from the disk.
std::optional<RecordingEntry> onDisk(const QString& folder, const QString& file) {
    RecordingStore fresh(folder);
    if (!fresh.open().isEmpty())
        return std::nullopt;
    return fresh.entry(file);
}

} // namespace

class TusQueueTest : public QObject {
    Q_OBJECT
private slots:
    void retryGoesOnFromTheServersOffsetAndTheDetailsReachTheHistory();
    void newQueueAfterARestartResumes();
    void serviceWithoutTheProtocolIsAskedOnce();
};

void TusQueueTest::retryGoesOnFromTheServersOffsetAndTheDetailsReachTheHistory() {
    TusTestServer server;
    QVERIFY(server.listen());
    server.cutPatch = 1;
    server.cutAfter = 512 * 1024;
    QTemporaryDir dir, recordings;
    const QByteArray data = randomBytes(2 * TusUpload::kChunkBytes + 4321);
    const QString file = makeFile(dir, "mine.mp4", data);
    RecordingStore store(recordings.path());
    QVERIFY(store.open().isEmpty());
    // Where the upload stands on the disk when its first chunk arrives.
    QUrl storedAtFirstChunk;
    server.override = [&](int, const TusRequest& r) -> std::optional<QByteArray> {
        if (r.method == "PATCH" && storedAtFirstChunk.isEmpty())
            storedAtFirstChunk =
                onDisk(recordings.path(), file).value_or(RecordingEntry()).resumeAt;
        return std::nullopt;
    };
    UploadQueue queue(&store);
    queue.setRetryDelays({50, 50, 50});
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    QSignalSpy details(&queue, &UploadQueue::linkDetails);
    QSignalSpy progress(&queue, &UploadQueue::progressChanged);
    queue.add(file, server.uploadUrl(), -1);
    QVERIFY(accepted.wait(60000));
    QCOMPARE(accepted.at(0).at(1).toString(), QString("http://videos.example/v/1abc"));
    QCOMPARE(storedAtFirstChunk,
             QUrl(QString("http://127.0.0.1:%1/files/1abc").arg(server.port())));
    QCOMPARE(server.uploads.value("1abc").data, data);
    QCOMPARE(server.count("POST"), 1);
    QVERIFY(server.patchBytes - data.size() <= TusUpload::kChunkBytes);
    QCOMPARE(progress.last().at(1).toInt(), 100);

    QCOMPARE(details.count(), 1);
    const QUrl deleteUrl("http://videos.example/delete/1abc/s3cret");
    const QDateTime expires(QDate(2027, 1, 9), QTime(10, 0), Qt::UTC);
    QCOMPARE(details.at(0).at(1).toUrl(), deleteUrl);
    QCOMPARE(details.at(0).at(2).toDateTime(), expires);
    const RecordingEntry uploaded = store.entry(file).value_or(RecordingEntry());
    QCOMPARE(uploaded.state, RecordingState::Uploaded);
    QCOMPARE(uploaded.deleteUrl, deleteUrl);
    QCOMPARE(uploaded.expires, expires);

    // Into the history's file and back, as the next run reads it.
    const QString historyFile = dir.filePath("history.ini");
    HistoryManager history(std::make_unique<QSettings>(historyFile, QSettings::IniFormat));
    QCOMPARE(UploadedLinks::settle(store, history), 1);
    QSettings settings(historyFile, QSettings::IniFormat);
    const QList<HistoryRecord> read = HistoryStore::read(settings);
    QCOMPARE(read.size(), qsizetype(1));
    QCOMPARE(read.first().url, QUrl("http://videos.example/v/1abc"));
    QCOMPARE(read.first().deleteUrl, deleteUrl);
    QCOMPARE(read.first().expires, expires);
}

void TusQueueTest::newQueueAfterARestartResumes() {
    TusTestServer server;
    QVERIFY(server.listen());
    // The second chunk's first 100 kB reach the disk of a service that then fails.
    int patches = 0;
    server.override = [&](int, const TusRequest& r) -> std::optional<QByteArray> {
        if (r.method != "PATCH" || patches++ != 1)
            return std::nullopt;
        server.uploads["1abc"].data += r.body.left(100 * 1000);
        return TusTestServer::answer(503, {"Content-Type: text/plain"}, "busy");
    };
    QTemporaryDir dir, recordings;
    const QByteArray data = randomBytes(3 * TusUpload::kChunkBytes);
    const QString file = makeFile(dir, "mine.mp4", data);
    {
        RecordingStore store(recordings.path());
        QVERIFY(store.open().isEmpty());
        UploadQueue queue(&store);
        // The retry is not due in this run: the program ends first.
        queue.setRetryDelays({3600 * 1000});
        QSignalSpy failed(&queue, &UploadQueue::failed);
        queue.add(file, server.uploadUrl(), -1);
        QVERIFY(failed.wait(60000));
        QVERIFY(failed.at(0).at(4).toBool());
    }
    const qint64 held = server.uploads.value("1abc").data.size();
    QCOMPARE(held, TusUpload::kChunkBytes + 100 * 1000);
    RecordingStore store(recordings.path());
    QVERIFY(store.open().isEmpty());
    UploadQueue queue(&store);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    // The user asks again rather than wait an hour.
    queue.add(file, server.uploadUrl(), -1);
    QVERIFY(accepted.wait(60000));
    QCOMPARE(server.uploads.value("1abc").data, data);
    QCOMPARE(server.count("POST"), 1);
    // The second run's first chunk starts where the service's bytes end.
    int first = -1;
    for (int i = 0; i < server.requests.size(); ++i)
        if (server.requests[i].method == "HEAD")
            first = i + 1;
    QVERIFY(first > 0);
    QCOMPARE(server.requests.at(first).header("Upload-Offset"), QByteArray::number(held));
}

void TusQueueTest::serviceWithoutTheProtocolIsAskedOnce() {
    TusTestServer server;
    QVERIFY(server.listen());
    server.speaksTus = false;
    QTemporaryDir dir, recordings;
    for (int run = 0; run < 2; ++run) {
        RecordingStore store(recordings.path());
        QVERIFY(store.open().isEmpty());
        UploadQueue queue(&store);
        QSignalSpy accepted(&queue, &UploadQueue::accepted);
        queue.add(makeFile(dir, QString("v%1.mp4").arg(run), randomBytes(5000)), server.uploadUrl(),
                  -1);
        QVERIFY(accepted.wait(30000));
        QCOMPARE(accepted.at(0).at(1).toString(), QString("http://videos.example/v/m"));
    }
    QCOMPARE(server.count("OPTIONS"), 1);
    QCOMPARE(server.count("POST"), 2);
    QCOMPARE(server.count("PATCH"), 0);
}

QTEST_GUILESS_MAIN(TusQueueTest)
#include "tst_tus_queue.moc"
