#include "media/SoundLevelReader.h"

#include "media/AudioFormat.h"
#include "media/engine/PulseSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One channel is enough to see the sound move, and float samples need no scaling per format.
// The rate is the usual one of microphones, so the server rarely resamples for us.
constexpr int kMeterRate = 48000;

double peakOf(const std::vector<uint8_t>& bytes) {
    double peak = 0;
    const size_t count = bytes.size() / sizeof(float);
    for (size_t i = 0; i < count; ++i) {
        float sample = 0;
        std::memcpy(&sample, bytes.data() + i * sizeof(float), sizeof(float));
        if (std::isfinite(sample))
            peak = std::max(peak, double(std::fabs(sample)));
    }
    return std::min(peak, 1.0);
}

} // namespace

SoundLevelReader::SoundLevelReader(Source source, QObject* parent)
    : QObject(parent)
    , source_(source) {}

SoundLevelReader::~SoundLevelReader() {
    stop();
}

void SoundLevelReader::start() {
    if (thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = false;
    }
    // Connecting to the server waits for its answers: on this thread, not the caller's.
    thread_ = std::thread([this] { run(); });
}

void SoundLevelReader::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        if (reading_)
            reading_->interrupt();
    }
    if (thread_.joinable())
        thread_.join();
}

void SoundLevelReader::run() {
    AudioFormat format;
    format.setFormat(AudioFormat::Format_FloatLE);
    format.setChannelCount(1);
    format.setSampleRate(kMeterRate);
    GrabberErrors::Error code = GrabberErrors::NoError;
    QString errorText;
    std::unique_ptr<engine::SoundSource> source =
        engine::openPulseSource(0, source_ == Source::ComputerSound, format, &code, &errorText);
    if (!source) {
        emit failed(errorText);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_)
            return;
        reading_ = source.get();
    }
    engine::SoundData data;
    for (;;) {
        const engine::SoundSource::ReadResult result = source->read(data, &errorText);
        if (result == engine::SoundSource::ReadResult::Data) {
            emit levelRead(peakOf(data.bytes));
            continue;
        }
        if (result == engine::SoundSource::ReadResult::Lost)
            emit failed(errorText);
        break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    reading_ = nullptr;
}
