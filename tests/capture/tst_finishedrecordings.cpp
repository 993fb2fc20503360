// What becomes of recordings once they stop, without windows or the engine: the recording
// the panels offer while its file is finished, uploads queued until the file is ready, what
// Ctrl+S reaches, and which failures the user must hear of. The recordings live in a real
// store in a temporary folder.
#include "capture/FinishedRecordings.h"
#include "history/RecordingStore.h"

#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestFinishedRecordings : public QObject {
    Q_OBJECT

    // How the session would answer: the files still being finished, the one being recorded.
    QSet<QString> finishing_;
    QString underWay_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordingStore> store_;

    FinishedRecordings::Files files() {
        return {[this](const QString& path) { return finishing_.contains(path); },
                [](const QString&) { return QSize(640, 480); },
                [this] {
                    return underWay_;
                }};
    }

    // A recording of the store with some bytes in it, in `state`.
    QString recording(RecordingState state) {
        const QString path = store_->reserve().filePath;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("not really a video");
        store_->setState(path, state);
        return path;
    }

private slots:
    void init() {
        finishing_.clear();
        underWay_.clear();
        dir_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<RecordingStore>(dir_->filePath(QStringLiteral("recordings")));
        QVERIFY(store_->open().isEmpty());
    }

    void uploadWaitsForTheFile() {
        FinishedRecordings finished(store_.get(), files());
        QSignalSpy finishingChanges(&finished, &FinishedRecordings::finishingChanged);
        QSignalSpy uploads(&finished, &FinishedRecordings::uploadRecording);
        const QString path = recording(RecordingState::Recording);
        finishing_.insert(path);
        finished.offer(path);
        QVERIFY(finished.isFinishing());
        QCOMPARE(finishingChanges.last().at(0).toBool(), true);
        // Neither saved nor sent while the file is half-written.
        QVERIFY(finished.toSave(true).isEmpty());
        QCOMPARE(finished.handOver(-1), FinishedRecordings::HandOver::Queued);
        QCOMPARE(uploads.count(), 0);
        QCOMPARE(finished.pendingCount(), 1);

        finishing_.remove(path);
        store_->setState(path, RecordingState::NotUploaded);
        QCOMPARE(finished.fileFinished(path, true, QString(), true),
                 FinishedRecordings::Outcome::Ready);
        QVERIFY(!finished.isFinishing());
        QCOMPARE(uploads.count(), 1);
        QCOMPARE(uploads.at(0).at(0).toString(), path);
        QCOMPARE(uploads.at(0).at(1).toSize(), QSize(640, 480));
        QCOMPARE(uploads.at(0).at(2).toInt(), -1);
        QCOMPARE(finished.pendingCount(), 0);
    }

    void aQueuedShareThatFailsIsNotSent() {
        FinishedRecordings finished(store_.get(), files());
        QSignalSpy uploads(&finished, &FinishedRecordings::uploadRecording);
        const QString path = recording(RecordingState::Recording);
        finishing_.insert(path);
        finished.offer(path);
        QCOMPARE(finished.handOver(1), FinishedRecordings::HandOver::Queued);
        // The panels went with the hand-over: the failure is an earlier recording's.
        finished.withdraw();
        QCOMPARE(finished.fileFinished(path, false, QStringLiteral("disk full"), false),
                 FinishedRecordings::Outcome::EarlierFailed);
        QCOMPARE(uploads.count(), 0);
        QCOMPARE(finished.pendingCount(), 0);
        QVERIFY(finished.lastFinished().isEmpty());
    }

    void failuresOfTheOfferedRecordingEndItsPanels() {
        FinishedRecordings finished(store_.get(), files());
        const QString path = recording(RecordingState::Recording);
        finishing_.insert(path);
        finished.offer(path);
        QCOMPARE(finished.fileFinished(path, false, QStringLiteral("broken"), true),
                 FinishedRecordings::Outcome::OfferedFailed);
        // Told already (an empty text): nothing more to say.
        QCOMPARE(finished.fileFinished(path, false, QString(), true),
                 FinishedRecordings::Outcome::Nothing);
    }

    void ctrlSReachesOnlyAFinishedRecordingTheHistoryStillHolds() {
        FinishedRecordings finished(store_.get(), files());
        const QString first = recording(RecordingState::NotUploaded);
        QCOMPARE(finished.fileFinished(first, true, QString(), false),
                 FinishedRecordings::Outcome::Nothing);
        QCOMPARE(finished.lastFinished(), first);
        // No panels: the last one finished.
        QCOMPARE(finished.toSave(false), first);
        // Panels up but nothing offered: nothing.
        QVERIFY(finished.toSave(true).isEmpty());

        const QString second = recording(RecordingState::NotUploaded);
        finished.offer(second);
        QCOMPARE(finished.toSave(true), second);
        // Being recorded again, queued for upload, or gone from the history: not saved.
        underWay_ = second;
        QVERIFY(finished.toSave(true).isEmpty());
        underWay_.clear();
        store_->setState(second, RecordingState::Queued);
        QVERIFY(finished.toSave(true).isEmpty());
        QVERIFY(store_->remove(first).isEmpty());
        QVERIFY(finished.toSave(false).isEmpty());

        FinishedRecordings withoutStore(nullptr, files());
        withoutStore.offer(second);
        QVERIFY(withoutStore.toSave(true).isEmpty());
    }

    void savingOrSendingTheLastRecordingForgetsIt() {
        FinishedRecordings finished(store_.get(), files());
        QSignalSpy uploads(&finished, &FinishedRecordings::uploadRecording);
        const QString path = recording(RecordingState::NotUploaded);
        finished.fileFinished(path, true, QString(), false);
        finished.saved(QStringLiteral("/elsewhere.mp4"));
        QCOMPARE(finished.lastFinished(), path);
        finished.saved(path);
        QVERIFY(finished.lastFinished().isEmpty());

        finished.fileFinished(path, true, QString(), false);
        finished.offer(path);
        QCOMPARE(finished.handOver(2), FinishedRecordings::HandOver::Sent);
        QCOMPARE(uploads.count(), 1);
        QCOMPARE(uploads.at(0).at(2).toInt(), 2);
        QVERIFY(finished.lastFinished().isEmpty());
    }

    void aMissingFileIsNotSent() {
        FinishedRecordings finished(store_.get(), files());
        QSignalSpy uploads(&finished, &FinishedRecordings::uploadRecording);
        QCOMPARE(finished.handOver(-1), FinishedRecordings::HandOver::Missing);
        const QString path = recording(RecordingState::NotUploaded);
        finished.offer(path);
        QVERIFY(QFile::remove(path));
        QCOMPARE(finished.handOver(-1), FinishedRecordings::HandOver::Missing);
        QCOMPARE(uploads.count(), 0);
        QCOMPARE(finished.offered(), path);
    }
};

QTEST_GUILESS_MAIN(TestFinishedRecordings)
#include "tst_finishedrecordings.moc"
