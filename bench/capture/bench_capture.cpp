// Capture benchmark, run on the test desktop:
//  1. from a capture request (the main window's sequence: clear(), geometry of the whole
//     desktop, show(), the desktop grab included) to the overlay painted and flushed;
//     goal below 150 ms;
//  2. while a full-screen recording runs, when the elapsed-time label advances compared with
//     whole seconds since the start; goal within 100 ms;
//  3. the stop of a long full-screen recording with sound of a moving picture: how long the
//     stop click's handler takes, the longest a 10 ms timer on the GUI thread is held up until
//     the file is finished (goal below 100 ms), and the time from the click to usable
//     finished panels and to the finished file (Save waits for it). The length is
//     BENCH_STOP_SECONDS (default 120: a shared machine; the finish grows with the length).
#include "capture/CropCtrl.h"
#include "history/RecordingStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Runs of the capture request: enough for a stable median on a shared machine.
constexpr int kOpenRuns = 20;
// Seconds of recording observed for the clock.
constexpr int kRecordSeconds = 20;

// Notes when the overlay's windows were first painted and flushed.
class PaintWatch : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    qint64 paintedAt = -1;

    void watch(const CropCtrl& ctrl) {
        for (QWidget* window : ctrl.windows())
            window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        // Back in the event loop means the backing store has been flushed to the screen.
        if (event->type() == QEvent::Paint && clock && paintedAt < 0 && window &&
            window->isVisible())
            QTimer::singleShot(0, this, [this] {
                if (paintedAt < 0)
                    paintedAt = clock->nsecsElapsed();
            });
        return false;
    }
};

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void xdo(const QStringList& args) {
    QProcess::execute(QStringLiteral("xdotool"), args);
}

QRect desktopGeometry() {
    QRect desktop;
    for (QScreen* s : QGuiApplication::screens())
        desktop |= s->geometry();
    return desktop;
}

// 3. Records the whole screen with sound while a player shows a moving picture, then stops.
bool measureStop(CropCtrl& ctrl, const QRect& desktop) {
    const int seconds = qEnvironmentVariableIsSet("BENCH_STOP_SECONDS")
                            ? qEnvironmentVariableIntValue("BENCH_STOP_SECONDS")
                            : 120;
    QProcess player;
    player.start(
        QStringLiteral("nice"),
        {"-n",
         "10",
         "ffplay",
         "-hide_banner",
         "-loglevel",
         "error",
         "-an",
         "-noborder",
         "-left",
         "0",
         "-top",
         "0",
         "-x",
         QString::number(desktop.width()),
         "-y",
         QString::number(desktop.height()),
         "-alwaysontop",
         "-f",
         "lavfi",
         QStringLiteral("testsrc2=s=%1x%2:r=20").arg(desktop.width()).arg(desktop.height())});
    waitFor([] { return false; }, 2500); // the player's window is up and moving

    ctrl.clear();
    ctrl.setGeometry(desktop);
    ctrl.show();
    waitFor([&] { return ctrl.isVisible(); }, 2000);
    const double ratio = ctrl.windows().value(0)->devicePixelRatioF();
    xdo({"mousemove", "0", "0", "mousedown", "1", "mousemove", "900", "500", "mousemove",
         QString::number(int(desktop.width() * ratio) - 1),
         QString::number(int(desktop.height() * ratio) - 1), "mouseup", "1"});
    if (!waitFor([&] { return ctrl.currentMode() == CropCtrl::Mode::Selected; }, 5000)) {
        std::fprintf(stderr, "selection did not happen\n");
        return false;
    }
    QMetaObject::invokeMethod(&ctrl, "recordWithSound");
    if (ctrl.currentMode() != CropCtrl::Mode::Recording) {
        std::fprintf(stderr, "recording with sound did not start\n");
        return false;
    }
    waitFor([] { return false; }, seconds * 1000);

    QWidget* finished = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->findChild<QWidget*>(QStringLiteral("RecordFinishedPanel")))
            finished = w;
    auto* save = finished->findChild<QPushButton*>(QStringLiteral("SaveButton"));
    auto* upload = finished->findChild<QPushButton*>(QStringLiteral("UploadButton"));

    // A 10 ms timer on the GUI thread from the click on; its worst lateness is the longest
    // the interface froze.
    QElapsedTimer sinceTick;
    double worstLateMs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        worstLateMs = std::max(worstLateMs, sinceTick.nsecsElapsed() / 1e6 - 10);
        sinceTick.restart();
    });
    QElapsedTimer clock;
    double panelsMs = -1, fileMs = -1;
    clock.start();
    sinceTick.start();
    probe.start();
    QMetaObject::invokeMethod(&ctrl, "stopRecord");
    const double stopCallMs = clock.nsecsElapsed() / 1e6;
    const bool done = waitFor(
        [&] {
            if (panelsMs < 0 && finished->isVisible() && upload->isEnabled())
                panelsMs = clock.nsecsElapsed() / 1e6;
            if (fileMs < 0 && save->isEnabled() && !ctrl.isFinishingFile())
                fileMs = clock.nsecsElapsed() / 1e6;
            return panelsMs >= 0 && fileMs >= 0;
        },
        600000);
    waitFor([] { return false; }, 500); // and a little after
    probe.stop();
    player.terminate();
    player.waitForFinished(5000);
    const QString file = ctrl.recordingFilePath();
    std::printf("stop of a %d s %dx%d recording with sound (%.0f MB): stop handler %.1f ms, "
                "usable finished panels after %.1f ms, finished file after %.0f ms, worst "
                "10 ms timer lateness %.1f ms (goal < 100 ms)\n",
                seconds, ctrl.videoWidth(), ctrl.videoHeight(), QFileInfo(file).size() / 1e6,
                stopCallMs, panelsMs, fileMs, worstLateMs);
    QMetaObject::invokeMethod(&ctrl, "closeRecordFinishedPanel");
    return done && worstLateMs < 100;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Recordings go to a folder of the run, not to the user's.
    QTemporaryDir data;
    RecordingStore store(data.filePath(QStringLiteral("recordings")));
    if (!store.open().isEmpty()) {
        std::fprintf(stderr, "can not make the recordings folder\n");
        return 1;
    }
    CropCtrl ctrl(&store);
    PaintWatch painted;
    const QRect desktop = desktopGeometry();

    // 1. Capture request to painted overlay.
    QVector<double> openMs;
    QElapsedTimer clock;
    painted.clock = &clock;
    for (int run = 0; run < kOpenRuns + 1; ++run) {
        painted.paintedAt = -1;
        clock.start();
        ctrl.clear();
        ctrl.setGeometry(desktop);
        ctrl.show();
        // The windows are made as the monitors are laid out; they paint from the event loop.
        painted.watch(ctrl);
        if (!waitFor([&] { return painted.paintedAt >= 0; }, 5000)) {
            std::fprintf(stderr, "overlay never painted\n");
            return 1;
        }
        if (run > 0) // the first run pays for creating the native window
            openMs << painted.paintedAt / 1e6;
        ctrl.close();
        waitFor([&] { return !ctrl.isVisible(); }, 2000);
        QElapsedTimer settle;
        settle.start();
        waitFor([&] { return settle.elapsed() > 100; }, 200);
    }
    std::sort(openMs.begin(), openMs.end());
    std::printf("capture request to painted overlay (%dx%d, %d runs): min %.1f ms, median %.1f "
                "ms, max %.1f ms (goal < 150 ms)\n",
                desktop.width(), desktop.height(), int(openMs.size()), openMs.first(),
                openMs[openMs.size() / 2], openMs.last());

    // 2. Elapsed-time label while recording the whole screen.
    painted.clock = nullptr;
    ctrl.clear();
    ctrl.setGeometry(desktop);
    ctrl.show();
    waitFor([&] { return ctrl.isVisible(); }, 2000);
    const double ratio = ctrl.windows().value(0)->devicePixelRatioF();
    xdo({"mousemove", "0", "0", "mousedown", "1", "mousemove", "900", "500", "mousemove",
         QString::number(int(desktop.width() * ratio) - 1),
         QString::number(int(desktop.height() * ratio) - 1), "mouseup", "1"});
    if (!waitFor([&] { return ctrl.currentMode() == CropCtrl::Mode::Selected; }, 5000)) {
        std::fprintf(stderr, "selection did not happen\n");
        return 1;
    }
    QLabel* timeLabel = nullptr;
    QElapsedTimer recordClock;
    QMetaObject::invokeMethod(&ctrl, "recordWithoutSound");
    recordClock.start();
    if (ctrl.currentMode() != CropCtrl::Mode::Recording) {
        std::fprintf(stderr, "recording did not start\n");
        return 1;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* l = w->findChild<QLabel*>(QStringLiteral("TimeLabel")))
            timeLabel = l;
    QString last = timeLabel->text();
    double worstStep = 0, worstDrift = 0;
    qint64 previous = 0;
    int ticks = 0;
    waitFor(
        [&] {
            if (timeLabel->text() != last) {
                last = timeLabel->text();
                const qint64 now = recordClock.elapsed();
                ++ticks;
                worstDrift = std::max(worstDrift, std::abs(double(now - ticks * 1000)));
                worstStep = std::max(worstStep, std::abs(double(now - previous - 1000)));
                previous = now;
            }
            return ticks >= kRecordSeconds;
        },
        (kRecordSeconds + 5) * 1000);
    QMetaObject::invokeMethod(&ctrl, "stopRecord");
    QMetaObject::invokeMethod(&ctrl, "closeRecordFinishedPanel");
    std::printf("elapsed-time label while recording %dx%d for %d s: worst deviation from whole "
                "seconds %.0f ms, worst tick-to-tick deviation %.0f ms (goal < 100 ms)\n",
                ctrl.videoWidth(), ctrl.videoHeight(), ticks, worstDrift, worstStep);
    if (ticks < kRecordSeconds)
        return 1;
    return measureStop(ctrl, desktop) ? 0 : 1;
}
