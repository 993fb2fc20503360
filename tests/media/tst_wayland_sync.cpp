// Sound and picture together through the desktop's screen-cast portal: on the headless Wayland
// test desktop, a still screen that flashes now and then while a beep plays into the
// microphone at each flash is recorded with sound, and each flash in the file meets its beep
// within 30 ms, however long the screen sent no frames before it.
//
// The flashes and beeps are made here. The beeps go out through a PulseAudio stream of the
// test's own, with little buffered, into the desktop's speakers, whose monitor is the default
// source (the microphone) meanwhile. A flash is on the output at the compositor's next frame
// after it was drawn, which Qt learns from the compositor's frame callback: the moment each
// beep was played and the moment each flash was shown are both known here, and the little
// they differ by is taken out of the figure checked.
#include "mp4_readback.h"
#include "rec_process.h"
#include "tests/support/wayland/WaylandDesktop.h"

#include "media/MediaTypes.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace WaylandDesktop;
using Clock = std::chrono::steady_clock;

const QRect kArea(200, 160, 480, 320);
constexpr int kRate = 44100;
// Pieces of 5 ms with 10 ms asked of the server ahead of the speakers: a beep goes out within
// a few milliseconds of the moment it is meant for, and the null sink, asked for so little,
// renders in as short blocks.
constexpr int kPieceFrames = kRate / 200;
constexpr int kTargetMs = 10;
// A beep of 50 ms at 1 kHz, starting at full amplitude so that its first sample marks it.
constexpr int kBeepFrames = kRate / 20;
constexpr int kBeepAmplitude = 16000;
// A flash stays white for two pictures of the recording, so that a picture shows it however
// the capture ticks fall.
constexpr int kFlashMs = 2 * kPicturePeriodMs;
// The compositor shows what was drawn at its next frame, 0 to 16.7 ms later at 60 Hz: each
// beep is set half a frame after its flash is drawn, so that the two differ by little.
constexpr int kBeepAfterDrawMs = 8;
// The recording, and the flashes in it (ms after the recorder's start): the first after the
// portal's hand-shake, then still stretches of over three seconds, at odd distances so that
// the flashes fall differently between the capture ticks.
constexpr int kRecordSeconds = 17;
const QList<int> kFlashesMs{4000, 7370, 10810, 14230};
// The corner blinks while the recording starts: a new cast gets its first picture only when
// the output changes. It stops well before the first flash.
constexpr int kBlinkMs = 2500;
// How far a beep may be from its flash, as the brief of the Wayland work has it.
constexpr double kSyncSeconds = 0.030;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A dark screen whose area `kArea` flashes white, and a corner that blinks.
//
// Threads: GUI thread only.
class FlashWindow : public QRasterWindow {
public:
    FlashWindow() {
        blink_.setInterval(100);
        connect(&blink_, &QTimer::timeout, this, [this] {
            cornerLit_ = !cornerLit_;
            update(BlocksWindow::kCorner);
        });
    }
    void setBlinking(bool on) { on ? blink_.start() : blink_.stop(); }

    // Flashes now for kFlashMs.
    void flash() {
        lit_ = true;
        drawn_.push_back(Clock::time_point());
        shown_.push_back(Clock::time_point());
        update(kArea);
        QTimer::singleShot(kFlashMs, Qt::PreciseTimer, this, [this] {
            lit_ = false;
            update(kArea);
        });
    }
    // When each flash was drawn, and when the compositor had it on the output (its next frame
    // callback); zero until then.
    const std::vector<Clock::time_point>& drawn() const { return drawn_; }
    const std::vector<Clock::time_point>& shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(e->rect(), QColor(40, 40, 40));
        if (lit_)
            p.fillRect(kArea, Qt::white);
        if (cornerLit_)
            p.fillRect(BlocksWindow::kCorner, Qt::white);
        if (lit_ && drawn_.back() == Clock::time_point()) {
            drawn_.back() = Clock::now();
            // Delivered once the compositor's frame callback for this picture came.
            QTimer::singleShot(0, this, [this] { requestUpdate(); });
        }
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::UpdateRequest && !drawn_.empty() &&
            drawn_.back() != Clock::time_point() && shown_.back() == Clock::time_point())
            shown_.back() = Clock::now();
        return QRasterWindow::event(e);
    }

private:
    QTimer blink_;
    bool cornerLit_ = false;
    bool lit_ = false;
    std::vector<Clock::time_point> drawn_;
    std::vector<Clock::time_point> shown_;
};

struct PaSimpleFree {
    void operator()(pa_simple* s) const { pa_simple_free(s); }
};

// Plays silence into the default sink without a pause, and a beep at each moment asked for.
//
// Threads: every public method on any thread; the stream is written on a thread of its own.
class BeepPlayer {
public:
    BeepPlayer() {
        pa_sample_spec layout{PA_SAMPLE_S16LE, kRate, 1};
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(kTargetMs * 1000, &layout));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        int code = 0;
        stream_.reset(pa_simple_new(nullptr, "tst_wayland_sync", PA_STREAM_PLAYBACK, nullptr,
                                    "beeps", &layout, nullptr, &attr, &code));
        if (!stream_) {
            error_ = QString::fromUtf8(pa_strerror(code));
            return;
        }
        thread_ = std::thread([this] { play(); });
    }
    ~BeepPlayer() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        if (thread_.joinable())
            thread_.join();
    }
    QString error() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return error_;
    }

    // Waits until the stream plays with the latency asked for: the null sink keeps the long
    // blocks it rendered before for up to two seconds.
    bool waitUntilSteady() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [this] {
            return !error_.isEmpty() || steady_;
        }) && error_.isEmpty();
    }

    // Plays a beep from `at` on, or from the first moment after it the stream can still
    // reach; beeps() tells when it went out.
    void beepAt(Clock::time_point at) {
        std::lock_guard<std::mutex> lock(mutex_);
        asked_.push_back(at);
    }
    std::vector<Clock::time_point> beeps() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return played_;
    }
    double latencyMs() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return latencyMs_;
    }

private:
    void play() {
        std::vector<int16_t> piece(kPieceFrames);
        int64_t beepFrame = -1; // the next frame of the beep under way; -1 when none is
        int steadyPieces = 0;
        for (;;) {
            int code = 0;
            const pa_usec_t latency = pa_simple_get_latency(stream_.get(), &code);
            // The first frame of this piece goes out once all written before it has.
            const Clock::time_point first = Clock::now() + std::chrono::microseconds(latency);
            int64_t startAt = -1; // where in this piece a beep starts
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stop_)
                    return;
                latencyMs_ = double(latency) / 1000;
                steadyPieces = latency < pa_usec_t(3 * kTargetMs * 1000) ? steadyPieces + 1 : 0;
                // A fifth of a second in a row.
                if (!steady_ && steadyPieces > 40) {
                    steady_ = true;
                    changed_.notify_all();
                }
                const auto end =
                    first + std::chrono::microseconds(int64_t(kPieceFrames) * 1000000 / kRate);
                if (beepFrame < 0 && !asked_.empty() && asked_.front() < end) {
                    startAt =
                        std::max<int64_t>(0, std::llround(seconds(asked_.front() - first) * kRate));
                    played_.push_back(first + std::chrono::microseconds(startAt * 1000000 / kRate));
                    asked_.erase(asked_.begin());
                }
            }
            for (int i = 0; i < kPieceFrames; ++i) {
                if (i == startAt)
                    beepFrame = 0;
                const bool beeping = beepFrame >= 0 && beepFrame < kBeepFrames;
                piece[size_t(i)] =
                    beeping ? int16_t(kBeepAmplitude *
                                      std::cos(2 * M_PI * 1000.0 * double(beepFrame) / kRate))
                            : 0;
                beepFrame = beeping ? beepFrame + 1 : -1;
            }
            if (pa_simple_write(stream_.get(), piece.data(), piece.size() * sizeof(int16_t),
                                &code) < 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                error_ = QString::fromUtf8(pa_strerror(code));
                changed_.notify_all();
                return;
            }
        }
    }

    std::unique_ptr<pa_simple, PaSimpleFree> stream_; // written by the thread only
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QString error_;                         // guarded by mutex_
    bool stop_ = false;                     // guarded by mutex_
    bool steady_ = false;                   // guarded by mutex_
    double latencyMs_ = 0;                  // guarded by mutex_
    std::vector<Clock::time_point> asked_;  // guarded by mutex_
    std::vector<Clock::time_point> played_; // guarded by mutex_
};

// Sample positions where a beep starts: the first loud sample after a quiet stretch.
QList<double> beepOnsets(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    QList<double> onsets;
    qsizetype lastLoud = -kRate;
    for (qsizetype i = 0; i < n; ++i) {
        if (std::abs(int(s[i])) > kBeepAmplitude / 4) {
            if (i - lastLoud > kRate / 3)
                onsets << double(i) / kRate;
            lastLoud = i;
        }
    }
    return onsets;
}

// The first picture of each flash.
QList<double> flashPictures(const QString& path) {
    QList<double> flashes;
    double before = 0;
    for (const auto& [at, brightness] : readback::pictureBrightness(path)) {
        if (brightness > 128 && before <= 128)
            flashes << at;
        before = brightness;
    }
    return flashes;
}

QString milliseconds(const QList<double>& values) {
    QStringList out;
    for (double v : values)
        out << QString::number(v * 1000, 'f', 1);
    return out.join(' ');
}

// When, on the desktop, each beep went out and each flash was drawn and shown.
struct Moments {
    std::vector<Clock::time_point> played;
    std::vector<Clock::time_point> drawn;
    std::vector<Clock::time_point> shown;
};

// How far each beep in the file, less how late it went out after its flash on the desktop,
// lies outside the interval in which the file says its flash came; the figures for a message
// in *figures. Empty when all are within kSyncSeconds, otherwise what is wrong.
QString syncFault(const QString& file, const Moments& desktop, QString* figures) {
    const QList<double> flashes = flashPictures(file);
    const QList<double> onsets = beepOnsets(readback::monoPcm(file));
    const QString found = QStringLiteral("flashes at %1 ms, beeps at %2 ms")
                              .arg(milliseconds(flashes), milliseconds(onsets));
    *figures = found;
    const size_t count = size_t(kFlashesMs.size());
    if (size_t(flashes.size()) != count || size_t(onsets.size()) != count)
        return QStringLiteral("want %1 of each: %2").arg(count).arg(found);
    if (desktop.played.size() != count || desktop.shown.size() != count)
        return QStringLiteral("%1 beeps played, %2 flashes shown")
            .arg(desktop.played.size())
            .arg(desktop.shown.size());
    QList<double> offsets, skews, drawToShown;
    for (size_t i = 0; i < count; ++i) {
        if (desktop.shown[i] == Clock::time_point())
            return QStringLiteral("flash %1 never reached the output").arg(i);
        const double skew = seconds(desktop.played[i] - desktop.shown[i]);
        skews << skew;
        drawToShown << seconds(desktop.shown[i] - desktop.drawn[i]);
        // The flash reached the output after the picture before the first that shows it
        // was taken, and no later than that first one: the file can place it no closer. The
        // beep, less what it went out late on the desktop, is judged by its distance from
        // that interval.
        const double shownBy = flashes[qsizetype(i)];
        const double shownAfter = shownBy - kPicturePeriodMs / 1000.0;
        const double beep = onsets[qsizetype(i)] - skew;
        offsets << (beep < shownAfter ? beep - shownAfter : beep > shownBy ? beep - shownBy : 0.0);
    }
    *figures =
        QStringLiteral("beep outside its flash's interval in ms: %1 (beep - shown on the desktop: "
                       "%2; drawn to "
                       "shown: %3); %4")
            .arg(milliseconds(offsets), milliseconds(skews), milliseconds(drawToShown), found);
    for (double offset : offsets) {
        if (std::abs(offset) > kSyncSeconds)
            return *figures;
    }
    return QString();
}

} // namespace

class WaylandSyncTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<FlashWindow> window_;
    std::unique_ptr<BeepPlayer> beeps_;
    QString source_;

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("CLIPNEST_TEST_WAYLAND"),
                 "needs the Wayland test desktop (scripts/with-wayland-desktop.sh)");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        // The microphone hears the speakers meanwhile.
        QProcess info;
        info.start("pactl", {"get-default-source"});
        QVERIFY(info.waitForFinished(10000) && info.exitCode() == 0);
        source_ = QString::fromUtf8(info.readAllStandardOutput()).trimmed();
        QCOMPARE(QProcess::execute("pactl", {"set-default-source", "speakers.monitor"}), 0);
        beeps_ = std::make_unique<BeepPlayer>();
        QVERIFY2(beeps_->waitUntilSteady(), qPrintable(beeps_->error()));
        window_ = std::make_unique<FlashWindow>();
        const QPoint probe = kArea.center();
        QVERIFY(showAndWait(*window_, true,
                            [probe](const QImage& shot) { return qRed(shot.pixel(probe)) == 40; }));
    }
    void cleanupTestCase() {
        beeps_.reset();
        if (!source_.isEmpty())
            QProcess::execute("pactl", {"set-default-source", source_});
    }
    void init() { QVERIFY(choose("HEADLESS-1")); }

    void flashesMeetTheirBeepsAfterStillStretches_data() {
        QTest::addColumn<int>("run");
        for (int run = 1; run <= 3; ++run)
            QTest::addRow("run %d", run) << run;
    }

    // Each beep lies within 30 ms of the picture interval in which the file shows its flash
    // coming, once the little by which the beep went out after the flash was shown is taken
    // out.
    void flashesMeetTheirBeepsAfterStillStretches() {
        QFETCH(int, run);
        const QString file = dir_.filePath(QStringLiteral("sync-%1.mp4").arg(run));
        QStringList args = recArgs(kArea, kRecordSeconds, true, file);
        args.insert(args.size() - 1, "--portal");
        const ptrdiff_t beepsBefore = ptrdiff_t(beeps_->beeps().size());
        const ptrdiff_t flashesBefore = ptrdiff_t(window_->drawn().size());
        // The plan's timers end with this function, also when it ends early.
        QObject plan;
        window_->setBlinking(true);
        QTimer::singleShot(kBlinkMs, &plan, [this] { window_->setBlinking(false); });
        auto stopBlinking = qScopeGuard([this] { window_->setBlinking(false); });
        for (int at : kFlashesMs) {
            // The beep is set well ahead, so that it goes out at the moment meant.
            QTimer::singleShot(at - 500, Qt::PreciseTimer, &plan, [this, &plan] {
                beeps_->beepAt(Clock::now() + std::chrono::milliseconds(500 + kBeepAfterDrawMs));
                QTimer::singleShot(500, Qt::PreciseTimer, &plan, [this] { window_->flash(); });
            });
        }
        auto p = startRec(args);
        const Run rec = finish(*p);
        QVERIFY2(rec.status == QProcess::NormalExit && rec.exitCode == 0,
                 qPrintable(describe(rec)));
        QVERIFY2(beeps_->error().isEmpty(), qPrintable(beeps_->error()));
        QCOMPARE(readback::decodeErrors(file), QString());

        const std::vector<Clock::time_point> played = beeps_->beeps();
        Moments desktop;
        desktop.played.assign(played.begin() + beepsBefore, played.end());
        desktop.drawn.assign(window_->drawn().begin() + flashesBefore, window_->drawn().end());
        desktop.shown.assign(window_->shown().begin() + flashesBefore, window_->shown().end());
        QString figures;
        const QString fault = syncFault(file, desktop, &figures);
        qInfo("run %d: %s; stream latency %.1f ms", run, qPrintable(figures), beeps_->latencyMs());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_MAIN(WaylandSyncTest)
#include "tst_wayland_sync.moc"
