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

int64_t repeatsBefore(int64_t lastTick, int64_t tick) {
    if (lastTick < 0 || tick <= lastTick + 1)
        return 0;
    return tick - lastTick - 1;
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

SoundAligner::SoundAligner(int64_t tolerance, int64_t jump, int64_t window)
    : tolerance_(tolerance)
    , jump_(jump)
    , window_(double(std::max<int64_t>(window, 1))) {}

SoundPlacement SoundAligner::place(int64_t next, int64_t start, int64_t length) {
    const int64_t offset = start - next;
    if (first_ || offset > jump_ || offset < -jump_) {
        first_ = false;
        smoothed_ = 0;
        return placeSound(next, start, length, 0);
    }
    const double weight = std::min(1.0, double(std::max<int64_t>(length, 0)) / window_);
    smoothed_ += (double(offset) - smoothed_) * weight;
    // A source that delivers in big blocks is only known to the block's jitter: an eighth of a
    // block more leeway keeps it from being cut and padded on every block.
    const double tolerance = double(std::max(tolerance_, length / 8));
    SoundPlacement placement;
    if (smoothed_ > tolerance) {
        placement.silenceBefore = int64_t(smoothed_);
        smoothed_ -= double(placement.silenceBefore);
    } else if (smoothed_ < -tolerance) {
        placement.skip = std::min(int64_t(-smoothed_), std::max<int64_t>(length, 0));
        smoothed_ += double(placement.skip);
    }
    return placement;
}

} // namespace engine
