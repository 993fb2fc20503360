// The single-instance guard, with real processes: a helper process (this binary
// started again with --hold-guard) takes the guard and is then killed.
#include "app/InstanceGuard.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Keys are unique per test run so a real running program is never disturbed.
QString uniqueKey(const char* what) {
    return QStringLiteral("ClipnestTest-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(what));
}

int holdGuard(const QString& key, const QString& dir) {
    InstanceGuard guard(key, dir);
    if (!guard.acquire()) {
        std::printf("refused %s\n", qPrintable(guard.errorString()));
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

class GuardTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir lockDir_;

    // Starts a holder and waits until it reports that it owns the guard.
    void startHolder(QProcess& holder, const QString& key) {
        holder.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--hold-guard"), key, lockDir_.path()});
        QVERIFY2(holder.waitForStarted(10000), qPrintable(holder.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(holder.canReadLine() || holder.state() != QProcess::Running,
                                 20000);
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    }

private slots:
    void initTestCase() { QVERIFY(lockDir_.isValid()); }

    void secondGuardIsRefusedUntilTheFirstIsReleased() {
        const QString key = uniqueKey("inproc");
        InstanceGuard first(key, lockDir_.path());
        QVERIFY2(first.acquire(), qPrintable(first.errorString()));
        QVERIFY(first.ownsSegment());

        InstanceGuard second(key, lockDir_.path());
        QVERIFY(!second.acquire());
        QVERIFY(!second.isHeld());
        QVERIFY(second.errorString().contains(QLatin1String("Another instance")));

        first.release();
        QVERIFY2(second.acquire(), qPrintable(second.errorString()));
        QVERIFY(second.ownsSegment());
    }

    void liveProcessKeepsOthersOut() {
        const QString key = uniqueKey("live");
        QProcess holder;
        startHolder(holder, key);

        InstanceGuard guard(key, lockDir_.path());
        QVERIFY(!guard.acquire());
        QVERIFY(!guard.acquire()); // asking again changes nothing while it lives

        holder.terminate(); // SIGTERM: default action, the process dies without cleaning up
        QVERIFY(holder.waitForFinished(10000));
        // Taking and releasing the guard also removes the segment the holder left.
        QVERIFY(guard.acquire());
    }

    void killedHolderDoesNotLockTheUserOut() {
        const QString key = uniqueKey("killed");
        QProcess holder;
        startHolder(holder, key);

        ::kill(holder.processId(), SIGKILL);
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitStatus(), QProcess::CrashExit);

        // The killed holder's segment is still there (create refuses without attaching)...
        {
            QSharedMemory probe(key);
            QVERIFY(!probe.create(512));
            QCOMPARE(probe.error(), QSharedMemory::AlreadyExists);
        }
        // ...and yet the next start gets the guard and a fresh segment of its own.
        InstanceGuard guard(key, lockDir_.path());
        QVERIFY2(guard.acquire(), qPrintable(guard.errorString()));
        QVERIFY(guard.ownsSegment());

        // The freshly started instance keeps yet another process out again.
        QProcess third;
        third.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--hold-guard"), key, lockDir_.path()});
        QVERIFY(third.waitForFinished(20000));
        QCOMPARE(third.exitCode(), 1);
        QVERIFY(third.readAllStandardOutput().startsWith("refused"));
    }

    void unusableLockFolderFallsBackToTheSegment() {
        const QString key = uniqueKey("nofolder");
        const QString missing = lockDir_.filePath(QStringLiteral("does/not/exist"));
        InstanceGuard first(key, missing);
        QVERIFY2(first.acquire(), qPrintable(first.errorString()));
        QVERIFY(first.ownsSegment());
        InstanceGuard second(key, missing);
        QVERIFY(!second.acquire());
        first.release();
        QVERIFY(second.acquire());
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--hold-guard") == 0) {
        QCoreApplication app(argc, argv);
        return holdGuard(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    GuardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_instance_guard.moc"
