#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

// Reading a linear DMA-BUF (a GPU buffer laid out row after row) with the processor.
namespace engine {

// Unmaps what mmap() mapped.
struct Unmap {
    size_t size = 0;
    void operator()(uint8_t* p) const;
};

// A DMA-BUF mapped for reading. Any one thread at a time; the descriptor stays the
// producer's and must outlive the mapping's reads.
class MappedDmaBuf {
public:
    MappedDmaBuf() = default;
    // Maps `size` bytes of the DMA-BUF `fd` from its start, or all of it when `size` is 0;
    // empty when the buffer cannot be mapped.
    static MappedDmaBuf map(int fd, size_t size);

    const uint8_t* bytes() const { return memory_.get(); }
    size_t size() const { return memory_.get_deleter().size; }

    // Bracket every read, so that the processor sees what the device wrote.
    void beginRead() const;
    void endRead() const;

private:
    int fd_ = -1;
    std::unique_ptr<uint8_t, Unmap> memory_;
};

// beginRead() on making, endRead() on going.
class DmaBufRead {
public:
    explicit DmaBufRead(const MappedDmaBuf* buffer)
        : buffer_(buffer) {
        if (buffer_)
            buffer_->beginRead();
    }
    ~DmaBufRead() {
        if (buffer_)
            buffer_->endRead();
    }
    DmaBufRead(const DmaBufRead&) = delete;
    DmaBufRead& operator=(const DmaBufRead&) = delete;

private:
    const MappedDmaBuf* buffer_;
};

} // namespace engine
