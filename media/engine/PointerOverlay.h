#pragma once

#include <cstdint>
#include <vector>

// Drawing the mouse pointer and click marks into grabbed screen pictures. Pure functions and
// small value types, so that they can be tested without a display; any thread.
namespace engine {

// A run of picture rows [top, end); empty when end <= top.
struct RowSpan {
    int top = 0;
    int end = 0;
    bool empty() const { return end <= top; }
    // The smallest span holding both (an empty span adds nothing).
    RowSpan united(const RowSpan& other) const;
    // Clipped to the rows [0, height).
    RowSpan clipped(int height) const;
    bool operator==(const RowSpan& o) const { return top == o.top && end == o.end; }
};

// The pointer's picture as the X server hands it out: premultiplied ARGB (alpha in the top
// byte), row by row, with the hot spot (the pixel that sits at the pointer's position).
struct PointerImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> argb;
};

// The rows of a picture `height` rows tall that the pointer image covers when its hot spot
// sits at (x, y) in picture coordinates.
RowSpan pointerRows(const PointerImage& image, int y, int height);

// Blends the pointer image, hot spot at (x, y) in picture coordinates, over 32-bit
// little-endian BGR0 pixels (what little-endian X servers deliver). `band` holds the picture
// rows [bandTop, bandTop + bandRows) of a picture `width` pixels wide, `stride` bytes apart;
// only what falls inside the band and the picture is drawn.
void blendPointer(uint8_t* band, int stride, int width, int bandTop, int bandRows,
                  const PointerImage& image, int x, int y);

// Short-lived rings marking mouse clicks: each grows and fades over kClickRingUs.
class ClickRings {
public:
    // A ring lasts this long: long enough to be seen at 20 pictures a second (eight pictures),
    // short enough not to hide what the click did.
    static constexpr int64_t kClickRingUs = 400000;
    // Outer radius at the start and at the end, and the ring's thickness, in pixels.
    static constexpr int kStartRadius = 8;
    static constexpr int kEndRadius = 22;
    static constexpr int kThickness = 3;

    // A click at (x, y) in picture coordinates at time `atUs`.
    void add(int x, int y, int64_t atUs);
    // Forgets rings that are over at `nowUs`; returns whether any is left.
    bool update(int64_t nowUs);
    bool empty() const { return rings_.empty(); }
    // Rows the rings cover at `nowUs` (call update() first).
    RowSpan rows(int64_t nowUs, int height) const;
    // Draws the rings as they are at `nowUs` into a BGR0 band (see blendPointer).
    void draw(uint8_t* band, int stride, int width, int bandTop, int bandRows, int64_t nowUs) const;

private:
    struct Ring {
        int x = 0;
        int y = 0;
        int64_t atUs = 0;
    };
    std::vector<Ring> rings_;
};

} // namespace engine
