// What the recorded pictures show, compared with the screen itself: a still area, a small
// window moving over a still one, and the mouse pointer. Recordings are made by the
// clipnest-rec tool on the test desktop and read back with ffprobe/ffmpeg.
#include "mp4_readback.h"
#include "rec_process.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace {

// Start-up of the tool, encoder flush and file finishing on a loaded two-core machine.
constexpr int FinishTimeoutMs = 90000;

// A still picture with what screen recordings are made of: flat colours, gradients, text.
class StillPattern : public QWidget {
public:
    explicit StillPattern(const QRect& where)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(where);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width(), h = height();
        QLinearGradient gradient(0, 0, w, 0);
        gradient.setColorAt(0, QColor(20, 60, 160));
        gradient.setColorAt(1, QColor(230, 200, 40));
        p.fillRect(0, 0, w, h / 2, gradient);
        p.fillRect(0, h / 2, w / 3, h - h / 2, QColor(200, 30, 30));
        p.fillRect(w / 3, h / 2, w / 3, h - h / 2, QColor(240, 240, 240));
        p.fillRect(2 * w / 3, h / 2, w - 2 * w / 3, h - h / 2, QColor(30, 150, 60));
        p.setPen(Qt::black);
        QFont font = p.font();
        font.setPixelSize(22);
        p.setFont(font);
        p.drawText(QRect(w / 3, h / 2, w / 3, h - h / 2), Qt::AlignCenter, "Clipnest 1234");
    }
};

// A plain window of one colour, moved along a row at a steady speed.
class MovingBox : public QWidget {
public:
    MovingBox(const QPoint& from, int speed)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint)
        , from_(from)
        , speed_(speed) {
        setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(0, 255, 0));
        setPalette(palette);
        setGeometry(QRect(from, QSize(48, 48)));
        connect(&timer_, &QTimer::timeout, this,
                [this] { move(from_.x() + int(clock_.elapsed() * speed_ / 1000), from_.y()); });
    }
    void go() {
        clock_.start();
        timer_.start(10);
    }

private:
    QPoint from_;
    int speed_;
    QTimer timer_;
    QElapsedTimer clock_;
};

// Coloured blocks that all change every 20 ms: as hard on the encoder as screen content gets.
class Noise : public QWidget {
public:
    explicit Noise(const QRect& where)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(where);
        connect(&timer_, &QTimer::timeout, this, [this] { update(); });
        timer_.start(20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int y = 0; y < height(); y += 16)
            for (int x = 0; x < width(); x += 16)
                p.fillRect(x, y, 16, 16, QColor::fromRgb(rng_.generate() | 0xff000000));
    }

private:
    QTimer timer_;
    QRandomGenerator rng_{42};
};

// A grey field with the arrow pointer.
class GreyField : public QWidget {
public:
    explicit GreyField(const QRect& where)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint) {
        setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(palette);
        setCursor(Qt::ArrowCursor);
        setGeometry(where);
    }
};

// Records `area` for `seconds`; the event loop keeps running (moving windows keep moving).
// `onStarted` runs once the tool reports that it records.
Run record(const QRect& area, double seconds, const QStringList& extra, const QString& out,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProgram(recorderProgram());
    p.setArguments(QStringList{"--rect",
                               QStringLiteral("%1,%2,%3,%4")
                                   .arg(area.x())
                                   .arg(area.y())
                                   .arg(area.width())
                                   .arg(area.height()),
                               "--seconds", QString::number(seconds)}
                   << extra << out);
    p.start();
    Run run = finish(p, FinishTimeoutMs);
    if (run.status != QProcess::NormalExit)
        run.exitCode = -1;
    return run;
}

QImage screenshot(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB888);
}

QImage frameImage(const QByteArray& rgb, int w, int h) {
    if (rgb.size() != qsizetype(w) * h * 3)
        return {};
    return QImage(reinterpret_cast<const uchar*>(rgb.constData()), w, h, w * 3,
                  QImage::Format_RGB888)
        .copy();
}

// Mean absolute difference per channel of two pictures in the rows [top, bottom).
double meanDifference(const QImage& a, const QImage& b, int top = 0, int bottom = -1) {
    if (a.size() != b.size() || a.isNull())
        return 1e9;
    if (bottom < 0)
        bottom = a.height();
    qint64 sum = 0, count = 0;
    for (int y = top; y < bottom; ++y) {
        const uchar* ra = a.constScanLine(y);
        const uchar* rb = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x)
            sum += qAbs(int(ra[x]) - int(rb[x]));
        count += a.width() * 3;
    }
    return count ? double(sum) / double(count) : 1e9;
}

bool isGreen(QRgb c) {
    return qGreen(c) > 180 && qRed(c) < 90 && qBlue(c) < 90;
}

// The left edge of the green box on row `y`, or -1.
int greenLeft(const QImage& frame, int y) {
    for (int x = 0; x < frame.width(); ++x)
        if (isGreen(frame.pixel(x, y)))
            return x;
    return -1;
}

bool farFromGrey(QRgb c) {
    return qAbs(qRed(c) - 128) > 40 || qAbs(qGreen(c) - 128) > 40 || qAbs(qBlue(c) - 128) > 40;
}

} // namespace

class RecordingContent : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stillAreaIsTheScreen();
    void movingWindowOverStillOne();
    void pointer_data();
    void pointer();
    void busyMachineKeepsTheTime();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void RecordingContent::initTestCase() {
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh): a real screen");
    QVERIFY2(QFileInfo(recorderProgram()).isExecutable(), qPrintable(recorderProgram()));
    for (const char* tool : {"ffprobe", "ffmpeg", "xdotool"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
    QVERIFY(dir_.isValid());
}

void RecordingContent::stillAreaIsTheScreen() {
    const QRect area(200, 150, 480, 320);
    StillPattern pattern(area);
    pattern.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pattern));
    // The pointer stays out of the picture.
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", "1900", "20"}), 0);
    QTest::qWait(300);
    const QImage screen = screenshot(area);

    const QString file = path("still.mp4");
    const Run run = record(area, 6, {}, file);
    QCOMPARE(run.exitCode, 0);
    bool ok = false;
    const double recorded = run.stats.value("recorded_ms").toDouble(&ok) / 1000;
    QVERIFY2(ok, qPrintable(describe(run)));
    // A still screen is not encoded again and again: a picture at the start, then one every
    // half second, and one at the stop (against twenty a second for a changing one).
    const qint64 frames = run.stats.value("frames").toLongLong();
    QVERIFY2(frames >= 12 && frames <= 15, qPrintable(describe(run)));

    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    const readback::Stream* v = facts.first("video");
    QVERIFY(v);
    QCOMPARE(v->frames, frames);
    // The file lasts the recorded time.
    QVERIFY2(
        qAbs(facts.duration - recorded) <= 0.1,
        qPrintable(QStringLiteral("file %1 s, recorded %2 s").arg(facts.duration).arg(recorded)));
    QCOMPARE(readback::decodeErrors(file), QString());
    // Every picture is the screen: early on, and after a seek into the recording.
    for (double at : {0.5, 2.2, 5.0}) {
        const QImage frame = frameImage(readback::rgbFrameAt(file, at, area.width(), area.height()),
                                        area.width(), area.height());
        QVERIFY2(!frame.isNull(), qPrintable(QStringLiteral("no frame at %1 s").arg(at)));
        const double diff = meanDifference(frame, screen);
        QVERIFY2(diff < 3.0, qPrintable(QStringLiteral("frame at %1 s differs from the screen "
                                                       "by %2 on average")
                                            .arg(at)
                                            .arg(diff)));
    }
}

void RecordingContent::movingWindowOverStillOne() {
    const QRect area(100, 100, 640, 360);
    StillPattern pattern(area);
    pattern.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pattern));
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", "1900", "20"}), 0);
    QTest::qWait(300);
    const QImage screen = screenshot(area);
    // The box crosses the area's upper half at 100 pixels a second.
    constexpr int Speed = 100;
    const QPoint from(area.x() + 20, area.y() + 60);
    MovingBox box(from, Speed);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.go();

    const QString file = path("moving.mp4");
    const Run run = record(area, 5, {}, file);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readback::decodeErrors(file), QString());
    const int boxRow = from.y() - area.y() + 24;
    QList<int> lefts;
    const QList<double> times{1.0, 2.0, 3.0, 4.0};
    for (double at : times) {
        const QImage frame = frameImage(readback::rgbFrameAt(file, at, area.width(), area.height()),
                                        area.width(), area.height());
        QVERIFY2(!frame.isNull(), qPrintable(QStringLiteral("no frame at %1 s").arg(at)));
        // The still part (below the box's path) is the screen.
        const int below = from.y() - area.y() + 48 + 4;
        const double diff = meanDifference(frame, screen, below, area.height());
        QVERIFY2(diff < 3.0,
                 qPrintable(QStringLiteral("still part at %1 s differs by %2").arg(at).arg(diff)));
        const int left = greenLeft(frame, boxRow);
        QVERIFY2(left >= 0, qPrintable(QStringLiteral("no box at %1 s").arg(at)));
        lefts << left;
    }
    // The box moved as far as the time between the pictures says (a picture is known to a
    // frame, 50 ms, either way: 10 pixels at this speed).
    for (int i = 1; i < lefts.size(); ++i) {
        const double expected = Speed * (times[i] - times[i - 1]);
        QVERIFY2(qAbs((lefts[i] - lefts[i - 1]) - expected) <= 12,
                 qPrintable(QStringLiteral("box at %1 then %2 px, %3 s apart")
                                .arg(lefts[i - 1])
                                .arg(lefts[i])
                                .arg(times[i] - times[i - 1])));
    }
}

void RecordingContent::pointer_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<bool>("shown");
    QTest::newRow("drawn") << QStringList() << QString() << true;
    QTest::newRow("switched off") << QStringList{"--no-pointer"} << QString() << false;
    QTest::newRow("scale factor 2") << QStringList() << QString("2") << true;
}

void RecordingContent::pointer() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, scale);
    QFETCH(bool, shown);
    const QRect area(300, 300, 200, 160);
    GreyField grey(area);
    grey.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grey));
    const QPoint at(380, 360); // on screen; (80, 60) in the area
    QCOMPARE(QProcess::execute("xdotool",
                               {"mousemove", QString::number(at.x()), QString::number(at.y())}),
             0);
    QTest::qWait(300);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!scale.isEmpty())
        env.insert("QT_SCALE_FACTOR", scale);
    const QString file = path(QStringLiteral("pointer-%1.mp4").arg(QTest::currentDataTag()));
    const Run run = record(area, 2, arguments, file, env);
    QCOMPARE(run.exitCode, 0);
    const QImage frame = frameImage(readback::rgbFrameAt(file, 1.0, area.width(), area.height()),
                                    area.width(), area.height());
    QVERIFY(!frame.isNull());
    // Where the picture is not grey.
    QRect marked;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (farFromGrey(frame.pixel(x, y)))
                marked |= QRect(x, y, 1, 1);
    if (!shown) {
        QVERIFY2(marked.isEmpty(), qPrintable(QStringLiteral("marks at %1,%2 %3x%4")
                                                  .arg(marked.x())
                                                  .arg(marked.y())
                                                  .arg(marked.width())
                                                  .arg(marked.height())));
        return;
    }
    // The arrow's tip (its hot spot) sits at the pointer's position; the arrow reaches down
    // and to the right from there, a pointer's size at most.
    const QPoint tip = at - area.topLeft();
    QVERIFY2(!marked.isEmpty(), "no pointer in the picture");
    QVERIFY2(qAbs(marked.left() - tip.x()) <= 2 && qAbs(marked.top() - tip.y()) <= 2 &&
                 marked.width() >= 6 && marked.height() >= 10 && marked.width() <= 40 &&
                 marked.height() <= 48,
             qPrintable(QStringLiteral("pointer drawn at %1,%2 %3x%4, tip at %5,%6")
                            .arg(marked.x())
                            .arg(marked.y())
                            .arg(marked.width())
                            .arg(marked.height())
                            .arg(tip.x())
                            .arg(tip.y())));
}

void RecordingContent::busyMachineKeepsTheTime() {
    // Two programs that take a core each, and content the encoder cannot keep up with: the
    // recording may lose pictures, but never time.
    QList<QProcess*> hogs;
    auto cleanup = qScopeGuard([&] {
        for (QProcess* hog : hogs) {
            hog->kill();
            hog->waitForFinished();
            delete hog;
        }
    });
    for (int i = 0; i < 2; ++i) {
        auto* hog = new QProcess;
        hog->setStandardOutputFile(QProcess::nullDevice());
        hog->start("yes", {});
        QVERIFY(hog->waitForStarted());
        hogs << hog;
    }
    const QRect area(0, 0, 1280, 720);
    Noise noise(area);
    noise.show();
    QVERIFY(QTest::qWaitForWindowExposed(&noise));

    const QString file = path("busy.mp4");
    const Run run = record(area, 8, {}, file);
    QCOMPARE(run.exitCode, 0);
    bool ok = false;
    const double recorded = run.stats.value("recorded_ms").toDouble(&ok) / 1000;
    QVERIFY2(ok, qPrintable(describe(run)));
    const readback::Facts facts = readback::probe(file);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    const readback::Stream* v = facts.first("video");
    QVERIFY(v);
    QVERIFY2(qAbs(v->duration - recorded) <= 0.1,
             qPrintable(QStringLiteral("file %1 s, recorded %2 s; %3")
                            .arg(v->duration)
                            .arg(recorded)
                            .arg(describe(run))));
    QCOMPARE(readback::decodeErrors(file), QString());
}

QTEST_MAIN(RecordingContent)
#include "tst_recording_content.moc"
