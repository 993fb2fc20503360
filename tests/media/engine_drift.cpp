// The recording engine with a sound source whose clock runs fast against the computer's, as
// sound cards' clocks do: the recorded sound must stay with the clock without a single cut,
// read back from the finished file. No desktop needed: the source is made up here, the file
// and the encoders are real.
//
// CLIPNEST_DRIFT_SECONDS and CLIPNEST_DRIFT_PPM change the run (the media bench runs it for
// minutes at 200 ppm).
#include "mp4_readback.h"

#include "media/AudioFormat.h"
#include "media/engine/OutputFile.h"
#include "media/engine/Session.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <condition_variable>
#include <mutex>

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
    explicit FastSource(double ppm)
        : rate_(Rate * (1 + ppm / 1e6))
        , origin_(std::chrono::steady_clock::now()) {}

    ReadResult read(SoundData& data, QString*) override {
        const auto due = origin_ + std::chrono::nanoseconds(
                                       int64_t(double(produced_ + PieceFrames) / rate_ * 1e9));
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
    int64_t produced_ = 0; // read thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false; // guarded by mutex_
};

// Sample positions where a beep starts: the first loud sample after a quiet stretch.
QList<int64_t> beepOnsets(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const int64_t n = pcm.size() / 2;
    QList<int64_t> onsets;
    // A beep under way when the recording started is not a beep's start.
    int64_t lastLoud = 0;
    for (int64_t i = 0; i < n; ++i) {
        if (std::abs(int(s[i])) > 4000) {
            if (i - lastLoud > Rate / 3)
                onsets << i;
            lastLoud = i;
        }
    }
    return onsets;
}

} // namespace

class EngineDrift : public QObject {
    Q_OBJECT
private slots:
    void fastSoundCardIsFollowedWithoutCuts();
};

void EngineDrift::fastSoundCardIsFollowedWithoutCuts() {
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

QTEST_GUILESS_MAIN(EngineDrift)
#include "engine_drift.moc"
