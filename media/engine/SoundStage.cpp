#include "media/engine/SoundStage.h"

#include <QDebug>

#include <algorithm>
#include <pthread.h>

namespace engine {
namespace {

// Length of one piece of silence while the microphone is gone.
constexpr int64_t kSoundChunkUs = 20000;
// How often a lost microphone is looked for again.
constexpr int64_t kSoundRetryUs = 1000000;
// At a resume the sound before the pause fades out over the sound after it for this long:
// long enough that the join does not click (a ramp of 10 ms carries nothing above 100 Hz),
// short enough not to smear a syllable.
constexpr int64_t kJoinFadeUs = 10000;

} // namespace

void EndCount::arrive() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
    }
    arrived_.notify_all();
}

void EndCount::waitFor(int count, std::chrono::microseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, timeout, [this, count] { return count_ >= count; });
}

void SoundLostNotice::operator()(const QString& text) {
    if (!told_.exchange(true) && callback_)
        callback_(text);
}

SoundStage::SoundStage(SoundSource& source, int input, const AudioFormat& format, Links links)
    : source_(source)
    , input_(input)
    , format_(format)
    , channels_(std::max(1, format.channelCount()))
    , rate_(std::max(1, format.sampleRate()))
    , frameBytes_(std::max(1, format.bytesPerSample() * channels_))
    , chunkFrames_(std::max(1, int(int64_t(rate_) * kSoundChunkUs / 1000000)))
    , links_(links)
    , cutter_(rate_, channels_, int(int64_t(rate_) * kJoinFadeUs / 1000000))
    , sampleClock_(rate_, kSoundJumpUs, kSoundWindowUs, kSoundHorizonUs, kMaxSoundStretch) {}

SoundStage::Next SoundStage::readSource(std::vector<float>& samples, int64_t& clockStart) {
    SoundData data;
    QString text;
    const SoundSource::ReadResult result = source_.read(data, &text);
    if (result == SoundSource::ReadResult::Interrupted)
        return Next::End;
    if (result == SoundSource::ReadResult::Lost) {
        // The recording goes on with silence; the source is looked for again.
        qWarning() << "Sound source lost, recording silence:" << text;
        links_.lost(text);
        lost_ = true;
        silentUntilUs_ = links_.clock.nowUs();
        nextRetryUs_ = silentUntilUs_ + kSoundRetryUs;
        return Next::Again;
    }
    const int frames = int(data.bytes.size() / size_t(frameBytes_));
    samples = samplesToFloat(data.bytes.data(), int64_t(frames) * channels_, int(format_.format()));
    clockStart = links_.clock.sinceStartUs(data.start);
    return Next::Chunk;
}

SoundStage::Next SoundStage::paceSilence(SoundChunk& chunk, std::vector<float>& samples,
                                         int64_t& clockStart) {
    // Silence paced by the capture clock, so the file keeps its sound track.
    if (!links_.clock.waitUntilOrStop(silentUntilUs_ + kSoundChunkUs))
        return Next::End;
    if (links_.clock.nowUs() >= nextRetryUs_) {
        QString text;
        if (source_.reopen(&text)) {
            qWarning() << "Sound source back";
            lost_ = false;
            return Next::Again;
        }
        nextRetryUs_ = links_.clock.nowUs() + kSoundRetryUs;
    }
    samples.assign(size_t(chunkFrames_) * size_t(channels_), 0.0f);
    chunk.silent = true;
    clockStart = silentUntilUs_;
    silentUntilUs_ += kSoundChunkUs;
    return Next::Chunk;
}

SoundStage::Next SoundStage::read(SoundChunk& chunk, std::vector<float>& samples,
                                  int64_t& clockStart) {
    return lost_ ? paceSilence(chunk, samples, clockStart) : readSource(samples, clockStart);
}

bool SoundStage::place(SoundChunk& chunk, std::vector<float> samples, int64_t clockStart) {
    const int64_t frames = int64_t(samples.size() / size_t(channels_));
    const int64_t clockEnd = clockStart + frames * 1000000 / rate_;
    const SessionClock::Snapshot now = links_.clock.snapshot();
    const int64_t counted = sampleClock_.place(clockStart, frames);
    chunk.startUs = cutter_.cut(now.pauses, counted, samples);
    // The encoder places the sound by the timestamps as ever; the cut only moved them.
    chunk.startUs += clockStart - counted;
    chunk.frames = int(samples.size() / size_t(channels_));
    chunk.samples = std::move(samples);
    // After the stop only the sound up to the moment of the stop is kept, and the first sound
    // from past it is the last this thread needs.
    const bool last = now.stopClockUs >= 0 && clockEnd >= now.stopClockUs;
    if (last && chunk.frames > 0) {
        const int64_t keep = (now.stopAtUs - chunk.startUs) * rate_ / 1000000;
        if (keep < chunk.frames) {
            chunk.frames = int(std::max<int64_t>(0, keep));
            chunk.samples.resize(size_t(chunk.frames) * size_t(channels_));
        }
    }
    return last;
}

void SoundStage::run() {
    pthread_setname_np(pthread_self(), input_ == 0 ? "clipnest-sound" : "clipnest-sound2");
    for (;;) {
        auto chunk = std::make_unique<SoundChunk>();
        chunk->input = input_;
        std::vector<float> samples;
        int64_t clockStart = 0;
        const Next next = read(*chunk, samples, clockStart);
        if (next == Next::End)
            break;
        if (next == Next::Again)
            continue;
        const bool last = place(*chunk, std::move(samples), clockStart);
        if (chunk->frames > 0 && !links_.out.pushB(chunk))
            break;
        if (last)
            break;
    }
    links_.ended.arrive();
}

} // namespace engine
