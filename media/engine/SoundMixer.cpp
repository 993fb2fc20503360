#include "media/engine/SoundMixer.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>

namespace engine {
namespace {

// The mix never goes above this, about 1 dB below full scale: MP3 and AAC rebuild a loud
// waveform with peaks a few percent above the ones they were given, and a mix held just
// under full scale came back clipped from the decoder.
constexpr float kLimitCeiling = 0.89f;
// The mix fades in over this long: the first sample can land anywhere on a loud wave, and
// a jump from silence to it rings in the encoder's output past full scale (and clicks).
// Short enough to be inaudible as a fade.
constexpr double kFadeInSeconds = 0.005;
// After a peak the limiter's gain comes back with this time constant: slow enough not to
// pump with every syllable, quick enough that a loud moment does not hush the next seconds.
constexpr double kLimitReleaseSeconds = 0.2;
// An input this far behind the others (a source that delivers in blocks, or stalls) is not
// waited for: longer than any block PulseAudio hands over (2 s), short enough to keep the
// memory small.
constexpr int64_t kMixWaitUs = 2500000;
// The speed correction is spread over this long, as the output file does with a single
// input.
constexpr int kStretchDistanceSeconds = 10;

} // namespace

SoundMixer::SoundMixer(int rate, int channels, const std::vector<float>& levels,
                       const SoundAligner::Limits& limits)
    : rate_(std::max(1, rate))
    , channels_(std::max(1, channels))
    , release_(float(1.0 - std::exp(-1.0 / (kLimitReleaseSeconds * rate_))))
    , fadeInFrames_(std::max<int64_t>(1, std::llround(kFadeInSeconds * rate_))) {
    inputs_.reserve(levels.size());
    for (float level : levels) {
        inputs_.emplace_back(level, limits);
        Input& input = inputs_.back();
        AVChannelLayout layout;
        av_channel_layout_default(&layout, channels_);
        SwrContext* swr = nullptr;
        int result = swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_FLT, rate_, &layout,
                                         AV_SAMPLE_FMT_FLT, rate_, 0, nullptr);
        av_channel_layout_uninit(&layout);
        input.stretcher.reset(swr);
        // Resampling at equal rates, so that the input can be stretched at any time.
        if (result >= 0)
            result = av_opt_set_int(swr, "flags", SWR_FLAG_RESAMPLE, 0);
        if (result < 0 || swr_init(swr) < 0)
            input.stretcher.reset();
    }
}

bool SoundMixer::Input::feed(const float* samples, int frames, int channels) {
    if (!stretcher)
        return false;
    const int capacity = swr_get_out_samples(stretcher.get(), frames);
    if (capacity <= 0)
        return true;
    std::vector<float> out(size_t(capacity) * size_t(channels));
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(out.data())};
    const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int converted = swr_convert(stretcher.get(), outPlanes, capacity, inPlanes, frames);
    if (converted < 0)
        return false;
    buffer.insert(buffer.end(), out.begin(), out.begin() + ptrdiff_t(converted) * channels);
    return true;
}

bool SoundMixer::add(int index, const float* samples, int frames, int64_t start, int64_t next) {
    if (index < 0 || index >= int(inputs_.size()) || frames <= 0)
        return true;
    Input& input = inputs_[size_t(index)];
    if (!input.stretcher)
        return false;
    const int64_t position = next + int64_t(input.buffer.size()) / channels_ +
                             swr_get_delay(input.stretcher.get(), rate_);
    const SoundPlacement place = input.aligner.place(position, start, frames);
    const int distance = rate_ * kStretchDistanceSeconds;
    const int delta = int(std::lround(place.stretch * distance));
    if (delta != input.stretchDelta &&
        swr_set_compensation(input.stretcher.get(), delta, delta == 0 ? 0 : distance) >= 0)
        input.stretchDelta = delta;
    std::vector<float> silence;
    for (int64_t left = place.silenceBefore; left > 0;) {
        const int n = int(std::min<int64_t>(left, rate_ / 10 + 1));
        silence.assign(size_t(n) * size_t(channels_), 0.0f);
        if (!input.feed(silence.data(), n, channels_))
            return false;
        left -= n;
    }
    const int kept = frames - int(place.skip);
    if (kept <= 0)
        return true;
    if (!samples) {
        silence.assign(size_t(kept) * size_t(channels_), 0.0f);
        return input.feed(silence.data(), kept, channels_);
    }
    return input.feed(samples + place.skip * channels_, kept, channels_);
}

int64_t SoundMixer::take(std::vector<float>& out, bool all) {
    if (inputs_.empty())
        return 0;
    int64_t least = INT64_MAX;
    int64_t most = 0;
    for (const Input& input : inputs_) {
        const int64_t frames = int64_t(input.buffer.size()) / channels_;
        least = std::min(least, frames);
        most = std::max(most, frames);
    }
    const int64_t wait = kMixWaitUs * rate_ / 1000000;
    const int64_t frames = all ? most : std::max(least, most - wait);
    if (frames <= 0)
        return 0;
    if (frames > least)
        padded_ += frames - least;
    const size_t first = out.size();
    out.resize(first + size_t(frames) * size_t(channels_), 0.0f);
    float* mix = out.data() + first;
    for (Input& input : inputs_) {
        const size_t have = std::min(input.buffer.size(), size_t(frames) * size_t(channels_));
        for (size_t i = 0; i < have; ++i)
            mix[i] += input.level * input.buffer[i];
        input.buffer.erase(input.buffer.begin(), input.buffer.begin() + ptrdiff_t(have));
    }
    for (int64_t f = 0; f < frames; ++f) {
        float* frame = mix + f * channels_;
        float peak = 0;
        for (int c = 0; c < channels_; ++c)
            peak = std::max(peak, std::fabs(frame[c]));
        const float target = peak > kLimitCeiling ? kLimitCeiling / peak : 1.0f;
        if (target < gain_)
            gain_ = target;
        else
            gain_ += (target - gain_) * release_;
        float scale = gain_;
        if (taken_ + f < fadeInFrames_)
            scale *= float(taken_ + f) / float(fadeInFrames_);
        for (int c = 0; c < channels_; ++c)
            frame[c] *= scale;
    }
    taken_ += frames;
    return frames;
}

} // namespace engine
