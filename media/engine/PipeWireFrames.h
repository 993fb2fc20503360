#pragma once

#include "media/engine/PointerOverlay.h"

#include <QRect>
#include <QSize>

#include <cstddef>
#include <cstdint>

struct spa_meta_bitmap;
struct spa_buffer;
struct spa_chunk;

// Reading the pieces of a PipeWire video buffer: its pixels in any 32-bit byte order, the
// pointer's bitmap and the damaged rows. Pure functions; any thread.
namespace engine {

// Where a buffer's picture lies in this program's memory; readable while the buffer is being
// read, not after.
struct PictureBytes {
    const uint8_t* bytes = nullptr; // null: the buffer carries no picture (pointer news only)
    size_t size = 0;                // readable from `bytes` on
    int stride = 0;                 // bytes from one row's start to the next's
    // Buffers went missing before this one (its sequence number skips): their damage went
    // with them, so this one's own damage does not tell all that changed.
    bool afterLoss = false;
};

// The picture `chunk` describes in `memory` (a buffer's data, `maxsize` bytes) of a stream
// `width` pixels wide.
PictureBytes chunkPicture(const spa_chunk& chunk, const uint8_t* memory, size_t maxsize, int width);

// The part of the buffer, in buffer pixels, that holds the picture: the crop the buffer
// describes, or the whole stream of `streamSize` when it describes none.
QRect pictureArea(const spa_buffer& buffer, QSize streamSize);

// The 32-bit byte orders a stream may send, by where blue, green and red sit in memory;
// anything else is Unknown.
enum class StreamPixels { Unknown, Bgrx, Rgbx, Xbgr, Xrgb };

StreamPixels streamPixels(uint32_t spaVideoFormat);

// Copies `width` pixels in the layout `from` to `dst` as BGR0.
void copyRowToBgr0(const uint8_t* src, StreamPixels from, uint8_t* dst, int width);

// Copies the rows `rows` of `area` (in the picture's pixels, the picture lying at `picture` in
// the buffer) from `from` as BGR0 to `dst`, which holds the whole area row after row,
// area.width() pixels each. What lies outside the picture or the readable bytes goes black.
void copyArea(const PictureBytes& from, StreamPixels layout, const QRect& picture,
              const QRect& area, RowSpan rows, uint8_t* dst);

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
