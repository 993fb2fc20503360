// The recording engine's timing with made-up sources, read back from the finished files (the
// files and the encoders are real; no desktop needed): a picture that flashes once a second
// and a beep at the same moments stay together from the first flash on, also when the sources
// get going late, in a file whose streams both start at zero with every picture on the capture
// clock's ticks and no FFmpeg warning about time stamps while writing it; and a sound source
// whose clock runs fast against the computer's, as sound cards' clocks do, is followed without
// a single cut in the sound; and pictures of which only parts change come out right in both
// the changed and the unchanged parts.
//
// CLIPNEST_DRIFT_SECONDS and CLIPNEST_DRIFT_PPM change the run (the media bench runs it for
// minutes at 200 ppm).
#include "mp4_readback.h"

#include "media/AudioFormat.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/OutputFile.h"
#include "media/engine/Session.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <thread>

using namespace engine;

namespace {

constexpr int Rate = 44100;
// Pieces of 20 ms, as a microphone delivers them.
constexpr int PieceFrames = Rate / 50;
// A beep of 50 ms every second of the source's own clock, starting at full amplitude so that
// its first sample marks it.
constexpr int BeepFrames = Rate / 20;

// Stereo 16-bit sound produced at Rate * (1 + ppm / 1e6) samples per real second, stamped
// with the real time its first sample was made.
class FastSource : public SoundSource {
public:
    explicit FastSource(
        double ppm, std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now())
        : rate_(Rate * (1 + ppm / 1e6))
        , origin_(origin) {}

    // Nothing is handed over before `moment`; then all that was made meanwhile comes at once,
    // as from a sound server that gets going late on a busy machine.
    void holdUntil(std::chrono::steady_clock::time_point moment) { holdUntil_ = moment; }

    ReadResult read(SoundData& data, QString*) override {
        const auto due =
            std::max(holdUntil_, origin_ + std::chrono::nanoseconds(int64_t(
                                               double(produced_ + PieceFrames) / rate_ * 1e9)));
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, due, [this] { return interrupted_; });
        if (interrupted_)
            return ReadResult::Interrupted;
        data.start = origin_ + std::chrono::nanoseconds(int64_t(double(produced_) / rate_ * 1e9));
        data.bytes.resize(size_t(PieceFrames) * 4);
        auto* samples = reinterpret_cast<int16_t*>(data.bytes.data());
        for (int i = 0; i < PieceFrames; ++i) {
            const int64_t n = produced_ + i;
            const int64_t inBeep = n % Rate;
            const int16_t value =
                inBeep < BeepFrames
                    ? int16_t(16000 * std::cos(2 * M_PI * 1000.0 * double(inBeep) / Rate))
                    : 0;
            samples[2 * i] = value;
            samples[2 * i + 1] = value;
        }
        produced_ += PieceFrames;
        return ReadResult::Data;
    }
    void interrupt() override {
        std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        wake_.notify_all();
    }
    bool reopen(QString*) override { return true; }

    std::chrono::steady_clock::time_point origin() const { return origin_; }
    double rate() const { return rate_; }

private:
    const double rate_;
    const std::chrono::steady_clock::time_point origin_;
    std::chrono::steady_clock::time_point holdUntil_; // set before the session starts
    int64_t produced_ = 0;                            // read thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false; // guarded by mutex_
};

// A small picture, white for the first 100 ms of every second since `origin`, black
// otherwise; it reports a change only when it flips.
class FlashSource : public ImageSource {
public:
    static constexpr int Width = 160;
    static constexpr int Height = 120;
    explicit FlashSource(std::chrono::steady_clock::time_point origin)
        : origin_(origin) {}
    // The first grab takes this long (a capture thread that gets going late on a busy machine,
    // a slow first grab of the whole screen): its picture shows the screen of that moment.
    void delayFirstGrab(std::chrono::milliseconds delay) { firstDelay_ = delay; }
    QSize size() const override { return QSize(Width, Height); }
    int pixelFormat() const override { return AV_PIX_FMT_BGR0; }
    bool grab(RawImage& image, GrabberErrors::Error*, QString*) override {
        if (shown_ < 0)
            std::this_thread::sleep_for(firstDelay_);
        const double t =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
        const int white = t >= 0 && std::fmod(t, 1.0) < 0.1 ? 1 : 0;
        image.rows = 0;
        if (white == shown_)
            return true;
        shown_ = white;
        image.width = Width;
        image.height = Height;
        image.stride = Width * 4;
        image.top = 0;
        image.rows = Height;
        image.changedTop = 0;
        image.changedEnd = Height;
        image.pixels.assign(size_t(Width) * Height * 4, white ? 0xff : 0);
        return true;
    }

private:
    std::chrono::steady_clock::time_point origin_;
    std::chrono::milliseconds firstDelay_{0};
    int shown_ = -1;
};

// A picture that shows its own number: eight black or white cells (its bits) above a box that
// moves over a textured background, its place given by the number. Grabs change it only now
// and then, with a still stretch long enough for the still-screen repeats, and each change is
// reported by the rows it touched, as a grabber that follows the screen's damage does. The
// size is odd, and `scale` draws it that many times larger (each picture pixel a square), for
// a recording scaled down to the picture's size.
class NumberedSource : public ImageSource {
public:
    static constexpr int Width = 201;
    static constexpr int Height = 151;
    static constexpr int BoxWidth = 40;
    static constexpr int BoxHeight = 30;
    static constexpr int CellsBottom = 24; // the box stays below the cells

    explicit NumberedSource(int scale)
        : scale_(scale) {}
    QSize size() const override { return QSize(Width * scale_, Height * scale_); }
    int pixelFormat() const override { return AV_PIX_FMT_BGR0; }

    // Grey level of picture `number` at (x, y).
    static int value(int number, int x, int y) {
        for (int bit = 0; bit < 8; ++bit) {
            const int left = 4 + bit * 20;
            if (x >= left && x < left + 16 && y >= 4 && y < 20)
                return (number >> bit) & 1 ? 235 : 20;
        }
        const int boxX = (number * 29) % (Width - BoxWidth + 1);
        const int boxY = CellsBottom + (number * 17) % (Height - CellsBottom - BoxHeight + 1);
        if (x >= boxX && x < boxX + BoxWidth && y >= boxY && y < boxY + BoxHeight)
            return 225;
        return 90 + int(std::lround(50 * std::sin(x * 0.21) * std::cos(y * 0.17)));
    }
    // Pictures made so far; the last one is number pictures() - 1.
    int pictures() const { return pictures_; }

    bool grab(RawImage& image, GrabberErrors::Error*, QString*) override {
        ++grabs_;
        image.rows = 0;
        const bool change = pictures_ == 0 || (grabs_ % 4 != 0 && (grabs_ < 30 || grabs_ >= 46));
        if (!change)
            return true;
        const int number = pictures_++;
        const int w = Width * scale_, h = Height * scale_, stride = w * 4;
        std::vector<uint8_t> before = std::move(picture_);
        picture_.assign(size_t(stride) * size_t(h), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                std::memset(&picture_[size_t(y) * stride + size_t(x) * 4],
                            value(number, x / scale_, y / scale_), 3);
        int first = 0, end = h;
        if (!before.empty()) {
            auto same = [&](int y) {
                return std::memcmp(&before[size_t(y) * stride], &picture_[size_t(y) * stride],
                                   size_t(stride)) == 0;
            };
            while (first < h && same(first))
                ++first;
            while (end > first && same(end - 1))
                --end;
        }
        image.width = w;
        image.height = h;
        image.stride = stride;
        image.top = 0;
        image.rows = h;
        // What a grabber converts around a change: even rows, with a margin for the chroma.
        image.changedTop = std::max(0, (first & ~1) - 2);
        image.changedEnd = std::min(h, ((end + 1) & ~1) + 2);
        image.pixels = picture_;
        return true;
    }

private:
    const int scale_;
    std::vector<uint8_t> picture_; // what the screen shows, whole
    std::atomic<int> pictures_{0};
    int grabs_ = 0;
};

// Sample positions where a beep starts: the first loud sample after a quiet stretch.
QList<int64_t> beepOnsets(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const int64_t n = pcm.size() / 2;
    QList<int64_t> onsets;
    int64_t lastLoud = -Rate;
    for (int64_t i = 0; i < n; ++i) {
        if (std::abs(int(s[i])) > 4000) {
            // A beep under way when the recording started is not a beep's start.
            if (i - lastLoud > Rate / 3 && i >= BeepFrames)
                onsets << i;
            lastLoud = i;
        }
    }
    return onsets;
}

// How late the sources of flashSession() get going: the first picture is grabbed
// `firstGrab` after the start, and the first sound comes `firstSound` after it.
struct Lateness {
    std::chrono::milliseconds firstGrab{0};
    std::chrono::milliseconds firstSound{0};
};

// A session recording FlashSource's flashes and FastSource's beeps, which share a clock that
// starts a little before the recording, so that the first flash comes early in the recording
// (and the sound source starts with sound from before it, as microphones do). Null, with
// `error` set, when the file cannot be opened.
std::unique_ptr<Session> flashSession(const QString& path, std::atomic<bool>* failed,
                                      QString* error, const Lateness& late = Lateness()) {
    AudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(Rate);
    format.setFormat(AudioFormat::Format_S16LE);
    OutputSettings settings;
    settings.path = path;
    settings.video = true;
    settings.sound = true;
    settings.videoSize = QSize(FlashSource::Width, FlashSource::Height);
    settings.audioSettings.setSampleRate(Rate);
    settings.audioSettings.setChannelCount(2);
    settings.soundFormat = format;
    EncoderErrors::Error code = EncoderErrors::NoError;
    std::unique_ptr<OutputFile> output = OutputFile::open(settings, &code, error);
    if (!output)
        return nullptr;
    const auto now = std::chrono::steady_clock::now();
    const auto origin = now + std::chrono::milliseconds(300);
    auto image = std::make_unique<FlashSource>(origin);
    image->delayFirstGrab(late.firstGrab);
    auto sound = std::make_unique<FastSource>(0, origin - std::chrono::seconds(1));
    sound->holdUntil(now + late.firstSound);
    SessionParts parts;
    parts.image = std::move(image);
    parts.sound = std::move(sound);
    parts.output = std::move(output);
    parts.path = path;
    parts.videoSize = settings.videoSize;
    parts.soundFormat = format;
    return std::make_unique<Session>(
        std::move(parts), [failed](FailureSource, int, const QString&) { *failed = true; });
}

// Each flash of the file (its first bright picture) and how far the nearest beep is from it,
// in seconds. A flash shows in the first picture grabbed after it, up to one picture interval
// (50 ms) late: half an interval before that picture is the best guess of its moment.
struct FlashOffsets {
    QList<double> flashes;
    QList<double> offsets;
};

FlashOffsets flashOffsets(const QString& path) {
    FlashOffsets found;
    double before = 0;
    for (const auto& [at, brightness] : readback::pictureBrightness(path)) {
        if (brightness > 128 && before <= 128)
            found.flashes << at;
        before = brightness;
    }
    const QList<int64_t> onsets = beepOnsets(readback::monoPcm(path));
    for (double flash : found.flashes) {
        const double moment = flash - 0.025;
        double nearest = 1e9;
        for (int64_t onset : onsets)
            if (std::abs(double(onset) / Rate - moment) < std::abs(nearest))
                nearest = double(onset) / Rate - moment;
        found.offsets << nearest;
    }
    return found;
}

// Where the flashes of flashSession() belong in a file without pauses: the first 0.3 s in,
// then one a second. Empty when they are all there; otherwise what is missing or out of
// place (a flash shows up to one picture interval after its moment).
QString flashesOutOfPlace(const QList<double>& flashes, double duration) {
    QStringList wrong;
    const int expected = int(std::floor(duration - 0.3 - 0.06)) + 1;
    if (flashes.size() != expected)
        wrong << QStringLiteral("%1 flashes, want %2").arg(flashes.size()).arg(expected);
    for (int i = 0; i < flashes.size(); ++i) {
        const double moment = 0.3 + i;
        if (flashes[i] < moment - 0.01 || flashes[i] > moment + 0.06)
            wrong
                << QStringLiteral("flash %1 at %2 s, want %3 s").arg(i).arg(flashes[i]).arg(moment);
    }
    return wrong.join("; ");
}

// FFmpeg's warnings and errors while it is installed: its muxers and encoders report through
// av_log, on whatever thread they run.
class FfmpegWarnings {
public:
    FfmpegWarnings() {
        std::lock_guard<std::mutex> lock(mutex());
        lines().clear();
        av_log_set_callback(&FfmpegWarnings::collect);
    }
    ~FfmpegWarnings() { av_log_set_callback(av_log_default_callback); }
    // The ones about time stamps or the order of the packets.
    QStringList aboutTiming() const {
        std::lock_guard<std::mutex> lock(mutex());
        QStringList found;
        for (const QString& line : lines())
            if (line.contains("interleav", Qt::CaseInsensitive) ||
                line.contains("timestamp", Qt::CaseInsensitive) ||
                line.contains("dts", Qt::CaseInsensitive) ||
                line.contains("pts", Qt::CaseInsensitive))
                found << line;
        return found;
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static QStringList& lines() {
        static QStringList l;
        return l;
    }
    static void collect(void* context, int level, const char* format, va_list args) {
        va_list copy;
        va_copy(copy, args);
        av_log_default_callback(context, level, format, copy);
        va_end(copy);
        if (level > AV_LOG_WARNING)
            return;
        char line[1024];
        int prefix = 1;
        av_log_format_line2(context, level, format, args, line, sizeof line, &prefix);
        std::lock_guard<std::mutex> lock(mutex());
        lines() << QString::fromUtf8(line).trimmed();
    }
};

} // namespace

class EngineTiming : public QObject {
    Q_OBJECT
private slots:
    void flashesAndBeepsStayTogether();
    void lateSourcesKeepTheFirstFlashOnItsBeep();
    void flashesAndBeepsStayTogetherAcrossPauses();
    void fastSoundCardIsFollowedWithoutCuts();
    void changedAndUnchangedPartsAreBothRight_data();
    void changedAndUnchangedPartsAreBothRight();
};

namespace {

// Records flashSession() with the given lateness for 6.5 s and checks the file: every flash is
// there from the first one on, each within 30 ms of its beep, and the time line is clean.
void recordFlashesAndBeeps(const Lateness& late, const char* what) {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("sync.mp4");
    std::atomic<bool> failed{false};
    QString text;
    FfmpegWarnings warnings;
    const std::unique_ptr<Session> session = flashSession(path, &failed, &text, late);
    QVERIFY2(session, qPrintable(text));
    session->start();
    QTest::qWait(6500);
    EncoderErrors::Error code = EncoderErrors::NoError;
    QVERIFY(session->finish(&code, &text));
    QVERIFY(!failed);
    QCOMPARE(readback::decodeErrors(path), QString());
    QVERIFY2(warnings.aboutTiming().isEmpty(), qPrintable(warnings.aboutTiming().join('\n')));
    const QString fault = readback::timelineFault(path, 0.050);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    const FlashOffsets found = flashOffsets(path);
    QStringList flashes;
    for (double flash : found.flashes)
        flashes << QString::number(flash, 'f', 3);
    const QString misplaced = flashesOutOfPlace(found.flashes, readback::probe(path).duration);
    QVERIFY2(misplaced.isEmpty(),
             qPrintable(QStringLiteral("%1 (flashes at %2)").arg(misplaced, flashes.join(' '))));
    QStringList offsets;
    for (double nearest : found.offsets)
        offsets << QString::number(nearest * 1000, 'f', 1);
    for (double nearest : found.offsets)
        QVERIFY2(std::abs(nearest) <= 0.030,
                 qPrintable(QStringLiteral("beep - flash in ms: %1").arg(offsets.join(' '))));
    qInfo("%s: beep - flash in ms: %s", what, qPrintable(offsets.join(' ')));
}

} // namespace

void EngineTiming::flashesAndBeepsStayTogether() {
    recordFlashesAndBeeps(Lateness(), "sources on time");
}

// On a busy machine the capture thread may grab its first picture late and the sound server
// may hand over its first sound late, all of it at once: the first picture still starts the
// file, the pictures after it keep their ticks, and the sound keeps its own timestamps, so
// that the first flash meets its beep as the later ones do.
void EngineTiming::lateSourcesKeepTheFirstFlashOnItsBeep() {
    Lateness late;
    late.firstGrab = std::chrono::milliseconds(170);
    late.firstSound = std::chrono::milliseconds(450);
    recordFlashesAndBeeps(late, "late sources");
}

// Two pauses of odd lengths (so the flashes move against the file's pictures) on a screen that
// is still apart from the flashes: after each join the beeps and flashes are as together as
// before, and the file is the recorded time without the pauses.
void EngineTiming::flashesAndBeepsStayTogetherAcrossPauses() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("paused.mp4");
    std::atomic<bool> failed{false};
    QString text;
    const std::unique_ptr<Session> sessionPtr = flashSession(path, &failed, &text);
    QVERIFY2(sessionPtr, qPrintable(text));
    Session& session = *sessionPtr;
    EncoderErrors::Error code = EncoderErrors::NoError;
    QElapsedTimer clock;
    session.start();
    clock.start();
    qint64 pausedMs = 0;
    // Recorded 2.4 s, paused 1.37 s, recorded 1.8 s, paused 0.61 s (a pause while a flash is
    // on screen), recorded 2.2 s.
    const QList<QPair<int, int>> plan{{2400, 1370}, {1800, 610}};
    for (const auto& [record, pause] : plan) {
        QTest::qWait(record);
        QVERIFY(session.pause());
        QVERIFY(!session.pause());
        QElapsedTimer held;
        held.start();
        QTest::qWait(pause);
        QVERIFY(session.resume());
        pausedMs += held.elapsed();
    }
    QTest::qWait(2200);
    const qint64 totalMs = clock.elapsed();
    QVERIFY(session.finish(&code, &text));
    QVERIFY(!failed);
    QCOMPARE(readback::decodeErrors(path), QString());
    QVERIFY(std::abs(double(session.statistics().pausedMs - pausedMs)) < 30);

    const readback::Facts facts = readback::probe(path);
    QVERIFY2(facts.readable, qPrintable(facts.error));
    const double wanted = double(totalMs - pausedMs) / 1000;
    QVERIFY2(std::abs(facts.duration - wanted) < 0.2,
             qPrintable(QStringLiteral("%1 s, want %2 s").arg(facts.duration).arg(wanted)));

    const FlashOffsets found = flashOffsets(path);
    const QList<double>& flashes = found.flashes;
    QVERIFY2(flashes.size() >= 5, qPrintable(QString::number(flashes.size())));
    QStringList offsets;
    for (int i = 0; i < flashes.size(); ++i) {
        const double nearest = found.offsets.at(i);
        offsets << QString::number(nearest * 1000, 'f', 1);
        QVERIFY2(std::abs(nearest) <= 0.030,
                 qPrintable(QStringLiteral("beep - flash in ms at %1 s: %2")
                                .arg(flashes.at(i))
                                .arg(offsets.join(' '))));
    }
    // The pauses moved the flashes off the whole seconds of the file: both the pictures and
    // the sound were shifted, not only one of them.
    bool shifted = false;
    for (double flash : flashes)
        shifted = shifted || std::abs(flash - std::floor(flash) - 0.325) > 0.1;
    QVERIFY2(shifted, qPrintable(offsets.join(' ')));
    qInfo("beep - flash in ms across pauses: %s", qPrintable(offsets.join(' ')));
}

void EngineTiming::fastSoundCardIsFollowedWithoutCuts() {
    const double seconds = qEnvironmentVariableIsSet("CLIPNEST_DRIFT_SECONDS")
                               ? qEnvironmentVariable("CLIPNEST_DRIFT_SECONDS").toDouble()
                               : 40;
    // 2000 ppm puts the sound 80 ms ahead in 40 s: far past anything that could pass as
    // timing jitter, so the engine has to correct it.
    const double ppm = qEnvironmentVariableIsSet("CLIPNEST_DRIFT_PPM")
                           ? qEnvironmentVariable("CLIPNEST_DRIFT_PPM").toDouble()
                           : 2000;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("drift.mp4");

    AudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(Rate);
    format.setFormat(AudioFormat::Format_S16LE);
    OutputSettings settings;
    settings.path = path;
    settings.video = false;
    settings.sound = true;
    settings.audioSettings.setSampleRate(Rate);
    settings.audioSettings.setChannelCount(2);
    settings.soundFormat = format;
    EncoderErrors::Error code = EncoderErrors::NoError;
    QString text;
    std::unique_ptr<OutputFile> output = OutputFile::open(settings, &code, &text);
    QVERIFY2(output, qPrintable(text));

    auto source = std::make_unique<FastSource>(ppm);
    const auto sourceOrigin = source->origin();
    SessionParts parts;
    parts.sound = std::move(source);
    parts.output = std::move(output);
    parts.path = path;
    parts.soundFormat = format;
    std::atomic<bool> failed{false};
    Session session(std::move(parts), [&](FailureSource, int, const QString&) { failed = true; });
    const auto recordingOrigin = std::chrono::steady_clock::now();
    session.start();
    QTest::qWait(int(seconds * 1000));
    QVERIFY(session.finish(&code, &text));
    QVERIFY(!failed);

    QCOMPARE(readback::decodeErrors(path), QString());
    const QList<int64_t> onsets = beepOnsets(readback::monoPcm(path));
    QVERIFY2(onsets.size() >= int(seconds) - 2, qPrintable(QString::number(onsets.size())));
    // Where each beep belongs: when the source made it, on the recording's clock.
    const double lead = std::chrono::duration<double>(sourceOrigin - recordingOrigin).count();
    const double sourceRate = Rate * (1 + ppm / 1e6);
    double worst = 0;
    QStringList intervals;
    for (int i = 0; i < onsets.size(); ++i) {
        const double at = double(onsets[i]) / Rate;
        // The beep made at source sample k * Rate; the first ones may fall before the start.
        const double k = std::round((at - lead) * sourceRate / Rate);
        const double expected = lead + k * Rate / sourceRate;
        worst = std::max(worst, std::abs(at - expected));
        if (i > 0)
            intervals << QString::number(onsets[i] - onsets[i - 1]);
        // No cut and no inserted silence: one beep to the next is the source's second played
        // a little faster, never a jump (a cut of 5 ms would be 220 samples).
        if (i > 1) {
            const int64_t change = (onsets[i] - onsets[i - 1]) - (onsets[i - 1] - onsets[i - 2]);
            QVERIFY2(std::abs(change) <= 8,
                     qPrintable(QStringLiteral("beep %1: interval changed by %2 samples: %3")
                                    .arg(i)
                                    .arg(change)
                                    .arg(intervals.join(' '))));
        }
    }
    // Left alone the sound would be ahead by ppm * seconds (80 ms by default); followed, it
    // stays within the tolerance of its speed correction (0.002 x 20 s = 40 ms at 2000 ppm).
    const double limit = std::max(0.030, ppm / 1e6 * 20 + 0.010);
    QVERIFY2(worst <= limit, qPrintable(QStringLiteral("a beep %1 ms off its time; intervals %2")
                                            .arg(worst * 1000)
                                            .arg(intervals.join(' '))));
    qInfo("beeps %lld, worst offset %.1f ms, intervals %s", qlonglong(onsets.size()), worst * 1000,
          qPrintable(intervals.join(' ')));
}

void EngineTiming::changedAndUnchangedPartsAreBothRight_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("converted by rows") << 1;
    QTest::newRow("scaled down") << 2;
}

// The encoder is told which blocks did not change since the previous picture and skips them:
// every picture of the file, decoded, must still be the one recorded, both where it changed
// (the number, the box at its new place) and where it did not (the box's old place cleaned up,
// the odd size's extra column and row, the still stretch's repeats).
void EngineTiming::changedAndUnchangedPartsAreBothRight() {
    QFETCH(int, scale);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("parts.mp4");
    OutputSettings settings;
    settings.path = path;
    settings.videoSize = QSize(NumberedSource::Width, NumberedSource::Height);
    EncoderErrors::Error code = EncoderErrors::NoError;
    QString text;
    std::unique_ptr<OutputFile> output = OutputFile::open(settings, &code, &text);
    QVERIFY2(output, qPrintable(text));
    auto source = std::make_unique<NumberedSource>(scale);
    const NumberedSource& numbers = *source;
    SessionParts parts;
    parts.image = std::move(source);
    parts.output = std::move(output);
    parts.path = path;
    parts.videoSize = settings.videoSize;
    std::atomic<bool> failed{false};
    Session session(std::move(parts), [&](FailureSource, int, const QString&) { failed = true; });
    session.start();
    QTest::qWait(4000);
    QVERIFY(session.finish(&code, &text));
    QVERIFY(!failed);
    QCOMPARE(readback::decodeErrors(path), QString());

    const int w = NumberedSource::Width + 1, h = NumberedSource::Height + 1;
    const QList<QByteArray> frames = readback::rgbFrames(path, w, h);
    QVERIFY2(frames.size() > 40, qPrintable(QString::number(frames.size())));
    QList<int> seen;
    double worstBlock = 0;
    for (int i = 0; i < frames.size(); ++i) {
        const auto* rgb = reinterpret_cast<const uint8_t*>(frames[i].constData());
        auto grey = [&](int x, int y) {
            return int(rgb[(size_t(y) * w + size_t(x)) * 3 + 1]);
        };
        int number = 0;
        for (int bit = 0; bit < 8; ++bit) {
            int sum = 0;
            for (int y = 8; y < 16; ++y)
                for (int x = 8; x < 16; ++x)
                    sum += grey(4 + bit * 20 + x - 4, y);
            if (sum / 64 > 128)
                number |= 1 << bit;
        }
        if (seen.isEmpty() || seen.last() != number)
            seen << number;
        // Compared in blocks of 8 x 8: the encoder's loss stays far below a stale box or cell
        // (a difference of over 100 levels). The extra column and row repeat the edge.
        for (int by = 0; by < h; by += 8) {
            for (int bx = 0; bx < w; bx += 8) {
                int sum = 0, count = 0;
                for (int y = by; y < std::min(h, by + 8); ++y)
                    for (int x = bx; x < std::min(w, bx + 8); ++x, ++count)
                        sum += std::abs(
                            grey(x, y) -
                            NumberedSource::value(number, std::min(x, NumberedSource::Width - 1),
                                                  std::min(y, NumberedSource::Height - 1)));
                const double mean = double(sum) / count;
                worstBlock = std::max(worstBlock, mean);
                QVERIFY2(mean <= 20, qPrintable(QStringLiteral("picture %1 (number %2): block at "
                                                               "%3,%4 off by %5 on average")
                                                    .arg(i)
                                                    .arg(number)
                                                    .arg(bx)
                                                    .arg(by)
                                                    .arg(mean)));
            }
        }
    }
    // Every picture made is in the file, in order.
    QList<int> all;
    for (int n = 0; n < numbers.pictures(); ++n)
        all << n;
    QCOMPARE(seen, all);
    QVERIFY(session.statistics().repeatedFrames > 0);
    qInfo("%lld pictures, %d numbers, worst 8x8 block off by %.1f", qlonglong(frames.size()),
          numbers.pictures(), worstBlock);
}

QTEST_GUILESS_MAIN(EngineTiming)
#include "tst_engine_timing.moc"
