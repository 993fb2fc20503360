// The countdown before a recording: its ticks, its end on the clock, cancelling and
// starting over, and the settings value it is read from.
#include "capture/Countdown.h"
#include "settings/AppSettings.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestCountdown : public QObject {
    Q_OBJECT
private slots:
    void countsDownAndEndsOnTheClock() {
        Countdown countdown;
        countdown.setLeadOut(150);
        QList<QPair<int, qint64>> ticks;
        qint64 endingAt = -1;
        qint64 finishedAt = -1;
        QElapsedTimer clock;
        connect(&countdown, &Countdown::remainingChanged, this, [&](int s) {
            ticks.append({s, clock.elapsed()});
        });
        connect(&countdown, &Countdown::endingSoon, this, [&] { endingAt = clock.elapsed(); });
        connect(&countdown, &Countdown::finished, this, [&] { finishedAt = clock.elapsed(); });
        clock.start();
        countdown.start(3);
        QVERIFY(countdown.isRunning());
        QCOMPARE(countdown.remaining(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(finishedAt >= 0, 6000);
        QVERIFY(!countdown.isRunning());

        // A loaded machine may deliver any of them late, never early: the clock is monotonic,
        // so only the lower bounds say something about the count itself.
        QCOMPARE(ticks.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(ticks[i].first, 3 - i);
            QVERIFY2(ticks[i].second >= i * 1000,
                     qPrintable(QStringLiteral("tick %1 at %2 ms").arg(i).arg(ticks[i].second)));
        }
        QVERIFY2(finishedAt >= 3000, qPrintable(QString::number(finishedAt)));
        QVERIFY2(endingAt >= 2850, qPrintable(QString::number(endingAt)));
        QVERIFY(endingAt < finishedAt);
    }

    void lateTicksDoNotPushTheEndBack() {
        // A busy event loop delays a tick by 900 ms. Counted from the late tick, the end would
        // come at 3900 ms; counted from the start it comes at 3000. A timer armed at the start
        // for 3600 ms tells the two apart by order alone: the event loop delivers expired
        // timers in the order they are due, however late it gets to them.
        Countdown countdown;
        QElapsedTimer clock;
        qint64 finishedAt = -1;
        bool referenceFirst = false;
        connect(&countdown, &Countdown::remainingChanged, this, [&](int s) {
            if (s == 2) {
                QElapsedTimer busy;
                busy.start();
                while (busy.elapsed() < 900) {
                }
            }
        });
        connect(&countdown, &Countdown::finished, this, [&] { finishedAt = clock.elapsed(); });
        QTimer reference;
        reference.setSingleShot(true);
        reference.setTimerType(Qt::PreciseTimer);
        connect(&reference, &QTimer::timeout, this, [&] { referenceFirst = finishedAt < 0; });
        clock.start();
        reference.start(3600);
        countdown.start(3);
        QTRY_VERIFY_WITH_TIMEOUT(finishedAt >= 0, 8000);
        QVERIFY2(finishedAt >= 3000, qPrintable(QString::number(finishedAt)));
        QVERIFY2(!referenceFirst, qPrintable(QString::number(finishedAt)));
    }

    void cancelledCountsNeverFinish() {
        Countdown countdown;
        countdown.setLeadOut(150);
        QSignalSpy finished(&countdown, &Countdown::finished);
        QSignalSpy ending(&countdown, &Countdown::endingSoon);
        QSignalSpy ticks(&countdown, &Countdown::remainingChanged);
        countdown.start(1);
        QTest::qWait(500);
        countdown.cancel();
        QVERIFY(!countdown.isRunning());
        QTest::qWait(1000);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(ending.count(), 0);
        QCOMPARE(ticks.count(), 1);
        countdown.cancel(); // nothing runs: nothing happens
        QCOMPARE(finished.count(), 0);
    }

    void startingOverRestartsTheCount() {
        Countdown countdown;
        QSignalSpy finished(&countdown, &Countdown::finished);
        QElapsedTimer clock;
        clock.start();
        countdown.start(2);
        QTest::qWait(1500);
        countdown.start(2); // the first count's end must not come
        QTest::qWait(1000);
        QCOMPARE(finished.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        // Never before the second count's end, measured on the monotonic clock.
        QVERIFY2(clock.elapsed() >= 3500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(300);
        QCOMPARE(finished.count(), 1);
    }

    void zeroFinishesWithoutATick() {
        Countdown countdown;
        QSignalSpy ticks(&countdown, &Countdown::remainingChanged);
        QSignalSpy finished(&countdown, &Countdown::finished);
        countdown.start(0);
        QCOMPARE(finished.count(), 0); // from the event loop, not inside start()
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(ticks.count(), 0);
    }

    void storedLengthFallsBackWhenBroken_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("seconds");
        QTest::newRow("missing") << QVariant() << 0;
        QTest::newRow("three") << QVariant(QStringLiteral("3")) << 3;
        QTest::newRow("ten") << QVariant(10) << 10;
        QTest::newRow("eleven") << QVariant(QStringLiteral("11")) << 0;
        QTest::newRow("negative") << QVariant(QStringLiteral("-2")) << 0;
        QTest::newRow("words") << QVariant(QStringLiteral("three")) << 0;
        QTest::newRow("fraction") << QVariant(QStringLiteral("2.5")) << 0;
        QTest::newRow("list") << QVariant(QStringList{QStringLiteral("3"), QStringLiteral("5")})
                              << 0;
    }

    void storedLengthFallsBackWhenBroken() {
        QFETCH(QVariant, stored);
        QFETCH(int, seconds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        {
            QSettings writer(path, QSettings::IniFormat);
            if (stored.isValid())
                writer.setValue(AppSettings::kCountdownSeconds, stored);
        }
        QSettings reader(path, QSettings::IniFormat);
        QCOMPARE(AppSettings::countdownSeconds(reader), seconds);
    }
};

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
