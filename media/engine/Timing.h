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

// How many ticks the previous picture fills (stays on screen for) before a picture of tick
// `tick` when the last encoded one had tick `lastTick` (-1: none yet).
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
