#include "media/engine/Stages.h"

namespace engine {

void FailureReport::operator()(FailureSource source, int code, const QString& text) {
    bool expected = false;
    if (failed_.compare_exchange_strong(expected, true) && callback_)
        callback_(source, code, text);
}

std::unique_ptr<RawImage> ImagePool::take() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!spare_.empty()) {
            std::unique_ptr<RawImage> image = std::move(spare_.back());
            spare_.pop_back();
            return image;
        }
    }
    return std::make_unique<RawImage>();
}

void ImagePool::giveBack(std::unique_ptr<RawImage> image) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.size() < keep_)
        spare_.push_back(std::move(image));
}

SoundAligner::Limits soundLimits(int rate) {
    auto samples = [rate](int64_t us) {
        return us * rate / 1000000;
    };
    SoundAligner::Limits limits;
    limits.jump = samples(kSoundJumpUs);
    limits.window = samples(kSoundWindowUs);
    limits.horizon = samples(kSoundHorizonUs);
    limits.maxStretch = kMaxSoundStretch;
    return limits;
}

} // namespace engine
