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
