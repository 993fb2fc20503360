// A still picture of a shared screen against a real PipeWire: a private server and session
// manager, a test stream sending known pictures as a compositor does, and the still taken of
// it on a thread of its own, as the capture overlay takes it.
#include "pipewire_support.h"
#include "pipewire_test_stream.h"

#include "media/engine/PipeWireStill.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

using namespace engine;

Q_DECLARE_METATYPE(TestScreenStream::Pixels)
Q_DECLARE_METATYPE(TestScreenStream::Offer)

namespace {

constexpr int kStreamWidth = 640;
constexpr int kStreamHeight = 360;
// Where the picture lies in each buffer (the rest is the compositor's padding).
const QRect kPicture(16, 8, 600, 340);
// A picture arrives within milliseconds; this only bounds a failure.
constexpr int kArrivalMs = 10000;

// The same colours in the byte order `pixels`.
std::vector<uint8_t> inOrder(std::vector<uint8_t> bgrx, TestScreenStream::Pixels pixels) {
    if (pixels == TestScreenStream::Pixels::Rgbx)
        for (size_t i = 0; i < bgrx.size(); i += 4)
            std::swap(bgrx[i], bgrx[i + 2]);
    return bgrx;
}

// A still taken on a thread of its own while the test thread plays the compositor.
struct StillAttempt {
    StillPicture picture;
    GrabberErrors::Error code = GrabberErrors::NoError;
    QString text;
    bool taken = false;
    std::atomic<bool> done{false};
    std::thread thread;

    void start(int fd, uint32_t node, int waitMs) {
        thread = std::thread([this, fd, node, waitMs] {
            taken = takePipeWireStill(fd, node, waitMs, &picture, &code, &text);
            done = true;
        });
    }
    ~StillAttempt() {
        if (thread.joinable())
            thread.join();
    }
};

} // namespace

class PipeWireStillTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void theStillIsTheWholePictureWithoutThePointer_data();
    void theStillIsTheWholePictureWithoutThePointer();
    void aStreamThatSendsNothingGivesNoStill();

private:
    PrivatePipeWire pipewire_;
};

void PipeWireStillTest::initTestCase() {
    QString why;
    QVERIFY2(pipewire_.start(&why), qPrintable(why));
}

void PipeWireStillTest::theStillIsTheWholePictureWithoutThePointer_data() {
    QTest::addColumn<TestScreenStream::Pixels>("pixels");
    QTest::addColumn<TestScreenStream::Offer>("offer");
    QTest::newRow("BGRx") << TestScreenStream::Pixels::Bgrx
                          << TestScreenStream::Offer::SharedMemory;
    QTest::newRow("RGBx") << TestScreenStream::Pixels::Rgbx
                          << TestScreenStream::Offer::SharedMemory;
    QTest::newRow("RGBx, linear DMA-BUF")
        << TestScreenStream::Pixels::Rgbx << TestScreenStream::Offer::LinearDmaBuf;
}

// The compositor keeps sending the same screen, as it does while the user looks at it; each
// buffer damages a few rows only and shows the pointer, and the still is the whole picture
// without it.
void PipeWireStillTest::theStillIsTheWholePictureWithoutThePointer() {
    QFETCH(TestScreenStream::Pixels, pixels);
    QFETCH(TestScreenStream::Offer, offer);
    TestScreenStream stream(kStreamWidth, kStreamHeight, pixels, offer);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    const std::vector<uint8_t> screen = testPattern(kStreamWidth, kStreamHeight, 7);
    const std::vector<uint8_t> sent = inOrder(screen, pixels);
    TestScreenStream::Pointer pointer;
    pointer.news = true;
    pointer.x = kPicture.x() + 100;
    pointer.y = kPicture.y() + 50;
    pointer.width = 16;
    pointer.height = 16;
    pointer.rgba = 0xff00ff00;
    const QRect fewRows(kPicture.x(), kPicture.y() + 40, kPicture.width(), 3);

    StillAttempt still;
    still.start(pipewire_.connectSocket(), stream.node(), kArrivalMs);
    QVERIFY(QTest::qWaitFor(
        [&] {
            stream.send(sent, kPicture, {fewRows}, pointer);
            return still.done.load();
        },
        kArrivalMs * 2));
    QVERIFY2(still.taken, qPrintable(still.text));
    QCOMPARE(still.picture.size, kPicture.size());
    QCOMPARE(still.picture.stride, kPicture.width() * 4);
    const std::vector<uint8_t> expected = bgr0Area(screen, kStreamWidth, kPicture);
    QCOMPARE(still.picture.pixels.size(), expected.size());
    // The fourth byte of a pixel means nothing.
    for (size_t i = 0; i < expected.size(); ++i)
        if (i % 4 != 3 && still.picture.pixels[i] != expected[i]) {
            const int at = int(i / 4);
            QFAIL(qPrintable(QString("first difference at (%1, %2), byte %3: %4 instead of %5")
                                 .arg(at % kPicture.width())
                                 .arg(at / kPicture.width())
                                 .arg(i % 4)
                                 .arg(int(still.picture.pixels[i]))
                                 .arg(int(expected[i]))));
        }
}

// A compositor that sends nothing (a second cast of xdg-desktop-portal-wlr does so until the
// screen changes): no still, a message, and the call returns.
void PipeWireStillTest::aStreamThatSendsNothingGivesNoStill() {
    TestScreenStream stream(kStreamWidth, kStreamHeight);
    QString why;
    QVERIFY2(stream.start(&why), qPrintable(why));
    StillPicture picture;
    GrabberErrors::Error code = GrabberErrors::NoError;
    QString text;
    QVERIFY(
        !takePipeWireStill(pipewire_.connectSocket(), stream.node(), 300, &picture, &code, &text));
    QCOMPARE(code, GrabberErrors::DeviceOpenError);
    QVERIFY2(text.contains("300"), qPrintable(text));
    QVERIFY(picture.pixels.empty());
}

QTEST_GUILESS_MAIN(PipeWireStillTest)
#include "tst_pipewire_still.moc"
