#include "pipewire_test_stream.h"

#include "pipewire_support.h"

#include "media/engine/PipeWireHandles.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <sys/mman.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

// Pixel memory the stream makes itself: a memfd, mapped.
class OwnPixels {
public:
    explicit OwnPixels(size_t size)
        : size_(size) {
        fd_ = memfd_create("test-screen", MFD_CLOEXEC);
        if (fd_ >= 0 && ftruncate(fd_, off_t(size)) == 0)
            bytes_ = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    }
    ~OwnPixels() {
        if (bytes_ != MAP_FAILED)
            munmap(bytes_, size_);
        if (fd_ >= 0)
            ::close(fd_);
    }
    OwnPixels(const OwnPixels&) = delete;
    OwnPixels& operator=(const OwnPixels&) = delete;

    int fd() const { return fd_; }
    void* bytes() const { return bytes_ == MAP_FAILED ? nullptr : bytes_; }

private:
    size_t size_;
    int fd_ = -1;
    void* bytes_ = MAP_FAILED;
};

struct TestScreenStream::Private {
    int width = 0;
    int height = 0;
    Pixels pixels = Pixels::Bgrx;
    Offer offer = Offer::SharedMemory;
    // The stream makes its buffers itself unless it offers shared memory only, which
    // PipeWire makes. PipeWire's thread only.
    bool dmaBuf = false; // agreed on DMA-BUFs
    std::map<pw_buffer*, std::unique_ptr<OwnPixels>> own;
    // Declared in the order of making; the thread is stopped before any goes.
    engine::pipewire::ThreadLoopPtr loopOwner;
    engine::pipewire::ContextPtr contextOwner;
    engine::pipewire::CorePtr coreOwner;
    engine::pipewire::RegistryPtr registryOwner;
    engine::pipewire::StreamPtr streamOwner;
    pw_thread_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    spa_hook registryListener{};
    spa_hook streamListener{};
    uint32_t seq = 0;

    std::mutex mutex;
    std::condition_variable changed;
    bool paused = false;
    bool streaming = false;
    bool managerReady = false;
    Memory memory = Memory::None;

    static void global(void* self, uint32_t, uint32_t, const char* type, uint32_t,
                       const spa_dict* props) {
        auto* d = static_cast<Private*>(self);
        const char* name = props ? spa_dict_lookup(props, PW_KEY_METADATA_NAME) : nullptr;
        // WirePlumber publishes its default-device metadata once its policy runs.
        if (std::strcmp(type, PW_TYPE_INTERFACE_Metadata) == 0 && name &&
            std::strcmp(name, "default") == 0) {
            std::lock_guard<std::mutex> lock(d->mutex);
            d->managerReady = true;
            d->changed.notify_all();
        }
    }

    static void stateChanged(void* self, pw_stream_state, pw_stream_state state, const char*) {
        auto* d = static_cast<Private*>(self);
        std::lock_guard<std::mutex> lock(d->mutex);
        d->paused = d->paused || state == PW_STREAM_STATE_PAUSED;
        d->streaming = state == PW_STREAM_STATE_STREAMING;
        d->changed.notify_all();
    }

    static void paramChanged(void* self, uint32_t id, const spa_pod* param) {
        auto* d = static_cast<Private*>(self);
        if (!param || id != SPA_PARAM_Format)
            return;
        d->dmaBuf = d->offer == Offer::DmaBufNoModifier ||
                    spa_pod_find_prop(param, nullptr, SPA_FORMAT_VIDEO_modifier);
        {
            std::lock_guard<std::mutex> lock(d->mutex);
            d->memory = d->dmaBuf ? Memory::DmaBuf : Memory::SharedMemory;
        }
        uint8_t bytes[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
        const int stride = d->width * 4;
        const size_t cursorSize = sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 64 * 64 * 4;
        const spa_pod* params[5] = {
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
                SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
                SPA_PARAM_BUFFERS_size, SPA_POD_Int(stride * d->height), SPA_PARAM_BUFFERS_stride,
                SPA_POD_Int(stride), SPA_PARAM_BUFFERS_dataType,
                SPA_POD_CHOICE_FLAGS_Int(1 << (d->dmaBuf ? SPA_DATA_DmaBuf : SPA_DATA_MemFd)))),
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size,
                SPA_POD_Int(sizeof(spa_meta_header)))),
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                SPA_POD_Id(SPA_META_VideoCrop), SPA_PARAM_META_size,
                SPA_POD_Int(sizeof(spa_meta_region)))),
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                SPA_POD_Id(SPA_META_VideoDamage), SPA_PARAM_META_size,
                SPA_POD_CHOICE_RANGE_Int(sizeof(spa_meta_region) * 16, sizeof(spa_meta_region),
                                         sizeof(spa_meta_region) * 16))),
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size, SPA_POD_Int(int(cursorSize)))),
        };
        pw_stream_update_params(d->stream, params, 5);
    }

    static void bufferAdded(void* self, pw_buffer* b) {
        auto* d = static_cast<Private*>(self);
        if (d->offer == Offer::SharedMemory)
            return;
        const size_t size = size_t(d->width) * size_t(d->height) * 4;
        auto pixels = std::make_unique<OwnPixels>(size);
        spa_data& data = b->buffer->datas[0];
        data.type = d->dmaBuf ? SPA_DATA_DmaBuf : SPA_DATA_MemFd;
        data.flags = SPA_DATA_FLAG_READWRITE;
        data.fd = pixels->fd();
        data.mapoffset = 0;
        data.maxsize = uint32_t(size);
        data.data = pixels->bytes();
        d->own[b] = std::move(pixels);
    }

    static void bufferRemoved(void* self, pw_buffer* b) {
        static_cast<Private*>(self)->own.erase(b);
    }

    // The one format the stream sends, with a modifier (DRM_FORMAT_MOD_LINEAR is 0) or
    // without.
    const spa_pod* format(spa_pod_builder* b, std::optional<int64_t> modifier) const {
        spa_rectangle size{uint32_t(width), uint32_t(height)};
        spa_fraction rate{30, 1};
        spa_pod_frame object;
        spa_pod_builder_push_object(b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
        spa_pod_builder_add(
            b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_Id(pixels == Pixels::Rgbx ? SPA_VIDEO_FORMAT_RGBx : SPA_VIDEO_FORMAT_BGRx),
            SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
            SPA_POD_Fraction(&rate), 0);
        if (modifier) {
            spa_pod_builder_prop(b, SPA_FORMAT_VIDEO_modifier, SPA_POD_PROP_FLAG_MANDATORY);
            spa_pod_builder_long(b, *modifier);
        }
        return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &object));
    }
};

TestScreenStream::TestScreenStream(int width, int height, Pixels pixels, Offer offer)
    : d(std::make_unique<Private>()) {
    d->width = width;
    d->height = height;
    d->pixels = pixels;
    d->offer = offer;
}

TestScreenStream::~TestScreenStream() {
    stop();
    if (d->loop)
        pw_thread_loop_stop(d->loop);
    if (d->registryOwner)
        spa_hook_remove(&d->registryListener);
    d->registryOwner.reset();
    d->coreOwner.reset();
    d->contextOwner.reset();
    d->loopOwner.reset();
}

bool TestScreenStream::start(QString* why) {
    pw_init(nullptr, nullptr);
    static pw_registry_events registryEvents = [] {
        pw_registry_events e{};
        e.version = PW_VERSION_REGISTRY_EVENTS;
        e.global = &Private::global;
        return e;
    }();
    static pw_stream_events streamEvents = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &Private::stateChanged;
        e.param_changed = &Private::paramChanged;
        e.add_buffer = &Private::bufferAdded;
        e.remove_buffer = &Private::bufferRemoved;
        return e;
    }();
    d->loopOwner.reset(pw_thread_loop_new("test-screen", nullptr));
    d->loop = d->loopOwner.get();
    d->contextOwner.reset(pw_context_new(pw_thread_loop_get_loop(d->loop), nullptr, 0));
    pw_thread_loop_start(d->loop);
    pw_thread_loop_lock(d->loop);
    d->coreOwner.reset(pw_context_connect(d->contextOwner.get(), nullptr, 0));
    pw_core* core = d->coreOwner.get();
    if (core) {
        d->registryOwner.reset(pw_core_get_registry(core, PW_VERSION_REGISTRY, 0));
        pw_registry_add_listener(d->registryOwner.get(), &d->registryListener, &registryEvents,
                                 d.get());
        d->streamOwner.reset(pw_stream_new(
            core, "test screen", pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr)));
        d->stream = d->streamOwner.get();
        pw_stream_add_listener(d->stream, &d->streamListener, &streamEvents, d.get());
        uint8_t bytes[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
        const spa_pod* params[2];
        uint32_t count = 0;
        // I915_FORMAT_MOD_X_TILED of drm_fourcc.h: Intel's vendor code 1 in the top byte,
        // layout 1.
        constexpr int64_t kTiled = int64_t(1) << 56 | 1;
        if (d->offer == Offer::LinearDmaBuf || d->offer == Offer::DmaBufOrSharedMemory)
            params[count++] = d->format(&b, 0);
        if (d->offer == Offer::TiledDmaBuf)
            params[count++] = d->format(&b, kTiled);
        if (d->offer == Offer::SharedMemory || d->offer == Offer::DmaBufNoModifier ||
            d->offer == Offer::DmaBufOrSharedMemory)
            params[count++] = d->format(&b, std::nullopt);
        const auto allocation = d->offer == Offer::SharedMemory ? 0 : PW_STREAM_FLAG_ALLOC_BUFFERS;
        pw_stream_connect(
            d->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
            pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS | allocation),
            params, count);
    }
    pw_thread_loop_unlock(d->loop);
    if (!core) {
        *why = "cannot connect to the private pipewire";
        return false;
    }
    std::unique_lock<std::mutex> lock(d->mutex);
    if (!d->changed.wait_for(lock, std::chrono::milliseconds(kPipeWireReadyMs),
                             [this] { return d->paused && d->managerReady; })) {
        *why = d->paused ? "wireplumber did not get ready" : "the test stream got no node";
        return false;
    }
    return true;
}

TestScreenStream::Memory TestScreenStream::memory() const {
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->memory;
}

uint32_t TestScreenStream::node() const {
    pw_thread_loop_lock(d->loop);
    const uint32_t id = pw_stream_get_node_id(d->stream);
    pw_thread_loop_unlock(d->loop);
    return id;
}

namespace {

void describePointer(spa_buffer* buffer, const TestScreenStream::Pointer& pointer) {
    auto* cursor = static_cast<spa_meta_cursor*>(
        spa_buffer_find_meta_data(buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    if (!cursor)
        return;
    cursor->id = pointer.news ? 1 : 0;
    cursor->position = spa_point{pointer.x, pointer.y};
    cursor->hotspot = spa_point{pointer.hotX, pointer.hotY};
    cursor->bitmap_offset = sizeof(spa_meta_cursor);
    auto* bitmap = SPA_PTROFF(cursor, cursor->bitmap_offset, spa_meta_bitmap);
    bitmap->format = SPA_VIDEO_FORMAT_RGBA;
    bitmap->size = spa_rectangle{uint32_t(pointer.width), uint32_t(pointer.height)};
    bitmap->stride = pointer.width * 4;
    bitmap->offset = pointer.width > 0 ? sizeof(spa_meta_bitmap) : 0;
    auto* pixels = SPA_PTROFF(bitmap, sizeof(spa_meta_bitmap), uint8_t);
    for (int i = 0; i < pointer.width * pointer.height; ++i)
        std::memcpy(pixels + i * 4, &pointer.rgba, 4);
}

} // namespace

bool TestScreenStream::send(const std::vector<uint8_t>& pixels, const QRect& picture,
                            const std::vector<QRect>& damage, const Pointer& pointer) {
    {
        // Like a compositor, nothing is sent before the consumer is linked and running.
        std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->streaming)
            return false;
    }
    pw_thread_loop_lock(d->loop);
    pw_buffer* b = d->stream ? pw_stream_dequeue_buffer(d->stream) : nullptr;
    spa_buffer* buffer = b ? b->buffer : nullptr;
    if (!buffer || !buffer->datas[0].data) {
        if (b)
            pw_stream_queue_buffer(d->stream, b);
        pw_thread_loop_unlock(d->loop);
        return false;
    }
    if (auto* h = static_cast<spa_meta_header*>(
            spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)))) {
        *h = spa_meta_header{};
        h->pts = -1;
        h->seq = d->seq++;
    }
    if (auto* crop = static_cast<spa_meta_region*>(
            spa_buffer_find_meta_data(buffer, SPA_META_VideoCrop, sizeof(spa_meta_region))))
        crop->region = SPA_REGION(picture.x(), picture.y(), uint32_t(picture.width()),
                                  uint32_t(picture.height()));
    if (spa_meta* m = spa_buffer_find_meta(buffer, SPA_META_VideoDamage)) {
        auto* r = static_cast<spa_meta_region*>(spa_meta_first(m));
        for (const QRect& rect : damage) {
            if (!spa_meta_check(r, m))
                break;
            r->region =
                SPA_REGION(rect.x(), rect.y(), uint32_t(rect.width()), uint32_t(rect.height()));
            ++r;
        }
        if (spa_meta_check(r, m))
            r->region = SPA_REGION(0, 0, 0, 0);
    }
    describePointer(buffer, pointer);
    spa_data& data = buffer->datas[0];
    std::memcpy(data.data, pixels.data(), std::min<size_t>(pixels.size(), data.maxsize));
    data.chunk->offset = 0;
    data.chunk->stride = d->width * 4;
    data.chunk->size = uint32_t(std::min<size_t>(pixels.size(), data.maxsize));
    pw_stream_queue_buffer(d->stream, b);
    pw_thread_loop_unlock(d->loop);
    return true;
}

void TestScreenStream::skipSequence() {
    pw_thread_loop_lock(d->loop);
    ++d->seq;
    pw_thread_loop_unlock(d->loop);
}

void TestScreenStream::stop() {
    if (!d->loop || !d->stream)
        return;
    pw_thread_loop_lock(d->loop);
    spa_hook_remove(&d->streamListener);
    d->streamOwner.reset();
    d->stream = nullptr;
    pw_thread_loop_unlock(d->loop);
}
