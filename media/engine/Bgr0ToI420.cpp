#include "media/engine/Bgr0ToI420.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

// This file is the encoder's busiest code after x264 itself: it is compiled with -O3 (see
// media/CMakeLists.txt) so that gcc turns the pixel loops into vector code. The loops are
// kept simple for that: 32-bit lanes, no branches inside, no aliasing between rows.

// On x86-64 the pixel loops also get an AVX2 build, picked at load time on machines that have
// it: twice the vector width of the SSE2 baseline every x86-64 has.
#if defined(__x86_64__) && defined(__GNUC__)
#define CLIPNEST_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define CLIPNEST_PIXEL_LOOP
#endif

namespace engine {
namespace {

// BT.601 limited range in 8-bit fixed point: Y = 16 + (66 R + 129 G + 25 B) / 256,
// U = 128 + (-38 R - 74 G + 112 B) / 256, V = 128 + (112 R - 94 G - 18 B) / 256.
constexpr int kYr = 66, kYg = 129, kYb = 25;
constexpr int kUr = -38, kUg = -74, kUb = 112;
constexpr int kVr = 112, kVg = -94, kVb = -18;

inline uint32_t pixelAt(const uint8_t* row, int x) {
    uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
}

CLIPNEST_PIXEL_LOOP void lumaRow(const uint8_t* __restrict src, uint8_t* __restrict dst,
                                 int width) {
    for (int x = 0; x < width; ++x) {
        const uint32_t p = pixelAt(src, x);
        const int b = int(p & 0xff), g = int((p >> 8) & 0xff), r = int((p >> 16) & 0xff);
        dst[x] = uint8_t(((kYr * r + kYg * g + kYb * b + 128) >> 8) + 16);
    }
}

// One source row's share of the chroma: for each pair of pixels, 2 x the pair's mean
// weighted by the U and V coefficients. An odd last pixel stands for both of its pair.
CLIPNEST_PIXEL_LOOP void chromaPartials(const uint8_t* __restrict src, int32_t* __restrict cu,
                                        int32_t* __restrict cv, int width) {
    const int pairs = width / 2;
    for (int i = 0; i < pairs; ++i) {
        const uint32_t a = pixelAt(src, 2 * i), b = pixelAt(src, 2 * i + 1);
        const int sb = int((a & 0xff) + (b & 0xff));
        const int sg = int(((a >> 8) & 0xff) + ((b >> 8) & 0xff));
        const int sr = int(((a >> 16) & 0xff) + ((b >> 16) & 0xff));
        cu[i] = kUr * sr + kUg * sg + kUb * sb;
        cv[i] = kVr * sr + kVg * sg + kVb * sb;
    }
    if (width % 2) {
        const uint32_t a = pixelAt(src, width - 1);
        const int b = int(a & 0xff) * 2, g = int((a >> 8) & 0xff) * 2,
                  r = int((a >> 16) & 0xff) * 2;
        cu[pairs] = kUr * r + kUg * g + kUb * b;
        cv[pairs] = kVr * r + kVg * g + kVb * b;
    }
}

// A chroma row from four source rows' partials with the weights 1, 3, 3, 1 (the bilinear
// filter for halving the height, as libswscale uses it): the result carries 2 x 8 = 16
// times the mean and 256 times the coefficients, so it is shifted by 12, rounding at half.
CLIPNEST_PIXEL_LOOP void chromaRow(const int32_t* __restrict r0, const int32_t* __restrict r1,
                                   const int32_t* __restrict r2, const int32_t* __restrict r3,
                                   uint8_t* __restrict dst, int count) {
    for (int i = 0; i < count; ++i)
        dst[i] = uint8_t(((r0[i] + 3 * r1[i] + 3 * r2[i] + r3[i] + 2048) >> 12) + 128);
}

} // namespace

void convertBgr0ToI420(const uint8_t* src, int srcStride, int width, int height, uint8_t* y,
                       int yStride, uint8_t* u, int uStride, uint8_t* v, int vStride) {
    convertBgr0ToI420Rows(src, srcStride, 0, width, height, 0, height, y, yStride, u, uStride, v,
                          vStride);
}

void convertBgr0ToI420Rows(const uint8_t* band, int srcStride, int bandTop, int width, int height,
                           int firstRow, int endRow, uint8_t* y, int yStride, uint8_t* u,
                           int uStride, uint8_t* v, int vStride) {
    firstRow = std::max(0, firstRow & ~1);
    endRow = std::min(endRow, height);
    if (width <= 0 || height <= 0 || endRow <= firstRow)
        return;
    auto sourceRow = [&](int row) {
        const int clamped = std::min(std::max(row, 0), height - 1);
        return band + std::ptrdiff_t(clamped - bandTop) * srcStride;
    };
    for (int row = firstRow; row < endRow; ++row)
        lumaRow(sourceRow(row), y + std::ptrdiff_t(row) * yStride, width);

    // Chroma row c uses source rows 2c - 1 .. 2c + 2 (clamped to the picture); consecutive
    // chroma rows share two of them, so the partials of the last four rows are kept.
    const int chromaWidth = (width + 1) / 2;
    const int chromaFirst = firstRow / 2;
    const int chromaEnd = (endRow + 1) / 2;
    std::vector<int32_t> scratch(size_t(chromaWidth) * 8);
    auto slotU = [&](int row) {
        return scratch.data() + size_t((row + 4) & 3) * chromaWidth;
    };
    auto slotV = [&](int row) {
        return slotU(row) + size_t(4) * chromaWidth;
    };
    auto fill = [&](int row) {
        chromaPartials(sourceRow(row), slotU(row), slotV(row), width);
    };
    fill(2 * chromaFirst - 1);
    fill(2 * chromaFirst);
    for (int c = chromaFirst; c < chromaEnd; ++c) {
        fill(2 * c + 1);
        fill(2 * c + 2);
        const int top = 2 * c - 1;
        chromaRow(slotU(top), slotU(top + 1), slotU(top + 2), slotU(top + 3),
                  u + std::ptrdiff_t(c) * uStride, chromaWidth);
        chromaRow(slotV(top), slotV(top + 1), slotV(top + 2), slotV(top + 3),
                  v + std::ptrdiff_t(c) * vStride, chromaWidth);
    }
}

} // namespace engine
