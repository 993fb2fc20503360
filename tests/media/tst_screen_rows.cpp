// Which rows of a screen picture changed, and reading PipeWire's buffer descriptions: pure
// pieces, checked against pictures built by hand.
#include "media/engine/ChangedRows.h"
#include "media/engine/PipeWireFrames.h"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

#include <QtTest>

#include <cstring>
#include <vector>

using namespace engine;

namespace {

std::vector<uint8_t> picture(int width, int height, uint8_t seed) {
    std::vector<uint8_t> p(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = uint8_t(seed + i * 7 + i / 5);
    return p;
}

} // namespace

class ScreenRows : public QObject {
    Q_OBJECT
private slots:
    void keptPictureReportsExactlyTheRowsThatDiffer_data();
    void keptPictureReportsExactlyTheRowsThatDiffer();
    void bandCarriesTheRowsTheConverterNeeds_data();
    void bandCarriesTheRowsTheConverterNeeds();
    void everyByteOrderBecomesBgr0();
    void pointerBitmapsOfEveryLayoutBecomePremultipliedArgb();
    void damageIsUsedOnlyWhenItIsAPartOfThePicture();
};

void ScreenRows::keptPictureReportsExactlyTheRowsThatDiffer_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("firstChanged"); // -1: nothing changes
    QTest::addColumn<int>("lastChanged");
    QTest::addColumn<int>("offeredTop");
    QTest::addColumn<int>("offeredEnd");
    QTest::newRow("nothing") << 33 << 17 << -1 << -1 << 0 << 17;
    QTest::newRow("one row in the middle") << 33 << 17 << 8 << 8 << 0 << 17;
    QTest::newRow("first row of odd size") << 1 << 1 << 0 << 0 << 0 << 1;
    QTest::newRow("last row, odd width") << 7 << 9 << 8 << 8 << 0 << 9;
    QTest::newRow("band within an offered part") << 15 << 31 << 10 << 20 << 5 << 25;
    QTest::newRow("offered rows unchanged around a band") << 15 << 31 << 12 << 12 << 11 << 14;
}

void ScreenRows::keptPictureReportsExactlyTheRowsThatDiffer() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, firstChanged);
    QFETCH(int, lastChanged);
    QFETCH(int, offeredTop);
    QFETCH(int, offeredEnd);
    const int stride = width * 4;
    KeptPicture kept(QSize(width, height));
    const std::vector<uint8_t> first = picture(width, height, 3);
    // The first picture differs from the black start in every row.
    QCOMPARE(kept.update(first.data(), stride, RowSpan{0, height}), (RowSpan{0, height}));
    QVERIFY(std::memcmp(kept.data(), first.data(), first.size()) == 0);

    std::vector<uint8_t> second = first;
    if (firstChanged >= 0) {
        // Only one pixel's one byte in the first and in the last changed row.
        second[size_t(firstChanged) * stride + size_t(width - 1) * 4 + 2] ^= 0x40;
        second[size_t(lastChanged) * stride] ^= 0x01;
    }
    const RowSpan found = kept.update(second.data() + size_t(offeredTop) * stride, stride,
                                      RowSpan{offeredTop, offeredEnd});
    if (firstChanged < 0)
        QVERIFY(found.empty());
    else
        QCOMPARE(found, (RowSpan{firstChanged, lastChanged + 1}));
    QVERIFY(std::memcmp(kept.data(), second.data(), second.size()) == 0);
    // The same picture again: nothing.
    QVERIFY(kept.update(second.data(), stride, RowSpan{0, height}).empty());
}

void ScreenRows::bandCarriesTheRowsTheConverterNeeds_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("bandTop");
    QTest::addColumn<int>("bandEnd");
    QTest::addColumn<int>("convertedTop");
    QTest::addColumn<int>("convertedEnd");
    QTest::newRow("middle") << 100 << 41 << 42 << 37 << 45 << 38 << 44;
    QTest::newRow("top edge") << 100 << 0 << 1 << 0 << 5 << 0 << 4;
    QTest::newRow("bottom edge, odd height") << 9 << 8 << 9 << 5 << 9 << 6 << 9;
    QTest::newRow("whole") << 7 << 0 << 7 << 0 << 7 << 0 << 7;
}

void ScreenRows::bandCarriesTheRowsTheConverterNeeds() {
    QFETCH(int, height);
    QFETCH(int, top);
    QFETCH(int, end);
    QFETCH(int, bandTop);
    QFETCH(int, bandEnd);
    QFETCH(int, convertedTop);
    QFETCH(int, convertedEnd);
    const int width = 5;
    const std::vector<uint8_t> pixels = picture(width, height, 9);
    RawImage image;
    fillBand(image, RowSpan{top, end}, pixels.data(), width * 4, width, height);
    QCOMPARE(image.top, bandTop);
    QCOMPARE(image.rows, bandEnd - bandTop);
    QCOMPARE(image.changedTop, convertedTop);
    QCOMPARE(image.changedEnd, convertedEnd);
    QCOMPARE(image.changedTop % 2, 0);
    QCOMPARE(image.stride, width * 4);
    QVERIFY(std::memcmp(image.pixels.data(), pixels.data() + size_t(bandTop) * width * 4,
                        size_t(image.rows) * width * 4) == 0);
    fillBand(image, RowSpan{}, pixels.data(), width * 4, width, height);
    QCOMPARE(image.rows, 0);
}

void ScreenRows::everyByteOrderBecomesBgr0() {
    // One pixel of blue 0x11, green 0x22, red 0x33, filler or alpha 0x44 in each order.
    struct Case {
        uint32_t format;
        uint8_t bytes[4];
    } cases[] = {
        {SPA_VIDEO_FORMAT_BGRx, {0x11, 0x22, 0x33, 0x44}},
        {SPA_VIDEO_FORMAT_BGRA, {0x11, 0x22, 0x33, 0x44}},
        {SPA_VIDEO_FORMAT_RGBx, {0x33, 0x22, 0x11, 0x44}},
        {SPA_VIDEO_FORMAT_RGBA, {0x33, 0x22, 0x11, 0x44}},
        {SPA_VIDEO_FORMAT_xRGB, {0x44, 0x33, 0x22, 0x11}},
        {SPA_VIDEO_FORMAT_ARGB, {0x44, 0x33, 0x22, 0x11}},
        {SPA_VIDEO_FORMAT_xBGR, {0x44, 0x11, 0x22, 0x33}},
        {SPA_VIDEO_FORMAT_ABGR, {0x44, 0x11, 0x22, 0x33}},
    };
    for (const Case& c : cases) {
        const StreamPixels layout = streamPixels(c.format);
        QVERIFY(layout != StreamPixels::Unknown);
        uint8_t src[12], dst[12];
        for (int i = 0; i < 3; ++i)
            std::memcpy(src + i * 4, c.bytes, 4);
        copyRowToBgr0(src, layout, dst, 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(dst[i * 4 + 0], uint8_t(0x11));
            QCOMPARE(dst[i * 4 + 1], uint8_t(0x22));
            QCOMPARE(dst[i * 4 + 2], uint8_t(0x33));
        }
    }
    QCOMPARE(streamPixels(SPA_VIDEO_FORMAT_I420), StreamPixels::Unknown);
}

void ScreenRows::pointerBitmapsOfEveryLayoutBecomePremultipliedArgb() {
    // A 3 x 2 pointer, rows 16 bytes apart, whose pixel (1, 1) is half-covering red
    // (premultiplied: red 0x80, alpha 0x80) and the rest clear.
    struct Case {
        uint32_t format;
        uint8_t pixel[4];
    } cases[] = {
        {SPA_VIDEO_FORMAT_BGRA, {0, 0, 0x80, 0x80}},
        {SPA_VIDEO_FORMAT_RGBA, {0x80, 0, 0, 0x80}},
        {SPA_VIDEO_FORMAT_ARGB, {0x80, 0x80, 0, 0}},
        {SPA_VIDEO_FORMAT_ABGR, {0x80, 0, 0, 0x80}},
    };
    const int stride = 16;
    for (const Case& c : cases) {
        std::vector<uint8_t> meta(sizeof(spa_meta_bitmap) + size_t(stride) * 2, 0);
        auto* bitmap = reinterpret_cast<spa_meta_bitmap*>(meta.data());
        bitmap->format = c.format;
        bitmap->size = spa_rectangle{3, 2};
        bitmap->stride = stride;
        bitmap->offset = sizeof(spa_meta_bitmap);
        std::memcpy(meta.data() + sizeof(spa_meta_bitmap) + stride + 4, c.pixel, 4);
        PointerImage image;
        QVERIFY(readPointerBitmap(*bitmap, meta.size(), 1, 2, image));
        QCOMPARE(image.width, 3);
        QCOMPARE(image.height, 2);
        QCOMPARE(image.hotX, 1);
        QCOMPARE(image.hotY, 2);
        QCOMPARE(image.argb[4], 0x80800000u);
        QCOMPARE(image.argb[0], 0u);
        // The last row needs no padding after its pixels; one byte fewer is refused rather
        // than read beyond the end.
        const size_t needed = sizeof(spa_meta_bitmap) + stride + 3 * 4;
        QVERIFY(readPointerBitmap(*bitmap, needed, 1, 2, image));
        QVERIFY(!readPointerBitmap(*bitmap, needed - 1, 1, 2, image));
    }
    // No image data: a hidden pointer.
    spa_meta_bitmap hidden{};
    hidden.format = SPA_VIDEO_FORMAT_RGBA;
    PointerImage image;
    QVERIFY(readPointerBitmap(hidden, sizeof(hidden), 0, 0, image));
    QCOMPARE(image.width, 0);
}

void ScreenRows::damageIsUsedOnlyWhenItIsAPartOfThePicture() {
    spa_meta_region regions[3] = {};
    spa_meta meta{SPA_META_VideoDamage, sizeof(regions), regions};
    spa_buffer buffer{};
    buffer.n_metas = 1;
    buffer.metas = &meta;
    // The picture sits at (10, 20) in the buffer, 100 x 50.
    const QRect picture(10, 20, 100, 50);
    // No damage rectangles at all: everything.
    QCOMPARE(damagedRows(buffer, picture), (RowSpan{0, 50}));
    regions[0].region = SPA_REGION(15, 30, 5, 4);  // rows 10..14 of the picture
    regions[1].region = SPA_REGION(0, 60, 200, 3); // rows 40..43, wider than the picture
    QCOMPARE(damagedRows(buffer, picture), (RowSpan{10, 43}));
    // The list ends at the first empty entry.
    regions[1].region = SPA_REGION(0, 0, 0, 0);
    regions[2].region = SPA_REGION(10, 60, 5, 5);
    QCOMPARE(damagedRows(buffer, picture), (RowSpan{10, 14}));
    // Damage wholly outside the picture: nothing of it changed.
    regions[0].region = SPA_REGION(0, 0, 5, 5);
    QVERIFY(damagedRows(buffer, picture).empty());
    // A buffer without damage: everything.
    buffer.n_metas = 0;
    QCOMPARE(damagedRows(buffer, picture), (RowSpan{0, 50}));
}

QTEST_GUILESS_MAIN(ScreenRows)
#include "tst_screen_rows.moc"
