// The monitors' layout as plain values: overlay units, global logical coordinates and
// device pixels on one monitor, on two side by side, under mixed scale factors, and without
// any monitor.
#include "capture/ScreenLayout.h"

#include <QtTest>

using Monitor = ScreenLayout::Monitor;

class TestScreenLayout : public QObject {
    Q_OBJECT
private slots:
    void oneMonitorMapsOntoItself() {
        const ScreenLayout layout({Monitor{QRect(0, 0, 1920, 1080), 1.0}});
        QCOMPARE(layout.count(), 1);
        QCOMPARE(layout.overlaySize(), QSize(1920, 1080));
        QCOMPARE(layout.fromGlobal(QPoint(300, 200)), QPoint(300, 200));
        QCOMPARE(layout.overlayPoint(0, QPointF(10.4, 20.6)), QPoint(10, 21));
        QCOMPARE(layout.physicalRect(QRect(100, 100, 148, 80)), QRect(100, 100, 148, 80));
        QCOMPARE(layout.toGlobal(QRect(5, 6, 7, 8), QPoint(5, 6), false), QRect(5, 6, 7, 8));
        // Outer edges hold nothing back: things stay where their own rule puts them.
        QCOMPARE(layout.keptOnPart(QRect(1900, 1070, 50, 50), 0), QRect(1900, 1070, 50, 50));
    }

    void scaledMonitorRecordsDevicePixels() {
        // Qt gives a 1920 x 1080 monitor at ratio 2 as 960 x 540 logical units.
        const ScreenLayout layout({Monitor{QRect(0, 0, 960, 540), 2.0}});
        QCOMPARE(layout.overlaySize(), QSize(960, 540));
        QCOMPARE(layout.physical(0), QRect(0, 0, 1920, 1080));
        QCOMPARE(layout.toOverlay(0), 1.0);
        QCOMPARE(layout.physicalRect(QRect(10, 10, 100, 50)), QRect(20, 20, 200, 100));
    }

    void devicePixelsBackToOverlayUnits() {
        // A window's frame in X pixels: at ratio 1 as it is, at ratio 2 in the overlay units
        // that hold it, rounded outward, so that recording them loses none of it.
        const ScreenLayout plain({Monitor{QRect(0, 0, 1920, 1080), 1.0}});
        QCOMPARE(plain.fromPhysical(QRect(301, 203, 487, 317)), QRect(301, 203, 487, 317));
        const ScreenLayout scaled({Monitor{QRect(0, 0, 960, 540), 2.0}});
        QCOMPARE(scaled.fromPhysical(QRect(0, 0, 1920, 1080)), QRect(0, 0, 960, 540));
        QCOMPARE(scaled.fromPhysical(QRect(20, 20, 200, 100)), QRect(10, 10, 100, 50));
        const QRect odd = scaled.fromPhysical(QRect(301, 203, 487, 317));
        QCOMPARE(odd, QRect(QPoint(150, 101), QPoint(393, 259)));
        QVERIFY(scaled.physicalRect(odd).contains(QRect(301, 203, 487, 317)));
    }

    void twoMonitorsRunOnWithoutGaps() {
        const ScreenLayout layout(
            {Monitor{QRect(0, 0, 1920, 1080), 1.0}, Monitor{QRect(1920, 0, 1280, 1024), 1.0}});
        QCOMPARE(layout.overlaySize(), QSize(3200, 1080));
        QCOMPARE(layout.area(1), QRect(1920, 0, 1280, 1024));
        QCOMPARE(layout.partAt(QPoint(100, 100)), 0);
        QCOMPARE(layout.partAt(QPoint(2000, 10)), 1);
        // Below the lower monitor, where neither lies: the nearest one.
        QCOMPARE(layout.partAt(QPoint(3000, 1070)), 1);
        QCOMPARE(layout.partAt(QPoint(1900, 1070)), 0);
        QCOMPARE(layout.fromGlobal(QPoint(2000, 50)), QPoint(2000, 50));
        // Off every monitor: as on the first.
        QCOMPARE(layout.fromGlobal(QPoint(2000, 1050)), QPoint(2000, 1050));
        // A panel that would spill over the shared edge stays on its monitor; at the
        // desktop's outer edges it is left alone.
        QCOMPARE(layout.keptOnPart(QRect(1900, 100, 100, 40), 0), QRect(1820, 100, 100, 40));
        QCOMPARE(layout.keptOnPart(QRect(1900, 100, 100, 40), 1), QRect(1920, 100, 100, 40));
        QCOMPARE(layout.keptOnPart(QRect(3150, 1000, 100, 40), 1), QRect(3150, 984, 100, 40));
        QCOMPARE(layout.toGlobal(QRect(1900, 100, 100, 40), QPoint(1950, 120), true),
                 QRect(1920, 100, 100, 40));
    }

    void mixedRatiosShareOneOverlayUnit() {
        // Left: 1920 x 1080 at ratio 1. Right: 2560 x 1440 device pixels at ratio 2, which Qt
        // gives as 1280 x 720 from the left one's right edge in device pixels.
        const ScreenLayout layout(
            {Monitor{QRect(0, 0, 1920, 1080), 1.0}, Monitor{QRect(1920, 0, 1280, 720), 2.0}});
        QCOMPARE(layout.physical(1), QRect(1920, 0, 2560, 1440));
        // Overlay units are device pixels halved, the largest ratio.
        QCOMPARE(layout.area(0), QRect(0, 0, 960, 540));
        QCOMPARE(layout.area(1), QRect(960, 0, 1280, 720));
        QCOMPARE(layout.overlaySize(), QSize(2240, 720));
        QCOMPARE(layout.toOverlay(0), 0.5);
        QCOMPARE(layout.toOverlay(1), 1.0);
        QCOMPARE(layout.overlayPoint(0, QPointF(100, 100)), QPoint(50, 50));
        QCOMPARE(layout.overlayPoint(1, QPointF(100, 100)), QPoint(1060, 100));
        QCOMPARE(layout.fromGlobal(QPoint(2020, 50)), QPoint(1060, 50));
        QCOMPARE(layout.fromGlobal(QPoint(100, 100)), QPoint(50, 50));
        QCOMPARE(layout.physicalRect(QRect(960, 0, 100, 100)), QRect(1920, 0, 200, 200));
        QCOMPARE(layout.physicalRect(QRect(10, 10, 100, 100)), QRect(20, 20, 200, 200));
        QCOMPARE(layout.toGlobal(QRect(970, 10, 20, 20), QPoint(975, 15), false),
                 QRect(1930, 10, 20, 20));
        QCOMPARE(layout.toGlobal(QRect(10, 10, 20, 20), QPoint(15, 15), false),
                 QRect(20, 20, 40, 40));
        QCOMPARE(layout.toLocal(QRect(10, 10, 20, 20), 0), QRect(20, 20, 40, 40));
        QCOMPARE(layout.fromLocal(QRect(20, 20, 40, 40), 0), QRect(10, 10, 20, 20));
        QCOMPARE(layout.overlayRect(QRect(1920, 0, 300, 100)), QRect(960, 0, 300, 100));
        QCOMPARE(layout.overlayRect(QRect(100, 100, 300, 100)), QRect(50, 50, 150, 50));
    }

    // A 1280 x 720 monitor at scale 1.5 beside one at scale 1: Qt gives it as 853 logical
    // units wide, and its pictures say 1280 / 853 pixels per unit. Its corner falls between
    // two overlay units, which the area's own pixels must not inherit.
    void fractionalMonitorKeepsItsOwnPixels() {
        const double ratio = 1280.0 / 853;
        const ScreenLayout layout(
            {Monitor{QRect(0, 0, 1920, 1080), 1.0}, Monitor{QRect(1920, 0, 853, 480), ratio}});
        QCOMPARE(layout.physical(1), QRect(1920, 0, 1280, 720));
        const QRect selected(layout.area(1).topLeft() + QPoint(100, 80), QSize(240, 160));
        QCOMPARE(layout.pixelsInPart(selected, 1), QRect(150, 120, 360, 240));
        QCOMPARE(layout.pixelsInPart(layout.area(1), 1), QRect(0, 0, 1280, 720));
        // The monitor whose corner is the overlay's: the same as the whole desktop's pixels.
        const QRect left(100, 80, 160, 107);
        QCOMPARE(layout.pixelsInPart(left, 0), layout.physicalRect(left));
    }

    void noMonitorFallsBackToTheGivenArea() {
        const ScreenLayout layout({}, QRect(10, 20, 800, 600));
        QCOMPARE(layout.count(), 0);
        QCOMPARE(layout.overlaySize(), QSize(800, 600));
        QCOMPARE(layout.partAt(QPoint(5, 5)), -1);
        QCOMPARE(layout.fromGlobal(QPoint(110, 120)), QPoint(100, 100));
        QCOMPARE(layout.toGlobal(QRect(0, 0, 50, 50), QPoint(), true), QRect(10, 20, 50, 50));
        QCOMPARE(layout.physicalRect(QRect(0, 0, 50, 50)), QRect(10, 20, 50, 50));
        QCOMPARE(layout.overlayPoint(-1, QPointF(3, 4)), QPoint(3, 4));
    }
};

QTEST_GUILESS_MAIN(TestScreenLayout)
#include "tst_screenlayout.moc"
