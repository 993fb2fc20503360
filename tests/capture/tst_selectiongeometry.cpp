// Selection rules of the capture overlay, checked on the plain functions the widget calls.
#include "capture/SelectionGeometry.h"

#include <QtTest>

using namespace CaptureGeometry;

namespace {
const QSize kScreen(1920, 1080);
QRect corners(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r, b));
}
} // namespace

class TestSelectionGeometry : public QObject {
    Q_OBJECT
private slots:
    void drawing_data();
    void drawing();
    void clampKeepsFrameOnScreen_data();
    void clampKeepsFrameOnScreen();
    void moving();
    void handles();
    void handleHitAreasOverlapLowerKeyWins();
    void resizeSnapsOffsetTowardZero();
    void resizeNeverBelowMinimumNorInverted_data();
    void resizeNeverBelowMinimumNorInverted();
    void resizeEveryHandleMovesOnlyItsEdges();
    void sizeLabel();
    void panelPlacement();
    void recordPanelStaysOutOfVideo();
    void socialPanelPlacement();
    void dimBandsCoverOutside();
    void dimBandsAtEdges();
    void recordFrame();
    void physicalMapping();
    void elapsed();
    void nullSelectionIsEmpty();
};

void TestSelectionGeometry::drawing_data() {
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("worked example 151x81 -> 148x80")
        << QPoint(100, 100) << QPoint(250, 180) << corners(100, 100, 247, 179);
    QTest::newRow("narrow gives minimum width")
        << QPoint(100, 100) << QPoint(105, 300) << corners(100, 100, 115, 299);
    QTest::newRow("left and above give minimum to the right and below")
        << QPoint(300, 300) << QPoint(100, 120) << corners(300, 300, 315, 315);
    QTest::newRow("already multiples of 4 unchanged")
        << QPoint(10, 20) << QPoint(49, 59) << corners(10, 20, 49, 59);
    QTest::newRow("past right and bottom clamps to the last pixel before snapping")
        << QPoint(1000, 500) << QPoint(5000, 5000) << corners(1000, 500, 1919, 1079);
    QTest::newRow("corner to the last pixel is the whole screen")
        << QPoint(0, 0) << QPoint(1919, 1079) << corners(0, 0, 1919, 1079);
    QTest::newRow("one short of the last pixel snaps down")
        << QPoint(0, 0) << QPoint(1918, 1078) << corners(0, 0, 1915, 1075);
    QTest::newRow("click without travel gives the minimum square")
        << QPoint(50, 60) << QPoint(50, 60) << corners(50, 60, 65, 75);
    QTest::newRow("17 wide snaps to 16") << QPoint(0, 0) << QPoint(16, 40) << corners(0, 0, 15, 39);
}

void TestSelectionGeometry::drawing() {
    QFETCH(QPoint, press);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, expected);
    const QRect got = drawnSelection(press, pointer, kScreen);
    QCOMPARE(got, expected);
    QCOMPARE(got.width() % 4, 0);
    QCOMPARE(got.height() % 4, 0);
    QVERIFY(got.width() >= 16 && got.height() >= 16);
}

void TestSelectionGeometry::clampKeepsFrameOnScreen_data() {
    QTest::addColumn<QPoint>("in");
    QTest::addColumn<QPoint>("out");
    QTest::newRow("inside") << QPoint(10, 10) << QPoint(10, 10);
    QTest::newRow("negative") << QPoint(-5, -9) << QPoint(0, 0);
    QTest::newRow("last column and row stay") << QPoint(1919, 1079) << QPoint(1919, 1079);
    QTest::newRow("one past") << QPoint(1920, 1080) << QPoint(1919, 1079);
    QTest::newRow("far outside") << QPoint(99999, 5000) << QPoint(1919, 1079);
}

void TestSelectionGeometry::clampKeepsFrameOnScreen() {
    QFETCH(QPoint, in);
    QFETCH(QPoint, out);
    QCOMPARE(clampToArea(in, kScreen), out);
}

void TestSelectionGeometry::moving() {
    // A 200-pixel-wide selection dragged hard against the right edge stops at the last column.
    const QRect sel = corners(100, 100, 299, 199);
    const QPoint limit = moveLimit(sel, kScreen);
    QRect moved = movedSelection(sel, sel.topLeft(), QPoint(150, 150), QPoint(5000, 5000), limit);
    QCOMPARE(moved.right(), 1919);
    QCOMPARE(moved.bottom(), 1079);
    QCOMPARE(moved.size(), sel.size());
    moved = movedSelection(sel, sel.topLeft(), QPoint(150, 150), QPoint(-800, -800), limit);
    QCOMPARE(moved.topLeft(), QPoint(0, 0));
    QCOMPARE(moved.size(), sel.size());
    moved = movedSelection(sel, sel.topLeft(), QPoint(150, 150), QPoint(163, 141), limit);
    QCOMPARE(moved.topLeft(), QPoint(113, 91));
}

void TestSelectionGeometry::handles() {
    const QMap<int, QRect> h = handleRects(corners(100, 200, 299, 299));
    QCOMPARE(h.size(), 8);
    const QPoint centres[8] = {{100, 200}, {199, 200}, {299, 200}, {299, 249},
                               {299, 299}, {199, 299}, {100, 299}, {100, 249}};
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(h[k].center(), centres[k]);
        QCOMPARE(h[k].size(), QSize(7, 7));
    }
    int key = -1;
    // Grip reaches 2 pixels past the 7x7 square (centre +- 5), edges included.
    QVERIFY(handleAt(h, QPoint(95, 195), &key));
    QCOMPARE(key, 0);
    QVERIFY(!handleAt(h, QPoint(94, 195), &key));
    QVERIFY(handleAt(h, QPoint(304, 304), &key));
    QCOMPARE(key, 4);
    QVERIFY(!handleAt(h, QPoint(200, 250), &key));
    QCOMPARE(handleCursor(0), Qt::SizeFDiagCursor);
    QCOMPARE(handleCursor(1), Qt::SizeVerCursor);
    QCOMPARE(handleCursor(2), Qt::SizeBDiagCursor);
    QCOMPARE(handleCursor(3), Qt::SizeHorCursor);
    QCOMPARE(handleCursor(6), Qt::SizeBDiagCursor);
}

void TestSelectionGeometry::handleHitAreasOverlapLowerKeyWins() {
    // 16x16: handles 0 (100,100) and 1 (107,100) overlap between x 102..105.
    const QMap<int, QRect> h = handleRects(corners(100, 100, 115, 115));
    int key = -1;
    QVERIFY(handleAt(h, QPoint(104, 98), &key));
    QCOMPARE(key, 0);
    QVERIFY(handleAt(h, QPoint(110, 98), &key));
    QCOMPARE(key, 1);
}

void TestSelectionGeometry::resizeSnapsOffsetTowardZero() {
    QCOMPARE(truncateToStep(7), 4);
    QCOMPARE(truncateToStep(-6), -4);
    QCOMPARE(truncateToStep(-3), 0);
    const QRect start = corners(100, 100, 299, 199);
    const QPoint press(299, 199);
    const QRect got = resizedSelection(start, start, 4, press, press + QPoint(7, -6), kScreen);
    QCOMPARE(got, corners(100, 100, 303, 195));
}

void TestSelectionGeometry::resizeNeverBelowMinimumNorInverted_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("travel");
    QTest::addColumn<QRect>("expected");
    const int l = 100, t = 100, r = 299, b = 199;
    QTest::newRow("left past right") << 7 << QPoint(1000, 0) << corners(r - 15, t, r, b);
    QTest::newRow("right past left") << 3 << QPoint(-1000, 0) << corners(l, t, l + 15, b);
    QTest::newRow("top past bottom") << 1 << QPoint(0, 900) << corners(l, b - 15, r, b);
    QTest::newRow("bottom past top") << 5 << QPoint(0, -900) << corners(l, t, r, t + 15);
    QTest::newRow("corner 0 crossing both")
        << 0 << QPoint(900, 900) << corners(r - 15, b - 15, r, b);
    QTest::newRow("corner 2 off the screen") << 2 << QPoint(5000, -5000) << corners(l, 0, 1919, b);
    QTest::newRow("corner 6 off the screen") << 6 << QPoint(-5000, 5000) << corners(0, t, r, 1079);
}

void TestSelectionGeometry::resizeNeverBelowMinimumNorInverted() {
    QFETCH(int, key);
    QFETCH(QPoint, travel);
    QFETCH(QRect, expected);
    const QRect start = corners(100, 100, 299, 199);
    const QPoint press = handleRects(start)[key].center();
    const QRect got = resizedSelection(start, start, key, press, press + travel, kScreen);
    QCOMPARE(got, expected);
    QVERIFY(got.width() >= 16 && got.height() >= 16);
}

void TestSelectionGeometry::resizeEveryHandleMovesOnlyItsEdges() {
    const QRect start = corners(400, 400, 599, 499);
    // Edges each handle moves: left, top, right, bottom.
    const bool moves[8][4] = {{1, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 1, 0},
                              {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 0}};
    for (int key = 0; key < 8; ++key) {
        const QPoint press = handleRects(start)[key].center();
        const QRect got =
            resizedSelection(start, start, key, press, press + QPoint(-21, 43), kScreen);
        QCOMPARE(got.left(), start.left() + (moves[key][0] ? -20 : 0));
        QCOMPARE(got.top(), start.top() + (moves[key][1] ? 40 : 0));
        QCOMPARE(got.right(), start.right() + (moves[key][2] ? -20 : 0));
        QCOMPARE(got.bottom(), start.bottom() + (moves[key][3] ? 40 : 0));
    }
}

void TestSelectionGeometry::sizeLabel() {
    QCOMPARE(sizeLabelPos(corners(100, 100, 300, 200), 43), QPoint(100, 52));
    QCOMPARE(sizeLabelPos(corners(100, 20, 300, 200), 43), QPoint(100, 25));
    QCOMPARE(sizeLabelPos(corners(100, 48, 300, 200), 43), QPoint(100, 0));
}

void TestSelectionGeometry::panelPlacement() {
    const QSize panel(250, 43);
    // Below the selection, right edge one pixel left of the selection's right edge.
    QCOMPARE(panelPos(corners(500, 300, 899, 599), panel, 1080), QPoint(649, 604));
    // B + h + 5 = 1079 is not below the last row 1079: inside, bottom row at B - 6.
    const QPoint inside = panelPos(corners(500, 300, 899, 1031), panel, 1080);
    QCOMPARE(inside, QPoint(649, 1031 - 43 - 5));
    QCOMPARE(inside.y() + panel.height() - 1, 1031 - 6);
    // One row more room: below.
    QCOMPARE(panelPos(corners(500, 300, 899, 1030), panel, 1080).y(), 1035);
    // Narrower than the panel: it extends left of the selection, even off the screen.
    QCOMPARE(panelPos(corners(10, 10, 109, 59), panel, 1080), QPoint(109 - 250, 64));
}

void TestSelectionGeometry::recordPanelStaysOutOfVideo() {
    const QSize panel(200, 43);
    const QRect middle = corners(500, 300, 899, 599);
    QCOMPARE(recordPanelPos(middle, panel, 1080), panelPos(middle, panel, 1080));
    // No room below: above the selection instead of inside it.
    const QRect low = corners(500, 300, 899, 1060);
    const QPoint above = recordPanelPos(low, panel, 1080);
    QCOMPARE(above, QPoint(699, 300 - 5 - 43));
    QVERIFY(!QRect(above, panel).intersects(low));
    // The whole height selected: nowhere outside, so as the start panel.
    const QRect all = corners(0, 0, 1919, 1079);
    QCOMPARE(recordPanelPos(all, panel, 1080), panelPos(all, panel, 1080));
}

void TestSelectionGeometry::socialPanelPlacement() {
    const QSize social(110, 43);
    const QRect finished(QPoint(600, 600), QSize(150, 43)); // bottom row 642
    // Centred on the share button (halves truncated) and 10 rows below the finished panel.
    QCOMPARE(socialPanelPos(QPoint(671, 609), 26, social, finished, 1080),
             QPoint(671 + 13 - 55, 652));
    // Exactly h + 10 rows left below: still below.
    const QRect lowFinished(QPoint(600, 1079 - 53 - 42), QSize(150, 43));
    QCOMPARE(socialPanelPos(QPoint(671, 0), 26, social, lowFinished, 1080).y(),
             lowFinished.bottom() + 10);
    // One row fewer: above, bottom row at F.top - 11.
    const QRect lower = lowFinished.translated(0, 1);
    const QPoint above = socialPanelPos(QPoint(671, 0), 26, social, lower, 1080);
    QCOMPARE(above.y() + social.height() - 1, lower.top() - 11);
    QCOMPARE(socialPanelPos(QPoint(671, 0), 25, QSize(111, 43), finished, 1080).x(), 671 + 12 - 55);
}

void TestSelectionGeometry::dimBandsCoverOutside() {
    // 100x50 selection at (10,10): undimmed from x 10 to 110.7 and y 10 to 60.7.
    const QVector<QRectF> bands = dimBands(corners(10, 10, 109, 59), kScreen);
    QCOMPARE(bands.size(), 4);
    QCOMPARE(bands[0], QRectF(0, 0, 1920, 10));
    QCOMPARE(bands[1].top(), 60.7);
    QCOMPARE(bands[1].bottom(), 1080.0);
    QCOMPARE(bands[2], QRectF(0, 10, 10, 50.7));
    QCOMPARE(bands[3].left(), 110.7);
    QCOMPARE(bands[3].right(), 1920.0);
    // Sample points: inside the selection none, outside exactly one band.
    for (const QPointF p : {QPointF(10.5, 10.5), QPointF(109.5, 59.5), QPointF(60, 30)}) {
        for (const QRectF& band : bands)
            QVERIFY2(!band.contains(p), qPrintable(QString::number(p.x())));
    }
    for (const QPointF p : {QPointF(9.5, 30), QPointF(111, 30), QPointF(60, 9.5), QPointF(60, 61),
                            QPointF(1919.5, 1079.5), QPointF(0.5, 0.5)}) {
        int hits = 0;
        for (const QRectF& band : bands)
            hits += band.contains(p);
        QCOMPARE(hits, 1);
    }
}

void TestSelectionGeometry::dimBandsAtEdges() {
    // Touching the top-left corner: no band above nor left.
    QCOMPARE(dimBands(corners(0, 0, 99, 99), kScreen).size(), 2);
    // Reaching the last column and row: no band right nor below.
    QCOMPARE(dimBands(corners(500, 500, 1918, 1078), kScreen).size(), 2);
    QCOMPARE(dimBands(corners(500, 500, 1919, 1079), kScreen).size(), 2);
    QVERIFY(dimBands(corners(0, 0, 1919, 1079), kScreen).isEmpty());
}

void TestSelectionGeometry::recordFrame() {
    QCOMPARE(recordFrameGeometry(corners(100, 100, 299, 199)), QRect(98, 98, 203, 103));
}

void TestSelectionGeometry::physicalMapping() {
    const QRect sel = corners(100, 100, 247, 179);
    QCOMPARE(toPhysical(sel, QRect(0, 0, 1920, 1080), 1.0), QRect(100, 100, 148, 80));
    // Scale 2 on a 3840x2160 screen seen as 1920x1080 logical pixels.
    QCOMPARE(toPhysical(sel, QRect(0, 0, 1920, 1080), 2.0), QRect(200, 200, 296, 160));
    // Second screen at native x 1920 keeps its corner; only the extent is scaled.
    QCOMPARE(toPhysical(corners(2020, 10, 2119, 59), QRect(1920, 0, 960, 540), 2.0),
             QRect(2120, 20, 200, 100));
    // Fractional scale rounds each edge, so neighbouring areas share no pixel.
    QCOMPARE(toPhysical(corners(1, 1, 2, 2), QRect(0, 0, 100, 100), 1.5), QRect(2, 2, 3, 3));
}

void TestSelectionGeometry::elapsed() {
    QCOMPARE(elapsedText(0), QStringLiteral("00:00:00"));
    QCOMPARE(elapsedText(59), QStringLiteral("00:00:59"));
    QCOMPARE(elapsedText(3661), QStringLiteral("01:01:01"));
    QCOMPARE(elapsedText(86399), QStringLiteral("23:59:59"));
    QCOMPARE(elapsedText(86400), QStringLiteral("00:00:00"));
    QCOMPARE(elapsedText(86401), QStringLiteral("00:00:01"));
}

void TestSelectionGeometry::nullSelectionIsEmpty() {
    QVERIFY(handleRects(nullSelection()).isEmpty());
    QCOMPARE(normalizedSelection(nullSelection()), nullSelection());
    QCOMPARE(normalizedSelection(corners(300, 200, 100, 50)), corners(100, 50, 300, 200));
}

QTEST_GUILESS_MAIN(TestSelectionGeometry)
#include "tst_selectiongeometry.moc"
