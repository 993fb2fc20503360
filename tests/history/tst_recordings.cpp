// The recordings kept for the user: the private folder, unique names that never overwrite,
// what became of each recording across restarts, saving elsewhere by move or copy, and the
// free-space check. Real files and folders throughout.
#include "history/FreeSpace.h"
#include "history/JsonFile.h"
#include "history/RecordingSaver.h"
#include "history/RecordingStore.h"
#include "tests/support/UnwritableFolder.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QDateTime kNoon(QDate(2026, 12, 8), QTime(12, 0, 0));
const QUrl kServiceUrl(QStringLiteral("http://service.test/upload.php?width=64&height=48"));

// What a new run would read: the index on the disk, not the memory of this one.
std::optional<RecordingEntry> onDisk(const QString& folder, const QString& file) {
    RecordingStore fresh(folder);
    if (!fresh.open().isEmpty())
        return std::nullopt;
    return fresh.entry(file);
}

} // namespace

class TestRecordings : public QObject {
    Q_OBJECT
private slots:
    // The store.
    void makesPrivateFolderWithParents();
    void refusesFoldersThatAreNotPrivate();
    void namesAreUniqueAndNothingIsOverwritten();
    void statesSurviveARestartAndLeftoversAreFound();
    void damagedIndexHidesNoRecording();
    void listsOnlyRecordingFiles();
    void removeAndForget();
    void lifecycleStepsAreEachOnTheDisk();
    void oldUploadsListIsTakenInOnce();
    void vanishedRecordingAsTheUserSeesIt();
    void jsonFileIsReplacedWholeOrNotAtAll();
    // Saving elsewhere.
    void moveOnTheSameFileSystem();
    void replacingKeepsTheOldTargetsAccess();
    void copyAcrossFileSystemsWithProgress();
    void failedSaveLeavesBothFiles();
    void failedCopyLeavesBothFilesAndNoLeftover();
    void savingOntoItselfIsRefused();
    void saverReportsThroughSignals();
    // Free space.
    void freeSpaceLevels();
};

void TestRecordings::makesPrivateFolderWithParents() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/data/clipnest/recordings");
    RecordingStore store(folder);
    const QString error = store.open();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(modeOf(folder) & 0777, mode_t(0700));
    QCOMPARE(modeOf(base.path() + QStringLiteral("/data/clipnest")) & 0777, mode_t(0700));
    QVERIFY(store.isOpen());

    qputenv("XDG_DATA_HOME", QFile::encodeName(base.path()));
    QCOMPARE(RecordingStore::defaultFolder(), base.path() + QStringLiteral("/clipnest/recordings"));
    qputenv("XDG_DATA_HOME", "relative/path");
    QCOMPARE(RecordingStore::defaultFolder(),
             QDir::homePath() + QStringLiteral("/.local/share/clipnest/recordings"));
    qunsetenv("XDG_DATA_HOME");
}

void TestRecordings::refusesFoldersThatAreNotPrivate() {
    QTemporaryDir base;
    const QString open = base.path() + QStringLiteral("/open");
    QVERIFY(QDir().mkdir(open));
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0755) == 0);
    RecordingStore shared(open);
    QString error = shared.open();
    QVERIFY(error.contains(open));
    QVERIFY(!shared.isOpen());
    QVERIFY(shared.reserve(kNoon).filePath.isEmpty());

    // A link to a private folder is still a link: another account may have planted it.
    const QString real = base.path() + QStringLiteral("/real");
    QVERIFY(QDir().mkdir(real));
    QVERIFY(::chmod(QFile::encodeName(real).constData(), 0700) == 0);
    const QString link = base.path() + QStringLiteral("/link");
    QVERIFY(QFile::link(real, link));
    RecordingStore linked(link);
    error = linked.open();
    QVERIFY(error.contains(link));
    QVERIFY(QDir(real).isEmpty());
}

void TestRecordings::namesAreUniqueAndNothingIsOverwritten() {
    QTemporaryDir base;
    RecordingStore store(base.path() + QStringLiteral("/rec"));
    QVERIFY(store.open().isEmpty());
    QSignalSpy changed(&store, &RecordingStore::changed);

    const RecordingStore::Reservation a = store.reserve(kNoon);
    QVERIFY2(a.error.isEmpty(), qPrintable(a.error));
    QVERIFY(QFileInfo(a.filePath).fileName().endsWith(QStringLiteral(".mp4")));
    QCOMPARE(modeOf(a.filePath) & 0777, mode_t(0600));
    QVERIFY(writeFile(a.filePath, "first recording"));

    // Same second: another name; the first file keeps its bytes.
    const RecordingStore::Reservation b = store.reserve(kNoon);
    QVERIFY(b.error.isEmpty());
    QVERIFY(b.filePath != a.filePath);
    QCOMPARE(readFile(a.filePath), QByteArray("first recording"));

    // A link planted at the next name is neither followed nor replaced.
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + QStringLiteral("/victim");
    QVERIFY(writeFile(victim, "not yours"));
    const QString third = QFileInfo(b.filePath).path() + QLatin1Char('/') +
                          QFileInfo(b.filePath)
                              .completeBaseName()
                              .replace(QStringLiteral("-2"), QStringLiteral("-3")) +
                          QStringLiteral(".mp4");
    QVERIFY(QFile::link(victim, third));
    const RecordingStore::Reservation c = store.reserve(kNoon);
    QVERIFY(c.error.isEmpty());
    QVERIFY(c.filePath != third);
    QVERIFY(c.filePath != a.filePath && c.filePath != b.filePath);
    QCOMPARE(readFile(victim), QByteArray("not yours"));
    QVERIFY(QFileInfo(third).isSymLink());
    QCOMPARE(changed.count(), 3);

    for (const RecordingStore::Reservation& r : {a, b, c}) {
        const auto e = store.entry(r.filePath);
        QVERIFY(e.has_value());
        QCOMPARE(e->state, RecordingState::Recording);
        QCOMPARE(e->created, kNoon);
    }
}

void TestRecordings::statesSurviveARestartAndLeftoversAreFound() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/rec");
    QString crashed, failed, queued;
    {
        RecordingStore store(folder);
        QVERIFY(store.open().isEmpty());
        QVERIFY(store.leftovers().isEmpty());
        crashed = store.reserve(kNoon).filePath;
        failed = store.reserve(kNoon.addSecs(1)).filePath;
        queued = store.reserve(kNoon.addSecs(2)).filePath;
        store.setState(failed, RecordingState::UploadFailed, QStringLiteral("HTTP 400: no"));
        QVERIFY(store.queueUpload(queued, kServiceUrl, 1));
        // The running program's own recording is not a leftover of an earlier run.
        QVERIFY(store.leftovers().isEmpty());
    }
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    QCOMPARE(store.leftovers(), QStringList{crashed});
    const QList<RecordingEntry> list = store.list();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].filePath, crashed);
    QCOMPARE(list[1].state, RecordingState::UploadFailed);
    QCOMPARE(list[1].reason, QStringLiteral("HTTP 400: no"));
    QCOMPARE(list[2].state, RecordingState::Queued);
    QCOMPARE(list[2].shareTarget, 1);

    store.setState(crashed, RecordingState::Recovered);
    QVERIFY(store.leftovers().isEmpty());
    RecordingStore again(folder);
    QVERIFY(again.open().isEmpty());
    QVERIFY(again.leftovers().isEmpty());
    QCOMPARE(again.entry(crashed)->state, RecordingState::Recovered);
}

void TestRecordings::damagedIndexHidesNoRecording() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/rec");
    QString path;
    {
        RecordingStore store(folder);
        QVERIFY(store.open().isEmpty());
        path = store.reserve(kNoon).filePath;
        store.setState(path, RecordingState::UploadFailed, QStringLiteral("x"));
    }
    QVERIFY(writeFile(folder + QStringLiteral("/recordings.json"),
                      "{\"recordings\": [{\"file\": \"../../etc/passwd\", \"state\": \"queued\"},"
                      " {\"file\": 42}, garbage"));
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    const QList<RecordingEntry> list = store.list();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].filePath, path);
    QCOMPARE(list[0].state, RecordingState::NotUploaded);
    // Paths outside the folder are not the store's business.
    store.setState(QStringLiteral("/etc/passwd"), RecordingState::Queued);
    QVERIFY(!store.contains(QStringLiteral("/etc/passwd")));
    QVERIFY(!store.remove(QStringLiteral("/etc/passwd")).isEmpty());
}

void TestRecordings::listsOnlyRecordingFiles() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/rec");
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    const QString kept = store.reserve(kNoon).filePath;
    QVERIFY(writeFile(folder + QStringLiteral("/.hidden.mp4"), "x"));
    QVERIFY(writeFile(folder + QStringLiteral("/notes.txt"), "x"));
    QVERIFY(QDir().mkdir(folder + QStringLiteral("/dir.mp4")));
    QVERIFY(QFile::link(kept, folder + QStringLiteral("/link.mp4")));
    // An older recording the index never heard of is listed as not uploaded, once the
    // folder is read again.
    QVERIFY(writeFile(folder + QStringLiteral("/older.mp4"), "older"));
    QCOMPARE(store.list().size(), 1);
    QSignalSpy changed(&store, &RecordingStore::changed);
    store.refresh();
    QCOMPARE(changed.count(), 1);
    const QList<RecordingEntry> list = store.list();
    QStringList names;
    for (const RecordingEntry& e : list)
        names.append(QFileInfo(e.filePath).fileName());
    names.sort();
    QCOMPARE(names, (QStringList{QFileInfo(kept).fileName(), QStringLiteral("older.mp4")}));
    QCOMPARE(store.entry(folder + QStringLiteral("/older.mp4"))->state,
             RecordingState::NotUploaded);
    QCOMPARE(store.entry(folder + QStringLiteral("/older.mp4"))->size, qint64(5));
}

void TestRecordings::removeAndForget() {
    QTemporaryDir base;
    RecordingStore store(base.path() + QStringLiteral("/rec"));
    QVERIFY(store.open().isEmpty());
    const QString a = store.reserve(kNoon).filePath;
    const QString b = store.reserve(kNoon).filePath;
    QVERIFY(store.remove(a).isEmpty());
    QVERIFY(!QFile::exists(a));
    QVERIFY(!store.contains(a));
    // A save elsewhere moved b away: its entry goes, nothing else happens.
    QVERIFY(QFile::rename(b, base.path() + QStringLiteral("/saved.mp4")));
    store.forget(b);
    QVERIFY(store.list().isEmpty());
    RecordingStore again(store.folder());
    QVERIFY(again.open().isEmpty());
    QVERIFY(again.leftovers().isEmpty());
}

void TestRecordings::lifecycleStepsAreEachOnTheDisk() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/rec");
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    const QString path = store.reserve(kNoon).filePath;
    QCOMPARE(onDisk(folder, path)->state, RecordingState::Recording);
    QVERIFY(writeFile(path, "finished video"));
    store.setState(path, RecordingState::NotUploaded);
    QCOMPARE(store.entry(path)->size, qint64(14)); // read when the state changed

    QVERIFY(store.queueUpload(path, kServiceUrl, 2));
    auto e = onDisk(folder, path);
    QCOMPARE(e->state, RecordingState::Queued);
    QCOMPARE(e->url, kServiceUrl);
    QCOMPARE(e->shareTarget, 2);
    QVERIFY(!e->uploading);

    store.startAttempt(path);
    QVERIFY(onDisk(folder, path)->uploading);

    const QDateTime retryAt = QDateTime::currentDateTime().addSecs(30);
    store.retryLater(path, QStringLiteral("HTTP 503"), 1, retryAt);
    e = onDisk(folder, path);
    QCOMPARE(e->state, RecordingState::Queued);
    QVERIFY(!e->uploading);
    QCOMPARE(e->failedAttempts, 1);
    QCOMPARE(e->reason, QStringLiteral("HTTP 503"));
    QCOMPARE(e->retryAt, retryAt);
    QCOMPARE(e->shareTarget, 2);

    store.failUpload(path, QStringLiteral("HTTP 400: refused"));
    e = onDisk(folder, path);
    QCOMPARE(e->state, RecordingState::UploadFailed);
    QCOMPARE(e->reason, QStringLiteral("HTTP 400: refused"));
    QVERIFY(e->url.isEmpty());
    QCOMPARE(store.pendingUploads().size(), 0);

    // "Upload again", then the service takes it: state and link in one write.
    QVERIFY(store.queueUpload(path, kServiceUrl, -1));
    QVERIFY(onDisk(folder, path)->reason.isEmpty());
    const QDateTime when = QDateTime::currentDateTime();
    store.markUploaded(path, QStringLiteral("https://videos.test/v/1"), when);
    e = onDisk(folder, path);
    QCOMPARE(e->state, RecordingState::Uploaded);
    QCOMPARE(e->link, QStringLiteral("https://videos.test/v/1"));
    QCOMPARE(e->uploadedAt, when);
    QVERIFY(store.list().isEmpty()); // no row of its own any more
    QCOMPARE(store.uploaded().size(), 1);

    // An uploaded recording whose file is gone keeps its link until the history has it.
    QVERIFY(QFile::remove(path));
    store.refresh();
    QCOMPARE(store.uploaded().size(), 1);
    QCOMPARE(onDisk(folder, path)->link, QStringLiteral("https://videos.test/v/1"));

    // Once the history has the link it is an ordinary kept recording: its file gone, the
    // next reading of the folder drops it.
    store.markLinkTold(path);
    QVERIFY(!onDisk(folder, path));
    store.refresh();
    QVERIFY(!store.contains(path));

    // Saved elsewhere with this copy left: the index says so across a restart.
    const QString copied = store.reserve(kNoon.addSecs(9)).filePath;
    store.setState(copied, RecordingState::NotUploaded);
    QVERIFY(!onDisk(folder, copied)->saved);
    store.markSaved(copied);
    QVERIFY(onDisk(folder, copied)->saved);

    // Cancelling a pending upload makes it not uploaded again.
    const QString other = store.reserve(kNoon.addSecs(5)).filePath;
    QVERIFY(store.queueUpload(other, kServiceUrl, 0));
    store.cancelUpload(other);
    e = onDisk(folder, other);
    QCOMPARE(e->state, RecordingState::NotUploaded);
    QCOMPARE(e->shareTarget, -1);
}

void TestRecordings::oldUploadsListIsTakenInOnce() {
    QTemporaryDir base;
    QTemporaryDir elsewhere;
    const QString folder = base.path() + QStringLiteral("/rec");
    QVERIFY(RecordingStore(folder).open().isEmpty()); // the private folder
    const QString kept = folder + QStringLiteral("/clipnest-2026-12-08_12-00-00.mp4");
    const QString plain = folder + QStringLiteral("/clipnest-2026-12-08_12-00-01.mp4");
    const QString own = elsewhere.path() + QStringLiteral("/own.mp4");
    QVERIFY(writeFile(kept, "kept") && writeFile(plain, "plain") && writeFile(own, "own"));
    // What an earlier version left: its index, and its list of pending uploads beside it.
    QVERIFY(writeFile(folder + QStringLiteral("/recordings.json"),
                      "{\"recordings\": ["
                      "{\"file\": \"clipnest-2026-12-08_12-00-00.mp4\", \"state\": \"queued\","
                      " \"created\": \"2026-12-08T12:00:00.000\", \"share\": 1},"
                      "{\"file\": \"clipnest-2026-12-08_12-00-01.mp4\", \"state\": \"queued\","
                      " \"created\": \"2026-12-08T12:00:01.000\"}]}"));
    const QByteArray url = kServiceUrl.toEncoded();
    QVERIFY(writeFile(folder + QStringLiteral("/uploads.json"),
                      "{\"uploads\": [{\"file\": \"" + kept.toUtf8() + "\", \"url\": \"" + url +
                          "\", \"share\": 1, \"failed\": 2, \"error\": \"HTTP 503\"},"
                          "{\"file\": \"" +
                          own.toUtf8() + "\", \"url\": \"" + url +
                          "\"},"
                          "{\"file\": \"" +
                          folder.toUtf8() + "/missing.mp4\", \"url\": \"" + url + "\"}]}"));
    {
        RecordingStore store(folder);
        QVERIFY(store.open().isEmpty());
        QVERIFY(!QFile::exists(folder + QStringLiteral("/uploads.json")));
    }
    for (int run = 0; run < 2; ++run) { // taken in, and still there at the next start
        RecordingStore store(folder);
        QVERIFY(store.open().isEmpty());
        const auto k = store.entry(kept);
        QCOMPARE(k->state, RecordingState::Queued);
        QCOMPARE(k->url, kServiceUrl);
        QCOMPARE(k->shareTarget, 1);
        QCOMPARE(k->failedAttempts, 2);
        QCOMPARE(k->reason, QStringLiteral("HTTP 503"));
        QCOMPARE(k->created, QDateTime(QDate(2026, 12, 8), QTime(12, 0, 0)));
        // Marked queued with no upload behind it: it would wait for ever, so it is offered
        // again as not uploaded.
        QCOMPARE(store.entry(plain)->state, RecordingState::NotUploaded);
        QCOMPARE(store.entry(own)->state, RecordingState::Queued);
        QCOMPARE(store.pendingUploads().size(), 2);
        QCOMPARE(store.list().size(), 2);
        QVERIFY(!store.contains(folder + QStringLiteral("/missing.mp4")));
    }
}

void TestRecordings::vanishedRecordingAsTheUserSeesIt() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/rec");
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    const QString path = store.reserve(kNoon).filePath;
    store.setState(path, RecordingState::NotUploaded);
    QVERIFY(QFile::remove(path)); // someone else deleted it
    // Lookups answer from memory: the row stays until the folder is read again...
    QVERIFY(store.contains(path));
    QCOMPARE(store.list().size(), 1);
    QSignalSpy changed(&store, &RecordingStore::changed);
    store.refresh();
    QCOMPARE(changed.count(), 1);
    QVERIFY(!store.contains(path));
    QVERIFY(store.list().isEmpty());
    // ...and deleting a row whose file is already gone just drops it.
    const QString second = store.reserve(kNoon.addSecs(1)).filePath;
    QVERIFY(QFile::remove(second));
    QVERIFY(store.remove(second).isEmpty());
    QVERIFY(!store.contains(second));
    // An upload of it is refused, and it leaves no entry behind.
    QVERIFY(!store.queueUpload(second, kServiceUrl, -1));
    QVERIFY(!onDisk(folder, second));
}

void TestRecordings::jsonFileIsReplacedWholeOrNotAtAll() {
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/locked");
    UnwritableFolder locked(folder, {{QStringLiteral("state.json"), "{\"n\": 1}"}});
    if (!locked.isValid())
        QSKIP("cannot make a folder that takes no new file here");
    const QString path = folder + QStringLiteral("/state.json");
    QJsonObject next;
    next.insert(QStringLiteral("n"), 2);
    QVERIFY(!JsonFile::write(path, next).isEmpty());
    // The old file is whole, and nothing half-written lies beside it.
    QCOMPARE(JsonFile::read(path).object.value(QStringLiteral("n")).toInt(), 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"state.json"});

    const QString free = base.path() + QStringLiteral("/state.json");
    QVERIFY(JsonFile::write(free, next).isEmpty());
    QCOMPARE(JsonFile::read(free).object, next);
    QVERIFY(!JsonFile::read(base.path() + QStringLiteral("/none.json")).exists);
}

void TestRecordings::moveOnTheSameFileSystem() {
    QTemporaryDir base;
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString target = base.path() + QStringLiteral("/out/video.mp4");
    QVERIFY(QDir().mkdir(base.path() + QStringLiteral("/out")));
    const QByteArray data = randomBytes(300000);
    QVERIFY(writeFile(source, data));
    QVERIFY(::chmod(QFile::encodeName(source).constData(), 0600) == 0);
    const RecordingSave::Result r = RecordingSave::moveRecording(source, target);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(!QFile::exists(source));
    QCOMPARE(readFile(target), data);
    // The saved file is the user's ordinary file now, not a private one.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    QCOMPARE(modeOf(target) & 0777, mode_t(0666 & ~mask));
}

void TestRecordings::replacingKeepsTheOldTargetsAccess() {
    QTemporaryDir base;
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString target = base.path() + QStringLiteral("/video.mp4");
    const QByteArray data = randomBytes(100000);
    QVERIFY(writeFile(source, data));
    QVERIFY(writeFile(target, QByteArray(500000, 'o')));
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
    const RecordingSave::Result r = RecordingSave::moveRecording(source, target);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(readFile(target), data);
    QCOMPARE(modeOf(target) & 0777, mode_t(0640));
    QVERIFY(!QFile::exists(source));
}

void TestRecordings::copyAcrossFileSystemsWithProgress() {
    QTemporaryDir base;
    QTemporaryDir other(QStringLiteral("/dev/shm/clipnest-test-XXXXXX"));
    if (!other.isValid() || deviceOf(other.path()) == deviceOf(base.path()))
        QSKIP("needs two file systems (/dev/shm apart from the temporary folder)");
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString target = other.path() + QStringLiteral("/video.mp4");
    const QByteArray data = randomBytes(9 * 1024 * 1024 + 123);
    QVERIFY(writeFile(source, data));
    QVERIFY(writeFile(target, "old content"));
    QList<qint64> reports;
    const RecordingSave::Result r =
        RecordingSave::moveRecording(source, target, [&](qint64 done, qint64 total) {
            QCOMPARE(total, qint64(data.size()));
            reports.append(done);
        });
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(!r.sourceKept);
    QCOMPARE(readFile(target), data);
    QVERIFY(!QFile::exists(source));
    QVERIFY(reports.size() >= 3);
    QCOMPARE(reports.last(), qint64(data.size()));
    QVERIFY(std::is_sorted(reports.cbegin(), reports.cend()));
    // No temporary file is left beside the target.
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("video.mp4")});
}

void TestRecordings::failedSaveLeavesBothFiles() {
    QTemporaryDir base;
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString folder = base.path() + QStringLiteral("/locked");
    const QString target = folder + QStringLiteral("/video.mp4");
    const QByteArray data = randomBytes(50000);
    QVERIFY(writeFile(source, data));
    UnwritableFolder locked(folder, {{QStringLiteral("video.mp4"), "old content"}});
    if (!locked.isValid())
        QSKIP("can not make a folder unwritable here");
    const RecordingSave::Result r = RecordingSave::moveRecording(source, target);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(target), qPrintable(r.error));
    QCOMPARE(readFile(source), data);
    QCOMPARE(readFile(target), QByteArray("old content"));
}

void TestRecordings::failedCopyLeavesBothFilesAndNoLeftover() {
    QTemporaryDir base;
    QTemporaryDir other(QStringLiteral("/dev/shm/clipnest-test-XXXXXX"));
    if (!other.isValid() || deviceOf(other.path()) == deviceOf(base.path()))
        QSKIP("needs two file systems (/dev/shm apart from the temporary folder)");
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString target = other.path() + QStringLiteral("/video.mp4");
    const QByteArray data = randomBytes(12 * 1024 * 1024);
    QVERIFY(writeFile(source, data));
    QVERIFY(writeFile(target, "old content"));
    // Cancelled half way: the copy is abandoned like any failed one.
    std::atomic<bool> cancel{false};
    const RecordingSave::Result r = RecordingSave::moveRecording(
        source, target, [&](qint64 done, qint64) { cancel = done > 0; }, &cancel);
    QVERIFY(!r.ok);
    QCOMPARE(readFile(source), data);
    QCOMPARE(readFile(target), QByteArray("old content"));
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("video.mp4")});
}

void TestRecordings::savingOntoItselfIsRefused() {
    QTemporaryDir base;
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    QVERIFY(writeFile(source, "data"));
    const RecordingSave::Result r =
        RecordingSave::moveRecording(source, base.path() + QStringLiteral("/./rec.mp4"));
    QVERIFY(!r.ok);
    QCOMPARE(readFile(source), QByteArray("data"));
    const RecordingSave::Result gone = RecordingSave::moveRecording(
        base.path() + QStringLiteral("/missing.mp4"), base.path() + QStringLiteral("/x.mp4"));
    QVERIFY(!gone.ok);
    QVERIFY(gone.error.contains(QStringLiteral("missing.mp4")));
}

void TestRecordings::saverReportsThroughSignals() {
    QTemporaryDir base;
    QTemporaryDir other(QStringLiteral("/dev/shm/clipnest-test-XXXXXX"));
    const bool twoFileSystems = other.isValid() && deviceOf(other.path()) != deviceOf(base.path());
    const QString source = base.path() + QStringLiteral("/rec.mp4");
    const QString target =
        (twoFileSystems ? other.path() : base.path()) + QStringLiteral("/video.mp4");
    const QByteArray data = randomBytes(20 * 1024 * 1024);
    QVERIFY(writeFile(source, data));

    RecordingSaver saver;
    QSignalSpy progress(&saver, &RecordingSaver::progressChanged);
    QSignalSpy finished(&saver, &RecordingSaver::finished);
    QSignalSpy failed(&saver, &RecordingSaver::failed);
    QVERIFY(saver.start(source, target));
    QVERIFY(saver.isRunning());
    QVERIFY(!saver.start(source, target));
    QVERIFY(finished.wait(60000));
    QCOMPARE(failed.count(), 0);
    QVERIFY(!saver.isRunning());
    QCOMPARE(finished.first().at(0).toString(), source);
    QCOMPARE(finished.first().at(1).toString(), target);
    QCOMPARE(progress.last().first().toInt(), 100);
    QCOMPARE(readFile(target), data);

    // A failure comes back as a signal with a message naming the target.
    QVERIFY(saver.start(source, target));
    QVERIFY(failed.wait(60000));
    QVERIFY(failed.first().at(2).toString().contains(QStringLiteral("rec.mp4")));
}

void TestRecordings::freeSpaceLevels() {
    using namespace FreeSpace;
    QCOMPARE(classify(-1), Level::Enough);
    QCOMPARE(classify(0), Level::TooLow);
    QCOMPARE(classify(kRefuseBelowBytes - 1), Level::TooLow);
    QCOMPARE(classify(kRefuseBelowBytes), Level::Low);
    QCOMPARE(classify(kWarnBelowBytes - 1), Level::Low);
    QCOMPARE(classify(kWarnBelowBytes), Level::Enough);
    const QString folder = QStringLiteral("/home/someone/.local/share/clipnest/recordings");
    const Check low = checkAmount(folder, 500 * 1024 * 1024);
    QVERIFY(low.message.contains(folder));
    const Check refuse = checkAmount(folder, 5 * 1024 * 1024);
    QCOMPARE(refuse.level, Level::TooLow);
    QVERIFY(refuse.message.contains(folder));
    QVERIFY(refuse.message != low.message);
    QVERIFY(checkAmount(folder, kWarnBelowBytes).message.isEmpty());
    QTemporaryDir base;
    const Check real = check(base.path());
    QVERIFY(real.availableBytes > 0);
    QCOMPARE(real.level, classify(real.availableBytes));
}

QTEST_GUILESS_MAIN(TestRecordings)
#include "tst_recordings.moc"
