// The upload queue against the reference service as deployed (nginx + php-fpm through
// server/run-local.sh): a video goes in several resumable chunks and the service's copy holds
// the same packets; an uploading process killed midway (kill -9) is resumed by a new queue from
// the service's offset, into the same upload.
#include "history/RecordingStore.h"
#include "upload/TusAnswer.h"
#include "upload/TusUpload.h"
#include "upload/UploadQueue.h"

#include "ServiceHarness.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace servicetest;

namespace {

// The packets of a video, each hashed, as ffmpeg reads them: equal for a file and its remux.
QByteArray packetHashes(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", path, "-map", "0", "-c", "copy",
                            "-f", "framemd5", "-"});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    QByteArray out;
    for (const QByteArray& line : ffmpeg.readAllStandardOutput().split('\n'))
        if (!line.startsWith('#'))
            out += line + '\n';
    return out;
}

// Fetches the service's copy of the video behind `link` once the service has finished it.
QString fetchVideo(QNetworkAccessManager& net, const Service& service, const QString& link,
                   const QString& to) {
    const QString id = link.section('/', -1);
    Response r;
    // The service remuxes after its last answer; the raw file appears when that is done.
    [[maybe_unused]] const bool finished = QTest::qWaitFor(
        [&] {
            r = get(net, service.url("/video.php/" + id + ".mp4"));
            return r.status == 200;
        },
        120000);
    QFile f(to);
    if (r.status != 200 || !f.open(QIODevice::WriteOnly) || f.write(r.body) != r.body.size())
        return {};
    return to;
}

QUrl uploadUrl(const Service& service) {
    return QUrl(service.url("/upload.php?width=640&height=480"));
}

// The helper process: uploads `file` from the store at `folder` and stops once the service holds
// a chunk, saying so, until the test kills it.
int runHelper(const QString& folder, const QString& file, const QString& url) {
    RecordingStore store(folder);
    if (!store.open().isEmpty())
        return 2;
    UploadQueue queue(&store);
    QObject::connect(&queue, &UploadQueue::progressChanged, [&](const QString&, int percent, bool) {
        const auto e = store.entry(file);
        if (percent >= 20 && percent < 80 && e && !e->resumeAt.isEmpty()) {
            std::printf("midway %s\n", qPrintable(e->resumeLink));
            std::fflush(stdout);
            ::pause();
        }
    });
    QObject::connect(&queue, &UploadQueue::accepted, [] { std::exit(3); });
    QObject::connect(&queue, &UploadQueue::failed, [] { std::exit(4); });
    queue.add(file, QUrl(url), -1);
    return QCoreApplication::exec();
}

} // namespace

class QueueWithServiceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void videoArrivesInChunksWithTheSamePackets();
    void killedUploadIsResumedByANewQueue();

private:
    QTemporaryDir temp;
    QString video;
    Service service;
    QNetworkAccessManager net;
};

void QueueWithServiceTest::initTestCase() {
    QVERIFY(temp.isValid());
    video = temp.filePath("clip.mp4");
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    // Lossless noise, so one second makes several chunks.
    ffmpeg.start("ffmpeg",
                 {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  "testsrc2=duration=1:size=640x480:rate=30,noise=alls=40:allf=t", "-c:v",
                  "libx264", "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "yuv420p", video});
    QVERIFY(ffmpeg.waitForFinished(120000));
    QVERIFY2(ffmpeg.exitCode() == 0, ffmpeg.readAll().constData());
    QVERIFY(QFileInfo(video).size() > 3 * TusUpload::kChunkBytes);
    QVERIFY(service.start(temp.filePath("svc")));
}

void QueueWithServiceTest::videoArrivesInChunksWithTheSamePackets() {
    QTemporaryDir recordings;
    RecordingStore store(recordings.path());
    QVERIFY(store.open().isEmpty());
    UploadQueue queue(&store);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy details(&queue, &UploadQueue::linkDetails);
    queue.add(video, uploadUrl(service), -1);
    QVERIFY(QTest::qWaitFor([&] { return accepted.count() + failed.count() > 0; }, kPatienceMs));
    QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(1).toString()));
    // The resumable protocol was used: the service was asked, and gave a deletion address.
    QCOMPARE(queue.protocols().lookup(TusAnswer::serviceKey(uploadUrl(service))),
             ServiceProtocols::Protocol::Resumable);
    QVERIFY(details.at(0).at(1).toUrl().isValid());
    const QString link = accepted.at(0).at(1).toString();
    const QString copy = fetchVideo(net, service, link, temp.filePath("copy.mp4"));
    QVERIFY(!copy.isEmpty());
    const QByteArray expected = packetHashes(video);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(packetHashes(copy), expected);
}

void QueueWithServiceTest::killedUploadIsResumedByANewQueue() {
    QTemporaryDir recordings;
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationFilePath(),
                 {"--upload-helper", recordings.path(), video, uploadUrl(service).toString()});
    QByteArray said;
    while (!said.contains('\n')) {
        QVERIFY2(helper.waitForReadyRead(kPatienceMs), said.constData());
        said += helper.readAllStandardOutput();
    }
    QVERIFY2(said.startsWith("midway "), said.constData());
    const QString firstLink = QString::fromLatin1(said.mid(7).trimmed());
    ::kill(pid_t(helper.processId()), SIGKILL);
    QVERIFY(helper.waitForFinished(30000));

    RecordingStore store(recordings.path());
    QVERIFY(store.open().isEmpty());
    const RecordingEntry pending = store.entry(video).value_or(RecordingEntry());
    QCOMPARE(pending.state, RecordingState::Queued);
    QVERIFY(!pending.resumeAt.isEmpty());
    // What the service holds of it before the new run goes on.
    QNetworkRequest head(pending.resumeAt);
    head.setRawHeader("Tus-Resumable", "1.0.0");
    const Response before = finish(net.head(head));
    QCOMPARE(before.status, 200);
    const qint64 held = before.headers.value("upload-offset").toLongLong();
    QVERIFY(held > 0 && held < QFileInfo(video).size());

    UploadQueue queue(&store);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy progress(&queue, &UploadQueue::progressChanged);
    queue.load();
    QVERIFY(QTest::qWaitFor([&] { return accepted.count() + failed.count() > 0; }, kPatienceMs));
    QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(1).toString()));
    // The same upload, gone on with: its first progress after the attempt's start (0, shown
    // while the service is asked) is where the service's bytes ended.
    QCOMPARE(accepted.at(0).at(1).toString(), firstLink);
    QVERIFY(progress.size() >= 2);
    QCOMPARE(progress.at(0).at(1).toLongLong(), 0);
    QVERIFY(progress.at(1).at(1).toLongLong() >= held * 100 / QFileInfo(video).size());
    const QString copy = fetchVideo(net, service, firstLink, temp.filePath("resumed.mp4"));
    QVERIFY(!copy.isEmpty());
    QCOMPARE(packetHashes(copy), packetHashes(video));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--upload-helper")
        return runHelper(argv[2], argv[3], argv[4]);
    QueueWithServiceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queue_with_service.moc"
