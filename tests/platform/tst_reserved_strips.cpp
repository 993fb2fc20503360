// What the panels' reserved strips leave free of each monitor on an X11 desktop of several
// monitors, where the desktop-wide work area cannot tell.
#include "platform/x11/ReservedStrips.h"

#include <QtTest>

using namespace platform::x11;

Q_DECLARE_METATYPE(platform::x11::ReservedStrip)

class ReservedStripsTest : public QObject {
    Q_OBJECT

private slots:
    // Two 1920x1080 monitors side by side, a 1280x1024 one below the left: 3840x2104 in all.
    void panelStripsCutOnlyTheMonitorsTheyCover_data() {
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<QList<ReservedStrip>>("strips");
        QTest::addColumn<QRect>("available");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1920, 1080);
        const QRect below(0, 1080, 1280, 1024);
        const QList<ReservedStrip> leftBottom{{Edge::Bottom, 40 + 1024, 0, 1919}};
        QTest::newRow("panel at the bottom of the left monitor, left")
            << left << leftBottom << QRect(0, 0, 1920, 1040);
        QTest::newRow("panel at the bottom of the left monitor, right")
            << right << leftBottom << right;
        const QList<ReservedStrip> rightTop{{Edge::Top, 32, 1920, 3839}};
        QTest::newRow("top panel on the right") << right << rightTop << QRect(1920, 32, 1920, 1048);
        QTest::newRow("top panel on the right, left") << left << rightTop << left;
        const QList<ReservedStrip> belowBottom{{Edge::Bottom, 48, 0, 1279}};
        QTest::newRow("bottom panel of the lower monitor")
            << below << belowBottom << QRect(0, 1080, 1280, 976);
        QTest::newRow("bottom panel of the lower monitor, upper") << left << belowBottom << left;
        const QList<ReservedStrip> sides{{Edge::Left, 64, 0, 1079}, {Edge::Right, 50, 0, 1079}};
        QTest::newRow("side docks, left") << left << sides << QRect(64, 0, 1856, 1080);
        QTest::newRow("side docks, right") << right << sides << QRect(1920, 0, 1870, 1080);
        QTest::newRow("garbage: a strip as deep as the desktop")
            << left << QList<ReservedStrip>{{Edge::Top, 5000, 0, 3839}} << left;
        QTest::newRow("garbage: an empty span")
            << left << QList<ReservedStrip>{{Edge::Top, 30, 500, 100}} << left;
    }

    void panelStripsCutOnlyTheMonitorsTheyCover() {
        QFETCH(QRect, monitor);
        QFETCH(QList<ReservedStrip>, strips);
        QFETCH(QRect, available);
        QCOMPARE(availableFromStrips(monitor, QSize(3840, 2104), strips), available);
    }
};

QTEST_APPLESS_MAIN(ReservedStripsTest)
#include "tst_reserved_strips.moc"
