// What start-up does with what a killed run left: recordings it was writing are finished and
// listed as recovered, the temporaries it was writing go, and the recording an earlier
// version kept in its old place moves into the recordings once. Real MP4 files (made by the
// ffmpeg program, cut as a kill cuts them) read back with ffprobe and ffmpeg.
#include "app/StartupRecovery.h"
#include "history/RecordingStore.h"
#include "media/RecordingRecovery.h"
#include "tests/media/mp4_readback.h"
#include "tests/support/UnwritableFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Four seconds of changing pictures with a tone. Fragmented every half second as the
// engine writes while recording, or an ordinary MP4 as a finished recording is.
QByteArray makeVideo(const QString& folder, bool fragmented) {
    const QString out = folder + (fragmented ? "/fragmented.mp4" : "/finished.mp4");
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     "testsrc=size=320x240:rate=15",
                     "-f",
                     "lavfi",
                     "-i",
                     "sine=frequency=440:sample_rate=44100",
                     "-t",
                     "4",
                     "-c:v",
                     "libx264",
                     "-g",
                     "8",
                     "-pix_fmt",
                     "yuv420p",
                     "-c:a",
                     "aac"};
    if (fragmented)
        args << "-movflags"
             << "frag_keyframe+empty_moov+default_base_moof"
             << "-frag_duration"
             << "500000";
    else
        args << "-movflags"
             << "+faststart";
    args << out;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    return readFile(out);
}

// What a kill leaves: the file cut off in the middle of its last fragment.
QByteArray cutShort(const QByteArray& fragmented) {
    return fragmented.left(fragmented.size() * 5 / 6);
}

RecordingState stateOf(const RecordingStore& store, const QString& path) {
    const auto e = store.entry(path);
    return e ? e->state : RecordingState::Recording;
}

} // namespace

class TestStartupRecovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void leftoversAreFinishedAndListedAsRecovered();
    void anOldRecordingMovesInOnce();
    void anOldRecordingThatCannotMoveStaysWhereItIs();

private:
    // Runs a recovery of `store` to its end; returns finished()'s arguments.
    QList<QVariant> recover(RecordingStore& store, const QStringList& oldPaths = {});

    QTemporaryDir media_;
    QByteArray fragmented_;
    QByteArray finished_;
};

void TestStartupRecovery::initTestCase() {
    fragmented_ = makeVideo(media_.path(), true);
    finished_ = makeVideo(media_.path(), false);
    QVERIFY2(!fragmented_.isEmpty() && !finished_.isEmpty(), "the ffmpeg program made no video");
}

QList<QVariant> TestStartupRecovery::recover(RecordingStore& store, const QStringList& oldPaths) {
    StartupRecovery recovery(&store);
    recovery.setOldRecordingPaths(oldPaths);
    QSignalSpy done(&recovery, &StartupRecovery::finished);
    recovery.start();
    // Always reported from the event loop, never from inside start().
    if (!done.isEmpty())
        return {};
    if (!done.wait(60000))
        return {};
    return done.takeFirst();
}

void TestStartupRecovery::leftoversAreFinishedAndListedAsRecovered() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("recordings");
    QString cut, broken, kept;
    {
        // The run that is killed: two recordings under way, one finished earlier.
        RecordingStore run(folder);
        QVERIFY(run.open().isEmpty());
        kept = run.reserve(QDateTime(QDate(2026, 12, 1), QTime(9, 0))).filePath;
        QVERIFY(writeFile(kept, finished_));
        run.setState(kept, RecordingState::NotUploaded);
        cut = run.reserve(QDateTime(QDate(2026, 12, 2), QTime(9, 0))).filePath;
        broken = run.reserve(QDateTime(QDate(2026, 12, 3), QTime(9, 0))).filePath;
        QVERIFY(writeFile(cut, cutShort(fragmented_)));
        QVERIFY(writeFile(broken, "not a video at all"));
    }
    // A finish and a save that the kill cut short, and a hidden file that is none of ours.
    QVERIFY(writeFile(finishingPath(cut), cutShort(fragmented_).left(5000)));
    const QString part = folder + "/." + QFileInfo(kept).fileName() + ".part-0123abcd";
    QVERIFY(writeFile(part, "half a copy"));
    const QString notOurs = folder + "/.notes";
    QVERIFY(writeFile(notOurs, "keep me"));

    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    QCOMPARE(store.leftovers().size(), 2);
    const QList<QVariant> result = recover(store);
    QCOMPARE(result.size(), 2);

    // The cut recording is an ordinary MP4 now that decodes cleanly to nearly where it was cut.
    QCOMPARE(stateOf(store, cut), RecordingState::Recovered);
    QVERIFY(!readback::topLevelBoxes(cut).contains("moof"));
    const readback::Facts facts = readback::probe(cut);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QVERIFY2(facts.duration >= 2.5, qPrintable(QString::number(facts.duration)));
    QCOMPARE(facts.count("video"), 1);
    QCOMPARE(facts.count("audio"), 1);
    const QString errors = readback::decodeErrors(cut);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    // The unplayable one is kept as it was, listed, and said once, by name.
    QCOMPARE(readFile(broken), QByteArray("not a video at all"));
    QCOMPARE(stateOf(store, broken), RecordingState::Recovered);
    QCOMPARE(result.at(0).toInt(), 1);
    const QStringList messages = result.at(1).toStringList();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(broken), qPrintable(messages.first()));

    // The finished one is untouched; the temporaries are gone, the other hidden file is not.
    QCOMPARE(stateOf(store, kept), RecordingState::NotUploaded);
    QCOMPARE(readFile(kept), finished_);
    QVERIFY(!QFile::exists(finishingPath(cut)));
    QVERIFY(!QFile::exists(part));
    QVERIFY(QFile::exists(notOurs));
    QVERIFY(store.leftovers().isEmpty());

    // The next start finds nothing to do and says nothing.
    const QByteArray recovered = readFile(cut);
    RecordingStore next(folder);
    QVERIFY(next.open().isEmpty());
    QVERIFY(next.leftovers().isEmpty());
    const QList<QVariant> again = recover(next);
    QCOMPARE(again.size(), 2);
    QCOMPARE(again.at(0).toInt(), 0);
    QVERIFY(again.at(1).toStringList().isEmpty());
    QCOMPARE(readFile(cut), recovered);
    QCOMPARE(next.list().size(), 3);
}

void TestStartupRecovery::anOldRecordingMovesInOnce() {
    QTemporaryDir dir;
    // The old place was the runtime folder, a RAM file system apart from the recordings.
    QTemporaryDir runtime(QStringLiteral("/dev/shm/clipnest-test-XXXXXX"));
    const QString runtimeDir = runtime.isValid() ? runtime.path() : dir.filePath("runtime");
    QVERIFY(QDir().mkpath(runtimeDir + "/clipnest"));
    QVERIFY(QFile::setPermissions(runtimeDir + "/clipnest", QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner |
                                                                QFileDevice::ExeOwner));
    const QString tempDir = dir.filePath("tmp");
    const QStringList oldPaths = StartupRecovery::oldRecordingPaths(runtimeDir, tempDir);
    QCOMPARE(oldPaths.size(), 2);
    QCOMPARE(oldPaths.at(0), runtimeDir + "/clipnest/readyOrNot.mp4");

    // An old version killed while recording: a cut fragmented file, and a finish cut short.
    const QString old = oldPaths.at(0);
    QVERIFY(writeFile(old, cutShort(fragmented_)));
    QVERIFY(writeFile(finishingPath(old), "half a finish"));
    const QDateTime recorded(QDate(2026, 11, 20), QTime(18, 45, 10));
    struct utimbuf times {};
    times.actime = times.modtime = recorded.toSecsSinceEpoch();
    QVERIFY(::utime(QFile::encodeName(old).constData(), &times) == 0);

    // The same name in a folder that others may enter may have been put there by anyone.
    const QString shared = oldPaths.at(1);
    QVERIFY(QDir().mkpath(QFileInfo(shared).absolutePath()));
    QVERIFY(QFile::setPermissions(QFileInfo(shared).absolutePath(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther));
    QVERIFY(writeFile(shared, finished_));

    RecordingStore store(dir.filePath("recordings"));
    QVERIFY(store.open().isEmpty());
    const QList<QVariant> result = recover(store, oldPaths);
    QCOMPARE(result.size(), 2);
    QCOMPARE(result.at(0).toInt(), 1);
    QVERIFY2(result.at(1).toStringList().isEmpty(),
             qPrintable(result.at(1).toStringList().join('\n')));

    const QList<RecordingEntry> list = store.list();
    QCOMPARE(list.size(), 1);
    const RecordingEntry moved = list.first();
    QCOMPARE(moved.state, RecordingState::Recovered);
    QCOMPARE(moved.created, recorded);
    QCOMPARE(modeOf(moved.filePath), mode_t(0600));
    QVERIFY(!readback::topLevelBoxes(moved.filePath).contains("moof"));
    const readback::Facts facts = readback::probe(moved.filePath);
    QVERIFY2(facts.readable && facts.duration >= 2.5, qPrintable(facts.error));
    const QString errors = readback::decodeErrors(moved.filePath);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    QVERIFY(!QFile::exists(old));
    QVERIFY(!QFile::exists(finishingPath(old)));
    QCOMPARE(readFile(shared), finished_);

    // Once: the next start moves nothing more in.
    RecordingStore next(dir.filePath("recordings"));
    QVERIFY(next.open().isEmpty());
    const QList<QVariant> again = recover(next, oldPaths);
    QCOMPARE(again.value(0).toInt(), 0);
    QCOMPARE(next.list().size(), 1);
}

void TestStartupRecovery::anOldRecordingThatCannotMoveStaysWhereItIs() {
    QTemporaryDir dir;
    const QString runtimeDir = dir.filePath("runtime");
    QVERIFY(QDir().mkpath(runtimeDir + "/clipnest"));
    QVERIFY(QFile::setPermissions(runtimeDir + "/clipnest", QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner |
                                                                QFileDevice::ExeOwner));
    const QString old = StartupRecovery::oldRecordingPaths(runtimeDir, QString()).value(0);
    QVERIFY(writeFile(old, finished_));

    // The recordings folder takes no new file.
    RecordingStore store(dir.filePath("recordings"));
    QVERIFY(store.open().isEmpty());
    UnwritableFolder full(store.folder(), {});
    if (!full.isValid())
        QSKIP("cannot make a folder that takes no new file here");
    const QList<QVariant> result = recover(store, {old});
    QCOMPARE(result.size(), 2);
    QCOMPARE(result.at(0).toInt(), 0);
    const QStringList messages = result.at(1).toStringList();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(old), qPrintable(messages.first()));
    QCOMPARE(readFile(old), finished_);
    QVERIFY(store.list().isEmpty());
}

QTEST_GUILESS_MAIN(TestStartupRecovery)
#include "tst_startup_recovery.moc"
