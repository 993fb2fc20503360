#pragma once

#include "media/engine/Ffmpeg.h"
#include "media/engine/PointerOverlay.h"

#include <QSize>

#include <cstdint>
#include <deque>
#include <unordered_map>

namespace engine {

// Hands out the pictures for the encoder: each a copy of the converted screen (YUV 4:2:0) in
// a buffer of its own from a pool. A buffer that comes back from the encoder still holds the
// picture it carried last, so only the rows that changed since that picture are copied into
// it: on a mostly still screen a new picture costs a few rows instead of the whole screen
// (3 MB at 1080p, most of the converter's time for a typed character).
//
// Used by one thread (the converter's); the frames it hands out may be read and freed on any
// thread, also after it is gone.
class PictureCopies {
public:
    // Pictures of `size` (even), rows aligned to `align` bytes.
    PictureCopies(QSize size, int align);

    // The screen as it is now, after the rows `changed` (luma rows) changed since the
    // previous call; the first call copies everything whatever `changed` says. Null when out
    // of memory.
    FramePtr copy(const AVFrame& screen, RowSpan changed);

private:
    // How many pictures' changed rows are remembered: more than can be away at the encoder at
    // once (its input queue and the picture it codes), so a buffer that comes back is nearly
    // always within reach; an older one is simply copied whole.
    static constexpr std::size_t kRemembered = 32;

    QSize size_;
    int align_;
    BufferPoolPtr pool_;
    // Pictures handed out so far.
    int64_t count_ = 0;
    // The rows changed by the last pictures, oldest first; the last one is picture count_ - 1.
    std::deque<RowSpan> recent_;
    // Which picture each buffer of the pool (known by its memory) holds. The pool frees no
    // buffer while it lives, so an address stands for one buffer.
    std::unordered_map<const uint8_t*, int64_t> held_;
};

} // namespace engine
