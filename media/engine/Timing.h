#pragma once

#include <QSize>

#include <cstdint>

// Pure decisions of the recording pipeline, kept apart so that they can be tested alone.
namespace engine {

// H.264 in YUV 4:2:0 needs even sizes: odd sizes grow by one column or row, which repeats the
// picture's edge. Sizes below 1 stay as they are (the caller refuses them).
QSize evenSize(const QSize& size);

// Capture clock: the picture of tick n belongs at origin + n * period. Given the time now
// (microseconds since the origin) and the next tick the capture thread meant to take,
// returns how many ticks have already passed unserved (0 when on time).
int64_t missedTicks(int64_t nowUs, int64_t nextTick, int64_t periodUs);

// How many copies of the previous picture fill the ticks before a picture of tick `tick`
// when the last encoded one had tick `lastTick` (-1: none yet).
int64_t repeatsBefore(int64_t lastTick, int64_t tick);

// Keeps sound in step with the capture clock: a chunk that should start at sample `start`
// arrives when `next` samples have been written. Small differences (clock jitter) are
// absorbed; a late chunk is preceded by silence, an early one loses its overlapping start.
struct SoundPlacement {
    int64_t silenceBefore = 0; // samples of silence to write first
    int64_t skip = 0;          // samples to drop from the chunk's start (at most its length)
};
SoundPlacement placeSound(int64_t next, int64_t start, int64_t length, int64_t tolerance);

} // namespace engine

namespace engine {

// Places a stream of sound chunks on the capture clock. Chunk timestamps come from the sound
// server's latency reports and jitter (by up to a tenth of a second with sources that
// deliver in blocks), while the sound itself is continuous: so the stream is kept continuous
// and only moved when its smoothed offset from the clock exceeds the tolerance (sound-card
// drift, lost sound), or at once when a chunk is far off (the first chunk, a gap after a
// lost source).
class SoundAligner {
public:
    // All in samples: `tolerance` of smoothed offset before a correction (an eighth of the
    // chunk if that is more), `jump` of offset corrected at once, `window` over which offsets
    // are averaged.
    SoundAligner(int64_t tolerance, int64_t jump, int64_t window);
    SoundPlacement place(int64_t next, int64_t start, int64_t length);

private:
    int64_t tolerance_;
    int64_t jump_;
    double window_;
    double smoothed_ = 0;
    bool first_ = true;
};

} // namespace engine
