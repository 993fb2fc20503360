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

// Keeps sound in step with the capture clock: a chunk that should start at sample `start`
// arrives when `next` samples have been written. Small differences (clock jitter) are
// absorbed; a late chunk is preceded by silence, an early one loses its overlapping start.
struct SoundPlacement {
    int64_t silenceBefore = 0; // samples of silence to write first
    int64_t skip = 0;          // samples to drop from the chunk's start (at most its length)
    double stretch = 0;        // speed change for what follows (0.001: a sample in 1000 more)
};
SoundPlacement placeSound(int64_t next, int64_t start, int64_t length, int64_t tolerance);

} // namespace engine

namespace engine {

// Places a stream of sound chunks on the capture clock. Chunk timestamps come from the sound
// server's latency reports and jitter (by up to a tenth of a second with sources that
// deliver in blocks), while the sound itself is continuous: so the stream is kept continuous
// and its smoothed offset from the clock (sound-card drift) is worked off by playing the
// sound a little faster or slower, never by cutting it. Only a chunk far off (the first one,
// a gap after a lost source) is moved at once, with silence before it or its start dropped.
// Sources start by handing over what they had buffered before the recording: until a chunk
// reaches the file's position, chunks are dropped whole, so that the first sound placed is
// in step from the first second.
class SoundAligner {
public:
    struct Limits {
        int64_t jump = 0;      // samples of offset corrected at once
        int64_t window = 1;    // samples over which offsets are averaged
        int64_t horizon = 1;   // samples over which a smoothed offset is worked off
        double maxStretch = 0; // the largest change of speed used for that (0.003: 0.3 %)
    };
    explicit SoundAligner(const Limits& limits);
    SoundPlacement place(int64_t next, int64_t start, int64_t length);

private:
    int64_t jump_;
    double window_;
    double horizon_;
    double maxStretch_;
    double smoothed_ = 0;
    bool first_ = true;
};

} // namespace engine
