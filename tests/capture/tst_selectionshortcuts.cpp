// The quick ways to an area: what a click takes, the keyboard's steps, typed values and the
// last area, checked on the plain functions the overlay calls.
#include "capture/SelectionShortcuts.h"

#include <QtTest>

using namespace CaptureGeometry;

namespace {
const QSize kScreen(1920, 1080);
} // namespace

class TestSelectionShortcuts : public QObject {
    Q_OBJECT
private slots:
    void clickTakesTheTopmostWindowElseTheMonitor() {
        // Two monitors side by side; two windows, the first one on top of the second.
        const QSize area(3840, 1080);
        const QVector<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)};
        const QVector<QRect> windows{QRect(100, 100, 300, 200), QRect(50, 50, 800, 600),
                                     QRect(-40, 900, 400, 400), QRect(5000, 0, 100, 100)};
        QCOMPARE(clickTarget(QPoint(150, 150), windows, monitors, area), windows[0]);
        QCOMPARE(clickTarget(QPoint(700, 150), windows, monitors, area), windows[1]);
        // A window's edges are its own: the last column is in, the next one out.
        QCOMPARE(clickTarget(QPoint(399, 299), windows, monitors, area), windows[0]);
        // Hanging off the screen: what lies on it.
        QCOMPARE(clickTarget(QPoint(0, 1000), windows, monitors, area), QRect(0, 900, 360, 180));
        // No window there: the monitor under the pointer.
        QCOMPARE(clickTarget(QPoint(1000, 900), windows, monitors, area), monitors[0]);
        QCOMPARE(clickTarget(QPoint(2500, 10), windows, monitors, area), monitors[1]);
        // A desktop that knows no windows gives monitors only.
        QCOMPARE(clickTarget(QPoint(150, 150), {}, monitors, area), monitors[0]);
        // Nothing known at all: the whole overlay.
        QCOMPARE(clickTarget(QPoint(150, 150), {}, {}, kScreen), QRect(QPoint(0, 0), kScreen));
    }

    void slopSeparatesClickFromDrag() {
        QVERIFY(!leftClickSlop(QPoint(10, 10), QPoint(10, 10)));
        QVERIFY(!leftClickSlop(QPoint(10, 10), QPoint(13, 7)));
        QVERIFY(leftClickSlop(QPoint(10, 10), QPoint(14, 10)));
        QVERIFY(leftClickSlop(QPoint(10, 10), QPoint(10, 6)));
    }

    void keyboardStepsStayOnTheScreen() {
        const QRect s(100, 100, 200, 100);
        QCOMPARE(nudgedSelection(s, QPoint(10, -10), kScreen), QRect(110, 90, 200, 100));
        QCOMPARE(nudgedSelection(s, QPoint(-101, 0), kScreen), QRect(0, 100, 200, 100));
        QCOMPARE(nudgedSelection(s, QPoint(1621, 981), kScreen), QRect(1720, 980, 200, 100));
        QCOMPARE(grownSelection(s, QPoint(1, 1), kScreen), QRect(100, 100, 201, 101));
        QCOMPARE(grownSelection(s, QPoint(-500, -500), kScreen), QRect(100, 100, 16, 16));
        QCOMPARE(grownSelection(s, QPoint(5000, 5000), kScreen), QRect(100, 100, 1820, 980));
    }

    void typedAreasAreReadOrRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("position"); // (-1, -1): none typed
        const QPoint none(-1, -1);
        QTest::newRow("size only") << "1280x720" << true << QSize(1280, 720) << none;
        QTest::newRow("label's own form")
            << "1280x720 at 100,200" << true << QSize(1280, 720) << QPoint(100, 200);
        QTest::newRow("spaces and capital X")
            << "  640 X 480  at  7 , 9 " << true << QSize(640, 480) << QPoint(7, 9);
        QTest::newRow("multiplication sign")
            << QString::fromUtf8("800×600") << true << QSize(800, 600) << none;
        QTest::newRow("X geometry") << "320x240+10+20" << true << QSize(320, 240) << QPoint(10, 20);
        QTest::newRow("at sign") << "320x240 @ 10,20" << true << QSize(320, 240) << QPoint(10, 20);
        QTest::newRow("empty") << "" << false << QSize() << none;
        QTest::newRow("words") << "big" << false << QSize() << none;
        QTest::newRow("one number") << "1280" << false << QSize() << none;
        QTest::newRow("zero width") << "0x720" << false << QSize() << none;
        QTest::newRow("negative size") << "-5x720" << false << QSize() << none;
        QTest::newRow("trailing garbage") << "1280x720 at 1,2 please" << false << QSize() << none;
        QTest::newRow("half a position") << "1280x720 at 100" << false << QSize() << none;
        QTest::newRow("huge") << "9999999x720" << false << QSize() << none;
        QTest::newRow("fraction") << "12.5x720" << false << QSize() << none;
    }

    void typedAreasAreReadOrRefused() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QSize, size);
        QFETCH(QPoint, position);
        const auto typed = parseTypedArea(text);
        QCOMPARE(typed.has_value(), valid);
        if (!typed)
            return;
        QCOMPARE(typed->size, size);
        QCOMPARE(typed->position.value_or(QPoint(-1, -1)), position);
    }

    void typedTextReadsBack() {
        const QRect r(100, 200, 1280, 720);
        QCOMPARE(typedAreaText(r), QStringLiteral("1280x720 at 100,200"));
        const auto typed = parseTypedArea(typedAreaText(r));
        QVERIFY(typed && typed->position);
        QCOMPARE(QRect(*typed->position, typed->size), r);
    }

    void typedValuesAreFittedToTheScreen() {
        QCOMPARE(fittedToArea(QRect(100, 200, 1280, 720), kScreen), QRect(100, 200, 1280, 720));
        // Too far right and down: moved back whole.
        QCOMPARE(fittedToArea(QRect(1000, 900, 1280, 720), kScreen), QRect(640, 360, 1280, 720));
        // Larger than the screen: the screen.
        QCOMPARE(fittedToArea(QRect(50, 50, 4000, 3000), kScreen), QRect(0, 0, 1920, 1080));
        // Below the minimum: the minimum. Left of the screen: at its edge.
        QCOMPARE(fittedToArea(QRect(-30, 10, 3, 2), kScreen), QRect(0, 10, 16, 16));
    }

    void lastAreaOnlyWhileItIsOnTheScreen() {
        QCOMPARE(usableLastArea(QRect(100, 100, 640, 480), kScreen), QRect(100, 100, 640, 480));
        QCOMPARE(usableLastArea(QRect(0, 0, 1920, 1080), kScreen), QRect(0, 0, 1920, 1080));
        // Off the screen now (a monitor went), partly or wholly: not offered.
        QVERIFY(!usableLastArea(QRect(1800, 100, 640, 480), kScreen));
        QVERIFY(!usableLastArea(QRect(2500, 100, 640, 480), kScreen));
        QVERIFY(!usableLastArea(QRect(-1, 0, 640, 480), kScreen));
        // Broken values: nothing, too small, null.
        QVERIFY(!usableLastArea(QRect(), kScreen));
        QVERIFY(!usableLastArea(QRect(10, 10, 4, 4), kScreen));
    }
};

QTEST_GUILESS_MAIN(TestSelectionShortcuts)
#include "tst_selectionshortcuts.moc"
