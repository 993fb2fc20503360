#pragma once

#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// A screen sharing as a compositor sends it: a PipeWire video source of 32-bit pictures in
// shared memory or GPU buffers, with the picture's place in the buffer, the damage and the
// pointer described in each buffer.
class TestScreenStream {
public:
    // The byte order of the pixels sent.
    enum class Pixels { Bgrx, Rgbx };
    // The memory the stream offers to send its pictures in. Its GPU buffers are memfds sent
    // as DMA-BUFs: the consumer reads them the way it reads a linear DMA-BUF.
    enum class Offer {
        SharedMemory,
        LinearDmaBuf,         // DMA-BUFs of the linear layout (modifier), nothing else
        DmaBufNoModifier,     // DMA-BUFs of a format without modifier, as before modifiers
        DmaBufOrSharedMemory, // both, the DMA-BUFs preferred
        TiledDmaBuf,          // DMA-BUFs of a GPU's own tiled layout only
    };
    // The memory the pictures travel in, once the two sides agreed.
    enum class Memory { None, SharedMemory, DmaBuf };

    struct Pointer {
        bool news = false; // false: the buffer says nothing about the pointer
        int x = 0;
        int y = 0;
        int hotX = 0;
        int hotY = 0;
        int width = 0; // 0: hidden
        int height = 0;
        uint32_t rgba = 0; // one colour, premultiplied, red in the first byte
    };

    TestScreenStream(int width, int height, Pixels pixels = Pixels::Bgrx,
                     Offer offer = Offer::SharedMemory);
    ~TestScreenStream();
    // Connects and waits (bounded) until the node exists; false with *why on failure.
    bool start(QString* why);
    uint32_t node() const;
    Memory memory() const;
    // Sends `pixels` (in the stream's byte order, width x height, packed) as the next buffer, the
    // picture being `picture` of it; `damage` empty: no damage description. False when no buffer is
    // free (not yet streaming, or the consumer holds them all).
    bool send(const std::vector<uint8_t>& pixels, const QRect& picture,
              const std::vector<QRect>& damage, const Pointer& pointer);
    // The next buffer's sequence number skips one, as when PipeWire keeps only the newest of
    // two pictures queued before a cycle.
    void skipSequence();
    // Ends the stream as a desktop does when the user stops the sharing.
    void stop();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
