// The space kept recordings may take: which ones go when they pass the user's bound, read
// from a real recordings folder whose index went through the disk.
#include "history/HistoryManager.h"
#include "history/KeptSpace.h"
#include "history/RecordingStore.h"
#include "history/UploadedLinks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QUrl kServiceUrl(QStringLiteral("http://service.test/upload.php"));
const QDateTime kNoon(QDate(2026, 3, 5), QTime(12, 0, 0));
constexpr qint64 kMiB = 1024 * 1024;

} // namespace

class TestKeptSpace : public QObject {
    Q_OBJECT
private slots:
    void init();
    void noBoundOrWithinItNothingGoes();
    void oldestUploadedGoFirstUntilTheRestFit();
    void neverSavedOnesAreAskedAbout();
    void recordingsNotUploadedNeverGo();
    void linkNotYetInTheHistoryKeepsItsRecording();
    void boundFromSettingsValue();

private:
    // A recording of `bytes` made `minutesAfterNoon` after noon, in the store.
    QString record(int minutesAfterNoon, qint64 bytes);
    // Uploads it; the link reaches the history (and the index says so on the disk).
    void upload(const QString& path, int n);
    // What a fresh store reads back from the disk.
    QList<RecordingEntry> keptOnDisk() const;

    QTemporaryDir dir_;
    int cases_ = 0;
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<HistoryManager> history_;
};

void TestKeptSpace::init() {
    QVERIFY(dir_.isValid());
    const QString folder = dir_.path() + QStringLiteral("/rec-") + QString::number(++cases_);
    store_ = std::make_unique<RecordingStore>(folder);
    QVERIFY(store_->open().isEmpty());
    history_ = std::make_unique<HistoryManager>(
        std::make_unique<QSettings>(folder + QStringLiteral(".history.ini"), QSettings::IniFormat));
}

QString TestKeptSpace::record(int minutesAfterNoon, qint64 bytes) {
    const QString path = store_->reserve(kNoon.addSecs(60 * minutesAfterNoon)).filePath;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !f.resize(bytes))
        return {};
    f.close();
    store_->setState(path, RecordingState::NotUploaded);
    return path;
}

void TestKeptSpace::upload(const QString& path, int n) {
    QVERIFY(store_->queueUpload(path, kServiceUrl, -1));
    store_->markUploaded(path, QStringLiteral("https://videos.test/v/%1").arg(n),
                         kNoon.addDays(1).addSecs(n));
    QCOMPARE(UploadedLinks::settle(*store_, *history_), 1);
    // The upload kept the recording: no choice of the user's deleted it.
    QVERIFY(QFile::exists(path));
}

QList<RecordingEntry> TestKeptSpace::keptOnDisk() const {
    RecordingStore fresh(store_->folder());
    if (!fresh.open().isEmpty())
        return {};
    return fresh.kept();
}

void TestKeptSpace::noBoundOrWithinItNothingGoes() {
    const QString a = record(0, 3 * kMiB);
    upload(a, 1);
    const QList<RecordingEntry> kept = keptOnDisk();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].size, 3 * kMiB);
    QVERIFY(KeptSpace::plan(kept, 0).isEmpty());
    QVERIFY(KeptSpace::plan(kept, -5).isEmpty());
    QVERIFY(KeptSpace::plan(kept, 3 * kMiB).isEmpty()); // exactly at the bound
    QCOMPARE(KeptSpace::plan(kept, 3 * kMiB).totalBytes, 3 * kMiB);
    QVERIFY(!KeptSpace::plan(kept, 3 * kMiB - 1).isEmpty());
}

void TestKeptSpace::oldestUploadedGoFirstUntilTheRestFit() {
    // Made out of order, so that the order of making (not of the list) decides.
    const QString newest = record(30, 2 * kMiB);
    const QString oldest = record(0, 2 * kMiB);
    const QString middle = record(10, 2 * kMiB);
    for (const QString& p : {newest, oldest, middle})
        store_->markSaved(p);
    upload(newest, 1);
    upload(oldest, 2);
    upload(middle, 3);
    const QList<RecordingEntry> kept = keptOnDisk();
    QCOMPARE(kept.size(), 3);

    // 6 MiB kept, 5 allowed: the oldest alone is enough.
    KeptSpace::Plan p = KeptSpace::plan(kept, 5 * kMiB);
    QCOMPARE(p.goQuietly, QStringList{oldest});
    QVERIFY(p.askFirst.isEmpty());
    QCOMPARE(p.freedBytes, 2 * kMiB);

    // 3 allowed: the two oldest.
    p = KeptSpace::plan(kept, 3 * kMiB);
    QCOMPARE(p.goQuietly, (QStringList{oldest, middle}));

    // Less than the newest alone: all three, and still over is what it can do.
    p = KeptSpace::plan(kept, 1);
    QCOMPARE(p.goQuietly, (QStringList{oldest, middle, newest}));
    QCOMPARE(p.freedBytes, 6 * kMiB);
}

void TestKeptSpace::neverSavedOnesAreAskedAbout() {
    const QString savedOld = record(0, 1 * kMiB);
    const QString onlyCopy = record(5, 4 * kMiB);
    const QString newer = record(9, 1 * kMiB);
    store_->markSaved(savedOld);
    upload(savedOld, 1);
    upload(onlyCopy, 2);
    upload(newer, 3);
    const QList<RecordingEntry> kept = keptOnDisk();

    const KeptSpace::Plan p = KeptSpace::plan(kept, 2 * kMiB);
    QCOMPARE(p.goQuietly, QStringList{savedOld});
    QCOMPARE(p.askFirst, QStringList{onlyCopy});
    QCOMPARE(p.askBytes, 4 * kMiB);
    QCOMPARE(p.freedBytes, 5 * kMiB);
}

void TestKeptSpace::recordingsNotUploadedNeverGo() {
    const QString big = record(0, 8 * kMiB); // oldest and biggest, never uploaded
    const QString failed = record(1, 2 * kMiB);
    store_->failUpload(failed, QStringLiteral("HTTP 500"));
    const QString queued = record(2, 2 * kMiB);
    QVERIFY(store_->queueUpload(queued, kServiceUrl, -1));
    const QString uploaded = record(3, 1 * kMiB);
    store_->markSaved(big);
    upload(uploaded, 1);
    const QList<RecordingEntry> kept = keptOnDisk();
    QCOMPARE(kept.size(), 4);

    // Far over the bound: only the uploaded one may go, and the rest stays over.
    const KeptSpace::Plan p = KeptSpace::plan(kept, 1 * kMiB);
    QCOMPARE(p.askFirst, QStringList{uploaded});
    QVERIFY(p.goQuietly.isEmpty());
    QCOMPARE(p.totalBytes, 13 * kMiB);
    QCOMPARE(p.freedBytes, 1 * kMiB);
}

void TestKeptSpace::linkNotYetInTheHistoryKeepsItsRecording() {
    // The service took it, the run ended before the history had the link: the index is
    // the link's only record, so the recording is not let go.
    const QString path = record(0, 3 * kMiB);
    QVERIFY(store_->queueUpload(path, kServiceUrl, -1));
    store_->markUploaded(path, QStringLiteral("https://videos.test/v/9"), kNoon.addDays(1));
    QList<RecordingEntry> kept = keptOnDisk();
    QCOMPARE(kept.size(), 1);
    QVERIFY(!kept[0].linkTold);
    QVERIFY(KeptSpace::plan(kept, 1).isEmpty());

    // Once told, it may go, and a fresh start reads that from the index.
    QCOMPARE(UploadedLinks::settle(*store_, *history_), 1);
    kept = keptOnDisk();
    QVERIFY(kept[0].linkTold);
    QCOMPARE(KeptSpace::plan(kept, 1).askFirst, QStringList{path});
    // And the told link is not told again.
    QCOMPARE(UploadedLinks::settle(*store_, *history_), 0);
    QCOMPARE(history_->count(), 1);
}

void TestKeptSpace::boundFromSettingsValue() {
    QCOMPARE(KeptSpace::boundBytes(0), qint64(0));
    QCOMPARE(KeptSpace::boundBytes(-3), qint64(0));
    QCOMPARE(KeptSpace::boundBytes(1), kMiB);
    // A bound past 2 GiB does not wrap around into a tiny one.
    QCOMPARE(KeptSpace::boundBytes(4096), 4096 * kMiB);
}

QTEST_GUILESS_MAIN(TestKeptSpace)
#include "tst_kept_space.moc"
