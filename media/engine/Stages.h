#pragma once

#include "media/engine/BoundedQueue.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/Sources.h"
#include "media/engine/Timing.h"
#include "media/engine/UnchangedBlocks.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// What the stages of one recording (capture, convert, sound, encode) hand each other, and what
// they share: the counters, the one failure report and the grab buffers.
namespace engine {

// Where a failure during a recording came from.
enum class FailureSource { Image, Sound, Output };

struct SoundChunk {
    std::vector<float> samples; // interleaved
    int frames = 0;
    int64_t startUs = 0; // on the recording's time (the clock less the pauses)
    int input = 0;
    bool silent = false; // stands in for a lost source
};

struct Picture {
    FramePtr frame; // null: the picture before goes on at `tick`
    int64_t tick = 0;
    // The blocks of `frame` that equal the picture before it; empty: any may differ.
    UnchangedBlocks unchanged;
};

using CapturedQueue = BoundedQueue<std::unique_ptr<RawImage>>;
using EncoderInput = TwoLaneQueue<Picture, std::unique_ptr<SoundChunk>>;

// The figures of statistics(); any thread.
struct StageCounters {
    std::atomic<int64_t> encoded{0};
    std::atomic<int64_t> dropped{0};
    std::atomic<int64_t> repeated{0};
    std::atomic<int64_t> silenceSamples{0};
};

// Passes on the first failure of a recording, from whichever thread found it; any thread.
class FailureReport {
public:
    using Callback = std::function<void(FailureSource, int code, const QString& text)>;
    explicit FailureReport(Callback callback)
        : callback_(std::move(callback)) {}
    void operator()(FailureSource source, int code, const QString& text);

private:
    const Callback callback_;
    std::atomic<bool> failed_{false};
};

// Converted pictures' buffers go back to the capture thread: grabbing into a buffer that is
// already mapped saves allocating and clearing 8 MB for every picture. Any thread.
class ImagePool {
public:
    explicit ImagePool(std::size_t keep)
        : keep_(keep) {}
    std::unique_ptr<RawImage> take();
    void giveBack(std::unique_ptr<RawImage> image);

private:
    const std::size_t keep_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<RawImage>> spare_; // guarded by mutex_
};

// Sound this far off the clock is moved at once (a gap after the source came back).
constexpr int64_t kSoundJumpUs = 500000;
// Offsets are averaged over this long: long enough to smooth the jitter of sources that
// deliver in blocks of seconds, short enough to follow drift within a minute.
constexpr int64_t kSoundWindowUs = 10000000;
// A smoothed offset is worked off over this long. Twice the averaging window keeps the
// correction from overshooting; a sound card 200 ppm off then stays 4 ms off the clock.
constexpr int64_t kSoundHorizonUs = 20000000;
// The largest change of the sound's speed used to follow the clock: 0.5 % (a twelfth of a
// semitone, which few ears notice, and never a jump) follows any sound card within its rating.
constexpr double kMaxSoundStretch = 0.005;

// The limits above in samples at `rate`.
SoundAligner::Limits soundLimits(int rate);

} // namespace engine
