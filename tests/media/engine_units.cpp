#include "media/engine/BoundedQueue.h"
#include "media/engine/Timing.h"

#include <QRandomGenerator>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace engine;

class EngineUnits : public QObject {
    Q_OBJECT
private slots:
    void evenSizePadsOddSides_data();
    void evenSizePadsOddSides();
    void captureClockCountsMissedTicks();
    void gapsAreFilledByThePreviousPicture();
    void soundPlacementKeepsStepWithTheClock();
    void soundPlacementOverManyChunksHasNoDrift();
    void soundAlignerKeepsJitteryBlocksContinuous();
    void soundAlignerFollowsDriftAndJumps();
    void boundedQueueRefusesWhenFullAndDrainsAfterClose();
    void boundedQueueBlocksProducerUntilRoom();
    void twoLaneQueueBoundsEachLaneAndPrefersSound();
};

void EngineUnits::evenSizePadsOddSides_data() {
    QTest::addColumn<QSize>("in");
    QTest::addColumn<QSize>("out");
    QTest::newRow("even") << QSize(1920, 1080) << QSize(1920, 1080);
    QTest::newRow("odd both") << QSize(101, 57) << QSize(102, 58);
    QTest::newRow("one pixel") << QSize(1, 1) << QSize(2, 2);
    QTest::newRow("odd width") << QSize(3, 4) << QSize(4, 4);
    QTest::newRow("empty stays") << QSize(0, 5) << QSize(0, 5);
}

void EngineUnits::evenSizePadsOddSides() {
    QFETCH(QSize, in);
    QFETCH(QSize, out);
    QCOMPARE(evenSize(in), out);
}

void EngineUnits::captureClockCountsMissedTicks() {
    const int64_t period = 50000;
    // On time: tick 3 due at 150 ms, now 160 ms.
    QCOMPARE(missedTicks(160000, 3, period), int64_t(0));
    // Early wake-up never counts as missed.
    QCOMPARE(missedTicks(10000, 3, period), int64_t(0));
    // A grab that took 130 ms: at 280 ms ticks 3, 4 have passed; tick 5 (250 ms) is due.
    QCOMPARE(missedTicks(280000, 3, period), int64_t(2));
    // Exactly on the next tick's time.
    QCOMPARE(missedTicks(200000, 3, period), int64_t(1));
}

void EngineUnits::gapsAreFilledByThePreviousPicture() {
    QCOMPARE(repeatsBefore(-1, 0), int64_t(0)); // first picture
    QCOMPARE(repeatsBefore(-1, 7), int64_t(0)); // late first picture: nothing to repeat
    QCOMPARE(repeatsBefore(4, 5), int64_t(0));  // consecutive
    QCOMPARE(repeatsBefore(4, 8), int64_t(3));  // ticks 5, 6, 7 show picture 4
    QCOMPARE(repeatsBefore(9, 9), int64_t(0));  // a duplicate tick fills nothing
}

void EngineUnits::soundPlacementKeepsStepWithTheClock() {
    const int64_t tol = 2646; // 60 ms at 44.1 kHz
    // Within the tolerance: taken as it is.
    SoundPlacement p = placeSound(44100, 44100 + 1000, 882, tol);
    QCOMPARE(p.silenceBefore, int64_t(0));
    QCOMPARE(p.skip, int64_t(0));
    // Half a second late (the microphone started late): silence first.
    p = placeSound(0, 22050, 882, tol);
    QCOMPARE(p.silenceBefore, int64_t(22050));
    QCOMPARE(p.skip, int64_t(0));
    // Sound from before the start of the recording: its early part is dropped.
    p = placeSound(0, -4410, 8820, tol);
    QCOMPARE(p.skip, int64_t(4410));
    // Entirely old: dropped whole, never more than its length.
    p = placeSound(100000, 10000, 882, tol);
    QCOMPARE(p.skip, int64_t(882));
    QCOMPARE(p.silenceBefore, int64_t(0));
}

void EngineUnits::soundPlacementOverManyChunksHasNoDrift() {
    // A sound card running 0.1 % fast against the capture clock for ten minutes: by placing
    // every chunk, the written position never strays more than the tolerance from the clock.
    const int64_t rate = 44100, chunk = 882, tol = 2646;
    int64_t written = 0;
    double cardTime = 0; // seconds on the capture clock of the next chunk's start
    for (int i = 0; i < 30000; ++i) {
        const int64_t start = int64_t(cardTime * rate);
        const SoundPlacement p = placeSound(written, start, chunk, tol);
        written += p.silenceBefore + (chunk - p.skip);
        cardTime += double(chunk) / rate / 1.001;
        QVERIFY2(qAbs(written - int64_t(cardTime * rate)) <= tol + chunk,
                 qPrintable(QString::number(i)));
    }
}

void EngineUnits::soundAlignerKeepsJitteryBlocksContinuous() {
    // A source delivering 2 s blocks whose timestamps jitter by up to 100 ms: after the first
    // block the sound is written without a single gap or cut.
    const int64_t rate = 44100, block = 2 * rate;
    SoundAligner aligner(rate * 60 / 1000, rate / 2, rate * 10);
    QRandomGenerator random(7);
    int64_t written = 0;
    for (int i = 0; i < 60; ++i) {
        const int64_t jitter = int64_t((random.generateDouble() - 0.5) * 0.2 * double(rate));
        const int64_t start = rate / 3 + i * block + jitter;
        const SoundPlacement p = aligner.place(written, start, block);
        if (i == 0) {
            QCOMPARE(p.silenceBefore, start); // the first block is placed where it belongs
        } else {
            QVERIFY2(p.silenceBefore == 0 && p.skip == 0, qPrintable(QString::number(i)));
        }
        written += p.silenceBefore + block - p.skip;
    }
}

void EngineUnits::soundAlignerFollowsDriftAndJumps() {
    const int64_t rate = 44100, chunk = 882, tol = rate * 60 / 1000;
    SoundAligner aligner(tol, rate / 2, rate * 10);
    // A sound card 0.2 % slow for ten minutes: silence is inserted now and then, and the
    // written sound never strays far from the clock.
    int64_t written = 0;
    double clock = 0;
    int64_t inserted = 0;
    for (int i = 0; i < 30000; ++i) {
        const SoundPlacement p = aligner.place(written, int64_t(clock * rate), chunk);
        inserted += p.silenceBefore;
        written += p.silenceBefore + chunk - p.skip;
        clock += double(chunk) / rate * 1.002;
        QVERIFY2(qAbs(written - int64_t(clock * rate)) <= 2 * tol + chunk,
                 qPrintable(QString::number(i)));
    }
    QVERIFY(inserted > rate); // 0.2 % of ten minutes is 1.2 s
    // The source was gone for three seconds: the gap is filled at once.
    const SoundPlacement gap = aligner.place(written, written + 3 * rate, chunk);
    QCOMPARE(gap.silenceBefore, 3 * rate);
    // Sound from the past (an old buffer after a reconnection) is dropped at once.
    const SoundPlacement old = aligner.place(written, written - rate, chunk);
    QCOMPARE(old.skip, chunk);
}

void EngineUnits::boundedQueueRefusesWhenFullAndDrainsAfterClose() {
    BoundedQueue<std::unique_ptr<int>> q(2);
    auto a = std::make_unique<int>(1), b = std::make_unique<int>(2), c = std::make_unique<int>(3);
    QVERIFY(q.tryPush(a));
    QVERIFY(q.tryPush(b));
    QVERIFY(q.full());
    QVERIFY(!q.tryPush(c));
    QVERIFY(c); // a refused item stays with the caller
    q.close();
    QVERIFY(!q.tryPush(c));
    std::unique_ptr<int> out;
    QVERIFY(q.pop(out));
    QCOMPARE(*out, 1);
    QVERIFY(q.pop(out));
    QCOMPARE(*out, 2);
    QVERIFY(!q.pop(out));
}

void EngineUnits::boundedQueueBlocksProducerUntilRoom() {
    BoundedQueue<int> q(1);
    int first = 1;
    QVERIFY(q.push(first));
    std::atomic<bool> pushed{false};
    std::thread producer([&] {
        int second = 2;
        q.push(second);
        pushed = true;
    });
    // The producer cannot get past a full queue until the consumer takes an item.
    QTest::qWait(100);
    QVERIFY(!pushed.load());
    int out = 0;
    QVERIFY(q.pop(out));
    QCOMPARE(out, 1);
    QVERIFY(q.pop(out));
    QCOMPARE(out, 2);
    producer.join();
    QVERIFY(pushed.load());

    // close() releases a producer that waits for room.
    int third = 3;
    QVERIFY(q.push(third));
    std::thread blocked([&] {
        int fourth = 4;
        pushed = q.push(fourth);
    });
    q.close();
    blocked.join();
    QVERIFY(!pushed.load());
}

void EngineUnits::twoLaneQueueBoundsEachLaneAndPrefersSound() {
    TwoLaneQueue<int, int> q(1, 3);
    int picture = 10;
    QVERIFY(q.pushA(picture));
    for (int i = 0; i < 3; ++i) {
        int sound = 20 + i;
        QVERIFY(q.pushB(sound)); // the sound lane has its own room
    }
    int a = -1, b = -1;
    QVERIFY(q.pop(&a, &b));
    QCOMPARE(b, 20);
    QCOMPARE(a, -1);
    b = -1;
    QVERIFY(q.pop(&a, &b));
    QVERIFY(q.pop(&a, &b));
    QCOMPARE(b, 22);
    b = -1;
    QVERIFY(q.pop(&a, &b));
    QCOMPARE(a, 10);
    q.close();
    QVERIFY(!q.pop(&a, &b));
}

QTEST_GUILESS_MAIN(EngineUnits)
#include "engine_units.moc"
