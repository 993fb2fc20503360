#pragma once

#include "media/engine/Ffmpeg.h"
#include "media/engine/Timing.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace engine {

// Mixes the sound of several inputs (the microphone and what the computer plays) into one
// stream on the capture clock. Each input is placed as a single source would be: kept
// continuous, its sound card's drift worked off by playing it a little faster or slower, a
// chunk far off its time moved at once. The inputs are then added in float, each at its own
// level, and a limiter keeps the sum below full scale. The encode thread's alone.
class SoundMixer {
public:
    SoundMixer(int rate, int channels, const std::vector<float>& levels,
               const SoundAligner::Limits& limits);

    // Adds `frames` interleaved samples of `input` (null: silence) that belong at sample
    // `start` of the clock; `next` is where the mixed stream has got to (the output's
    // position). Returns false when the resampler fails.
    bool add(int input, const float* samples, int frames, int64_t start, int64_t next);
    // Takes the mixed sound that every input has reached, or with `all` what any input has
    // (the others silent there), as interleaved samples; returns the frames taken. An input
    // that falls more than a few seconds behind the others is not waited for.
    int64_t take(std::vector<float>& out, bool all);
    // Frames taken with some input missing.
    int64_t paddedFrames() const { return padded_; }

private:
    struct Input {
        Input(float lvl, const SoundAligner::Limits& limits)
            : level(lvl)
            , aligner(limits) {}
        bool feed(const float* samples, int frames, int channels);

        float level = 1;
        SoundAligner aligner;
        SwrPtr stretcher;
        int stretchDelta = 0;
        std::deque<float> buffer; // interleaved, from the mixed stream's position on
    };

    const int rate_;
    const int channels_;
    std::vector<Input> inputs_;
    // The limiter's gain: drops at once to keep a peak below the ceiling, recovers slowly.
    float gain_ = 1;
    float release_ = 0;
    const int64_t fadeInFrames_;
    int64_t taken_ = 0; // frames mixed so far
    int64_t padded_ = 0;
};

} // namespace engine
