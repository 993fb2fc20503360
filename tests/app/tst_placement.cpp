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
        // A second screen's origin is not added.
        QCOMPARE(centredOnScreen(QRect(1920, 0, 1280, 1024), QSize(372, 155)), QPoint(454, 435));
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
};

QTEST_APPLESS_MAIN(PlacementTest)
#include "tst_placement.moc"
