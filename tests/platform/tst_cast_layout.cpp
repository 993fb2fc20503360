// Which stream of a screen cast is which monitor, and which stream pixels a selection on the
// overlay covers, for the answers real portals give and the wrong ones some give.
#include "platform/wayland/CastLayout.h"

#include <QtTest>

using platform::wayland::CastLayout;
using platform::wayland::CastStream;

namespace {

CastStream stream(quint32 node, QPoint position, QSize size) {
    CastStream s;
    s.node = node;
    s.hasPosition = true;
    s.position = position;
    s.hasSize = true;
    s.size = size;
    s.sourceType = 1;
    return s;
}

QList<int> streamsOf(const CastLayout& layout) {
    QList<int> out;
    for (const CastLayout::Match& m : layout.matches())
        out << m.stream;
    return out;
}

} // namespace

class CastLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void matchesStreamsToMonitors_data() {
        QTest::addColumn<QList<CastLayout::Monitor>>("monitors");
        QTest::addColumn<QList<CastStream>>("streams");
        QTest::addColumn<QList<int>>("expected");
        // A 1920x1080 monitor at scale 1 left of a 1280x720 one at scale 2.
        const QList<CastLayout::Monitor> two = {{QRect(0, 0, 1920, 1080), QSize(1920, 1080)},
                                                {QRect(1920, 0, 1280, 720), QSize(2560, 1440)}};
        QTest::newRow("logical places, given in another order")
            << two
            << QList<CastStream>{stream(7, {1920, 0}, {1280, 720}), stream(5, {0, 0}, {1920, 1080})}
            << QList<int>{1, 0};
        QTest::newRow("all at 0,0 with pixel sizes")
            << two
            << QList<CastStream>{stream(7, {0, 0}, {2560, 1440}), stream(5, {0, 0}, {1920, 1080})}
            << QList<int>{1, 0};
        QTest::newRow("only the second monitor shared")
            << two << QList<CastStream>{stream(7, {1920, 0}, {1280, 720})} << QList<int>{-1, 0};
        // Two monitors alike: by their order on the desktop, the one on the left first.
        const QList<CastLayout::Monitor> alike = {{QRect(1920, 0, 1920, 1080), QSize(1920, 1080)},
                                                  {QRect(0, 0, 1920, 1080), QSize(1920, 1080)}};
        QTest::newRow("alike, in pixels")
            << alike
            << QList<CastStream>{stream(3, {0, 0}, {1920, 1080}), stream(4, {0, 0}, {1920, 1080})}
            << QList<int>{1, 0};
        // A 1.5 output Qt reports at ratio 2: the pixel size guessed is wrong, the lone
        // leftovers still pair.
        QTest::newRow("fractional scale, guess wrong")
            << QList<CastLayout::Monitor>{{QRect(0, 0, 1280, 720), QSize(2560, 1440)}}
            << QList<CastStream>{stream(9, {0, 0}, {1920, 1080})} << QList<int>{0};
        // The same beside a monitor at scale 1, only the 1.5 one shared: no leftovers pair
        // it, its size does (853 logical pixels wide at 1.5 are 1280 rounded).
        QTest::newRow("fractional scale beside another, one shared")
            << QList<CastLayout::Monitor>{{QRect(0, 0, 1920, 1080), QSize(1920, 1080)},
                                          {QRect(1920, 0, 853, 480), QSize(1706, 960)}}
            << QList<CastStream>{stream(9, {0, 0}, {1280, 720})} << QList<int>{-1, 0};
        QTest::newRow("nothing shared") << two << QList<CastStream>{} << QList<int>{-1, -1};
    }
    void matchesStreamsToMonitors() {
        QFETCH(QList<CastLayout::Monitor>, monitors);
        QFETCH(QList<CastStream>, streams);
        QFETCH(QList<int>, expected);
        const CastLayout layout(monitors, streams);
        QCOMPARE(streamsOf(layout), expected);
        for (int m = 0; m < expected.size(); ++m)
            QCOMPARE(layout.monitorOf(expected[m]), expected[m] < 0 ? -1 : m);
    }

    // A selection in logical units becomes the stream pixels under it, at scale 1, 2 and
    // 1.5, never cutting off a partly covered pixel and never leaving the stream.
    void selectionsBecomeStreamPixels_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QRect>("logical");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("scale 1") << QSize(1280, 720) << QRect(2020, 50, 300, 200)
                                 << QRect(100, 50, 300, 200);
        QTest::newRow("scale 2") << QSize(2560, 1440) << QRect(2020, 50, 300, 200)
                                 << QRect(200, 100, 600, 400);
        QTest::newRow("scale 1.5, whole pixels")
            << QSize(1920, 1080) << QRect(2020, 50, 300, 200) << QRect(150, 75, 450, 300);
        QTest::newRow("scale 1.5, half pixels outwards")
            << QSize(1920, 1080) << QRect(1921, 1, 3, 3) << QRect(1, 1, 5, 5);
        QTest::newRow("past the edge")
            << QSize(1280, 720) << QRect(3000, 600, 500, 500) << QRect(1080, 600, 200, 120);
        QTest::newRow("outside") << QSize(1280, 720) << QRect(0, 0, 100, 100) << QRect();
    }
    void selectionsBecomeStreamPixels() {
        QFETCH(QSize, pixels);
        QFETCH(QRect, logical);
        QFETCH(QRect, expected);
        CastLayout layout({{QRect(0, 0, 1920, 1080), QSize(1920, 1080)},
                           {QRect(1920, 0, 1280, 720), QSize(1280, 720)}},
                          {stream(5, {0, 0}, {1920, 1080}), stream(7, {1920, 0}, {1280, 720})});
        layout.setStreamPixels(1, pixels);
        QCOMPARE(layout.streamPixels(1, logical), expected);
        // The unshared or unknown monitor gives nothing.
        QCOMPARE(layout.streamPixels(5, logical), QRect());
    }
};

QTEST_APPLESS_MAIN(CastLayoutTest)
#include "tst_cast_layout.moc"
