#include "app/Placement.h"

#include <QtTest>

using namespace Placement;

class PlacementTest : public QObject {
    Q_OBJECT

private slots:
    void historyWindowBesideBottomPanel() {
        // 1920x1080 with a 40-pixel panel at the bottom, tray icon at x 1800..1815.
        const QRect available(0, 0, 1920, 1040);
        const QRect tray(QPoint(1800, 1050), QPoint(1815, 1065));
        QCOMPARE(historyWidgetPosition(available, tray, QSize(300, 400), Edge::Bottom),
                 QPoint(1619, 639));
        // A tray icon near the left end keeps the window centred on it.
        const QRect leftTray(QPoint(300, 1050), QPoint(315, 1065));
        QCOMPARE(historyWidgetPosition(available, leftTray, QSize(300, 400), Edge::Bottom),
                 QPoint(157, 639));
    }

    void historyWindowBesideLeftPanel() {
        const QRect available(40, 0, 1880, 1080);
        const QRect tray(QPoint(10, 500), QPoint(25, 515));
        QCOMPARE(historyWidgetPosition(available, tray, QSize(300, 400), Edge::Left),
                 QPoint(40, 307));
        // An icon low on the panel: the window stops at the bottom of the screen.
        const QRect lowTray(QPoint(10, 1040), QPoint(25, 1055));
        QCOMPARE(historyWidgetPosition(available, lowTray, QSize(300, 400), Edge::Left),
                 QPoint(40, 679));
    }

    void historyWindowBesideTopAndRightPanels() {
        const QRect belowTop(0, 40, 1920, 1040);
        const QRect topTray(QPoint(1800, 10), QPoint(1815, 25));
        QCOMPARE(historyWidgetPosition(belowTop, topTray, QSize(300, 400), Edge::Top),
                 QPoint(1619, 40));
        // Taller than the room below the panel: it stays against the panel, on the screen.
        QCOMPARE(historyWidgetPosition(belowTop, topTray, QSize(300, 1100), Edge::Top),
                 QPoint(1619, 40));

        const QRect leftOfRight(0, 0, 1880, 1080);
        const QRect rightTray(QPoint(1890, 500), QPoint(1905, 515));
        QCOMPARE(historyWidgetPosition(leftOfRight, rightTray, QSize(300, 400), Edge::Right),
                 QPoint(1579, 307));
    }

    void historyWindowCentredForUnknownEdge() {
        const QRect available(0, 0, 1920, 1080);
        const QRect tray(QPoint(1800, 1050), QPoint(1815, 1065));
        QCOMPARE(historyWidgetPosition(available, tray, QSize(300, 400), std::nullopt),
                 QPoint(810, 340));
    }

    void historyWindowLargerThanTheScreenKeepsItsTopLeftOnIt() {
        const QRect available(0, 0, 1880, 1040);
        const QRect tray(QPoint(1890, 10), QPoint(1905, 25));
        // A right panel with the tray at its top end, and a window wider and taller
        // than the screen: its title bar and left side stay on the screen.
        QCOMPARE(historyWidgetPosition(available, tray, QSize(2000, 1100), Edge::Right),
                 QPoint(0, 0));
        QCOMPARE(historyWidgetPosition(available, tray, QSize(2000, 1100), std::nullopt),
                 QPoint(0, 0));
        const QRect leftOfPanel(48, 0, 1872, 1080);
        QCOMPARE(historyWidgetPosition(leftOfPanel, QRect(QPoint(10, 5), QPoint(25, 20)),
                                       QSize(300, 400), Edge::Left),
                 QPoint(48, 0));
    }

    void centredWindows() {
        QCOMPARE(centredOnScreen(QRect(0, 0, 1920, 1080), QSize(372, 155)), QPoint(774, 463));
        QCOMPARE(centredOnScreen(QRect(0, 0, 1920, 1080), QSize(301, 40)).x(), 810);
        // On a second screen: in the middle of that screen, not of the first.
        QCOMPARE(centredOnScreen(QRect(1920, 0, 1280, 1024), QSize(372, 155)),
                 QPoint(1920 + 454, 435));
        QCOMPARE(centredOnScreen(QRect(-1280, 200, 1280, 1024), QSize(372, 155)),
                 QPoint(-1280 + 454, 200 + 435));
    }

    void windowsGoWhereTheTrayOrThePointerIs() {
        // Two monitors side by side, primary (listed first) on the right.
        const QList<QRect> screens{QRect(1920, 0, 1920, 1080), QRect(0, 0, 1920, 1080)};
        const QRect trayOnLeft(QPoint(1800, 1050), QPoint(1815, 1065));
        const QRect trayOnRight(QPoint(3700, 1050), QPoint(3715, 1065));
        // The tray icon's monitor wins over the pointer's.
        QCOMPARE(screenIndexFor(screens, trayOnLeft, QPoint(3000, 500)), 1);
        QCOMPARE(screenIndexFor(screens, trayOnRight, QPoint(100, 500)), 0);
        // No tray geometry (StatusNotifierItem hosts, no tray at all): the pointer's.
        QCOMPARE(screenIndexFor(screens, QRect(), QPoint(100, 500)), 1);
        QCOMPARE(screenIndexFor(screens, QRect(0, 0, 0, 0), QPoint(2000, 5)), 0);
        // Pointer in a gap between monitors (scaled layouts have them): the primary.
        const QList<QRect> gapped{QRect(0, 0, 960, 540), QRect(1920, 0, 960, 540)};
        QCOMPARE(screenIndexFor(gapped, QRect(), QPoint(1500, 100)), 0);
        QCOMPARE(screenIndexFor({}, trayOnLeft, QPoint()), -1);
    }

    void messageBoxesGoOverTheirWindowOrWhereThePointerIs() {
        // Two monitors side by side; the left one has a 40-pixel panel at the bottom.
        const QList<ScreenArea> screens{{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)},
                                        {QRect(1920, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)}};
        const QSize box(400, 150);
        const QPoint onLeft(100, 100), onRight(3000, 900);

        // Over the program's window, wherever the pointer is.
        QCOMPARE(messageBoxPosition(screens, QRect(2400, 300, 800, 600), onLeft, box),
                 QPoint(2600, 525));
        // A window low on the screen: the box stays above the panel.
        QCOMPARE(messageBoxPosition(screens, QRect(100, 950, 300, 80), onRight, box),
                 QPoint(50, 890));
        // The overlay over both monitors: the middle of the one the pointer is on.
        const QRect overlay(0, 0, 3840, 1080);
        QCOMPARE(messageBoxPosition(screens, overlay, onRight, box), QPoint(2680, 465));
        QCOMPARE(messageBoxPosition(screens, overlay, onLeft, box), QPoint(760, 465));
        // A window across the monitors' border: over its larger part, whatever the pointer.
        const QRect across(1500, 200, 600, 400);
        QCOMPARE(messageBoxPosition(screens, across, onRight, box), QPoint(1510, 325));
        QCOMPARE(messageBoxPosition(screens, QRect(1700, 200, 600, 400), onLeft, box),
                 QPoint(1920, 325));

        // No window shown: the middle of the pointer's monitor, less its panel.
        QCOMPARE(messageBoxPosition(screens, QRect(), onRight, box), QPoint(2680, 465));
        QCOMPARE(messageBoxPosition(screens, QRect(), onLeft, box), QPoint(760, 445));
        // A window off every monitor counts as none.
        QCOMPARE(messageBoxPosition(screens, QRect(-5000, -5000, 300, 200), onRight, box),
                 QPoint(2680, 465));
        // A pointer off every monitor: the first.
        QCOMPARE(messageBoxPosition(screens, QRect(), QPoint(-50, 2000), box), QPoint(760, 445));
        // A box larger than the room keeps its top-left corner on it.
        QCOMPARE(messageBoxPosition(screens, QRect(), onLeft, QSize(2000, 1200)), QPoint(0, 0));
        QCOMPARE(messageBoxPosition(screens, overlay, onRight, QSize(2000, 1200)), QPoint(1920, 0));
        QCOMPARE(messageBoxPosition({}, QRect(), onLeft, box), QPoint(0, 0));
    }

    void historyWindowWithAnUnknownTrayPlaceGoesToThePanelsCorner() {
        const QRect none; // what a StatusNotifierItem host gives as the icon's geometry
        const QSize w(300, 400);
        // Second monitor on the right, panel at the bottom: bottom-right corner of it.
        QCOMPARE(historyWidgetPosition(QRect(1920, 0, 1920, 1040), none, w, Edge::Bottom),
                 QPoint(3840 - 300, 1040 - 400));
        QCOMPARE(historyWidgetPosition(QRect(0, 32, 1920, 1048), none, w, Edge::Top),
                 QPoint(1620, 32));
        QCOMPARE(historyWidgetPosition(QRect(48, 0, 1872, 1080), none, w, Edge::Left),
                 QPoint(48, 680));
        QCOMPARE(historyWidgetPosition(QRect(0, 0, 1872, 1080), none, w, Edge::Right),
                 QPoint(1572, 680));
        // No panel at all: the middle, still on the monitor's own area.
        QCOMPARE(historyWidgetPosition(QRect(1920, 0, 1920, 1080), none, w, std::nullopt),
                 QPoint(1920 + 810, 340));
    }

    void historyWindowIsFullyOnScreenOnEveryPath() {
        const QSize w(300, 400);
        const QList<QRect> areas{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1920, 1040),
                                 QRect(0, 32, 1280, 700), QRect(-1280, 0, 1280, 1024)};
        const QList<QRect> trays{QRect(), QRect(QPoint(0, 1050), QPoint(15, 1065)),
                                 QRect(QPoint(3830, 1050), QPoint(3845, 1065)),
                                 QRect(QPoint(-5000, -5000), QPoint(-4990, -4990)),
                                 QRect(QPoint(1900, 0), QPoint(1915, 15))};
        for (const QRect& a : areas) {
            for (const QRect& t : trays) {
                for (const std::optional<Edge>& e :
                     {std::optional<Edge>(), std::optional<Edge>(Edge::Left),
                      std::optional<Edge>(Edge::Top), std::optional<Edge>(Edge::Right),
                      std::optional<Edge>(Edge::Bottom)}) {
                    const QRect placed(historyWidgetPosition(a, t, w, e), w);
                    QVERIFY2(a.contains(placed),
                             qPrintable(QStringLiteral("area %1,%2 %3x%4 tray %5,%6")
                                            .arg(a.x())
                                            .arg(a.y())
                                            .arg(a.width())
                                            .arg(a.height())
                                            .arg(t.x())
                                            .arg(t.y())));
                }
            }
        }
        QCOMPARE(keptInside(QRect(0, 0, 100, 100), QPoint(90, 95), QSize(20, 10)), QPoint(80, 90));
        QCOMPARE(keptInside(QRect(10, 10, 100, 100), QPoint(-50, 0), QSize(20, 10)),
                 QPoint(10, 10));
    }

    void snapButtonStartsAboveTheMiddle() {
        QCOMPARE(snapButtonStartPoint(QRect(0, 0, 1920, 1048), QSize(80, 80)), QPoint(920, 444));
        QCOMPARE(snapButtonStartPoint(QRect(0, 0, 1921, 1081), QSize(81, 81)), QPoint(920, 459));
    }

    void panelEdgeFromReservedStrips_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("tray");
        QTest::addColumn<int>("edge"); // -1: no panel
        const QRect noTray;
        QTest::newRow("bottom") << QRect(0, 0, 1920, 1048) << noTray << int(Edge::Bottom);
        QTest::newRow("top") << QRect(0, 32, 1920, 1048) << noTray << int(Edge::Top);
        QTest::newRow("left") << QRect(48, 0, 1872, 1080) << noTray << int(Edge::Left);
        QTest::newRow("right") << QRect(0, 0, 1872, 1080) << noTray << int(Edge::Right);
        QTest::newRow("nothing reserved") << QRect(0, 0, 1920, 1080) << noTray << -1;
        // Panels top and bottom: the tray icon tells which one holds the tray.
        QTest::newRow("two panels, tray below")
            << QRect(0, 32, 1920, 1016) << QRect(1880, 1052, 24, 24) << int(Edge::Bottom);
        QTest::newRow("two panels, tray above")
            << QRect(0, 32, 1920, 1016) << QRect(1880, 4, 24, 24) << int(Edge::Top);
        QTest::newRow("two panels, no hint")
            << QRect(0, 32, 1920, 1016) << noTray << int(Edge::Top);
    }

    void panelEdgeFromReservedStrips() {
        QFETCH(QRect, available);
        QFETCH(QRect, tray);
        QFETCH(int, edge);
        const std::optional<Edge> found =
            taskbarEdgeFromGeometry(QRect(0, 0, 1920, 1080), available, tray);
        QCOMPARE(found ? int(*found) : -1, edge);
    }

    // The panel shown while recording: never inside the recorded area (nor within the gap
    // around it) and never over the tray icon; wholly on one monitor; hidden when there is no
    // such place.
    void recordPanelStaysOutOfTheRecording_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("recorded");
        QTest::addColumn<QRect>("tray");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QPoint>("expected");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1920, 1080);
        const QList<QRect> one{left};
        const QList<QRect> two{left, right};
        const QRect noTray;
        QTest::newRow("room below") << one << QRect(QPoint(400, 300), QPoint(719, 539)) << noTray
                                    << true << QPoint(519, 544);
        QTest::newRow("room above only") << one << QRect(QPoint(400, 1000), QPoint(719, 1079))
                                         << noTray << true << QPoint(519, 955);
        QTest::newRow("full height, room right") << one << QRect(QPoint(0, 0), QPoint(1499, 1079))
                                                 << noTray << true << QPoint(1504, 1040);
        QTest::newRow("full height, room left") << one << QRect(QPoint(600, 0), QPoint(1919, 1079))
                                                << noTray << true << QPoint(395, 1040);
        QTest::newRow("tray icon below, so left")
            << one << QRect(QPoint(1000, 0), QPoint(1919, 1000)) << QRect(1880, 1010, 24, 24)
            << true << QPoint(795, 961);
        QTest::newRow("whole monitor, a second one beside")
            << two << left << noTray << true << QPoint(1924, 1040);
        QTest::newRow("whole second monitor, the first beside")
            << two << right << noTray << true << QPoint(1715, 1040);
        QTest::newRow("whole screen, one monitor") << one << left << noTray << false << QPoint();
        // What dragging from corner to corner selects: short of the last pixels, but no
        // room for the panel either.
        QTest::newRow("nearly the whole screen")
            << one << QRect(0, 0, 1916, 1076) << noTray << false << QPoint();
        QTest::newRow("every monitor")
            << two << QRect(0, 0, 3840, 1080) << noTray << false << QPoint();
        QTest::newRow("no monitors")
            << QList<QRect>() << QRect(0, 0, 100, 100) << noTray << false << QPoint();
    }

    void recordPanelStaysOutOfTheRecording() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, recorded);
        QFETCH(QRect, tray);
        QFETCH(bool, placed);
        QFETCH(QPoint, expected);
        const QSize panel(200, 40);
        const int gap = 5;
        const std::optional<QPoint> at = recordPanelPosition(screens, recorded, panel, tray, gap);
        QCOMPARE(at.has_value(), placed);
        if (!at)
            return;
        QCOMPARE(*at, expected);
        const QRect r(*at, panel);
        QVERIFY(!r.intersects(recorded.adjusted(1 - gap, 1 - gap, gap - 1, gap - 1)));
        QVERIFY(tray.isEmpty() || !r.intersects(tray));
        QVERIFY(std::any_of(screens.begin(), screens.end(),
                            [&](const QRect& s) { return s.contains(r); }));
    }
};

QTEST_APPLESS_MAIN(PlacementTest)
#include "tst_placement.moc"
