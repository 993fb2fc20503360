#include "media/engine/Timing.h"

#include "media/AudioFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {

QSize evenSize(const QSize& size) {
    if (size.width() < 1 || size.height() < 1)
        return size;
    return QSize(size.width() + (size.width() & 1), size.height() + (size.height() & 1));
}

int64_t missedTicks(int64_t nowUs, int64_t nextTick, int64_t periodUs) {
    if (periodUs <= 0 || nowUs < 0)
        return 0;
    const int64_t due = nowUs / periodUs; // the latest tick whose time has come
    return due > nextTick ? due - nextTick : 0;
}

SoundPlacement placeSound(int64_t next, int64_t start, int64_t length, int64_t tolerance) {
    SoundPlacement placement;
    if (start > next + tolerance)
        placement.silenceBefore = start - next;
    else if (start < next - tolerance)
        placement.skip = std::min(next - start, std::max<int64_t>(length, 0));
    return placement;
}

} // namespace engine

namespace engine {

SoundAligner::SoundAligner(const Limits& limits)
    : jump_(limits.jump)
    , window_(double(std::max<int64_t>(limits.window, 1)))
    , horizon_(double(std::max<int64_t>(limits.horizon, 1)))
    , maxStretch_(limits.maxStretch) {}

SoundPlacement SoundAligner::place(int64_t next, int64_t start, int64_t length) {
    const int64_t offset = start - next;
    if (first_ && start + length <= next) {
        SoundPlacement placement;
        placement.skip = std::max<int64_t>(length, 0);
        return placement;
    }
    if (first_ || offset > jump_ || offset < -jump_) {
        first_ = false;
        smoothed_ = 0;
        return placeSound(next, start, length, 0);
    }
    const double weight = std::min(1.0, double(std::max<int64_t>(length, 0)) / window_);
    smoothed_ += (double(offset) - smoothed_) * weight;
    SoundPlacement placement;
    // Sound that belongs later than where the file has got to is stretched, sound that
    // belongs earlier is played faster, in proportion to how far off it is.
    placement.stretch = std::clamp(smoothed_ / horizon_, -maxStretch_, maxStretch_);
    return placement;
}

} // namespace engine

namespace engine {

bool PauseTimeline::pause(int64_t us) {
    if (paused())
        return false;
    // A pause never begins before the end of the one before it, whatever the caller's clock.
    if (!pauses_.empty())
        us = std::max(us, pauses_.back().end);
    pauses_.push_back(Pause{us, -1});
    return true;
}

bool PauseTimeline::resume(int64_t us) {
    if (!paused())
        return false;
    Pause& last = pauses_.back();
    last.end = std::max(us, last.start);
    pausedUs_ += last.end - last.start;
    return true;
}

int64_t PauseTimeline::toRecording(int64_t us) const {
    int64_t paused = 0;
    for (const Pause& p : pauses_) {
        if (us < p.start)
            break;
        if (p.end < 0 || us < p.end)
            return p.start - paused;
        paused += p.end - p.start;
    }
    return us - paused;
}

PauseCutter::PauseCutter(int rate, int channels, int fadeFrames)
    : rate_(std::max(1, rate))
    , channels_(std::max(1, channels))
    , fadeFrames_(std::max(1, fadeFrames)) {}

namespace {

struct PausePlace {
    int inside = -1; // the pause `t` falls into; -1: none
    int passed = 0;  // pauses that ended at or before `t`
};

PausePlace placeInPauses(const std::vector<PauseTimeline::Pause>& pauses, int64_t t) {
    PausePlace place;
    for (size_t k = 0; k < pauses.size(); ++k) {
        const PauseTimeline::Pause& p = pauses[k];
        if (t < p.start)
            break;
        if (p.end < 0 || t < p.end) {
            place.inside = int(k);
            break;
        }
        place.passed = int(k) + 1;
    }
    return place;
}

} // namespace

void PauseCutter::holdInTail(int pause, const float* frame) {
    if (tailPause_ != pause) {
        tailPause_ = pause;
        tail_.clear();
    }
    if (tail_.size() < size_t(fadeFrames_) * size_t(channels_))
        tail_.insert(tail_.end(), frame, frame + channels_);
}

void PauseCutter::keep(int passed, const float* frame, float* to) {
    if (passed > joined_) {
        joined_ = passed;
        fading_.clear();
        // Without a tail (no sound came in during the pause) the sound fades in from silence.
        if (tailPause_ == passed - 1)
            fading_.swap(tail_);
        fadePosition_ = 0;
    }
    if (fadePosition_ >= 0) {
        const float in = (float(fadePosition_) + 0.5f) / float(fadeFrames_);
        const size_t at = size_t(fadePosition_) * size_t(channels_);
        for (int c = 0; c < channels_; ++c) {
            const float out = at + size_t(c) < fading_.size() ? fading_[at + size_t(c)] : 0.0f;
            to[c] = frame[c] * in + out * (1.0f - in);
        }
        if (++fadePosition_ >= fadeFrames_)
            fadePosition_ = -1;
    } else if (to != frame) {
        std::copy(frame, frame + channels_, to);
    }
}

int64_t PauseCutter::cut(const PauseTimeline& timeline, int64_t startUs,
                         std::vector<float>& samples) {
    const std::vector<PauseTimeline::Pause>& pauses = timeline.pauses();
    const int64_t frames = int64_t(samples.size()) / channels_;
    // The common case: no pause so far and no fade under way.
    if (pauses.empty() && fadePosition_ < 0)
        return frames > 0 ? startUs : -1;
    size_t kept = 0;
    // Sound from before the recording's start has negative times.
    bool anyKept = false;
    int64_t firstKept = -1;
    for (int64_t n = 0; n < frames; ++n) {
        const int64_t t = startUs + n * 1000000 / rate_;
        const PausePlace place = placeInPauses(pauses, t);
        const float* frame = samples.data() + n * channels_;
        if (place.inside >= 0) {
            holdInTail(place.inside, frame);
            continue;
        }
        keep(place.passed, frame, samples.data() + kept * channels_);
        if (!anyKept)
            firstKept = timeline.toRecording(t);
        anyKept = true;
        ++kept;
    }
    samples.resize(kept * size_t(channels_));
    return firstKept;
}

SoundClock::SoundClock(int rate, int64_t jumpUs, int64_t windowUs, int64_t horizonUs,
                       double maxStretch)
    : rate_(std::max(1, rate))
    , jumpUs_(jumpUs)
    , windowUs_(double(std::max<int64_t>(1, windowUs)))
    , horizonUs_(double(std::max<int64_t>(1, horizonUs)))
    , maxStretch_(maxStretch) {}

int64_t SoundClock::place(int64_t stampUs, int64_t frames) {
    const double duration = double(std::max<int64_t>(0, frames)) * 1e6 / rate_;
    double start = double(stampUs);
    const double offset = double(stampUs) - next_;
    if (first_ || offset > double(jumpUs_) || offset < -double(jumpUs_)) {
        first_ = false;
        smoothed_ = 0;
    } else {
        smoothed_ += (offset - smoothed_) * std::min(1.0, duration / windowUs_);
        start = next_;
    }
    const double pull = std::clamp(smoothed_ * duration / horizonUs_, -maxStretch_ * duration,
                                   maxStretch_ * duration);
    next_ = start + duration + pull;
    return int64_t(std::llround(start));
}

std::vector<float> samplesToFloat(const uint8_t* data, int64_t samples, int format) {
    std::vector<float> out(size_t(std::max<int64_t>(0, samples)), 0.0f);
    for (int64_t i = 0; i < samples; ++i) {
        float v = 0;
        switch (format) {
        case AudioFormat::Format_U8:
            v = (float(data[i]) - 128.0f) / 128.0f;
            break;
        case AudioFormat::Format_S16LE: {
            int16_t s;
            std::memcpy(&s, data + 2 * i, 2);
            v = float(s) / 32768.0f;
            break;
        }
        case AudioFormat::Format_S32LE: {
            int32_t s;
            std::memcpy(&s, data + 4 * i, 4);
            v = float(double(s) / 2147483648.0);
            break;
        }
        case AudioFormat::Format_FloatLE:
            std::memcpy(&v, data + 4 * i, 4);
            break;
        default:
            break;
        }
        out[size_t(i)] = v;
    }
    return out;
}

void floatToSamples(const float* samples, int64_t count, int format, uint8_t* out) {
    for (int64_t i = 0; i < count; ++i) {
        const float v = std::clamp(samples[i], -1.0f, 1.0f);
        switch (format) {
        case AudioFormat::Format_U8:
            out[i] = uint8_t(std::lround(v * 127.0f + 128.0f));
            break;
        case AudioFormat::Format_S16LE: {
            const int16_t s = int16_t(std::lround(v * 32767.0f));
            std::memcpy(out + 2 * i, &s, 2);
            break;
        }
        case AudioFormat::Format_S32LE: {
            const int32_t s = int32_t(std::llround(double(v) * 2147483647.0));
            std::memcpy(out + 4 * i, &s, 4);
            break;
        }
        case AudioFormat::Format_FloatLE:
            std::memcpy(out + 4 * i, &v, 4);
            break;
        default:
            break;
        }
    }
}

} // namespace engine
