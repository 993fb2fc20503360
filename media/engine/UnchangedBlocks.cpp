#include "media/engine/UnchangedBlocks.h"

#include "media/engine/Ffmpeg.h"

#include <algorithm>
#include <cstring>

namespace engine {
namespace {

// Clears the marks of the blocks in which the `rows` rows of one plane, starting at
// before/after, differ. `block` is the width of a macroblock in this plane.
void markDifferences(const uint8_t* before, int beforeStride, const uint8_t* after, int afterStride,
                     int width, int rows, int block, uint8_t* marks) {
    const int blocks = (width + block - 1) / block;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* b = before + ptrdiff_t(y) * beforeStride;
        const uint8_t* a = after + ptrdiff_t(y) * afterStride;
        // Most rows of a picture are the same as before: one comparison of the whole row
        // settles them.
        if (std::memcmp(b, a, size_t(width)) == 0)
            continue;
        for (int x = 0; x < blocks; ++x) {
            if (!marks[x])
                continue;
            const int from = x * block;
            const int length = std::min(block, width - from);
            if (std::memcmp(b + from, a + from, size_t(length)) != 0)
                marks[x] = 0;
        }
    }
}

} // namespace

QSize macroblockGrid(QSize size) {
    return QSize((size.width() + 15) / 16, (size.height() + 15) / 16);
}

void findUnchangedBlocks(const AVFrame& before, const AVFrame& after, int top, int end,
                         UnchangedBlocks& unchanged) {
    const int width = after.width;
    const int height = after.height;
    const QSize grid = macroblockGrid(QSize(width, height));
    unchanged.assign(size_t(grid.width()) * size_t(grid.height()), 1);
    const int firstRow = std::max(0, top / 16);
    const int endRow = std::min(grid.height(), (std::min(end, height) + 15) / 16);
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    for (int row = firstRow; row < endRow; ++row) {
        uint8_t* marks = unchanged.data() + size_t(row) * size_t(grid.width());
        const int lumaTop = row * 16;
        markDifferences(before.data[0] + ptrdiff_t(lumaTop) * before.linesize[0],
                        before.linesize[0], after.data[0] + ptrdiff_t(lumaTop) * after.linesize[0],
                        after.linesize[0], width, std::min(16, height - lumaTop), 16, marks);
        const int chromaTop = row * 8;
        const int chromaRows = std::min(8, chromaHeight - chromaTop);
        for (int plane = 1; plane < 3; ++plane)
            markDifferences(before.data[plane] + ptrdiff_t(chromaTop) * before.linesize[plane],
                            before.linesize[plane],
                            after.data[plane] + ptrdiff_t(chromaTop) * after.linesize[plane],
                            after.linesize[plane], chromaWidth, chromaRows, 8, marks);
    }
}

} // namespace engine
