// The bound on the space kept recordings take, as the program applies it: after each change of
// the recordings and when the bound changes, with the user's answer to the one question, on
// real files in a private recordings folder.
#include "app/AppIdentity.h"
#include "app/KeptSpaceGuard.h"
#include "history/HistoryManager.h"
#include "history/RecordingStore.h"
#include "history/UploadedLinks.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 kMiB = 1024 * 1024;
const QDateTime kNoon(QDate(2026, 3, 5), QTime(12, 0, 0));

struct Question {
    int count;
    qint64 bytes;
    qint64 bound;
};

} // namespace

class KeptSpaceGuardTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int cases_ = 0;
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<HistoryManager> history_;
    std::unique_ptr<KeptSpaceGuard> guard_;
    QList<Question> asked_;
    bool answer_ = false;

    void setBound(int mib) {
        QSettings().setValue(QStringLiteral("Kept recordings limit MiB"), mib);
    }

    QString record(int minute, qint64 bytes) {
        const QString path = store_->reserve(kNoon.addSecs(60 * minute)).filePath;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(bytes))
            return {};
        f.close();
        store_->setState(path, RecordingState::NotUploaded);
        return path;
    }
    // The service takes it and the history gets the link, as after an upload.
    void upload(const QString& path, int n) {
        store_->queueUpload(path, QUrl(QStringLiteral("http://service.test/up")), -1);
        store_->markUploaded(path, QStringLiteral("https://videos.test/v/%1").arg(n),
                             kNoon.addDays(1).addSecs(n));
        UploadedLinks::settle(*store_, *history_);
    }
    // Lets the checks that the changes scheduled run.
    void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

private slots:
    void init() {
        setBound(0);
        const QString folder = dir_.path() + QStringLiteral("/rec-%1").arg(++cases_);
        store_ = std::make_unique<RecordingStore>(folder);
        QVERIFY(store_->open().isEmpty());
        history_ = std::make_unique<HistoryManager>(
            std::make_unique<QSettings>(folder + QStringLiteral(".ini"), QSettings::IniFormat));
        guard_ = std::make_unique<KeptSpaceGuard>(store_.get(), nullptr);
        asked_.clear();
        guard_->setAsk([this](int count, qint64 bytes, qint64 bound) {
            asked_.append({count, bytes, bound});
            return answer_;
        });
    }

    void cleanup() {
        guard_.reset();
        store_.reset();
        history_.reset();
    }

    // Without a bound nothing goes, however much is kept.
    void noBoundKeepsEverything() {
        const QString a = record(0, 2 * kMiB);
        upload(a, 1);
        settle();
        guard_->check();
        QVERIFY(QFile::exists(a));
        QVERIFY(asked_.isEmpty());
    }

    // The bound is passed after an upload: the oldest uploaded go, the one saved elsewhere
    // without a word, the only copy after the question; No keeps it and is not asked again
    // until the bound changes; recordings not uploaded never go.
    void uploadedOnesGoOldestFirstAfterTheQuestion() {
        setBound(3);
        const QString notUploaded = record(0, 2 * kMiB); // the oldest, never a candidate
        const QString saved = record(1, 1 * kMiB);
        const QString onlyCopy = record(2, 1 * kMiB);
        const QString newest = record(3, 1 * kMiB);
        store_->markSaved(saved);
        settle();
        QVERIFY(asked_.isEmpty()); // 5 MiB, but nothing uploaded: nothing may go
        upload(saved, 1);
        upload(onlyCopy, 2);
        QSignalSpy letGo(guard_.get(), &KeptSpaceGuard::letGo);
        answer_ = false;
        upload(newest, 3);

        // 5 MiB kept, 3 allowed: the saved one and the only copy would make room.
        QTRY_COMPARE(asked_.size(), 1);
        QCOMPARE(asked_.first().count, 1);
        QCOMPARE(asked_.first().bytes, 1 * kMiB);
        QCOMPARE(asked_.first().bound, 3 * kMiB);
        QTRY_VERIFY(!QFile::exists(saved));
        QVERIFY(QFile::exists(onlyCopy));
        QVERIFY(QFile::exists(notUploaded));
        QVERIFY(QFile::exists(newest));
        QCOMPARE(letGo.size(), 1);
        QCOMPARE(letGo.first().first().toStringList(), QStringList{saved});
        QVERIFY(!store_->contains(saved));
        // Its link stays in the history.
        QCOMPARE(history_->count(), 3);

        // Another change that needs no other recording to go: the answer stands.
        store_->markSaved(notUploaded);
        settle();
        QCOMPARE(asked_.size(), 1);
        QVERIFY(QFile::exists(onlyCopy));

        // The bound changes: asked again, about both that must go now; Yes lets them go.
        setBound(2);
        answer_ = true;
        guard_->boundChanged();
        QTRY_COMPARE(asked_.size(), 2);
        QCOMPARE(asked_.last().count, 2);
        QCOMPARE(asked_.last().bytes, 2 * kMiB);
        QTRY_VERIFY(!QFile::exists(onlyCopy) && !QFile::exists(newest));
        QVERIFY(!store_->contains(onlyCopy));
        // The recording that was never uploaded stays, even alone at the bound.
        QVERIFY(QFile::exists(notUploaded));
        QCOMPARE(letGo.size(), 2);
        QCOMPARE(history_->count(), 3);

        // Passed by what is not uploaded only: nothing to ask, nothing goes.
        setBound(1);
        guard_->boundChanged();
        settle();
        QCOMPARE(asked_.size(), 2);
        QVERIFY(QFile::exists(notUploaded));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    AppIdentity::apply();
    QApplication app(argc, argv);
    KeptSpaceGuardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kept_space_guard.moc"
