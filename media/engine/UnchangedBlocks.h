#pragma once

#include <QSize>

#include <cstdint>
#include <vector>

struct AVFrame;

namespace engine {

// Which macroblocks (16 x 16 luma pixels and the two 8 x 8 chroma blocks over them) of a
// picture are the same as in the picture encoded before it: one byte per macroblock, row by
// row over macroblockGrid() of the picture, nonzero where nothing changed. The encoder skips
// those at next to no cost, so a mark must be exact: a block marked unchanged that did change
// keeps its old content in the video.
using UnchangedBlocks = std::vector<uint8_t>;

// Columns and rows of macroblocks over a picture of `size`, a partial block counting whole.
QSize macroblockGrid(QSize size);

// Compares two YUV 4:2:0 pictures of the same (even) size, `before` and `after`, in the
// macroblock rows over the luma rows [top, end), and sets `unchanged` (resized to the grid)
// accordingly; the blocks of the other rows are marked unchanged, so the caller must know
// those rows untouched. Any thread; no state.
void findUnchangedBlocks(const AVFrame& before, const AVFrame& after, int top, int end,
                         UnchangedBlocks& unchanged);

} // namespace engine
