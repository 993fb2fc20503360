// End-to-end recordings made by the clipnest-rec tool on the test desktop, read back with
// ffprobe/ffmpeg: streams, size, frame rate, sound, encoder settings, what the picture
// shows, and what is left after a normal stop, a signal and a kill -9.
#include "mp4_readback.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

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
// Start-up of the tool, encoder flush and file finishing on a loaded two-core machine.
constexpr int kFinishTimeoutMs = 60000;

// Where the pattern window sits; the recordings grab exactly this area or a part of it.
const QRect kPatternRect(100, 100, 640, 480);
// The top quarter of the pattern carries a moving bar; below it the left half is red and
// the right half blue, so that a frame shows whether the right area was grabbed.
constexpr int kStripHeight = 120;

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
        p.fillRect(0, kStripHeight, w / 2, h - kStripHeight, QColor(255, 0, 0));
        p.fillRect(w / 2, kStripHeight, w - w / 2, h - kStripHeight, QColor(0, 0, 255));
    }

private:
    QTimer tick_;
    QElapsedTimer clock_;
};

struct Run {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
    QMap<QString, QString> stats;
};

QString recorderProgram() {
    // CLIPNEST_REC lets the same checks run against another build of the tool.
    const QString env = qEnvironmentVariable("CLIPNEST_REC");
    return env.isEmpty() ? QStringLiteral(CLIPNEST_REC_PROGRAM) : env;
}

QStringList recArgs(const QRect& r, int seconds, bool sound, const QString& out) {
    QStringList args{
        "--rect",
        QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()),
        "--seconds", QString::number(seconds)};
    if (sound)
        args << "--sound";
    return args << out;
}

// Waits for the tool while the event loop keeps the pattern moving.
Run finish(QProcess& p, int timeoutMs = kFinishTimeoutMs) {
    Run run;
    if (p.state() != QProcess::NotRunning) {
        QSignalSpy spy(&p, &QProcess::finished);
        if (!spy.wait(timeoutMs) && p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            run.err = QStringLiteral("did not finish within %1 ms; ").arg(timeoutMs);
        }
    }
    run.finished = true;
    run.status = p.exitStatus();
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err += QString::fromUtf8(p.readAllStandardError());
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            run.stats.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return run;
}

std::unique_ptr<QProcess> startRec(const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProgram(recorderProgram());
    p->setArguments(args);
    p->start();
    return p;
}

Run record(const QRect& r, int seconds, bool sound, const QString& out) {
    auto p = startRec(recArgs(r, seconds, sound, out));
    return finish(*p);
}

QString describe(const Run& r) {
    return QStringLiteral("exit status %1, code %2, stdout [%3], stderr [%4]")
        .arg(r.status == QProcess::NormalExit ? "normal" : "crash")
        .arg(r.exitCode)
        .arg(r.out.trimmed(), r.err.trimmed());
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

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void videoOnly();
    void encoderSettings();
    void withSound();
    void oddSize();
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
    const QByteArray pcm = readback::monoPcm(file);
    const QList<readback::Window> parts = readback::windows(pcm, a.sampleRate, 0.1);
    QVERIFY2(parts.size() >= 20, "too little sound decoded");
    const double end = parts.last().start + 0.1;
    QStringList faults;
    for (const readback::Window& w : parts) {
        if (w.start < 0.3 || w.start + 0.1 > end - 0.2)
            continue;
        if (w.rms < 1000 || qAbs(w.crossingsPerSecond - 880) > 880 * 0.1)
            faults << QStringLiteral("%1 s: rms %2, %3 Hz")
                          .arg(w.start, 0, 'f', 1)
                          .arg(w.rms, 0, 'f', 0)
                          .arg(w.crossingsPerSecond / 2, 0, 'f', 0);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("no 440 Hz tone at %1 of %2 tenths: ")
                                              .arg(faults.size())
                                              .arg(parts.size()) +
                                          faults.join("; ")));
}

void RecordingTest::oddSize() {
    const QRect odd(kPatternRect.x() + 11, kPatternRect.y() + 13, 333, 187);
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
