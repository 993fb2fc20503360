#include "media/engine/PipeWireFrames.h"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace engine {

StreamPixels streamPixels(uint32_t spaVideoFormat) {
    switch (spaVideoFormat) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return StreamPixels::Bgrx;
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return StreamPixels::Rgbx;
    case SPA_VIDEO_FORMAT_xBGR:
    case SPA_VIDEO_FORMAT_ABGR:
        return StreamPixels::Xbgr;
    case SPA_VIDEO_FORMAT_xRGB:
    case SPA_VIDEO_FORMAT_ARGB:
        return StreamPixels::Xrgb;
    default:
        return StreamPixels::Unknown;
    }
}

void copyRowToBgr0(const uint8_t* src, StreamPixels from, uint8_t* dst, int width) {
    // Offsets of blue, green and red within a source pixel.
    int b = 0, g = 1, r = 2;
    switch (from) {
    case StreamPixels::Bgrx:
        std::memcpy(dst, src, size_t(width) * 4);
        return;
    case StreamPixels::Rgbx:
        b = 2, g = 1, r = 0;
        break;
    case StreamPixels::Xbgr:
        b = 1, g = 2, r = 3;
        break;
    case StreamPixels::Xrgb:
        b = 3, g = 2, r = 1;
        break;
    case StreamPixels::Unknown:
        std::memset(dst, 0, size_t(width) * 4);
        return;
    }
    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
        dst[0] = src[b];
        dst[1] = src[g];
        dst[2] = src[r];
        dst[3] = 0;
    }
}

PictureBytes chunkPicture(const spa_chunk& chunk, const uint8_t* memory, size_t maxsize,
                          int width) {
    PictureBytes picture;
    if (!memory || chunk.size == 0 || (chunk.flags & SPA_CHUNK_FLAG_CORRUPTED))
        return picture;
    const size_t begin = std::min<size_t>(chunk.offset, maxsize);
    picture.bytes = memory + begin;
    picture.size = std::min<size_t>(maxsize - begin, chunk.size);
    picture.stride = chunk.stride > 0 ? chunk.stride : width * 4;
    return picture;
}

QRect pictureArea(const spa_buffer& buffer, QSize streamSize) {
    const auto* crop = static_cast<const spa_meta_region*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
    if (crop && spa_meta_region_is_valid(crop))
        return QRect(crop->region.position.x, crop->region.position.y, int(crop->region.size.width),
                     int(crop->region.size.height));
    return QRect(QPoint(0, 0), streamSize);
}

void copyArea(const PictureBytes& from, StreamPixels layout, const QRect& picture,
              const QRect& area, RowSpan rows, uint8_t* dst) {
    const QRect wanted = area.translated(picture.topLeft());
    // Each row is checked against the bytes' end below; columns against the stride here.
    const QRect readable = wanted.intersected(picture).intersected(
        QRect(0, 0, from.stride / 4, std::numeric_limits<int>::max()));
    const size_t rowBytes = size_t(area.width()) * 4;
    for (int y = rows.top; y < rows.end; ++y) {
        uint8_t* row = dst + size_t(y) * rowBytes;
        const int sourceY = wanted.top() + y;
        const size_t start = size_t(sourceY) * size_t(from.stride) + size_t(readable.left()) * 4;
        const bool inside = from.bytes && sourceY >= readable.top() &&
                            sourceY <= readable.bottom() &&
                            start + size_t(readable.width()) * 4 <= from.size;
        if (!inside || readable.width() < wanted.width())
            std::memset(row, 0, rowBytes);
        if (inside)
            copyRowToBgr0(from.bytes + start, layout,
                          row + size_t(readable.left() - wanted.left()) * 4, readable.width());
    }
}

bool readPointerBitmap(const spa_meta_bitmap& bitmap, size_t available, int hotX, int hotY,
                       PointerImage& out) {
    out = PointerImage{};
    out.hotX = hotX;
    out.hotY = hotY;
    if (bitmap.offset == 0)
        return true; // hidden
    const StreamPixels layout = streamPixels(bitmap.format);
    const bool alpha =
        bitmap.format == SPA_VIDEO_FORMAT_BGRA || bitmap.format == SPA_VIDEO_FORMAT_RGBA ||
        bitmap.format == SPA_VIDEO_FORMAT_ARGB || bitmap.format == SPA_VIDEO_FORMAT_ABGR;
    const int width = int(bitmap.size.width);
    const int height = int(bitmap.size.height);
    // Pointers are small; anything beyond this is a broken producer, not a pointer.
    constexpr int kLargestPointer = 1024;
    if (layout == StreamPixels::Unknown || width > kLargestPointer || height > kLargestPointer ||
        bitmap.stride < width * 4 || bitmap.offset < sizeof(spa_meta_bitmap))
        return false;
    if (width == 0 || height == 0)
        return true;
    const size_t needed =
        size_t(bitmap.offset) + size_t(bitmap.stride) * size_t(height - 1) + size_t(width) * 4;
    if (needed > available)
        return false;
    // The alpha byte sits where the filler does in the matching opaque layout.
    const int alphaAt = layout == StreamPixels::Bgrx || layout == StreamPixels::Rgbx ? 3 : 0;
    out.width = width;
    out.height = height;
    out.argb.resize(size_t(width) * size_t(height));
    const auto* base = reinterpret_cast<const uint8_t*>(&bitmap) + bitmap.offset;
    uint8_t bgr0[4];
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = base + size_t(y) * size_t(bitmap.stride);
        for (int x = 0; x < width; ++x) {
            copyRowToBgr0(row + x * 4, layout, bgr0, 1);
            // Compositors hand out premultiplied pointer pictures, which is what the
            // blending expects.
            const uint32_t a = alpha ? row[x * 4 + alphaAt] : 255u;
            out.argb[size_t(y) * size_t(width) + size_t(x)] =
                a << 24 | uint32_t(bgr0[2]) << 16 | uint32_t(bgr0[1]) << 8 | bgr0[0];
        }
    }
    return true;
}

RowSpan damagedRows(const spa_buffer& buffer, const QRect& picture) {
    const RowSpan all{0, picture.height()};
    spa_meta* meta = spa_buffer_find_meta(&buffer, SPA_META_VideoDamage);
    if (!meta)
        return all;
    RowSpan rows;
    bool any = false;
    spa_meta_region* region;
    spa_meta_for_each(region, meta) {
        if (!spa_meta_region_is_valid(region))
            break;
        any = true;
        const QRect damaged(region->region.position.x, region->region.position.y,
                            int(region->region.size.width), int(region->region.size.height));
        const QRect inside = damaged.intersected(picture);
        if (!inside.isEmpty())
            rows = rows.united(
                RowSpan{inside.top() - picture.top(), inside.bottom() + 1 - picture.top()});
    }
    return any ? rows : all;
}

} // namespace engine
