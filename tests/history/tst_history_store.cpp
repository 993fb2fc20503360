// The history store on real settings files: what an earlier run left, what a damaged file
// holds, that every change reaches the disk at once, and that the links of accepted uploads
// kept with their recordings reach it once, also after a crash in between.
#include "history/HistoryManager.h"
#include "history/HistoryStore.h"
#include "history/RecordingStore.h"
#include "history/UploadedLinks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString configHome;

QDateTime at(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Reads what is on disk now. The file is copied first: settings objects on the same path
// share one cache in a process, and the point is to see the bytes, not the cache.
QList<HistoryRecord> readBack(const QString& path) {
    static int copies = 0;
    const QString copy = path + QString(".copy%1").arg(++copies);
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        return {};
    QSettings settings(copy, QSettings::IniFormat);
    return HistoryStore::read(settings);
}

QByteArray fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

std::unique_ptr<HistoryManager> managerOn(const QString& path) {
    return std::make_unique<HistoryManager>(
        std::make_unique<QSettings>(path, QSettings::IniFormat));
}

} // namespace

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void loadsWhatAnEarlierRunWrote();
    void damagedFileKeepsWhatCanBeRead();
    void hugeElementCountDoesNotStall();
    void addSkipsEqualRecordsAndSavesAtOnce();
    void removeSavesAtOnce();
    void removingEverythingEmptiesTheStore();
    void orderSurvivesSaveAndLoad();
    void unwritableStoreIsReported();
    void instanceUsesTheProgramsSettingsFile();
    void uploadedLinksReachTheHistoryOnce();
    void linkAlreadyInTheHistoryIsNotAddedAgain();
    void deletionAddressAndExpiryAreKept();

private:
    QTemporaryDir dir_;
    QString path_;
    int fileNumber_ = 0;
};

void TestHistoryStore::init() {
    QVERIFY(dir_.isValid());
    // A new file for every test: settings objects cache files by path.
    path_ = dir_.filePath(QString("Clipnest%1.conf").arg(++fileNumber_));
}

void TestHistoryStore::loadsWhatAnEarlierRunWrote() {
    // As the program wrote it: date-time and URL values in their typed form, two elements
    // of which the second repeats the first, and one element a user edited by hand.
    writeFile(
        path_,
        "[General]\n"
        "Language=es\n"
        "\n"
        "[History]\n"
        "1\\Date=@DateTime(\\0\\0\\0\\x10\\0\\0\\0\\0\\0\\0%\\x8a\\xd7\\x1\\xf4\\xd6\\xd8\\0)\n"
        "1\\Url=@Variant(\\0\\0\\0\\x11\\0\\0\\0\\x1bhttp://127.0.0.1:8080/v/abc)\n"
        "2\\Date=@DateTime(\\0\\0\\0\\x10\\0\\0\\0\\0\\0\\0%\\x8a\\xd7\\x1\\xf4\\xd6\\xd8\\0)\n"
        "2\\Url=@Variant(\\0\\0\\0\\x11\\0\\0\\0\\x1bhttp://127.0.0.1:8080/v/abc)\n"
        "3\\Date=@DateTime(\\0\\0\\0\\x10\\0\\0\\0\\0\\0\\0%\\x8a\\xd8\\x2%Q\\0\\0)\n"
        "3\\Url=\"@Variant(\\0\\0\\0\\x11\\0\\0\\0\\\"https://videos.example.org/v/x?y=1)\"\n"
        "4\\Date=2024-03-07T18:30:00\n"
        "4\\Url=https://videos.example.org/v/edited\n"
        "size=4\n");
    auto manager = managerOn(path_);
    QSignalSpy added(manager.get(), &HistoryManager::itemAdded);
    manager->load();

    const QList<HistoryRecord> expected = {
        {at(2024, 3, 5, 9, 7, 3), QUrl("http://127.0.0.1:8080/v/abc")},
        {at(2024, 3, 6, 10, 0, 0), QUrl("https://videos.example.org/v/x?y=1")},
        {at(2024, 3, 7, 18, 30, 0), QUrl("https://videos.example.org/v/edited")},
    };
    QCOMPARE(manager->list(), expected);
    QCOMPARE(manager->count(), 3);
    QCOMPARE(added.count(), 3);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(added.at(i).at(0).value<HistoryRecord>(), expected.at(i));

    // Loading alone changes nothing on disk; the other keys stay untouched by a save.
    const QByteArray before = fileText(path_);
    QVERIFY(before.contains("4\\Date=2024-03-07T18:30:00"));
    manager->save();
    QCOMPARE(readBack(path_), expected);
    QFile::copy(path_, path_ + ".copy-lang");
    QCOMPARE(QSettings(path_ + ".copy-lang", QSettings::IniFormat).value("Language").toString(),
             QString("es"));
    // The duplicate is written once, without gaps.
    QCOMPARE(QSettings(path_ + ".copy-lang", QSettings::IniFormat).value("History/size").toInt(),
             3);
}

void TestHistoryStore::damagedFileKeepsWhatCanBeRead() {
    QByteArray text = "[General]\nLanguage=br\n\x01\x02\xff\xfe garbage [[[ ]\n=\n";
    text += "[History]\n"
            // 1: wrong type for the date
            "1\\Date=42\n1\\Url=http://example.org/one\n"
            // 2: readable
            "2\\Date=2024-01-02T03:04:05\n2\\Url=http://example.org/two\n"
            // 3: URL missing
            "3\\Date=2024-01-03T00:00:00\n"
            // 4: date is garbage text
            "4\\Date=yesterday\n4\\Url=http://example.org/four\n"
            // 5: URL of the wrong type and a relative one
            "5\\Date=2024-01-05T00:00:00\n5\\Url=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x7)\n"
            "6\\Date=2024-01-06T00:00:00\n6\\Url=not a link\n"
            // 7: readable, beyond the count the file claims
            "7\\Date=2024-01-07T07:07:07\n7\\Url=https://example.org/seven\n"
            // 8: a date-time value cut short, 9: a URL value cut short
            "8\\Date=@DateTime(\\0\\0\\0\\x10\\0)\n8\\Url=http://example.org/eight\n"
            "9\\Date=2024-01-09T00:00:00\n9\\Url=@Variant(\\0\\0\\0\\x11\\0\\0\\0\\x1bhttp:)\n"
            "\xc3\x28\xa0\xa1 more garbage\n"
            "size=abc\n";
    writeFile(path_, text);

    auto manager = managerOn(path_);
    QSignalSpy added(manager.get(), &HistoryManager::itemAdded);
    manager->load();
    const QList<HistoryRecord> survivors = {
        {at(2024, 1, 2, 3, 4, 5), QUrl("http://example.org/two")},
        {at(2024, 1, 7, 7, 7, 7), QUrl("https://example.org/seven")},
    };
    QCOMPARE(manager->list(), survivors);
    QCOMPARE(added.count(), 2);

    // The next change writes the survivors and the new record; nothing readable is lost.
    const HistoryRecord fresh(at(2024, 2, 1, 12, 0, 0), QUrl("https://example.org/new"));
    manager->add(fresh);
    QCOMPARE(readBack(path_), survivors + QList<HistoryRecord>{fresh});
    const QString copy = path_ + ".lang";
    QFile::copy(path_, copy);
    QCOMPARE(QSettings(copy, QSettings::IniFormat).value("Language").toString(), QString("br"));
}

void TestHistoryStore::hugeElementCountDoesNotStall() {
    writeFile(path_, "[History]\n1\\Date=2024-01-02T03:04:05\n1\\Url=http://example.org/a\n"
                     "size=2000000000\n");
    auto manager = managerOn(path_);
    // Walking the claimed two billion elements would run into the test's time limit.
    manager->load();
    QCOMPARE(manager->count(), 1);
}

void TestHistoryStore::addSkipsEqualRecordsAndSavesAtOnce() {
    auto manager = managerOn(path_);
    QSignalSpy added(manager.get(), &HistoryManager::itemAdded);
    manager->load();
    QCOMPARE(added.count(), 0);
    QCOMPARE(manager->count(), 0);

    const HistoryRecord first(at(2024, 5, 1, 10, 0, 0), QUrl("http://h/v/1"));
    manager->add(first);
    QCOMPARE(added.count(), 1);
    // On disk straight away, before any explicit save (a crash now loses nothing).
    QCOMPARE(readBack(path_), QList<HistoryRecord>{first});

    manager->add(HistoryRecord(first.date, first.url));
    QCOMPARE(added.count(), 1);
    QCOMPARE(manager->count(), 1);

    // The same link at another moment is another record.
    const HistoryRecord again(at(2024, 5, 1, 10, 0, 1), first.url);
    manager->add(again);
    QCOMPARE(added.count(), 2);
    QCOMPARE(readBack(path_), (QList<HistoryRecord>{first, again}));
}

void TestHistoryStore::removeSavesAtOnce() {
    auto manager = managerOn(path_);
    const HistoryRecord a(at(2024, 5, 1, 10, 0, 0), QUrl("http://h/v/a"));
    const HistoryRecord b(at(2024, 5, 2, 10, 0, 0), QUrl("http://h/v/b"));
    const HistoryRecord c(at(2024, 5, 3, 10, 0, 0), QUrl("http://h/v/c"));
    manager->add(a);
    manager->add(b);
    manager->add(c);
    QSignalSpy removed(manager.get(), &HistoryManager::itemRemoved);

    manager->remove(HistoryRecord(b.date, QUrl("http://h/v/other")));
    QCOMPARE(removed.count(), 0);
    QCOMPARE(manager->count(), 3);

    manager->remove(b);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(manager->list(), (QList<HistoryRecord>{a, c}));
    QCOMPARE(readBack(path_), (QList<HistoryRecord>{a, c}));
}

void TestHistoryStore::removingEverythingEmptiesTheStore() {
    auto manager = managerOn(path_);
    const HistoryRecord a(at(2024, 5, 1, 10, 0, 0), QUrl("http://h/v/a"));
    manager->add(a);
    QVERIFY(fileText(path_).contains("[History]"));
    manager->remove(a);
    QVERIFY2(!fileText(path_).contains("History"), fileText(path_).constData());

    auto next = managerOn(path_);
    QSignalSpy added(next.get(), &HistoryManager::itemAdded);
    next->load();
    QCOMPARE(added.count(), 0);
}

void TestHistoryStore::orderSurvivesSaveAndLoad() {
    QList<HistoryRecord> records;
    {
        auto manager = managerOn(path_);
        for (int i = 0; i < 12; ++i) {
            records.append({at(2024, 6, 1, 8, i, 0), QUrl(QString("https://h/v/%1").arg(i))});
            manager->add(records.last());
        }
        manager->save();
    }
    // Element 1 is the oldest in the file itself.
    QVERIFY2(fileText(path_).contains("1\\Url=@Variant(\\0\\0\\0\\x11\\0\\0\\0\\rhttps://h/v/0)"),
             fileText(path_).constData());
    const QString copy = path_ + ".reopen";
    QFile::copy(path_, copy);
    auto manager = managerOn(copy);
    manager->load();
    QCOMPARE(manager->list(), records);
}

void TestHistoryStore::unwritableStoreIsReported() {
    // The settings folder is a plain file, so nothing can be written below it.
    const QString blocker = dir_.filePath("not-a-folder");
    writeFile(blocker, "x");
    auto manager = managerOn(blocker + "/Clipnest.conf");
    QSignalSpy failed(manager.get(), &HistoryManager::storeFailed);
    manager->add({at(2024, 5, 1, 10, 0, 0), QUrl("http://h/v/a")});
    QCOMPARE(failed.count(), 1);
    const QString message = failed.at(0).at(0).toString();
    QVERIFY2(message.contains(blocker), qPrintable(message));
    // The record stays in memory: the window still shows it and a later save may succeed.
    QCOMPARE(manager->count(), 1);
}

void TestHistoryStore::instanceUsesTheProgramsSettingsFile() {
    HistoryManager* manager = HistoryManager::instance();
    QCOMPARE(HistoryManager::instance(), manager);
    const HistoryRecord a(at(2024, 7, 1, 10, 0, 0), QUrl("http://h/v/instance"));
    manager->add(a);
    const QString file = configHome + "/clipnest.invalid/Clipnest.conf";
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QCOMPARE(readBack(file), QList<HistoryRecord>{a});
}

void TestHistoryStore::uploadedLinksReachTheHistoryOnce() {
    QTemporaryDir base;
    const QString folder = base.path() + "/rec";
    const QString link = "https://videos.test/v/once";
    QString path;
    QDateTime when;
    {
        // The service took the recording; the run ends before the history hears of it.
        RecordingStore store(folder);
        QVERIFY(store.open().isEmpty());
        path = store.reserve(at(2024, 6, 1, 9, 30, 0)).filePath;
        QVERIFY(store.queueUpload(path, QUrl("http://service.test/upload.php"), -1));
        when = QDateTime::currentDateTime();
        store.markUploaded(path, link, when);
    }
    QVERIFY(readBack(path_).isEmpty());

    // The next start: the history first, then the recordings.
    auto manager = managerOn(path_);
    manager->load();
    QSignalSpy added(manager.get(), &HistoryManager::itemAdded);
    RecordingStore store(folder);
    QVERIFY(store.open().isEmpty());
    QCOMPARE(UploadedLinks::settle(store, *manager), 1);
    const HistoryRecord record(when, QUrl(link));
    QCOMPARE(added.count(), 1);
    QCOMPARE(readBack(path_), QList<HistoryRecord>{record});
    // The row shows the moment the recording was made, as it did before the upload; the
    // upload's moment stays with it.
    QCOMPARE(added.first().at(0).value<HistoryRecord>().recorded, at(2024, 6, 1, 9, 30, 0));
    QCOMPARE(readBack(path_).value(0).shownTime(), at(2024, 6, 1, 9, 30, 0));
    QCOMPARE(readBack(path_).value(0).date, when);
    // The upload was no choice to delete: the recording stays, its link told, on the disk too.
    QVERIFY(QFile::exists(path));
    QVERIFY(store.uploaded().isEmpty());
    {
        RecordingStore reread(folder);
        QVERIFY(reread.open().isEmpty());
        const auto kept = reread.entry(path);
        QVERIFY(kept);
        QCOMPARE(kept->state, RecordingState::Uploaded);
        QVERIFY(kept->linkTold);
        QCOMPARE(kept->link, link);
        QVERIFY(reread.keptUpload(when, QUrl(link)));
        QVERIFY(reread.list().isEmpty()); // its row is the link's
    }
    QCOMPARE(UploadedLinks::settle(store, *manager), 0);

    // The user deletes the row; no later start brings it back.
    manager->remove(record);
    RecordingStore later(folder);
    QVERIFY(later.open().isEmpty());
    QCOMPARE(UploadedLinks::settle(later, *manager), 0);
    QVERIFY(readBack(path_).isEmpty());
}

void TestHistoryStore::linkAlreadyInTheHistoryIsNotAddedAgain() {
    // A crash after the history's write and before the index dropped the link.
    QTemporaryDir base;
    RecordingStore store(base.path() + "/rec");
    QVERIFY(store.open().isEmpty());
    const QString path = store.reserve().filePath;
    QVERIFY(store.queueUpload(path, QUrl("http://service.test/upload.php"), 0));
    const QDateTime when = QDateTime::currentDateTime();
    store.markUploaded(path, "https://videos.test/v/twice", when);
    auto manager = managerOn(path_);
    manager->load();
    manager->add(HistoryRecord(when, QUrl("https://videos.test/v/twice")));

    RecordingStore next(store.folder());
    QVERIFY(next.open().isEmpty());
    QSignalSpy added(manager.get(), &HistoryManager::itemAdded);
    QCOMPARE(UploadedLinks::settle(next, *manager), 1);
    QCOMPARE(added.count(), 0);
    QCOMPARE(manager->count(), 1);
    QCOMPARE(readBack(path_).size(), 1);
    QVERIFY(next.uploaded().isEmpty());
}

void TestHistoryStore::deletionAddressAndExpiryAreKept() {
    auto manager = managerOn(path_);
    HistoryRecord withDetails(at(2026, 12, 1, 8, 0, 0), QUrl("https://v.example/v/1"));
    withDetails.deleteUrl = QUrl("https://v.example/delete/1/secret");
    withDetails.expires = QDateTime(QDate(2027, 1, 1), QTime(8, 0), Qt::UTC);
    const HistoryRecord plain(at(2026, 12, 2, 8, 0, 0), QUrl("https://v.example/v/2"));
    manager->add(withDetails);
    manager->add(plain);
    const QList<HistoryRecord> read = readBack(path_);
    QCOMPARE(read.size(), qsizetype(2));
    QCOMPARE(read.at(0).deleteUrl, withDetails.deleteUrl);
    QCOMPARE(read.at(0).expires, withDetails.expires);
    QVERIFY(read.at(1).deleteUrl.isEmpty());
    QVERIFY(!read.at(1).expires.isValid());

    // Hand-edited values that are no web address or no date are dropped; the link stays.
    writeFile(path_ + ".edited", "[History]\n"
                                 "1\\Date=2024-03-07T18:30:00\n"
                                 "1\\Url=https://v.example/v/3\n"
                                 "1\\DeleteUrl=javascript:alert(1)\n"
                                 "1\\Expires=soon\n"
                                 "size=1\n");
    const QList<HistoryRecord> edited = readBack(path_ + ".edited");
    QCOMPARE(edited.size(), qsizetype(1));
    QCOMPARE(edited.at(0).url, QUrl("https://v.example/v/3"));
    QVERIFY(edited.at(0).deleteUrl.isEmpty());
    QVERIFY(!edited.at(0).expires.isValid());
}

int main(int argc, char** argv) {
    TestHistoryStore test;
    // The default settings store must land in a private folder, like the program's does
    // in ~/.config; this has to be decided before the first settings object exists.
    QTemporaryDir config;
    configHome = config.path();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Clipnest");
    QCoreApplication::setOrganizationDomain("clipnest.invalid");
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history_store.moc"
