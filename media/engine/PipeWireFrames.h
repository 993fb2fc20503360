#pragma once

#include "media/engine/PointerOverlay.h"

#include <QRect>

#include <cstddef>
#include <cstdint>

struct spa_meta_bitmap;
struct spa_buffer;

// Reading the pieces of a PipeWire video buffer: its pixels in any 32-bit byte order, the
// pointer's bitmap and the damaged rows. Pure functions; any thread.
namespace engine {

// The 32-bit byte orders a stream may send, by where blue, green and red sit in memory;
// anything else is Unknown.
enum class StreamPixels { Unknown, Bgrx, Rgbx, Xbgr, Xrgb };

StreamPixels streamPixels(uint32_t spaVideoFormat);

// Copies `width` pixels in the layout `from` to `dst` as BGR0.
void copyRowToBgr0(const uint8_t* src, StreamPixels from, uint8_t* dst, int width);

// Reads a pointer bitmap of `available` bytes (from the bitmap's own start) into `out`, its
// hot spot at (hotX, hotY). An empty image stands for a hidden pointer. False when the bitmap
// is malformed or in a layout this program cannot read.
bool readPointerBitmap(const spa_meta_bitmap& bitmap, size_t available, int hotX, int hotY,
                       PointerImage& out);

// The rows of the picture, `picture` in buffer coordinates, that the buffer's damage covers,
// relative to the picture's top; the whole picture when the buffer carries no damage or
// damage that covers all of it.
RowSpan damagedRows(const spa_buffer& buffer, const QRect& picture);

} // namespace engine
