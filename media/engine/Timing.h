#pragma once

#include <QSize>

#include <cstdint>
#include <vector>

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

namespace engine {

// The pauses of a recording on its capture clock. The recording's own time, the time the file
// shows, is the clock's time less every pause before it, so that the parts before and after a
// pause follow each other directly in the file.
class PauseTimeline {
public:
    struct Pause {
        int64_t start = 0;
        int64_t end = -1; // -1: under way
    };

    // Pauses (or resumes) at clock time `us`; false when already paused (or not paused).
    bool pause(int64_t us);
    bool resume(int64_t us);
    bool paused() const { return !pauses_.empty() && pauses_.back().end < 0; }
    // Clock time taken by the pauses that have ended.
    int64_t pausedUs() const { return pausedUs_; }
    // Clock time -> recording time; a moment inside a pause is the moment it began.
    int64_t toRecording(int64_t us) const;
    const std::vector<Pause>& pauses() const { return pauses_; }

private:
    std::vector<Pause> pauses_;
    int64_t pausedUs_ = 0;
};

// Cuts the paused stretches out of the sound of one input and joins what is left, sample by
// sample on the capture clock. A hard join of two pieces of sound clicks; so the sound just
// after a pause began fades out over the sound after the resume fading in (`fadeFrames`
// long), which keeps the length exact and the level even.
class PauseCutter {
public:
    PauseCutter(int rate, int channels, int fadeFrames);
    // `samples` (interleaved) were recorded from clock time `startUs` on. Leaves in `samples`
    // what is kept, which is continuous in recording time, and returns the recording time of
    // its first sample (meaningless when nothing is kept).
    int64_t cut(const PauseTimeline& timeline, int64_t startUs, std::vector<float>& samples);

private:
    // Keeps a frame that falls into pause `pause` as the start of its tail.
    void holdInTail(int pause, const float* frame);
    // Writes a kept frame to `to`, faded in over the tail after the pause `passed` ended
    // (counted from 1).
    void keep(int passed, const float* frame, float* to);

    const int rate_;
    const int channels_;
    const int fadeFrames_;
    std::vector<float> tail_;   // the sound after the latest pause began, up to fadeFrames_
    int tailPause_ = -1;        // the pause tail_ belongs to
    int joined_ = 0;            // pauses whose end the kept sound has passed
    std::vector<float> fading_; // the tail the sound after a resume fades in over
    int fadePosition_ = -1;     // frames of that fade done; -1: none under way
};

// Times the samples of one sound source by their count rather than by the timestamps the
// source hands over, which jitter (by a tenth of a second with sources that deliver in
// blocks, and out of order). Each chunk starts where the one before ended; the smoothed
// difference to the timestamps (the sound card's drift) is worked off gradually, and only a
// chunk far off (the first, one after a gap) is taken at its timestamp. All in microseconds.
class SoundClock {
public:
    SoundClock(int rate, int64_t jumpUs, int64_t windowUs, int64_t horizonUs, double maxStretch);
    // The start of a chunk of `frames` samples stamped `stampUs`.
    int64_t place(int64_t stampUs, int64_t frames);

private:
    const int rate_;
    const int64_t jumpUs_;
    const double windowUs_;
    const double horizonUs_;
    const double maxStretch_;
    bool first_ = true;
    double next_ = 0;
    double smoothed_ = 0;
};

// Sound sample layouts to and from interleaved floats in [-1, 1]; `format` is an
// AudioFormat::Format. Unknown layouts give silence.
std::vector<float> samplesToFloat(const uint8_t* data, int64_t samples, int format);
void floatToSamples(const float* samples, int64_t count, int format, uint8_t* out);

} // namespace engine
