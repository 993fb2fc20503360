#include "media/engine/Timing.h"

#include <algorithm>

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
