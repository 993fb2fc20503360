#include "media/engine/PointerOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {
namespace {

// The click rings' colour (red, green, blue) and opacity when new: a warm yellow that stands
// out on light and dark screens alike, opaque enough to see, see-through enough to read what
// is under it.
constexpr int kRingRed = 255;
constexpr int kRingGreen = 196;
constexpr int kRingBlue = 0;
constexpr double kRingOpacity = 0.85;

inline uint8_t over(int src, int dst, int inverseAlpha) {
    // src is premultiplied: out = src + dst * (1 - alpha), rounded; clamped in case the
    // image is not premultiplied after all.
    return uint8_t(std::min(255, src + (dst * inverseAlpha + 127) / 255));
}

} // namespace

RowSpan RowSpan::united(const RowSpan& other) const {
    if (other.empty())
        return *this;
    if (empty())
        return other;
    return RowSpan{std::min(top, other.top), std::max(end, other.end)};
}

RowSpan RowSpan::clipped(int height) const {
    RowSpan r{std::max(top, 0), std::min(end, height)};
    return r.empty() ? RowSpan{} : r;
}

RowSpan pointerRows(const PointerImage& image, int y, int height) {
    if (image.width <= 0 || image.height <= 0)
        return {};
    const int top = y - image.hotY;
    return RowSpan{top, top + image.height}.clipped(height);
}

void blendPointer(uint8_t* band, int stride, int width, int bandTop, int bandRows,
                  const PointerImage& image, int x, int y) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() < size_t(image.width) * size_t(image.height))
        return;
    const int left = x - image.hotX;
    const int top = y - image.hotY;
    const int rowFrom = std::max(top, bandTop);
    const int rowTo = std::min(top + image.height, bandTop + bandRows);
    const int colFrom = std::max(left, 0);
    const int colTo = std::min(left + image.width, width);
    for (int row = rowFrom; row < rowTo; ++row) {
        const uint32_t* src = image.argb.data() + size_t(row - top) * size_t(image.width);
        uint8_t* dst = band + size_t(row - bandTop) * size_t(stride);
        for (int col = colFrom; col < colTo; ++col) {
            const uint32_t p = src[col - left];
            const int alpha = int(p >> 24);
            if (alpha == 0)
                continue;
            uint8_t* d = dst + size_t(col) * 4;
            const int inverse = 255 - alpha;
            d[0] = over(int(p & 0xff), d[0], inverse);
            d[1] = over(int((p >> 8) & 0xff), d[1], inverse);
            d[2] = over(int((p >> 16) & 0xff), d[2], inverse);
        }
    }
}

void ClickRings::add(int x, int y, int64_t atUs) {
    rings_.push_back(Ring{x, y, atUs});
}

bool ClickRings::update(int64_t nowUs) {
    rings_.erase(std::remove_if(rings_.begin(), rings_.end(),
                                [nowUs](const Ring& r) { return nowUs - r.atUs >= kClickRingUs; }),
                 rings_.end());
    return !rings_.empty();
}

RowSpan ClickRings::rows(int64_t nowUs, int height) const {
    RowSpan span;
    for (const Ring& r : rings_) {
        if (nowUs < r.atUs)
            continue;
        const int reach = kEndRadius + 1;
        span = span.united(RowSpan{r.y - reach, r.y + reach + 1});
    }
    return span.clipped(height);
}

void ClickRings::draw(uint8_t* band, int stride, int width, int bandTop, int bandRows,
                      int64_t nowUs) const {
    for (const Ring& r : rings_) {
        const int64_t age = nowUs - r.atUs;
        if (age < 0 || age >= kClickRingUs)
            continue;
        const double progress = double(age) / double(kClickRingUs);
        const double outer = kStartRadius + (kEndRadius - kStartRadius) * progress;
        const double middle = outer - kThickness / 2.0;
        const double opacity = kRingOpacity * (1.0 - progress);
        const int reach = int(std::ceil(outer)) + 1;
        const int rowFrom = std::max(r.y - reach, bandTop);
        const int rowTo = std::min(r.y + reach + 1, bandTop + bandRows);
        const int colFrom = std::max(r.x - reach, 0);
        const int colTo = std::min(r.x + reach + 1, width);
        for (int row = rowFrom; row < rowTo; ++row) {
            uint8_t* dst = band + size_t(row - bandTop) * size_t(stride);
            const double dy = row - r.y;
            for (int col = colFrom; col < colTo; ++col) {
                const double dx = col - r.x;
                const double distance = std::sqrt(dx * dx + dy * dy);
                // Coverage of the ring's width around `middle`, with a one-pixel soft edge.
                const double coverage =
                    std::clamp(kThickness / 2.0 + 0.5 - std::abs(distance - middle), 0.0, 1.0);
                const int alpha = int(std::lround(255.0 * coverage * opacity));
                if (alpha <= 0)
                    continue;
                uint8_t* d = dst + size_t(col) * 4;
                const int inverse = 255 - alpha;
                d[0] = over((kRingBlue * alpha + 127) / 255, d[0], inverse);
                d[1] = over((kRingGreen * alpha + 127) / 255, d[1], inverse);
                d[2] = over((kRingRed * alpha + 127) / 255, d[2], inverse);
            }
        }
    }
}

} // namespace engine
