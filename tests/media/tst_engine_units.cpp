#include "mp4_readback.h"

#include "media/RecordingRecovery.h"
#include "media/engine/Bgr0ToI420.h"
#include "media/engine/BoundedQueue.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/OutputFile.h"
#include "media/engine/PictureCopies.h"
#include "media/engine/PointerOverlay.h"
#include "media/engine/SessionClock.h"
#include "media/engine/SoundMixer.h"
#include "media/engine/Timing.h"
#include "media/engine/UnchangedBlocks.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

using namespace engine;

class EngineUnits : public QObject {
    Q_OBJECT
private slots:
    void evenSizePadsOddSides_data();
    void evenSizePadsOddSides();
    void captureClockCountsMissedTicks();
    void soundPlacementKeepsStepWithTheClock();
    void soundPlacementOverManyChunksHasNoDrift();
    void soundAlignerKeepsJitteryBlocksContinuous();
    void soundAlignerDropsWhatCameBeforeTheStart();
    void soundAlignerFollowsDriftSmoothlyAndJumpsGaps();
    void pauseTimelineTakesThePausesOut();
    void sessionClockHoldsTimeWhilePausedAndWakesEveryWaiterAtTheStop();
    void pauseCutterJoinsSoundWithoutGapOrClick_data();
    void pauseCutterJoinsSoundWithoutGapOrClick();
    void soundMixerAddsInputsAtTheirLevelsWithoutClipping();
    void soundMixerDoesNotWaitForAnInputFarBehind();
    void boundedQueueRefusesWhenFullAndDrainsAfterClose();
    void boundedQueueBlocksProducerUntilRoom();
    void twoLaneQueueBoundsEachLaneAndPrefersSound();
    void changedRowsConvertLikeTheWholePicture();
    void unchangedBlocksAreExactlyThoseWithoutAChange_data();
    void unchangedBlocksAreExactlyThoseWithoutAChange();
    void pictureCopiesAlwaysHoldTheWholeScreen();
    void refusedEncoderSettingsAreReportedReadably();
    void pointerIsBlendedAtItsHotSpot();
    void clickRingsGrowFadeAndEnd();
    void screenConverterMatchesLibswscale_data();
    void screenConverterMatchesLibswscale();
    void recoveryShowsTheLastPictureUntilTheSoundEnds();
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

namespace {
// The aligner's settings as a recording uses them: jumps beyond half a second, a 10 s
// average worked off over 20 s, at most 0.5 % faster or slower.
SoundAligner recordingAligner(int64_t rate) {
    SoundAligner::Limits limits;
    limits.jump = rate / 2;
    limits.window = rate * 10;
    limits.horizon = rate * 20;
    limits.maxStretch = 0.005;
    return SoundAligner(limits);
}
} // namespace

void EngineUnits::soundAlignerKeepsJitteryBlocksContinuous() {
    // A source delivering 2 s blocks whose timestamps jitter by up to 100 ms: after the first
    // block the sound is written without a single gap or cut, and its speed hardly changes.
    const int64_t rate = 44100, block = 2 * rate;
    SoundAligner aligner = recordingAligner(rate);
    QRandomGenerator random(7);
    double written = 0;
    for (int i = 0; i < 60; ++i) {
        const int64_t jitter = int64_t((random.generateDouble() - 0.5) * 0.2 * double(rate));
        const int64_t start = rate / 3 + i * block + jitter;
        const SoundPlacement p = aligner.place(int64_t(written), start, block);
        if (i == 0) {
            QCOMPARE(p.silenceBefore, start); // the first block is placed where it belongs
        } else {
            QVERIFY2(p.silenceBefore == 0 && p.skip == 0, qPrintable(QString::number(i)));
            QVERIFY2(qAbs(p.stretch) <= 0.004, qPrintable(QString::number(p.stretch)));
        }
        written += double(p.silenceBefore) + double(block - p.skip) * (1 + p.stretch);
        QVERIFY2(qAbs(written - double(rate / 3 + (i + 1) * block)) < 0.1 * rate,
                 qPrintable(QString::number(i)));
    }
}

void EngineUnits::soundAlignerDropsWhatCameBeforeTheStart() {
    // A source hands over a second and a half it had buffered, in pieces stamped alike, and
    // then sound of the recording: the old pieces go, the first new one is placed exactly.
    const int64_t rate = 44100, piece = 8000, next = 1105;
    SoundAligner aligner = recordingAligner(rate);
    for (int i = 0; i < 8; ++i) {
        const SoundPlacement p = aligner.place(next, -9250, piece);
        QCOMPARE(p.skip, piece);
        QCOMPARE(p.silenceBefore, int64_t(0));
    }
    const SoundPlacement first = aligner.place(next, -2000, piece);
    QCOMPARE(first.skip, next + 2000);
    // From then on the stream is continuous, even when its stamps wobble by 70 ms.
    const SoundPlacement later = aligner.place(next + 6000, next + 6000 + rate * 7 / 100, piece);
    QCOMPARE(later.skip, int64_t(0));
    QCOMPARE(later.silenceBefore, int64_t(0));
}

void EngineUnits::soundAlignerFollowsDriftSmoothlyAndJumpsGaps() {
    const int64_t rate = 44100, chunk = 882;
    SoundAligner aligner = recordingAligner(rate);
    // A sound card 0.1 % slow for ten minutes: no silence and no cut after the first chunk;
    // the sound is played that much slower instead, and stays within 30 ms of the clock
    // once the first half minute has shown the drift.
    double written = 0;
    double clock = 0;
    double worst = 0;
    for (int i = 0; i < 30000; ++i) {
        const SoundPlacement p = aligner.place(int64_t(written), int64_t(clock * rate), chunk);
        if (i > 0)
            QVERIFY2(p.silenceBefore == 0 && p.skip == 0, qPrintable(QString::number(i)));
        written += double(p.silenceBefore) + double(chunk - p.skip) * (1 + p.stretch);
        clock += double(chunk) / rate * 1.001;
        if (clock > 30)
            worst = std::max(worst, qAbs(written - clock * rate));
    }
    QVERIFY2(worst <= 0.030 * rate, qPrintable(QString::number(worst / rate * 1000) + " ms"));
    // The source was gone for three seconds: the gap is filled at once.
    const SoundPlacement gap = aligner.place(int64_t(written), int64_t(written) + 3 * rate, chunk);
    QCOMPARE(gap.silenceBefore, 3 * rate);
    // Sound from the past (an old buffer after a reconnection) is dropped at once.
    const SoundPlacement old = aligner.place(int64_t(written), int64_t(written) - rate, chunk);
    QCOMPARE(old.skip, chunk);
}

void EngineUnits::sessionClockHoldsTimeWhilePausedAndWakesEveryWaiterAtTheStop() {
    SessionClock clock;
    clock.start();
    // The capture thread waits on the recording's time, a lost sound input on the clock's: a
    // stop has to wake both however far off their moments are.
    const int64_t anHour = int64_t(3600) * 1000000;
    std::atomic<int> captureWoke{0};
    std::atomic<int> silenceWoke{0};
    std::thread capture([&] { captureWoke = clock.waitForRecordingTime(anHour) ? 1 : 2; });
    std::thread silence([&] { silenceWoke = clock.waitUntilOrStop(anHour) ? 1 : 2; });

    QVERIFY(clock.pause());
    QVERIFY(!clock.pause());
    const int64_t held = clock.recordingNowUs();
    QTest::qWait(30);
    QCOMPARE(clock.recordingNowUs(), held);
    QCOMPARE(clock.stopAtUs(), int64_t(-1));

    // A stop during the pause ends the recording where the pause began.
    QVERIFY(clock.requestStop(true));
    QVERIFY(!clock.requestStop(true));
    QCOMPARE(clock.stopAtUs(), held);
    const SessionClock::Snapshot snapshot = clock.snapshot();
    QCOMPARE(snapshot.stopAtUs, held);
    QVERIFY(snapshot.pauses.paused());
    QCOMPARE(clock.pausedUs(), snapshot.stopClockUs - held);
    QVERIFY(!clock.resume());

    capture.join();
    silence.join();
    QCOMPARE(captureWoke.load(), 2);
    QCOMPARE(silenceWoke.load(), 2);
    QVERIFY(!clock.waitForRecordingTime(0));
}

void EngineUnits::pauseTimelineTakesThePausesOut() {
    PauseTimeline t;
    QVERIFY(!t.resume(10));
    QVERIFY(t.pause(1000000));
    QVERIFY(!t.pause(1100000));
    QVERIFY(t.paused());
    QVERIFY(t.resume(3000000));
    QVERIFY(t.pause(5000000));
    QCOMPARE(t.pausedUs(), int64_t(2000000));
    QCOMPARE(t.toRecording(500000), int64_t(500000));
    // Inside a pause the recording's time stands at the pause's start.
    QCOMPARE(t.toRecording(2000000), int64_t(1000000));
    QCOMPARE(t.toRecording(3000000), int64_t(1000000));
    QCOMPARE(t.toRecording(4000000), int64_t(2000000));
    QCOMPARE(t.toRecording(9000000), int64_t(3000000));
    QVERIFY(t.resume(6000000));
    QCOMPARE(t.toRecording(7000000), int64_t(4000000));
}

void EngineUnits::pauseCutterJoinsSoundWithoutGapOrClick_data() {
    QTest::addColumn<bool>("soundDuringPause");
    // The source goes on delivering while paused (the usual case), or nothing at all comes
    // in meanwhile (a source that was lost): the sound after the resume then fades in from
    // silence.
    QTest::newRow("sound during the pause") << true;
    QTest::newRow("nothing during the pause") << false;
}

void EngineUnits::pauseCutterJoinsSoundWithoutGapOrClick() {
    QFETCH(bool, soundDuringPause);
    const int rate = 44100;
    const int channels = 2;
    const double amplitude = 0.5;
    const double hz = 440;
    // Pause and resume at odd moments, so that neither falls on a chunk's edge.
    const int64_t pauseAt = 1001300;
    const int64_t resumeAt = 2507100;
    const int chunk = rate / 50;
    PauseTimeline timeline;
    PauseCutter cutter(rate, channels, rate / 100);
    std::vector<float> kept;
    QStringList jumps;
    for (int64_t first = 0; first < 4 * rate; first += chunk) {
        const int64_t startUs = first * 1000000 / rate;
        // A chunk is read once its last sample was recorded: by then the pause (or the
        // resume) that came before that sample is known.
        const int64_t arrivesUs = (first + chunk) * 1000000 / rate;
        if (arrivesUs > pauseAt && timeline.pauses().empty())
            timeline.pause(pauseAt);
        if (arrivesUs > resumeAt && timeline.paused())
            timeline.resume(resumeAt);
        if (!soundDuringPause && startUs >= pauseAt + 30000 && startUs < resumeAt - 30000)
            continue;
        std::vector<float> samples(size_t(chunk) * channels);
        for (int i = 0; i < chunk; ++i)
            for (int c = 0; c < channels; ++c)
                samples[size_t(i) * channels + size_t(c)] =
                    float(amplitude * std::sin(2 * M_PI * hz * double(first + i) / rate));
        const int64_t at = cutter.cut(timeline, startUs, samples);
        if (samples.empty())
            continue;
        // What is kept follows on in recording time without a gap.
        const int64_t expectedUs = int64_t(kept.size() / channels) * 1000000 / rate;
        if (std::abs(at - expectedUs) > 1000000 / rate + 1)
            jumps << QStringLiteral("%1 at %2 us, want %3").arg(first).arg(at).arg(expectedUs);
        kept.insert(kept.end(), samples.begin(), samples.end());
    }
    QVERIFY2(jumps.isEmpty(), qPrintable(jumps.join("; ")));
    const int64_t frames = int64_t(kept.size()) / channels;
    const int64_t pausedFrames = (resumeAt - pauseAt) * rate / 1000000;
    QVERIFY2(
        std::abs(frames - (4 * rate - pausedFrames)) <= 2,
        qPrintable(
            QStringLiteral("%1 frames kept, want %2").arg(frames).arg(4 * rate - pausedFrames)));
    // Up to the pause the sound is untouched; after the fade it is the source's, moved by
    // the pause.
    // The first samples recorded at or after the pause and the resume.
    auto firstAt = [rate](int64_t us) {
        int64_t m = us * rate / 1000000;
        while (m * 1000000 / rate < us)
            ++m;
        return m;
    };
    const int64_t joinFrame = firstAt(pauseAt);
    for (int64_t n = 0; n < joinFrame - 1; n += 97)
        QVERIFY(std::abs(kept[size_t(n) * channels] -
                         float(amplitude * std::sin(2 * M_PI * hz * double(n) / rate))) < 1e-5f);
    const int64_t shift = firstAt(resumeAt) - joinFrame;
    for (int64_t n = joinFrame + rate / 100 + 2; n < frames; n += 97)
        QVERIFY2(std::abs(kept[size_t(n) * channels] -
                          float(amplitude * std::sin(2 * M_PI * hz * double(n + shift) / rate))) <
                     2e-3f,
                 qPrintable(QString::number(n)));
    // No click: no step between samples is much larger than the sine's own steepest.
    const double steepest = amplitude * 2 * M_PI * hz / rate;
    double worst = 0;
    for (int64_t n = 1; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            worst = std::max(worst, double(std::abs(kept[size_t(n) * channels + c] -
                                                    kept[size_t(n - 1) * channels + c])));
    QVERIFY2(
        worst <= steepest * 1.3,
        qPrintable(QStringLiteral("step %1, the sine's steepest %2").arg(worst).arg(steepest)));
}

namespace {
// Amplitude of the `hz` component of a mono signal (Goertzel over the whole signal).
double toneAmplitude(const std::vector<float>& mono, int rate, double hz) {
    const double w = 2 * M_PI * hz / rate;
    double re = 0, im = 0;
    for (size_t n = 0; n < mono.size(); ++n) {
        re += mono[n] * std::cos(w * double(n));
        im -= mono[n] * std::sin(w * double(n));
    }
    return 2 * std::sqrt(re * re + im * im) / double(mono.size());
}
} // namespace

void EngineUnits::soundMixerAddsInputsAtTheirLevelsWithoutClipping() {
    const int rate = 44100;
    SoundAligner::Limits limits;
    limits.jump = rate / 2;
    limits.window = rate * 10;
    limits.horizon = rate * 20;
    limits.maxStretch = 0.005;
    // Two loud tones: added as they are they would reach 1.6, far beyond full scale.
    SoundMixer mixer(rate, 1, {1.0f, 0.5f}, limits);
    const double a = 0.8, b = 0.8;
    std::vector<float> out;
    int64_t next = 0;
    int64_t madeA = 0, madeB = 0;
    // The inputs come in pieces of different sizes, as two sound cards deliver them.
    for (int round = 0; round < 100; ++round) {
        for (int piece = 0; piece < 2; ++piece) {
            const int frames = piece == 0 ? 882 : 1323;
            int64_t& made = piece == 0 ? madeA : madeB;
            if (made >= 2 * rate)
                continue;
            std::vector<float> s(static_cast<size_t>(frames));
            for (int i = 0; i < frames; ++i)
                s[size_t(i)] =
                    float(piece == 0 ? a * std::sin(2 * M_PI * 440 * double(made + i) / rate)
                                     : b * std::sin(2 * M_PI * 1000 * double(made + i) / rate));
            QVERIFY(mixer.add(piece, s.data(), frames, made, next));
            made += frames;
            next += mixer.take(out, false);
        }
    }
    next += mixer.take(out, true);
    QVERIFY2(std::abs(int64_t(out.size()) - 2 * rate) < rate / 50,
             qPrintable(QString::number(out.size())));
    float peak = 0;
    for (float v : out)
        peak = std::max(peak, std::fabs(v));
    // About 1 dB of room stays for the encoder, whose rebuilt waves overshoot.
    QVERIFY2(peak <= 0.89f + 1e-6f, qPrintable(QString::number(peak)));
    QVERIFY2(peak > 0.85f, qPrintable(QString::number(peak)));
    // Both tones are there; the second at half its level, as set (the limiter turns both down
    // alike).
    const double at440 = toneAmplitude(out, rate, 440);
    const double at1000 = toneAmplitude(out, rate, 1000);
    QVERIFY2(at440 > 0.3 && at1000 > 0.15,
             qPrintable(QStringLiteral("440 Hz %1, 1000 Hz %2").arg(at440).arg(at1000)));
    QVERIFY2(std::abs(at1000 / at440 - 0.5) < 0.1,
             qPrintable(QStringLiteral("440 Hz %1, 1000 Hz %2").arg(at440).arg(at1000)));
    // Only the end, where the second input went on a little longer, had the first missing.
    QVERIFY2(mixer.paddedFrames() <= 1323, qPrintable(QString::number(mixer.paddedFrames())));
}

void EngineUnits::soundMixerDoesNotWaitForAnInputFarBehind() {
    const int rate = 8000;
    SoundAligner::Limits limits;
    limits.jump = rate / 2;
    limits.window = rate * 10;
    limits.horizon = rate * 20;
    SoundMixer mixer(rate, 1, {1.0f, 1.0f}, limits);
    std::vector<float> out;
    std::vector<float> ones(size_t(rate), 0.25f);
    int64_t next = 0;
    // Only the first input delivers: the mix waits a while, then goes on without the other.
    for (int second = 0; second < 5; ++second) {
        QVERIFY(mixer.add(0, ones.data(), rate, int64_t(second) * rate, next));
        next += mixer.take(out, false);
        if (second < 2)
            QCOMPARE(next, int64_t(0));
    }
    QVERIFY2(next >= 2 * rate && next <= 3 * rate, qPrintable(QString::number(next)));
    QVERIFY(mixer.paddedFrames() > 0);
    QVERIFY(std::abs(out[size_t(rate / 2)] - 0.25f) < 1e-3f);
    // The mix does not start with a jump to the level the sound is at, it rises to it within
    // a few milliseconds.
    QVERIFY2(std::abs(out[0]) < 0.01f, qPrintable(QString::number(out[0])));
    for (size_t i = 1; i < size_t(rate / 100); ++i)
        QVERIFY2(out[i] >= out[i - 1] && out[i] - out[i - 1] < 0.05f,
                 qPrintable(QStringLiteral("%1 after %2").arg(out[i]).arg(out[i - 1])));
    QVERIFY(std::abs(out[size_t(rate / 100)] - 0.25f) < 1e-3f);
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

// The screen converter replaces libswscale for unscaled pictures, so libswscale is the
// reference. An odd picture is compared with libswscale's result for the picture with its
// edge column and row repeated: that is the picture the encoder gets after padding, and at
// an exact 2:1 chroma ratio libswscale filters it the same way.
void EngineUnits::screenConverterMatchesLibswscale_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("random");
    QTest::newRow("full HD random") << QSize(1920, 1080) << true;
    QTest::newRow("full HD gradient") << QSize(1920, 1080) << false;
    QTest::newRow("odd random") << QSize(101, 57) << true;
    QTest::newRow("odd gradient") << QSize(333, 191) << false;
    QTest::newRow("odd width") << QSize(17, 8) << true;
    QTest::newRow("odd height") << QSize(16, 9) << true;
    QTest::newRow("one pixel") << QSize(1, 1) << true;
    QTest::newRow("thin") << QSize(40, 8) << true;
    // Pictures only a few rows high are left out: there libswscale shortens its chroma filter
    // and is no longer a fair reference.
}

void EngineUnits::screenConverterMatchesLibswscale() {
    QFETCH(QSize, size);
    QFETCH(bool, random);
    const int w = size.width(), h = size.height();
    const QSize even = evenSize(size);
    QRandomGenerator rng(uint32_t(w * 7919 + h));
    // Source rows carry padding with garbage in it, as a grabber's rows may.
    const int srcStride = w * 4 + 20;
    std::vector<uint8_t> src(size_t(srcStride) * size_t(h));
    for (auto& byte : src)
        byte = uint8_t(rng.bounded(256));
    if (!random) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &src[size_t(y) * srcStride + size_t(x) * 4];
                p[0] = uint8_t(x * 255 / std::max(1, w - 1));
                p[1] = uint8_t(y * 255 / std::max(1, h - 1));
                p[2] = uint8_t((x + y) * 255 / std::max(1, w + h - 2));
            }
        }
    }

    // Reference: the edge-padded picture through libswscale.
    const int refStride = even.width() * 4;
    std::vector<uint8_t> padded(size_t(refStride) * size_t(even.height()));
    for (int y = 0; y < even.height(); ++y)
        for (int x = 0; x < even.width(); ++x)
            std::memcpy(
                &padded[size_t(y) * refStride + size_t(x) * 4],
                &src[size_t(std::min(y, h - 1)) * srcStride + size_t(std::min(x, w - 1)) * 4], 4);
    SwsPtr scaler(sws_getContext(even.width(), even.height(), AV_PIX_FMT_BGR0, even.width(),
                                 even.height(), AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr,
                                 nullptr));
    QVERIFY(scaler);
    FramePtr ref(av_frame_alloc());
    ref->format = AV_PIX_FMT_YUV420P;
    ref->width = even.width();
    ref->height = even.height();
    QVERIFY(av_frame_get_buffer(ref.get(), 0) >= 0);
    const uint8_t* refSrc[4] = {padded.data(), nullptr, nullptr, nullptr};
    const int refSrcStride[4] = {refStride, 0, 0, 0};
    sws_scale(scaler.get(), refSrc, refSrcStride, 0, even.height(), ref->data, ref->linesize);

    // Ours, into planes whose rows have padding that must stay untouched.
    const int planeWidth[3] = {w, (w + 1) / 2, (w + 1) / 2};
    const int planeHeight[3] = {h, (h + 1) / 2, (h + 1) / 2};
    constexpr uint8_t kUntouched = 0xA5;
    constexpr int kRowPadding = 13;
    int stride[3];
    std::vector<uint8_t> plane[3];
    for (int i = 0; i < 3; ++i) {
        stride[i] = planeWidth[i] + kRowPadding;
        plane[i].assign(size_t(stride[i]) * size_t(planeHeight[i]), kUntouched);
    }
    convertBgr0ToI420(src.data(), srcStride, w, h, plane[0].data(), stride[0], plane[1].data(),
                      stride[1], plane[2].data(), stride[2]);

    for (int i = 0; i < 3; ++i) {
        int worst = 0;
        QPoint where;
        for (int y = 0; y < planeHeight[i]; ++y) {
            for (int x = 0; x < planeWidth[i]; ++x) {
                const int diff = std::abs(int(plane[i][size_t(y) * stride[i] + x]) -
                                          int(ref->data[i][y * ref->linesize[i] + x]));
                if (diff > worst) {
                    worst = diff;
                    where = QPoint(x, y);
                }
            }
            for (int x = planeWidth[i]; x < stride[i]; ++x)
                QVERIFY2(plane[i][size_t(y) * stride[i] + x] == kUntouched,
                         qPrintable(QString("plane %1 row %2 written past its end").arg(i).arg(y)));
        }
        QVERIFY2(worst <= 2, qPrintable(QString("plane %1 differs by %2 at %3, %4")
                                            .arg(i)
                                            .arg(worst)
                                            .arg(where.x())
                                            .arg(where.y())));
    }
}

void EngineUnits::changedRowsConvertLikeTheWholePicture() {
    // A picture of odd size changes in a few rows; converting only around those rows into the
    // previous result gives exactly what converting the whole new picture gives.
    const int w = 37, h = 29, stride = w * 4;
    QRandomGenerator rng(11);
    std::vector<uint8_t> picture(size_t(stride) * h);
    for (auto& byte : picture)
        byte = uint8_t(rng.bounded(256));
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    auto convertWhole = [&](std::vector<uint8_t>& y, std::vector<uint8_t>& u,
                            std::vector<uint8_t>& v) {
        y.assign(size_t(w) * h, 0);
        u.assign(size_t(cw) * ch, 0);
        v.assign(size_t(cw) * ch, 0);
        convertBgr0ToI420(picture.data(), stride, w, h, y.data(), w, u.data(), cw, v.data(), cw);
    };
    std::vector<uint8_t> y, u, v;
    convertWhole(y, u, v);
    for (const RowSpan changed : {RowSpan{5, 6}, RowSpan{0, 3}, RowSpan{20, 29}, RowSpan{9, 17}}) {
        for (int row = changed.top; row < changed.end; ++row)
            for (int x = 0; x < stride; ++x)
                picture[size_t(row) * stride + x] = uint8_t(rng.bounded(256));
        // What the grabber hands over: the rows around the change, as X11ShmSource cuts them.
        const RowSpan converted =
            RowSpan{(changed.top & ~1) - 2, ((changed.end + 1) & ~1) + 2}.clipped(h);
        const RowSpan band = RowSpan{converted.top - 1, converted.end + 1}.clipped(h);
        const std::vector<uint8_t> rows(picture.begin() + ptrdiff_t(band.top) * stride,
                                        picture.begin() + ptrdiff_t(band.end) * stride);
        convertBgr0ToI420Rows(rows.data(), stride, band.top, w, h, converted.top, converted.end,
                              y.data(), w, u.data(), cw, v.data(), cw);
        std::vector<uint8_t> y2, u2, v2;
        convertWhole(y2, u2, v2);
        QVERIFY2(y == y2 && u == u2 && v == v2,
                 qPrintable(QStringLiteral("rows %1..%2").arg(changed.top).arg(changed.end)));
    }
}

void EngineUnits::unchangedBlocksAreExactlyThoseWithoutAChange_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("whole blocks") << 64 << 48;
    // Partial blocks at the right and bottom edges, and chroma of an odd number of samples.
    QTest::newRow("partial blocks") << 50 << 38;
    QTest::newRow("one block") << 6 << 2;
}

void EngineUnits::unchangedBlocksAreExactlyThoseWithoutAChange() {
    QFETCH(int, width);
    QFETCH(int, height);
    QRandomGenerator rng(width * 1000 + height);
    auto picture = [&]() {
        FramePtr f(av_frame_alloc());
        f->format = AV_PIX_FMT_YUV420P;
        f->width = width;
        f->height = height;
        // Padded rows: bytes past the width are not the picture and must not count.
        if (av_frame_get_buffer(f.get(), 64) < 0)
            return FramePtr();
        for (int p = 0; p < 3; ++p)
            for (int i = 0; i < f->linesize[p] * (p ? (height + 1) / 2 : height); ++i)
                f->data[p][i] = uint8_t(rng.bounded(256));
        return f;
    };
    FramePtr before = picture();
    FramePtr after = picture();
    QVERIFY(before && after);
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? ch : height); ++y)
            std::memcpy(after->data[p] + y * after->linesize[p],
                        before->data[p] + y * before->linesize[p], size_t(p ? cw : width));
    const QSize grid = macroblockGrid(QSize(width, height));
    QCOMPARE(grid, QSize((width + 15) / 16, (height + 15) / 16));
    const int count = grid.width() * grid.height();

    UnchangedBlocks unchanged;
    findUnchangedBlocks(*before, *after, 0, height, unchanged);
    QCOMPARE(unchanged, UnchangedBlocks(size_t(count), 1));
    // Differences beyond the width (the rows' padding) are no change.
    if (after->linesize[0] > width) {
        after->data[0][width] ^= 0xff;
        findUnchangedBlocks(*before, *after, 0, height, unchanged);
        QCOMPARE(unchanged, UnchangedBlocks(size_t(count), 1));
    }

    // One pixel changed in one plane at a time, at the corners of the picture and of blocks
    // and at random places: exactly the block over it is marked changed.
    struct Change {
        int plane, x, y;
    };
    QList<Change> changes;
    for (int p = 0; p < 3; ++p) {
        const int w = p ? cw : width, h = p ? ch : height;
        changes << Change{p, 0, 0} << Change{p, w - 1, h - 1} << Change{p, w - 1, 0}
                << Change{p, 0, h - 1};
        for (int i = 0; i < 20; ++i)
            changes << Change{p, int(rng.bounded(w)), int(rng.bounded(h))};
    }
    for (const Change& c : changes) {
        uint8_t& byte = after->data[c.plane][c.y * after->linesize[c.plane] + c.x];
        byte ^= 0x01;
        const int block = c.plane ? 8 : 16;
        const int changed = (c.y / block) * grid.width() + c.x / block;
        UnchangedBlocks expected(size_t(count), 1);
        expected[size_t(changed)] = 0;
        const QString where = QStringLiteral("plane %1 at %2,%3").arg(c.plane).arg(c.x).arg(c.y);
        findUnchangedBlocks(*before, *after, 0, height, unchanged);
        QVERIFY2(unchanged == expected, qPrintable(where));
        // Compared only over the rows said to have changed: the luma rows of the change's
        // block row are enough, wherever in them the change lies.
        const int lumaTop = (c.y / block) * 16;
        findUnchangedBlocks(*before, *after, lumaTop + 15, lumaTop + 16, unchanged);
        QVERIFY2(unchanged == expected, qPrintable(where + " (band)"));
        byte ^= 0x01;
    }
}

void EngineUnits::pictureCopiesAlwaysHoldTheWholeScreen() {
    // A screen changing in random bands; the encoder keeps a random few pictures for a while
    // and gives them back in any order, now and then one held longer than the copier
    // remembers. Every picture handed out must be the screen at that moment, to the byte.
    const int width = 64, height = 46;
    QRandomGenerator rng(7);
    FramePtr screen(av_frame_alloc());
    screen->format = AV_PIX_FMT_YUV420P;
    screen->width = width;
    screen->height = height;
    QVERIFY(av_frame_get_buffer(screen.get(), 64) == 0);
    auto paint = [&](RowSpan rows) {
        for (int p = 0; p < 3; ++p) {
            const int shift = p ? 1 : 0;
            for (int y = rows.top >> shift; y < (rows.end + shift) >> shift; ++y)
                for (int x = 0; x < width >> shift; ++x)
                    screen->data[p][y * screen->linesize[p] + x] = uint8_t(rng.bounded(256));
        }
    };
    auto sameAsScreen = [&](const AVFrame& f) {
        for (int p = 0; p < 3; ++p) {
            const int shift = p ? 1 : 0;
            for (int y = 0; y < height >> shift; ++y)
                if (std::memcmp(f.data[p] + y * f.linesize[p],
                                screen->data[p] + y * screen->linesize[p],
                                size_t(width >> shift)) != 0)
                    return false;
        }
        return true;
    };
    paint(RowSpan{0, height});
    PictureCopies copies(QSize(width, height), 64);
    std::vector<FramePtr> away;
    FramePtr longHeld;
    for (int n = 0; n < 400; ++n) {
        RowSpan changed{0, height};
        if (n > 0) {
            // Odd and even edges alike: a chroma row is shared by two luma rows.
            const int top = int(rng.bounded(height));
            changed = RowSpan{top, top + 1 + int(rng.bounded(height - top))};
            if (rng.bounded(4) == 0)
                changed = RowSpan{}; // only the pointer moved: nothing new in the rows
            paint(changed);
        }
        FramePtr f = copies.copy(*screen, changed);
        QVERIFY(f);
        QVERIFY2(sameAsScreen(*f), qPrintable(QStringLiteral("picture %1").arg(n)));
        if (n % 97 == 5 && !longHeld)
            longHeld = std::move(f);
        else
            away.push_back(std::move(f));
        while (away.size() > size_t(1 + rng.bounded(4)))
            away.erase(away.begin() + rng.bounded(quint32(away.size())));
        if (n % 97 == 60)
            longHeld.reset();
    }
}

void EngineUnits::refusedEncoderSettingsAreReportedReadably() {
    QTemporaryDir dir;
    OutputSettings settings;
    settings.path = dir.filePath("refused.mp4");
    settings.videoSize = QSize(0, 0);
    EncoderErrors::Error code = EncoderErrors::NoError;
    QString text;
    QVERIFY(!OutputFile::open(settings, &code, &text));
    QCOMPARE(code, EncoderErrors::EncodingError);
    // Our sentence with x264's own reason in it, not a bare error number.
    QVERIFY2(text.startsWith("The H.264 encoder refused the settings: ") && text.contains("0x0"),
             qPrintable(text));
    QVERIFY(!QFile::exists(settings.path));
}

void EngineUnits::pointerIsBlendedAtItsHotSpot() {
    // A 3 x 3 pointer: opaque black centre, half-transparent white (premultiplied) right
    // of it, transparent elsewhere; hot spot in the middle.
    PointerImage pointer;
    pointer.width = 3;
    pointer.height = 3;
    pointer.hotX = 1;
    pointer.hotY = 1;
    pointer.argb.assign(9, 0);
    pointer.argb[4] = 0xff000000;
    pointer.argb[5] = 0x80808080;
    const int w = 8, h = 6, stride = w * 4;
    std::vector<uint8_t> band(size_t(stride) * h, 100);
    // The band holds rows 2..5 of the picture; the pointer sits at (4, 3).
    blendPointer(band.data(), stride, w, 2, 4, pointer, 4, 3);
    auto at = [&](int x, int row) {
        return band[size_t(row - 2) * stride + size_t(x) * 4];
    };
    QCOMPARE(int(at(4, 3)), 0);                             // the opaque centre
    QCOMPARE(int(at(5, 3)), 128 + (100 * 127 + 127) / 255); // half white over grey
    QCOMPARE(int(at(3, 3)), 100);                           // transparent
    QCOMPARE(int(at(4, 2)), 100);
    QCOMPARE(pointerRows(pointer, 3, h), (RowSpan{2, 5}));
    // At the picture's corner only what lies inside is drawn, and nothing outside the band.
    std::vector<uint8_t> corner(size_t(stride) * h, 100);
    blendPointer(corner.data(), stride, w, 0, 1, pointer, 0, 0);
    QCOMPARE(int(corner[0]), 0);
    QCOMPARE(pointerRows(pointer, 0, h), (RowSpan{0, 2}));
    QCOMPARE(pointerRows(PointerImage(), 3, h), RowSpan());
}

void EngineUnits::clickRingsGrowFadeAndEnd() {
    ClickRings rings;
    QVERIFY(rings.empty());
    rings.add(50, 40, 1000000);
    QVERIFY(rings.update(1100000));
    const RowSpan rows = rings.rows(1100000, 100);
    QVERIFY(rows.top <= 40 - ClickRings::kEndRadius && rows.end >= 40 + ClickRings::kEndRadius);
    const int w = 100, stride = w * 4;
    std::vector<uint8_t> picture(size_t(stride) * 100, 0);
    rings.draw(picture.data(), stride, w, 0, 100, 1000000);
    // A ring around the click, not on it.
    const auto red = [&](int x, int y) {
        return picture[size_t(y) * stride + size_t(x) * 4 + 2];
    };
    QCOMPARE(int(red(50, 40)), 0);
    QVERIFY(red(50 + ClickRings::kStartRadius - 1, 40) > 100);
    // Later it is wider and fainter, and then gone.
    std::vector<uint8_t> later(size_t(stride) * 100, 0);
    rings.draw(later.data(), stride, w, 0, 100, 1300000);
    QCOMPARE(int(later[size_t(40) * stride + size_t(50 + ClickRings::kStartRadius - 1) * 4 + 2]),
             0);
    QVERIFY(!rings.update(1000000 + ClickRings::kClickRingUs));
    QVERIFY(rings.rows(1500000, 100).empty());
}

namespace {

// A fragmented MP4 as a killed run leaves it, made by the ffmpeg program: numbered pictures
// for `pictureSeconds`, a tone for `soundSeconds`.
bool makeFragmented(const QString& out, double pictureSeconds, double soundSeconds) {
    const QStringList args{
        "-v",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("testsrc=size=160x120:rate=20:duration=%1").arg(pictureSeconds),
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(soundSeconds),
        "-c:v",
        "libx264",
        "-pix_fmt",
        "yuv420p",
        "-g",
        "20",
        "-c:a",
        "aac",
        "-movflags",
        "frag_keyframe+empty_moov+default_base_moof",
        "-frag_duration",
        "500000",
        out};
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

} // namespace

void EngineUnits::recoveryShowsTheLastPictureUntilTheSoundEnds() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A still screen's pictures may stop a second before the sound in a killed run's file:
    // the last picture stays until the sound ends. Where the pictures last longer than the
    // sound, nothing is cut.
    struct Case {
        double pictures, sound, videoAfter;
    };
    for (const Case& c : {Case{2, 4, 4}, Case{3, 2, 3}}) {
        const QString file = dir.filePath(QStringLiteral("cut-%1.mp4").arg(c.pictures));
        QVERIFY(makeFragmented(file, c.pictures, c.sound));
        const RecoveryReport report = recoverRecording(file);
        QCOMPARE(report.outcome, RecoveryReport::Finished);
        const readback::Facts facts = readback::probe(file);
        QVERIFY2(facts.readable, qPrintable(facts.error));
        const readback::Stream* video = facts.first("video");
        QVERIFY(video);
        QVERIFY2(qAbs(video->duration - c.videoAfter) < 0.06,
                 qPrintable(QString::number(video->duration)));
        // No picture was added or lost: the last one only lasts longer.
        QCOMPARE(video->frames, qint64(c.pictures * 20));
        QCOMPARE(readback::decodeErrors(file), QString());
        QVERIFY(!readback::rgbFrameAt(file, c.pictures - 0.05, 160, 120).isEmpty());
    }
}

QTEST_GUILESS_MAIN(EngineUnits)
#include "tst_engine_units.moc"
