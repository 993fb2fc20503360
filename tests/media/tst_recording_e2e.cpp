// End-to-end recordings made by the clipnest-rec tool on the test desktop, read back with
// ffprobe/ffmpeg: streams, size, frame rate, sound, encoder settings, what the picture
// shows, and what is left after a normal stop, a signal and a kill -9.
#include "mp4_readback.h"
#include "rec_process.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <QtEndian>

#include <cmath>
#include <csignal>
#include <memory>

namespace {

// The tool records at this rate whatever the screen does.
constexpr double kFps = 20.0;
// Long enough for several hundred milliseconds of start-up to leave a clear majority of
// steady recording, short enough to keep the whole program around a minute.
constexpr int kRecordSeconds = 3;
// A recording that has to be stopped from outside is asked for far longer than the test
// waits, so that only the signal can end it.
constexpr int kLongSeconds = 60;
// When the recovery test kills the tool: long enough that the two seconds a kill may cost
// are a clear minority of the recording.
constexpr int kKilledAtSeconds = 7;

// Where the pattern window sits; the recordings grab exactly this area or a part of it.
const QRect kPatternRect(100, 100, 640, 480);
// The top quarter of the pattern carries a moving bar; below it the left half is red and
// the right half blue, so that a frame shows whether the right area was grabbed.
constexpr int kStripHeight = 120;
// A small square in the strip, inside every area the recordings grab, takes another grey at
// each repaint: the recorder leaves out pictures whose pixels did not change, and the bar
// alone is outside a narrow area for part of its way, which would leave the frame rate
// unchecked there. Too small to count in the strip's comparisons.
const QRect kTicker(40, 88, 16, 16);

class MovingPattern : public QWidget {
public:
    MovingPattern()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(kPatternRect);
        connect(&tick_, &QTimer::timeout, this, [this] { update(); });
        tick_.start(16);
        clock_.start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width(), h = height();
        p.fillRect(0, 0, w, kStripHeight, QColor(40, 40, 40));
        const int barX = int(clock_.elapsed() * 400 / 1000 % (w + 80)) - 80;
        p.fillRect(barX, 0, 80, kStripHeight, Qt::white);
        // Stepping by 7 through 128 greys: the repaints between two pictures never bring the
        // square back to the grey it had.
        const int grey = 60 + paints_++ * 7 % 128;
        p.fillRect(kTicker, QColor(grey, grey, grey));
        p.fillRect(0, kStripHeight, w / 2, h - kStripHeight, lowerLeft_);
        p.fillRect(w / 2, kStripHeight, w - w / 2, h - kStripHeight, QColor(0, 0, 255));
    }

public:
    // The lower left half is red unless a test changes it for a while.
    void setLowerLeft(const QColor& colour) {
        lowerLeft_ = colour;
        update();
    }

private:
    QTimer tick_;
    QElapsedTimer clock_;
    QColor lowerLeft_{255, 0, 0};
    int paints_ = 0;
};

Run record(const QRect& r, int seconds, bool sound, const QString& out) {
    auto p = startRec(recArgs(r, seconds, sound, out));
    return finish(*p);
}

struct Rgb {
    int r, g, b;
};

Rgb pixel(const QByteArray& rgb, int width, int x, int y) {
    const auto* d =
        reinterpret_cast<const uchar*>(rgb.constData()) + (qsizetype(y) * width + x) * 3;
    return {d[0], d[1], d[2]};
}

// Mean absolute difference of two RGB frames inside the rows [top, bottom).
double rowsDifference(const QByteArray& a, const QByteArray& b, int width, int top, int bottom) {
    qint64 sum = 0;
    const qsizetype from = qsizetype(top) * width * 3, to = qsizetype(bottom) * width * 3;
    for (qsizetype i = from; i < to && i < a.size() && i < b.size(); ++i)
        sum += qAbs(int(uchar(a[i])) - int(uchar(b[i])));
    return double(sum) / double(to - from);
}

bool isRed(Rgb c) {
    return c.r > 180 && c.g < 80 && c.b < 80;
}
bool isBlue(Rgb c) {
    return c.b > 180 && c.r < 80 && c.g < 80;
}
bool isGreen(Rgb c) {
    return c.g > 180 && c.r < 80 && c.b < 80;
}

// A tone played into the test desktop's speakers (its null sink) while the object lives.
class SpeakerTone {
public:
    explicit SpeakerTone(int hz) {
        // The null sink renders in blocks of up to two seconds, and takes up a recorder's
        // wish for short ones only at the end of the block under way: a listener that wants
        // them is there first, as a sound card's steady pace would be.
        listener_.start("parec",
                        {"--device=@DEFAULT_MONITOR@", "--latency-msec=20", "--raw", "/dev/null"});
        listener_.waitForStarted(10000);
        QProcess p;
        p.start("pactl", {"load-module", "module-sine", QStringLiteral("frequency=%1").arg(hz)});
        p.waitForFinished(10000);
        module_ = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        bool ok = false;
        module_.toInt(&ok);
        if (p.exitCode() != 0 || !ok) {
            error_ = QString::fromUtf8(p.readAllStandardError()) + module_;
            module_.clear();
        }
        QTest::qWait(2500);
    }
    ~SpeakerTone() {
        if (!module_.isEmpty())
            QProcess::execute("pactl", {"unload-module", module_});
        listener_.kill();
        listener_.waitForFinished();
    }
    bool playing() const { return !module_.isEmpty(); }
    QString error() const { return error_; }

private:
    QProcess listener_;
    QString module_;
    QString error_;
};

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void videoOnly();
    void encoderSettings();
    void withSound();
    void oddSize();
    void pauseAndResume();
    void computerSound();
    void microphoneAndComputerSoundMixed();
    void stopOnSignal_data();
    void stopOnSignal();
    void killLeavesPlayableFile();
    void killedRecordingIsRecovered();
    void badRequestsFailCleanly_data();
    void badRequestsFailCleanly();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    void checkFrameRate(const readback::Stream& v);
    void checkOrdinaryMp4(const QString& file);
    void checkToneThroughout(const QString& file, double hz, int minimumRms);

    QTemporaryDir dir_;
    std::unique_ptr<MovingPattern> pattern_;
    QString videoOnlyFile_;
};

void RecordingTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh): real screen and sound");
    QVERIFY2(QFileInfo(recorderProgram()).isExecutable(), qPrintable(recorderProgram()));
    for (const char* tool : {"ffprobe", "ffmpeg"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
    QVERIFY(dir_.isValid());
    pattern_ = std::make_unique<MovingPattern>();
    pattern_->show();
    QVERIFY(QTest::qWaitForWindowExposed(pattern_.get()));
}

void RecordingTest::checkFrameRate(const readback::Stream& v) {
    QVERIFY2(v.duration > 0, "video stream has no duration");
    const double fps = double(v.frames) / v.duration;
    QVERIFY2(qAbs(fps - kFps) <= kFps * 0.05,
             qPrintable(QStringLiteral("%1 frames in %2 s = %3 fps, want 20 +- 5 %")
                            .arg(v.frames)
                            .arg(v.duration)
                            .arg(fps)));
}

// After a normal stop the moov comes with all samples in it: no movie fragments.
void RecordingTest::checkOrdinaryMp4(const QString& file) {
    const QStringList top = readback::topLevelBoxes(file);
    QVERIFY2(top.contains("ftyp") && top.contains("moov") && top.contains("mdat"),
             qPrintable(top.join(' ')));
    QVERIFY2(!top.contains("moof") && !top.contains("mfra") && !top.contains("sidx"),
             qPrintable("fragmented after a normal stop: " + top.join(' ')));
    const QStringList moov = readback::childBoxes(file, "moov");
    QVERIFY2(!moov.contains("mvex"),
             qPrintable("moov still announces fragments: " + moov.join(' ')));
}

void RecordingTest::videoOnly() {
    const QString file = path("video-only.mp4");
    const Run run = record(kPatternRect, kRecordSeconds, false, file);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    for (const char* key : {"frames", "dropped", "repeated", "stop_ms", "finish_ms", "stall_ms"}) {
        bool ok = false;
        run.stats.value(key).toDouble(&ok);
        QVERIFY2(ok, qPrintable(QStringLiteral("no numeric %1= line: ").arg(key) + describe(run)));
    }

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("video"), 1);
    QCOMPARE(facts.count("audio"), 0);
    const readback::Stream& v = *facts.first("video");
    QCOMPARE(v.codec, QString("h264"));
    QCOMPARE(v.width, kPatternRect.width());
    QCOMPARE(v.height, kPatternRect.height());
    checkFrameRate(v);
    QVERIFY2(v.duration > kRecordSeconds - 0.5 && v.duration < kRecordSeconds + 0.5,
             qPrintable(QString::number(v.duration)));
    QCOMPARE(run.stats.value("frames").toLongLong(), v.frames);
    QCOMPARE(readback::decodeErrors(file), QString());
    checkOrdinaryMp4(file);

    // The picture is the pattern, the right way round and in place, and it moves.
    const int w = v.width, h = v.height;
    const QByteArray early = readback::rgbFrameAt(file, 0.6, w, h);
    // Half the bar's period (1.8 s) later, the bar is far from where it was.
    const QByteArray late = readback::rgbFrameAt(file, 0.6 + 0.9, w, h);
    QVERIFY(!early.isEmpty() && !late.isEmpty());
    for (const QByteArray& frame : {early, late}) {
        const Rgb left = pixel(frame, w, w / 4, (h + kStripHeight) / 2);
        const Rgb right = pixel(frame, w, 3 * w / 4, (h + kStripHeight) / 2);
        QVERIFY2(isRed(left), qPrintable(QStringLiteral("left half %1,%2,%3, want red")
                                             .arg(left.r)
                                             .arg(left.g)
                                             .arg(left.b)));
        QVERIFY2(isBlue(right), qPrintable(QStringLiteral("right half %1,%2,%3, want blue")
                                               .arg(right.r)
                                               .arg(right.g)
                                               .arg(right.b)));
        // The edges of the area are the pattern's too: nothing of the desktop around it.
        QVERIFY(isRed(pixel(frame, w, 2, h - 3)));
        QVERIFY(isBlue(pixel(frame, w, w - 3, h - 3)));
    }
    // The bar comes back to the same place every 1.8 s (720 px at 400 px/s), which is about
    // how far apart the first and last frames above are: compare with half a period later.
    const QByteArray moved = readback::rgbFrameAt(file, 0.6 + 0.9, w, h);
    QVERIFY2(rowsDifference(early, moved, w, 0, kStripHeight) > 5,
             "the moving bar does not move in the recording");
    QVERIFY(rowsDifference(early, late, w, kStripHeight + 8, h) < 5);
    videoOnlyFile_ = file;
}

void RecordingTest::encoderSettings() {
    if (videoOnlyFile_.isEmpty())
        QSKIP("needs the video-only recording");
    const QString options = readback::x264Settings(videoOnlyFile_);
    QVERIFY2(!options.isEmpty(), "no x264 settings text in the stream");
    const QMap<QString, QString> s = readback::parseSettings(options);
    const QList<QPair<QString, QString>> wanted{
        {"cabac", "0"},      {"me", "hex"},        {"subme", "3"},     {"me_range", "16"},
        {"keyint", "250"},   {"keyint_min", "25"}, {"scenecut", "40"}, {"qcomp", "0.60"},
        {"qpmin", "0"},      {"qpmax", "69"},      {"qpstep", "4"},    {"ip_ratio", "1.41"},
        {"fast_pskip", "1"}, {"weightp", "0"},
    };
    for (const auto& [key, value] : wanted)
        QVERIFY2(
            s.value(key) == value,
            qPrintable(
                QStringLiteral("%1=%2, want %3 in: %4").arg(key, s.value(key), value, options)));
    QVERIFY2(s.value("deblock").startsWith("1:"), qPrintable("deblocking off: " + options));
    // Inter partitions: intra 4x4 (0x1) and P 8x8 (0x10) and nothing else.
    const QStringList analyse = s.value("analyse").split(':');
    QCOMPARE(analyse.size(), 2);
    bool ok = false;
    QCOMPARE(analyse[1].toUInt(&ok, 16), 0x11u);
    QVERIFY(ok);
    // x264 prints the B-frame decision and direct mode only when B-frames are in use.
    if (s.value("bframes") != "0") {
        QCOMPARE(s.value("b_adapt"), QString("1"));
        QCOMPARE(s.value("direct"), QString("1"));
    }
}

void RecordingTest::withSound() {
    const QString file = path("with-sound.mp4");
    const Run run = record(kPatternRect, kRecordSeconds, true, file);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("video"), 1);
    QCOMPARE(facts.count("audio"), 1);
    const readback::Stream& v = *facts.first("video");
    const readback::Stream& a = *facts.first("audio");
    QCOMPARE(v.codec, QString("h264"));
    QCOMPARE(a.codec, QString("mp3"));
    QCOMPARE(a.sampleRate, 44100);
    QCOMPARE(a.channels, 2);
    QCOMPARE(v.width, kPatternRect.width());
    QCOMPARE(v.height, kPatternRect.height());
    checkFrameRate(v);
    QVERIFY2(qAbs(a.duration - v.duration) <= 0.1,
             qPrintable(QStringLiteral("audio %1 s, video %2 s").arg(a.duration).arg(v.duration)));
    QCOMPARE(readback::decodeErrors(file), QString());
    checkOrdinaryMp4(file);

    // The desktop's microphone is a 440 Hz sine: every tenth of a second of the recording
    // must carry that tone at its pitch (a wrong rate or channel layout moves it), not
    // silence, from shortly after the start until shortly before the stop.
    checkToneThroughout(file, 440, 1000);
}

void RecordingTest::checkToneThroughout(const QString& file, double hz, int minimumRms) {
    const QByteArray pcm = readback::monoPcm(file);
    const int rate = 44100;
    const QList<readback::Window> parts = readback::windows(pcm, rate, 0.1);
    QVERIFY2(parts.size() >= 20, "too little sound decoded");
    const double end = parts.last().start + 0.1;
    QStringList faults;
    for (const readback::Window& w : parts) {
        if (w.start < 0.3 || w.start + 0.1 > end - 0.2)
            continue;
        if (w.rms < minimumRms || qAbs(w.crossingsPerSecond - 2 * hz) > 2 * hz * 0.1)
            faults << QStringLiteral("%1 s: rms %2, %3 Hz")
                          .arg(w.start, 0, 'f', 1)
                          .arg(w.rms, 0, 'f', 0)
                          .arg(w.crossingsPerSecond / 2, 0, 'f', 0);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("no %1 Hz tone at %2 of %3 tenths: ")
                                              .arg(hz)
                                              .arg(faults.size())
                                              .arg(parts.size()) +
                                          faults.join("; ")));
}

void RecordingTest::oddSize() {
    const QRect odd(kPatternRect.x() + 11, kPatternRect.y() + 13, 333, 187);
    // The full frame rate is due only while the area keeps changing.
    QVERIFY(odd.contains(kTicker.translated(kPatternRect.topLeft())));
    const QString file = path("odd.mp4");
    const Run run = record(odd, kRecordSeconds, false, file);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    const readback::Stream* v = facts.first("video");
    QVERIFY(v);
    // H.264 in 4:2:0 stores even sizes; one pixel of padding or cropping is the most
    // an odd request may cost.
    QVERIFY2(qAbs(v->width - odd.width()) <= 1 && qAbs(v->height - odd.height()) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(v->width).arg(v->height)));
    QVERIFY(v->frames > 0);
    checkFrameRate(*v);
    QCOMPARE(readback::decodeErrors(file), QString());
    const QByteArray frame = readback::rgbFrameAt(file, 1.0, v->width, v->height);
    QVERIFY(!frame.isEmpty());
    // The area starts 11 px into the pattern: its lower left is red, its top the strip.
    QVERIFY(isRed(pixel(frame, v->width, 20, v->height - 20)));
    const Rgb top = pixel(frame, v->width, 20, 5);
    QVERIFY2(!isRed(top) && !isBlue(top), "area grabbed at the wrong height");
}

// Recorded 2 s, paused 2 s (the picture changes meanwhile), recorded 2 s more: one file of
// 4 s in which the parts follow each other directly, the sound without a gap or a click.
void RecordingTest::pauseAndResume() {
    const QString file = path("paused.mp4");
    QStringList args = recArgs(kPatternRect, 6, true, file);
    args.insert(args.size() - 1, "--pause-at");
    args.insert(args.size() - 1, "2");
    args.insert(args.size() - 1, "--resume-at");
    args.insert(args.size() - 1, "4");
    auto p = startRec(args);
    QVERIFY2(p->waitForStarted(), qPrintable(p->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > 0, 30000);
    // In the middle of the pause the lower left turns green: what the file shows after the
    // join is the screen after the pause.
    QTest::qWait(3000);
    pattern_->setLowerLeft(QColor(0, 255, 0));
    const Run run = finish(*p);
    pattern_->setLowerLeft(QColor(255, 0, 0));
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    const double pausedMs = run.stats.value("paused_ms").toDouble();
    QVERIFY2(qAbs(pausedMs - 2000) < 100, qPrintable(describe(run)));

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(readback::decodeErrors(file), QString());
    checkOrdinaryMp4(file);
    const readback::Stream& v = facts.stream("video");
    const readback::Stream& a = facts.stream("audio");
    const double wanted = (run.stats.value("recorded_ms").toDouble() - pausedMs) / 1000;
    QVERIFY2(qAbs(facts.duration - wanted) <= 0.2,
             qPrintable(QStringLiteral("%1 s, want %2 s").arg(facts.duration).arg(wanted)));
    QVERIFY2(qAbs(a.duration - v.duration) <= 0.1,
             qPrintable(QStringLiteral("audio %1 s, video %2 s").arg(a.duration).arg(v.duration)));
    checkFrameRate(v);

    // Before the join the pattern as it was, after it the pattern as the pause left it.
    for (const auto& [at, green] :
         QList<QPair<double, bool>>{{1.0, false}, {1.8, false}, {2.3, true}, {3.5, true}}) {
        const QByteArray frame = readback::rgbFrameAt(file, at, v.width, v.height);
        QVERIFY(!frame.isEmpty());
        const Rgb c = pixel(frame, v.width, v.width / 4, (v.height + kStripHeight) / 2);
        QVERIFY2(green ? isGreen(c) : isRed(c),
                 qPrintable(QStringLiteral("at %1 s lower left %2,%3,%4, want %5")
                                .arg(at)
                                .arg(c.r)
                                .arg(c.g)
                                .arg(c.b)
                                .arg(green ? "green" : "red")));
    }

    // The microphone's sine runs on through the join: no silence, and no click. A click is a
    // jump of the wave: a step between samples far steeper than the sine's own, which at
    // 440 Hz is 6 % of its amplitude.
    checkToneThroughout(file, 440, 1000);
    const QByteArray pcm = readback::monoPcm(file);
    const int rate = 44100;
    auto sample = [&](qsizetype i) {
        return int(qFromLittleEndian<qint16>(pcm.constData() + 2 * i));
    };
    const qsizetype n = pcm.size() / 2;
    const double amplitude = readback::toneAmplitude(pcm, rate, 440, 0.5, 1.0);
    QVERIFY2(amplitude > 1000, qPrintable(QString::number(amplitude)));
    const double steepest = amplitude * 2 * M_PI * 440 / rate;
    QStringList clicks;
    for (qsizetype i = qsizetype(0.3 * rate); i < n - qsizetype(0.2 * rate); ++i) {
        const int step = std::abs(sample(i) - sample(i - 1));
        if (step > 1.5 * steepest)
            clicks << QStringLiteral("%1 s: step %2").arg(double(i) / rate, 0, 'f', 4).arg(step);
    }
    QVERIFY2(
        clicks.isEmpty(),
        qPrintable(QStringLiteral("the sine's steepest step is %1; ").arg(steepest, 0, 'f', 0) +
                   clicks.mid(0, 10).join("; ")));
    // The level stays the sine's through the join (a fade to silence would dip).
    for (double at = 1.5; at < 2.5; at += 0.05) {
        const double level = readback::toneAmplitude(pcm, rate, 440, at, 0.05);
        QVERIFY2(level > amplitude * 0.5,
                 qPrintable(QStringLiteral("at %1 s the sine is at %2 of %3")
                                .arg(at)
                                .arg(level)
                                .arg(amplitude)));
    }
}

// A tone the computer plays (into the desktop's speakers) is what "Computer sound" records;
// the microphone's sine is not in it.
void RecordingTest::computerSound() {
    SpeakerTone tone(1000);
    QVERIFY2(tone.playing(), qPrintable(tone.error()));
    const QString file = path("computer.mp4");
    QStringList args = recArgs(kPatternRect, kRecordSeconds, true, file);
    args.insert(args.size() - 1, "--sound-input");
    args.insert(args.size() - 1, "computer");
    auto p = startRec(args);
    const Run run = finish(*p);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("audio"), 1);
    checkToneThroughout(file, 1000, 1000);
    const QByteArray pcm = readback::monoPcm(file);
    const double at1000 = readback::toneAmplitude(pcm, 44100, 1000, 0.5, 2.0);
    const double at440 = readback::toneAmplitude(pcm, 44100, 440, 0.5, 2.0);
    QVERIFY2(at1000 > 2000 && at440 < at1000 / 100,
             qPrintable(QStringLiteral("1000 Hz %1, 440 Hz %2").arg(at1000).arg(at440)));
}

// "Both": the microphone's 440 Hz and the computer's 1000 Hz in the one track, each about as
// loud as alone, and their sum limited instead of clipped.
void RecordingTest::microphoneAndComputerSoundMixed() {
    SpeakerTone tone(1000);
    QVERIFY2(tone.playing(), qPrintable(tone.error()));
    // The microphone turned up (as a linear factor) so that the two together go past full
    // scale: without the limiter the sum would clip.
    QCOMPARE(QProcess::execute("pactl", {"set-source-volume", "@DEFAULT_SOURCE@", "1.8"}), 0);
    auto restore = qScopeGuard([] {
        QProcess::execute("pactl", {"set-source-volume", "@DEFAULT_SOURCE@", "1.0"});
    });
    const QString file = path("both.mp4");
    QStringList args = recArgs(kPatternRect, kRecordSeconds, true, file);
    args.insert(args.size() - 1, "--sound-input");
    args.insert(args.size() - 1, "both");
    auto p = startRec(args);
    const Run run = finish(*p);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("audio"), 1);
    QCOMPARE(readback::decodeErrors(file), QString());
    const QByteArray pcm = readback::monoPcm(file);
    QStringList faults;
    for (double at = 0.4; at < facts.duration - 0.4; at += 0.2) {
        const double at1000 = readback::toneAmplitude(pcm, 44100, 1000, at, 0.2);
        const double at440 = readback::toneAmplitude(pcm, 44100, 440, at, 0.2);
        if (at1000 < 2000 || at440 < 2000 || at1000 / at440 > 4 || at440 / at1000 > 4)
            faults << QStringLiteral("%1 s: 440 Hz %2, 1000 Hz %3")
                          .arg(at, 0, 'f', 1)
                          .arg(at440, 0, 'f', 0)
                          .arg(at1000, 0, 'f', 0);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    // Clipping shows as samples stuck at full scale.
    const int peak = readback::peakSample(pcm);
    QVERIFY2(peak < 32600, qPrintable(QString::number(peak)));
}

void RecordingTest::stopOnSignal_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void RecordingTest::stopOnSignal() {
    QFETCH(int, signalNumber);
    const QString file = path(QStringLiteral("signal-%1.mp4").arg(signalNumber));
    auto p = startRec(recArgs(kPatternRect, kLongSeconds, true, file));
    QVERIFY2(p->waitForStarted(), qPrintable(p->errorString()));
    // The file appears when the recording starts; the clock runs from there, so that a
    // slow start of the process on a busy machine does not eat into the recording.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > 0, 30000);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 2500, 10000);
    QVERIFY(p->state() == QProcess::Running);
    ::kill(pid_t(p->processId()), signalNumber);
    const Run run = finish(*p);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    QVERIFY2(run.stats.contains("stop_ms"), qPrintable(describe(run)));

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("video"), 1);
    QCOMPARE(facts.count("audio"), 1);
    QVERIFY2(facts.duration >= 1.5 && facts.duration < kLongSeconds / 2,
             qPrintable(QString::number(facts.duration)));
    QCOMPARE(readback::decodeErrors(file), QString());
    checkOrdinaryMp4(file);
}

void RecordingTest::killLeavesPlayableFile() {
    const QString file = path("killed.mp4");
    auto p = startRec(recArgs(kPatternRect, kLongSeconds, true, file));
    QVERIFY2(p->waitForStarted(), qPrintable(p->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > 0, 30000);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 4000, 10000);
    QVERIFY(p->state() == QProcess::Running);
    ::kill(pid_t(p->processId()), SIGKILL);
    const Run run = finish(*p);
    QCOMPARE(run.status, QProcess::CrashExit);

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable,
             qPrintable("ffprobe cannot read the killed recording: " + facts.error));
    QVERIFY(facts.first("video"));
    QVERIFY2(facts.duration >= 2.0,
             qPrintable(QStringLiteral("only %1 s survive a kill after 4 s").arg(facts.duration)));
    QVERIFY2(facts.first("video")->frames >= qint64(2.0 * kFps),
             qPrintable(QStringLiteral("%1 frames decode").arg(facts.first("video")->frames)));
    QCOMPARE(readback::decodeErrors(file), QString());
}

void RecordingTest::killedRecordingIsRecovered() {
    const QString file = path("killed-at-7.mp4");
    auto p = startRec(recArgs(kPatternRect, kLongSeconds, true, file));
    QVERIFY2(p->waitForStarted(), qPrintable(p->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).size() > 0, 30000);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > kKilledAtSeconds * 1000, 20000);
    QVERIFY(p->state() == QProcess::Running);
    ::kill(pid_t(p->processId()), SIGKILL);
    QCOMPARE(finish(*p).status, QProcess::CrashExit);
    QVERIFY2(readback::topLevelBoxes(file).contains("moof"),
             qPrintable(readback::topLevelBoxes(file).join(' ')));

    // What the program does with such a file at its next start.
    auto recovery = startRec({"--recover", file});
    const Run run = finish(*recovery);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(describe(run)));
    QCOMPARE(run.stats.value("outcome"), QString("finished"));
    checkOrdinaryMp4(file);
    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    QCOMPARE(facts.count("video"), 1);
    QCOMPARE(facts.count("audio"), 1);
    // Killed at T seconds, at least T - 2 seconds survive.
    QVERIFY2(facts.duration >= kKilledAtSeconds - 2,
             qPrintable(QStringLiteral("only %1 s survive a kill after %2 s")
                            .arg(facts.duration)
                            .arg(kKilledAtSeconds)));
    QVERIFY2(qAbs(run.stats.value("seconds").toDouble() - facts.duration) < 0.2,
             qPrintable(describe(run)));
    QCOMPARE(readback::decodeErrors(file), QString());
}

void RecordingTest::badRequestsFailCleanly_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("mayRecord");
    const QString out = path("bad.mp4");
    QTest::newRow("unwritable folder")
        << recArgs(kPatternRect, 1, false, "/nonexistent-folder/x.mp4") << false;
    QTest::newRow("garbage rectangle")
        << QStringList{"--rect", "a,b,c,d", "--seconds", "1", out} << false;
    QTest::newRow("no output file")
        << QStringList{"--rect", "0,0,64,64", "--seconds", "1"} << false;
    // An empty area is the tool's call: either a clear refusal or a recording of something.
    QTest::newRow("empty area") << recArgs(QRect(10, 10, 0, 0), 1, false, out) << true;
}

void RecordingTest::badRequestsFailCleanly() {
    QFETCH(QStringList, args);
    QFETCH(bool, mayRecord);
    QFile::remove(path("bad.mp4"));
    auto p = startRec(args);
    const Run run = finish(*p);
    QVERIFY2(run.status == QProcess::NormalExit, qPrintable("crashed: " + describe(run)));
    if (mayRecord && run.exitCode == 0) {
        QVERIFY(readback::probe(path("bad.mp4")).readable);
        return;
    }
    QVERIFY2(run.exitCode != 0, qPrintable(describe(run)));
    QVERIFY2(!run.err.trimmed().isEmpty(), "failed without saying why");
}

int main(int argc, char** argv) {
    // Off the test desktop there may be no display at all; the test then skips, which
    // needs an application object that does not insist on one.
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_recording_e2e.moc"
