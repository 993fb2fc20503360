// Preloaded into xdg-desktop-portal-wlr on the headless Wayland test desktop only.
//
// xdg-desktop-portal-wlr 0.7.0 refuses to start a cast ("unable to receive a valid format from
// wlr_screencopy") when the compositor announces no DMA-BUF format for a screencopy frame and
// the portal speaks ScreenCast version 3 or later. A compositor on the pixman renderer, with
// no GPU, never does. Given a format there, the portal still finds nothing to allocate
// DMA-BUFs with and offers its PipeWire stream in shared memory (BGRx in memfd buffers),
// which is all the tests need.
//
// The shim wraps the listener the portal installs on each zwlr_screencopy_frame_v1 and,
// after every "buffer" event (shared memory), delivers a "linux_dmabuf" event with the same
// format and size. A real "linux_dmabuf" event from the compositor comes after "buffer" and
// still overrides ours.

#include <wayland-client-core.h>

#include <cstdint>
#include <cstring>
#include <dlfcn.h>

namespace {

// The events of zwlr_screencopy_frame_v1 version 3, in the protocol's order: a listener is
// an array of function pointers in that order.
struct FrameListener {
    void (*buffer)(void* data, wl_proxy* frame, uint32_t format, uint32_t width, uint32_t height,
                   uint32_t stride);
    void (*flags)(void* data, wl_proxy* frame, uint32_t flags);
    void (*ready)(void* data, wl_proxy* frame, uint32_t sec_hi, uint32_t sec_lo, uint32_t nsec);
    void (*failed)(void* data, wl_proxy* frame);
    void (*damage)(void* data, wl_proxy* frame, uint32_t x, uint32_t y, uint32_t w, uint32_t h);
    void (*linux_dmabuf)(void* data, wl_proxy* frame, uint32_t format, uint32_t width,
                         uint32_t height);
    void (*buffer_done)(void* data, wl_proxy* frame);
};

constexpr uint32_t fourcc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

// wl_shm names its two mandatory formats 0 and 1; every other wl_shm format is already the
// DRM fourcc code.
uint32_t drmFormatOf(uint32_t shmFormat) {
    if (shmFormat == 0)
        return fourcc('A', 'R', '2', '4');
    if (shmFormat == 1)
        return fourcc('X', 'R', '2', '4');
    return shmFormat;
}

// The portal installs one static listener for all its frames: one copy of it is enough.
FrameListener portalListener;
FrameListener wrappedListener;

void onBuffer(void* data, wl_proxy* frame, uint32_t format, uint32_t width, uint32_t height,
              uint32_t stride) {
    portalListener.buffer(data, frame, format, width, height, stride);
    if (portalListener.linux_dmabuf)
        portalListener.linux_dmabuf(data, frame, drmFormatOf(format), width, height);
}

using AddListener = int (*)(wl_proxy*, void (**)(void), void*);

} // namespace

extern "C" __attribute__((visibility("default"))) int
wl_proxy_add_listener(wl_proxy* proxy, void (**implementation)(void), void* data) {
    static const auto next = reinterpret_cast<AddListener>(dlsym(RTLD_NEXT, __func__));
    if (std::strcmp(wl_proxy_get_class(proxy), "zwlr_screencopy_frame_v1") != 0 ||
        wl_proxy_get_version(proxy) < 3)
        return next(proxy, implementation, data);
    std::memcpy(&portalListener, implementation, sizeof portalListener);
    wrappedListener = portalListener;
    wrappedListener.buffer = onBuffer;
    return next(proxy, reinterpret_cast<void (**)(void)>(&wrappedListener), data);
}
