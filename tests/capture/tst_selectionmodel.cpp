// The overlay's selection driven by plain pointer calls in overlay units: drawing, moving
// and resizing the area, the handles, the pointer's shapes and the modes they pass through.
#include "capture/SelectionModel.h"

#include <QSignalSpy>
#include <QtTest>

using Mode = SelectionModel::Mode;

namespace {

const QSize kArea(1920, 1080);

// Press at `from`, drag through `to` and release there.
void drag(SelectionModel& model, QPoint from, QPoint to) {
    model.press(from);
    model.pointAt(to);
    model.drag();
    model.release();
}

QPoint centreOf(const SelectionModel& model, int key) {
    return model.handles().value(key).center();
}

} // namespace

class TestSelectionModel : public QObject {
    Q_OBJECT
private slots:
    void drawingPassesThroughTheModes() {
        SelectionModel model;
        model.setArea(kArea);
        QSignalSpy modes(&model, &SelectionModel::modeChanged);
        QCOMPARE(model.press(QPoint(100, 100)), SelectionModel::Press::Started);
        QCOMPARE(model.mode(), Mode::Idle);
        model.pointAt(QPoint(250, 180));
        model.drag();
        QCOMPARE(model.mode(), Mode::Selecting);
        QCOMPARE(model.dragCursor(), Qt::SizeFDiagCursor);
        QVERIFY(model.release());
        QCOMPARE(model.mode(), Mode::Selected);
        // 151 x 81 drawn, snapped down to multiples of 4.
        QCOMPARE(model.selection(), QRect(QPoint(100, 100), QPoint(247, 179)));
        QCOMPARE(modes.count(), 2);
        QCOMPARE(modes.at(1).at(0).value<Mode>(), Mode::Selected);
        // The handles of the final area, eight of them.
        QCOMPARE(model.handles().size(), 8);
        QCOMPARE(centreOf(model, 4), QPoint(247, 179));
    }

    void clickWithoutDragStaysIdle() {
        SelectionModel model;
        model.setArea(kArea);
        model.press(QPoint(300, 300));
        QVERIFY(!model.release());
        QCOMPARE(model.mode(), Mode::Idle);
        QVERIFY(!model.hasArea());
        QVERIFY(model.handles().isEmpty());
    }

    void clickAndDragAreToldApartByTheSlop() {
        SelectionModel model;
        model.setArea(kArea);
        // A hand's wobble during the click draws nothing and ends as a click.
        model.press(QPoint(300, 300));
        model.pointAt(QPoint(303, 297));
        model.drag();
        QCOMPARE(model.mode(), Mode::Idle);
        QVERIFY(!model.hasArea());
        QVERIFY(!model.release());
        QVERIFY(model.clicked());
        // One pixel more is a drag, drawn from the press point, and no click.
        model.press(QPoint(300, 300));
        model.pointAt(QPoint(304, 300));
        model.drag();
        QCOMPARE(model.mode(), Mode::Selecting);
        QCOMPARE(model.normalized().topLeft(), QPoint(300, 300));
        // Back within the slop the area keeps being drawn: once a drag, always a drag.
        model.pointAt(QPoint(301, 301));
        model.drag();
        QCOMPARE(model.mode(), Mode::Selecting);
        QVERIFY(model.release());
        QVERIFY(!model.clicked());
        // A click that drops a selected area only drops it.
        QCOMPARE(model.press(QPoint(900, 900)), SelectionModel::Press::Dropped);
        QVERIFY(!model.release());
        QVERIFY(!model.clicked());
        // A click taken, the area is selected with its handles.
        model.select(QRect(10, 20, 301, 203));
        QCOMPARE(model.mode(), Mode::Selected);
        QCOMPARE(model.normalized(), QRect(10, 20, 301, 203));
        QCOMPARE(centreOf(model, 4), QPoint(310, 222));
    }

    void keysNudgeAndResizeInsideTheScreen() {
        SelectionModel model;
        model.setArea(kArea);
        // Nothing selected: the keys have nothing to move.
        QVERIFY(!model.nudge(QPoint(1, 0)));
        QVERIFY(!model.grow(QPoint(1, 0)));
        model.select(QRect(100, 100, 200, 100));
        QVERIFY(model.nudge(QPoint(-1, 0)));
        QCOMPARE(model.normalized(), QRect(99, 100, 200, 100));
        QVERIFY(model.nudge(QPoint(0, 10)));
        QCOMPARE(model.normalized(), QRect(99, 110, 200, 100));
        QCOMPARE(centreOf(model, 0), QPoint(99, 110));
        // Against the edges the area stops whole.
        model.nudge(QPoint(-1000, -1000));
        QCOMPARE(model.normalized(), QRect(0, 0, 200, 100));
        model.nudge(QPoint(5000, 5000));
        QCOMPARE(model.normalized(), QRect(1720, 980, 200, 100));
        // Resizing grows right and down, up to the last pixel, and shrinks to the minimum.
        QVERIFY(model.grow(QPoint(1, 0)));
        QCOMPARE(model.normalized(), QRect(1720, 980, 200, 100));
        model.grow(QPoint(-10, -1));
        QCOMPARE(model.normalized(), QRect(1720, 980, 190, 99));
        model.grow(QPoint(-1000, -1000));
        QCOMPARE(model.normalized(), QRect(1720, 980, 16, 16));
        model.nudge(QPoint(-1720, -980));
        model.grow(QPoint(5000, 5000));
        QCOMPARE(model.normalized(), QRect(0, 0, 1920, 1080));
        // While a recording runs the area stays as it is.
        model.setMode(Mode::Recording);
        QVERIFY(!model.nudge(QPoint(1, 0)));
        QCOMPARE(model.normalized(), QRect(0, 0, 1920, 1080));
    }

    void drawnAreasKeepTheirMinimumAndStayInside_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("narrow") << QPoint(100, 100) << QPoint(105, 300) << QRect(100, 100, 16, 200);
        QTest::newRow("left and above")
            << QPoint(400, 400) << QPoint(300, 350) << QRect(400, 400, 16, 16);
        // The dragged corner stops at the last pixel, then the size snaps down.
        QTest::newRow("past the corner")
            << QPoint(1000, 500) << QPoint(5000, 5000) << QRect(1000, 500, 920, 580);
        QTest::newRow("corner to corner is the whole screen")
            << QPoint(0, 0) << QPoint(1919, 1079) << QRect(0, 0, 1920, 1080);
    }

    void drawnAreasKeepTheirMinimumAndStayInside() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, expected);
        SelectionModel model;
        model.setArea(kArea);
        drag(model, from, to);
        QCOMPARE(model.normalized(), expected);
    }

    void movingStopsAtTheEdge() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(300, 200));
        QCOMPARE(model.normalized().width(), 200);
        QCOMPARE(model.press(QPoint(150, 150)), SelectionModel::Press::Moving);
        QCOMPARE(model.mode(), Mode::Moving);
        model.pointAt(QPoint(2500, 150));
        model.drag();
        QCOMPARE(model.normalized().right(), 1919);
        QCOMPARE(model.normalized().top(), 100);
        QVERIFY(model.release());
        QCOMPARE(model.mode(), Mode::Selected);
        QCOMPARE(model.normalized().width(), 200);
    }

    void resizingMovesTheHandlesEdgesInSteps() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(300, 200));
        const QRect before = model.normalized();
        // Just outside the area, on the bottom-right handle's grip.
        const QPoint grip = centreOf(model, 4) + QPoint(2, 2);
        QCOMPARE(model.press(grip), SelectionModel::Press::Resizing);
        QCOMPARE(model.activeHandle(), 4);
        QCOMPARE(model.dragCursor(), Qt::SizeFDiagCursor);
        model.pointAt(grip + QPoint(7, -6));
        model.drag();
        QCOMPARE(model.normalized().right(), before.right() + 4);
        QCOMPARE(model.normalized().bottom(), before.bottom() - 4);
        // Far past the opposite corner: the area keeps its minimum and does not turn over.
        model.pointAt(QPoint(0, 0));
        model.drag();
        QCOMPARE(model.normalized().topLeft(), before.topLeft());
        QCOMPARE(model.normalized().size(), QSize(16, 16));
        model.release();
        QCOMPARE(model.mode(), Mode::Selected);
    }

    void innerHalfOfAHandleMovesAndLowerKeyWins() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(105, 105));
        QCOMPARE(model.normalized().size(), QSize(16, 16));
        // Inside the area, on the top-left handle's square: a move, not a resize.
        QCOMPARE(model.press(QPoint(101, 101)), SelectionModel::Press::Moving);
        model.release();
        // Above the top edge, where the grips of handles 0 and 1 overlap: handle 0.
        QCOMPARE(model.press(QPoint(104, 97)), SelectionModel::Press::Resizing);
        QCOMPARE(model.activeHandle(), 0);
    }

    void pressOutsideDropsTheAreaAndDrawsAnew() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(300, 200));
        QCOMPARE(model.press(QPoint(800, 600)), SelectionModel::Press::Dropped);
        QCOMPARE(model.mode(), Mode::Idle);
        QVERIFY(!model.hasArea());
        model.pointAt(QPoint(900, 700));
        model.drag();
        QCOMPARE(model.mode(), Mode::Selecting);
        QCOMPARE(model.normalized().topLeft(), QPoint(800, 600));
    }

    void handlesDuringADragAreThoseBeforeTheMove() {
        SelectionModel model;
        model.setArea(kArea);
        model.press(QPoint(100, 100));
        QVERIFY(!model.pointAt(QPoint(200, 200))); // nothing drawn yet
        model.drag();
        const QRect first = model.normalized();
        QVERIFY(model.pointAt(QPoint(300, 300)));
        QCOMPARE(centreOf(model, 4), first.bottomRight());
        model.drag();
        QVERIFY(centreOf(model, 4) != model.normalized().bottomRight());
        model.release();
        QCOMPARE(centreOf(model, 4), model.normalized().bottomRight());
    }

    void hoverShapesFollowThePointer() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(300, 200));
        const QRect panel(200, 150, 50, 30);
        model.pointAt(QPoint(120, 120));
        QCOMPARE(model.hoverCursor(panel), Qt::SizeAllCursor);
        model.pointAt(QPoint(210, 160));
        QCOMPARE(model.hoverCursor(panel), Qt::ArrowCursor);
        model.pointAt(centreOf(model, 1) + QPoint(0, -4));
        QCOMPARE(model.hoverCursor(panel), Qt::SizeVerCursor);
        model.pointAt(centreOf(model, 2) + QPoint(4, -4));
        QCOMPARE(model.hoverCursor(panel), Qt::SizeBDiagCursor);
        model.pointAt(QPoint(800, 800));
        QCOMPARE(model.hoverCursor(panel), Qt::ArrowCursor);
    }

    void recordingModesComeFromOutside() {
        SelectionModel model;
        model.setArea(kArea);
        drag(model, QPoint(100, 100), QPoint(300, 200));
        model.setMode(Mode::Recording);
        QCOMPARE(int(model.mode()), 5);
        model.setMode(Mode::RecordFinished);
        QCOMPARE(int(model.mode()), 6);
        model.clear();
        QCOMPARE(model.mode(), Mode::Idle);
        QCOMPARE(model.selection(), QRect(QPoint(0, 0), QPoint(-1, -1)));
    }
};

QTEST_GUILESS_MAIN(TestSelectionModel)
#include "tst_selectionmodel.moc"
