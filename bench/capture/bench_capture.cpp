// Capture benchmark, run on the test desktop:
//  1. from a capture request (the main window's sequence: clear(), geometry of the whole
//     desktop, show(), the desktop grab included) to the overlay painted and flushed;
//     goal below 150 ms;
//  2. while a full-screen recording runs, when the elapsed-time label advances compared with
//     whole seconds since the start; goal within 100 ms.
#include "capture/CropCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Runs of the capture request: enough for a stable median on a shared machine.
constexpr int kOpenRuns = 20;
// Seconds of recording observed for the clock.
constexpr int kRecordSeconds = 20;

class TimedCropCtrl : public CropCtrl {
public:
    QElapsedTimer* clock = nullptr;
    qint64 paintedAt = -1;

protected:
    void paintEvent(QPaintEvent* event) override {
        CropCtrl::paintEvent(event);
        // Back in the event loop means the backing store has been flushed to the screen.
        if (clock && paintedAt < 0 && isVisible())
            QTimer::singleShot(0, this, [this] {
                if (paintedAt < 0)
                    paintedAt = clock->nsecsElapsed();
            });
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TimedCropCtrl ctrl;
    const QRect desktop = desktopGeometry();

    // 1. Capture request to painted overlay.
    QVector<double> openMs;
    QElapsedTimer clock;
    ctrl.clock = &clock;
    for (int run = 0; run < kOpenRuns + 1; ++run) {
        ctrl.paintedAt = -1;
        clock.start();
        ctrl.clear();
        ctrl.setGeometry(desktop);
        ctrl.show();
        if (!waitFor([&] { return ctrl.paintedAt >= 0; }, 5000)) {
            std::fprintf(stderr, "overlay never painted\n");
            return 1;
        }
        if (run > 0) // the first run pays for creating the native window
            openMs << ctrl.paintedAt / 1e6;
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
    ctrl.clock = nullptr;
    ctrl.clear();
    ctrl.setGeometry(desktop);
    ctrl.show();
    waitFor([&] { return ctrl.isVisible(); }, 2000);
    const double ratio = ctrl.devicePixelRatioF();
    xdo({"mousemove", "0", "0", "mousedown", "1", "mousemove", "900", "500", "mousemove",
         QString::number(int(desktop.width() * ratio) - 1),
         QString::number(int(desktop.height() * ratio) - 1), "mouseup", "1"});
    if (!waitFor([&] { return ctrl.currentMode() == CropCtrl::Selected; }, 5000)) {
        std::fprintf(stderr, "selection did not happen\n");
        return 1;
    }
    QLabel* timeLabel = nullptr;
    QElapsedTimer recordClock;
    QMetaObject::invokeMethod(&ctrl, "recordWithoutSound");
    recordClock.start();
    if (ctrl.currentMode() != CropCtrl::Recording) {
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
    return ticks >= kRecordSeconds ? 0 : 1;
}
