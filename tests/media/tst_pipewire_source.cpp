// The screen-sharing source against a real PipeWire: a private server and session manager,
// a test stream sending known pictures as a compositor does, and the source reading them.
#include "pipewire_support.h"
#include "pipewire_test_stream.h"

#include "mp4_readback.h"

#include "media/engine/OutputFile.h"
#include "media/engine/PipeWireConnection.h"
#include "media/engine/PipeWireSource.h"
#include "media/engine/PointerOverlay.h"
#include "media/engine/Session.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

#include <cstring>
#include <memory>
#include <vector>

using namespace engine;

Q_DECLARE_METATYPE(TestScreenStream::Offer)
Q_DECLARE_METATYPE(TestScreenStream::Memory)

namespace {

constexpr int kStreamWidth = 640;
constexpr int kStreamHeight = 360;
// Where the picture lies in each buffer, and the part of it the recording wants (odd sizes).
const QRect kPicture(16, 8, 600, 340);
const QRect kCrop(101, 51, 321, 157);
// A waited-for picture arrives within milliseconds; this only bounds a failure.
constexpr int kArrivalMs = 10000;

// BGRx pixels of a whole buffer, a pattern different in every row and column.
std::vector<uint8_t> pattern(uint8_t seed) {
    return testPattern(kStreamWidth, kStreamHeight, seed);
}

// Rows [top, end) of the buffer pixels given a new colour.
void paintRows(std::vector<uint8_t>& pixels, int top, int end, uint8_t value) {
    std::memset(pixels.data() + size_t(top) * kStreamWidth * 4, value,
                size_t(end - top) * kStreamWidth * 4);
}

// What the recording should see of buffer pixels: the crop of the picture, as BGR0.
std::vector<uint8_t> expectedCrop(const std::vector<uint8_t>& pixels) {
    return bgr0Area(pixels, kStreamWidth, kCrop.translated(kPicture.topLeft()));
}

// A rectangle of a crop-sized BGR0 picture made green.
void paintGreen(std::vector<uint8_t>& picture, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            uint8_t* px = picture.data() + (size_t(y) * kCrop.width() + x) * 4;
            px[0] = 0, px[1] = 0xff, px[2] = 0;
        }
}

// The recording's view, put together from the grabbed bands.
struct Recorded {
    std::vector<uint8_t> screen = std::vector<uint8_t>(size_t(kCrop.width()) * kCrop.height() * 4);
    // The union of the converted rows of the grabs since the last clear().
    RowSpan converted;

    void take(const RawImage& image) {
        if (image.rows == 0)
            return;
        QCOMPARE(image.width, kCrop.width());
        QCOMPARE(image.height, kCrop.height());
        for (int y = 0; y < image.rows; ++y) {
            uint8_t* dst = screen.data() + size_t(image.top + y) * kCrop.width() * 4;
            std::memcpy(dst, image.pixels.data() + size_t(y) * image.stride,
                        size_t(kCrop.width()) * 4);
            for (int x = 0; x < kCrop.width(); ++x)
                dst[x * 4 + 3] = 0;
        }
        converted = converted.united(RowSpan{image.changedTop, image.changedEnd});
    }
};

} // namespace

class PipeWireSourceTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void picturesDamageAndPointerArriveAsTheScreenShowsThem_data();
    void picturesDamageAndPointerArriveAsTheScreenShowsThem();
    void aProducerOfferingBothSendsSharedMemory();
    void tiledGpuBuffersAreRefused();
    void anAreaBeyondTheStreamIsRefused();
    void aRecordingShowsTheSharedScreen();

private:
    std::unique_ptr<ImageSource> open(TestScreenStream& stream, const QRect& crop, QString* why);
    // Sends until a buffer is free, then grabs until the recording shows `expected`.
    bool sendAndWait(TestScreenStream& stream, const std::vector<uint8_t>& pixels,
                     const std::vector<QRect>& damage, const TestScreenStream::Pointer& pointer,
                     const std::vector<uint8_t>& expected);

    // Says where the recording differs from `expected`; false.
    bool describeDifference(const std::vector<uint8_t>& expected) const;

    PrivatePipeWire pipewire_;
    std::unique_ptr<ImageSource> source_;
    Recorded recorded_;
};

void PipeWireSourceTest::initTestCase() {
    QString why;
    QVERIFY2(pipewire_.start(&why), qPrintable(why));
}

std::unique_ptr<ImageSource> PipeWireSourceTest::open(TestScreenStream& stream, const QRect& crop,
                                                      QString* why) {
    GrabberErrors::Error code = GrabberErrors::NoError;
    return openPipeWireSource(pipewire_.connectSocket(), stream.node(), crop,
                              PipeWireSourceOptions{}, &code, why);
}

bool PipeWireSourceTest::describeDifference(const std::vector<uint8_t>& expected) const {
    for (size_t i = 0; i < expected.size(); ++i) {
        if (recorded_.screen[i] != expected[i]) {
            const int pixel = int(i / 4);
            qWarning("first difference at (%d, %d): %d instead of %d", pixel % kCrop.width(),
                     pixel / kCrop.width(), recorded_.screen[i], expected[i]);
            break;
        }
    }
    return false;
}

bool PipeWireSourceTest::sendAndWait(TestScreenStream& stream, const std::vector<uint8_t>& pixels,
                                     const std::vector<QRect>& damage,
                                     const TestScreenStream::Pointer& pointer,
                                     const std::vector<uint8_t>& expected) {
    if (!QTest::qWaitFor([&] { return stream.send(pixels, kPicture, damage, pointer); },
                         kArrivalMs)) {
        qWarning("the test stream found no free buffer");
        return false;
    }
    return QTest::qWaitFor(
               [&] {
                   RawImage image;
                   GrabberErrors::Error code = GrabberErrors::NoError;
                   QString text;
                   if (!source_->grab(image, &code, &text))
                       return false;
                   recorded_.take(image);
                   return recorded_.screen == expected;
               },
               kArrivalMs) ||
           describeDifference(expected);
}

void PipeWireSourceTest::picturesDamageAndPointerArriveAsTheScreenShowsThem_data() {
    QTest::addColumn<TestScreenStream::Offer>("offer");
    QTest::addColumn<TestScreenStream::Memory>("memory");
    QTest::newRow("shared memory")
        << TestScreenStream::Offer::SharedMemory << TestScreenStream::Memory::SharedMemory;
    QTest::newRow("linear DMA-BUF")
        << TestScreenStream::Offer::LinearDmaBuf << TestScreenStream::Memory::DmaBuf;
    QTest::newRow("DMA-BUF without modifier")
        << TestScreenStream::Offer::DmaBufNoModifier << TestScreenStream::Memory::DmaBuf;
}

void PipeWireSourceTest::picturesDamageAndPointerArriveAsTheScreenShowsThem() {
    QFETCH(TestScreenStream::Offer, offer);
    QFETCH(TestScreenStream::Memory, memory);
    TestScreenStream stream(kStreamWidth, kStreamHeight, TestScreenStream::Pixels::Bgrx, offer);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    source_ = open(stream, kCrop, &why);
    QVERIFY2(source_, qPrintable(why));
    QCOMPARE(source_->size(), kCrop.size());
    QCOMPARE(stream.memory(), memory);
    recorded_ = Recorded{};
    const TestScreenStream::Pointer noNews;

    // The crop of the picture, exactly; then nothing more while nothing comes.
    std::vector<uint8_t> pixels = pattern(1);
    QVERIFY(sendAndWait(stream, pixels, {}, noNews, expectedCrop(pixels)));
    RawImage image;
    GrabberErrors::Error code = GrabberErrors::NoError;
    QString text;
    QVERIFY(source_->grab(image, &code, &text));
    QCOMPARE(image.rows, 0);

    // A band changes while the damage claims the whole picture: only the band (rows 41 to 50
    // of the crop) and the rows its colours reach are converted.
    paintRows(pixels, kPicture.y() + kCrop.y() + 41, kPicture.y() + kCrop.y() + 51, 0x5a);
    recorded_.converted = RowSpan{};
    QVERIFY(sendAndWait(stream, pixels, {kPicture}, noNews, expectedCrop(pixels)));
    QVERIFY(recorded_.converted.top >= 38 && recorded_.converted.end <= 54);

    // The pointer arrives over an unchanged picture damaged whole: its bitmap is drawn with
    // its hot spot at the position, and only its rows are converted.
    TestScreenStream::Pointer pointer;
    pointer.news = true;
    pointer.x = kCrop.x() + 200; // stream coordinates
    pointer.y = kCrop.y() + 70;
    pointer.hotX = 3;
    pointer.hotY = 2;
    pointer.width = 8;
    pointer.height = 6;
    pointer.rgba = 0xff00ff00; // opaque green: bytes 00 ff 00 ff
    std::vector<uint8_t> withPointer = expectedCrop(pixels);
    paintGreen(withPointer, QRect(197, 68, 8, 6));
    recorded_.converted = RowSpan{};
    QVERIFY(sendAndWait(stream, pixels, {kPicture}, pointer, withPointer));
    QVERIFY(recorded_.converted.top >= 64 && recorded_.converted.end <= 76);

    // Damage is believed when it is part of the picture: a change outside it is not taken,
    // one inside it is.
    std::vector<uint8_t> next = pixels;
    paintRows(next, kPicture.y() + kCrop.y() + 10, kPicture.y() + kCrop.y() + 12, 0x11);
    paintRows(next, kPicture.y() + kCrop.y() + 120, kPicture.y() + kCrop.y() + 121, 0x22);
    std::vector<uint8_t> seen = withPointer;
    const std::vector<uint8_t> all = expectedCrop(next);
    const size_t rowBytes = size_t(kCrop.width()) * 4;
    std::memcpy(seen.data() + 120 * rowBytes, all.data() + 120 * rowBytes, rowBytes);
    const QRect damaged(0, kPicture.y() + kCrop.y() + 120, kStreamWidth, 1);
    QVERIFY(sendAndWait(stream, next, {damaged}, noNews, seen));
    // The whole picture once more, so that what follows starts from the stream's own.
    seen = expectedCrop(next);
    paintGreen(seen, QRect(197, 68, 8, 6));
    QVERIFY(sendAndWait(stream, next, {kPicture}, noNews, seen));

    // Two pictures before the next grab, each damaged in a band of its own: the first's band
    // is not lost to the second's (PipeWire may keep only the second, which the next step
    // covers).
    const int top = kPicture.y() + kCrop.y();
    std::vector<uint8_t> first = next;
    paintRows(first, top + 20, top + 22, 0x33);
    std::vector<uint8_t> second = first;
    paintRows(second, top + 140, top + 142, 0x44);
    QVERIFY(QTest::qWaitFor(
        [&] { return stream.send(first, kPicture, {QRect(0, top + 20, kStreamWidth, 2)}, noNews); },
        kArrivalMs));
    const std::vector<uint8_t> both = expectedCrop(second);
    for (const int row : {20, 21, 140, 141})
        std::memcpy(seen.data() + size_t(row) * rowBytes, both.data() + size_t(row) * rowBytes,
                    rowBytes);
    QVERIFY(sendAndWait(stream, second, {QRect(0, top + 140, kStreamWidth, 2)}, noNews, seen));

    // A picture went missing on the way (the sequence skips): its damage went with it, so
    // the next picture is taken whole, also where its own damage says nothing changed.
    std::vector<uint8_t> third = second;
    paintRows(third, top + 30, top + 32, 0x55);
    paintRows(third, top + 150, top + 151, 0x66);
    stream.skipSequence();
    seen = expectedCrop(third);
    paintGreen(seen, QRect(197, 68, 8, 6));
    QVERIFY(sendAndWait(stream, third, {QRect(0, top + 150, kStreamWidth, 1)}, noNews, seen));

    // The sharing ends: the next grabs fail with a message.
    stream.stop();
    QVERIFY(QTest::qWaitFor([&] { return !source_->grab(image, &code, &text); }, kArrivalMs));
    QCOMPARE(code, GrabberErrors::DeviceLostError);
    QVERIFY(!text.isEmpty());
    QVERIFY(!source_->grab(image, &code, &text));
    source_.reset();
}

// A compositor that can send either reads faster for this program in shared memory, where it
// copied the picture, than in a GPU buffer the processor reads across the bus.
void PipeWireSourceTest::aProducerOfferingBothSendsSharedMemory() {
    TestScreenStream stream(kStreamWidth, kStreamHeight, TestScreenStream::Pixels::Bgrx,
                            TestScreenStream::Offer::DmaBufOrSharedMemory);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    source_ = open(stream, kCrop, &why);
    QVERIFY2(source_, qPrintable(why));
    QCOMPARE(stream.memory(), TestScreenStream::Memory::SharedMemory);
    const std::vector<uint8_t> pixels = pattern(9);
    recorded_ = Recorded{};
    QVERIFY(sendAndWait(stream, pixels, {}, TestScreenStream::Pointer{}, expectedCrop(pixels)));
    source_.reset();
}

// Pixels in a GPU's own tiled layout would make a scrambled recording: the two sides agree
// on no format, and the user is told.
void PipeWireSourceTest::tiledGpuBuffersAreRefused() {
    TestScreenStream stream(kStreamWidth, kStreamHeight, TestScreenStream::Pixels::Bgrx,
                            TestScreenStream::Offer::TiledDmaBuf);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    QString text;
    QVERIFY(!open(stream, kCrop, &text));
    QCOMPARE(text, noFormatText());
    QCOMPARE(stream.memory(), TestScreenStream::Memory::None);
}

void PipeWireSourceTest::anAreaBeyondTheStreamIsRefused() {
    TestScreenStream stream(kStreamWidth, kStreamHeight);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    QString text;
    const auto refused = open(stream, QRect(600, 0, 100, 100), &text);
    QVERIFY(!refused);
    QVERIFY2(text.contains("640 x 360"), qPrintable(text));
}

// The whole engine with the shared screen as its picture source: the file shows the crop of
// the first picture, then of the second, decoded the way a player does.
void PipeWireSourceTest::aRecordingShowsTheSharedScreen() {
    TestScreenStream stream(kStreamWidth, kStreamHeight);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    std::unique_ptr<ImageSource> source = open(stream, kCrop, &why);
    QVERIFY2(source, qPrintable(why));
    QTemporaryDir dir;
    const QString path = dir.filePath("shared.mp4");
    OutputSettings settings;
    settings.path = path;
    settings.videoSize = kCrop.size();
    EncoderErrors::Error code = EncoderErrors::NoError;
    std::unique_ptr<OutputFile> output = OutputFile::open(settings, &code, &why);
    QVERIFY2(output, qPrintable(why));
    SessionParts parts;
    parts.image = std::move(source);
    parts.output = std::move(output);
    parts.path = path;
    parts.videoSize = kCrop.size();
    std::atomic<bool> failed{false};
    Session session(std::move(parts), [&](FailureSource, int, const QString&) { failed = true; });
    session.start();
    // Blue, then red over the whole buffer, each shown for a second.
    std::vector<uint8_t> blue(size_t(kStreamWidth) * kStreamHeight * 4);
    for (size_t i = 0; i < blue.size(); i += 4)
        blue[i] = 200;
    std::vector<uint8_t> red(blue.size());
    for (size_t i = 0; i < red.size(); i += 4)
        red[i + 2] = 200;
    const TestScreenStream::Pointer noNews;
    QVERIFY(QTest::qWaitFor([&] { return stream.send(blue, kPicture, {}, noNews); }, kArrivalMs));
    QTest::qWait(1000);
    QVERIFY(QTest::qWaitFor([&] { return stream.send(red, kPicture, {}, noNews); }, kArrivalMs));
    QTest::qWait(1000);
    QVERIFY2(session.finish(&code, &why), qPrintable(why));
    QVERIFY(!failed);

    const readback::Facts facts = readback::probe(path);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    const readback::Stream video = facts.stream("video");
    QCOMPARE(video.width, 322); // the even size over 321 x 157
    QCOMPARE(video.height, 158);
    QCOMPARE(readback::decodeErrors(path), QString());
    const QList<QByteArray> frames = readback::rgbFrames(path, video.width, video.height);
    QVERIFY(!frames.isEmpty());
    // Colour of the middle pixel, red first.
    const auto middle = [&](const QByteArray& rgb) {
        const int at = ((video.height / 2) * video.width + video.width / 2) * 3;
        return QList<int>{uchar(rgb[at]), uchar(rgb[at + 1]), uchar(rgb[at + 2])};
    };
    const auto near = [](const QList<int>& got, const QList<int>& want) {
        for (int i = 0; i < 3; ++i)
            if (std::abs(got[i] - want[i]) > 16)
                return false;
        return true;
    };
    bool sawBlue = false;
    for (const QByteArray& frame : frames)
        sawBlue = sawBlue || near(middle(frame), {0, 0, 200});
    QVERIFY(sawBlue);
    QVERIFY2(near(middle(frames.last()), {200, 0, 0}),
             qPrintable(QString("last picture's middle %1 %2 %3")
                            .arg(middle(frames.last())[0])
                            .arg(middle(frames.last())[1])
                            .arg(middle(frames.last())[2])));
}

QTEST_GUILESS_MAIN(PipeWireSourceTest)
#include "tst_pipewire_source.moc"
