#include "media/engine/ChangedRows.h"

#include <cstring>

namespace engine {

RowSpan differingRows(const uint8_t* before, int beforeStride, const uint8_t* after,
                      int afterStride, int rowBytes, RowSpan rows) {
    const auto differs = [&](int y) {
        return std::memcmp(before + size_t(y) * size_t(beforeStride),
                           after + size_t(y - rows.top) * size_t(afterStride),
                           size_t(rowBytes)) != 0;
    };
    int top = rows.top;
    while (top < rows.end && !differs(top))
        ++top;
    if (top == rows.end)
        return {};
    int end = rows.end;
    while (!differs(end - 1))
        --end;
    return RowSpan{top, end};
}

KeptPicture::KeptPicture(QSize size)
    : size_(size)
    , pixels_(size_t(size.width()) * size_t(size.height()) * 4, 0) {}

RowSpan KeptPicture::update(const uint8_t* first, int stride, RowSpan rows) {
    rows = rows.clipped(size_.height());
    if (rows.empty())
        return {};
    const RowSpan changed =
        differingRows(pixels_.data(), this->stride(), first, stride, this->stride(), rows);
    for (int y = changed.top; y < changed.end; ++y)
        std::memcpy(pixels_.data() + size_t(y) * size_t(this->stride()),
                    first + size_t(y - rows.top) * size_t(stride), size_t(this->stride()));
    return changed;
}

void fillBand(RawImage& image, RowSpan changed, const uint8_t* picture, int stride, int width,
              int height) {
    image.width = width;
    image.height = height;
    image.stride = width * 4;
    changed = changed.clipped(height);
    if (changed.empty()) {
        image.rows = 0;
        return;
    }
    // The colour conversion turns four source rows into one chroma row, so a changed row
    // changes the chroma of the two row pairs around it: those are converted again too, and
    // the band carries one more row on each side for the filter to read.
    const RowSpan converted =
        RowSpan{(changed.top & ~1) - 2, ((changed.end + 1) & ~1) + 2}.clipped(height);
    const RowSpan band = RowSpan{converted.top - 1, converted.end + 1}.clipped(height);
    image.top = band.top;
    image.rows = band.end - band.top;
    image.changedTop = converted.top;
    image.changedEnd = converted.end;
    image.pixels.resize(size_t(image.rows) * size_t(image.stride));
    for (int y = 0; y < image.rows; ++y)
        std::memcpy(image.pixels.data() + size_t(y) * size_t(image.stride),
                    picture + size_t(band.top + y) * size_t(stride), size_t(image.stride));
}

} // namespace engine
