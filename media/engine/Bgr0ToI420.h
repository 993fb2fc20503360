#pragma once

#include <cstdint>

namespace engine {

// Converts 32-bit screen pixels laid out B, G, R, unused byte in memory (FFmpeg's BGR0, what
// little-endian X servers deliver) to planar YUV 4:2:0 with BT.601 limited-range values, the
// same numbers libswscale gives for an unscaled conversion (within rounding) at a fraction
// of its cost. Chroma is filtered like libswscale's bilinear halving: the mean of each pixel
// pair, over four rows weighted 1, 3, 3, 1; rows beyond the edges repeat the edge. The planes must
// hold ceil(width / 2) x ceil(height / 2) chroma samples. Any thread; no state.
void convertBgr0ToI420(const uint8_t* src, int srcStride, int width, int height, uint8_t* y,
                       int yStride, uint8_t* u, int uStride, uint8_t* v, int vStride);

// The same for the rows [firstRow, endRow) of a picture `height` rows tall (firstRow is
// rounded down to even), giving exactly what a conversion of the whole picture gives there:
// luma rows [firstRow, endRow) and the chroma rows over them are written, into planes given
// from the picture's first row. `band` holds the source rows from `bandTop` on and must
// reach one row beyond the converted ones on both sides (where the picture has them), which
// the chroma filter reads.
void convertBgr0ToI420Rows(const uint8_t* band, int srcStride, int bandTop, int width, int height,
                           int firstRow, int endRow, uint8_t* y, int yStride, uint8_t* u,
                           int uStride, uint8_t* v, int vStride);

} // namespace engine
