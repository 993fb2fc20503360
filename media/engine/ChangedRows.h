#pragma once

#include "media/engine/PointerOverlay.h"
#include "media/engine/Sources.h"

#include <QSize>

#include <cstdint>
#include <vector>

// Telling which rows of a screen picture really changed. Compositors and X servers report
// damage generously (a whole output repainted, a player redrawing a still picture); rows whose
// pixels are the same as before cost no conversion and no encode when left out. Pure
// functions and a value type; any thread.
namespace engine {

// The rows among `rows` where two pictures, `rowBytes` bytes per row, differ: from the first
// differing row to the last. Empty when none does.
RowSpan differingRows(const uint8_t* before, int beforeStride, const uint8_t* after,
                      int afterStride, int rowBytes, RowSpan rows);

// The picture as last handed on (BGR0, black before the first), kept to compare the next
// one with.
class KeptPicture {
public:
    explicit KeptPicture(QSize size);
    QSize size() const { return size_; }
    int stride() const { return size_.width() * 4; }
    const uint8_t* data() const { return pixels_.data(); }
    // Takes the rows `rows` of a newer picture, the first of them at `first`, `stride` bytes
    // apart; keeps them and returns those of them that differ from what was kept.
    RowSpan update(const uint8_t* first, int stride, RowSpan rows);

private:
    QSize size_;
    std::vector<uint8_t> pixels_;
};

// Fills `image` with what the colour conversion needs of `picture` (BGR0, width x height,
// `stride` bytes apart) when the rows `changed` changed (see RawImage); rows == 0 when
// `changed` is empty.
void fillBand(RawImage& image, RowSpan changed, const uint8_t* picture, int stride, int width,
              int height);

} // namespace engine
