#include "media/engine/PipeWireDmaBuf.h"

#include <linux/dma-buf.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace engine {
namespace {

void sync(int fd, uint64_t flags) {
    dma_buf_sync sync{};
    sync.flags = flags | DMA_BUF_SYNC_READ;
    // Interrupted or told to come back, it is asked again. Anything else leaves the read
    // unbracketed, which at worst shows a picture partly old: memory that is no DMA-BUF
    // (ENOTTY: a memfd passed as one) needs no bracket at all.
    while (ioctl(fd, DMA_BUF_IOCTL_SYNC, &sync) < 0 && (errno == EINTR || errno == EAGAIN)) {
    }
}

} // namespace

void Unmap::operator()(uint8_t* p) const {
    munmap(p, size);
}

MappedDmaBuf MappedDmaBuf::map(int fd, size_t size) {
    MappedDmaBuf mapped;
    if (size == 0) {
        // A DMA-BUF tells its size this way.
        const off_t end = lseek(fd, 0, SEEK_END);
        if (end <= 0)
            return mapped;
        size = size_t(end);
    }
    void* p = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED)
        return mapped;
    mapped.fd_ = fd;
    mapped.memory_ = std::unique_ptr<uint8_t, Unmap>(static_cast<uint8_t*>(p), Unmap{size});
    return mapped;
}

void MappedDmaBuf::beginRead() const {
    if (memory_)
        sync(fd_, DMA_BUF_SYNC_START);
}

void MappedDmaBuf::endRead() const {
    if (memory_)
        sync(fd_, DMA_BUF_SYNC_END);
}

} // namespace engine
