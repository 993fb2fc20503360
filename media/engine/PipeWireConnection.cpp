#include "media/engine/PipeWireConnection.h"

#include "core/Translate.h"
#include "media/engine/PipeWireFrames.h"
#include "media/engine/PipeWireHandles.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>

#include <unistd.h>

#include <cstring>
#include <mutex>

namespace engine {
namespace {

constexpr TranslationContext kTr{"ScreenGrabber"};

// Room asked for the pointer's bitmap: 256 x 256 holds the largest pointers desktops draw
// (64 x 64 at four times the scale).
constexpr int kPointerRoom = 256;
// Damage rectangles asked per buffer; more are merged by the producer into fewer, larger
// ones, which only costs a few rows compared in vain.
constexpr int kDamageRects = 16;

// Suggested to a producer when the consumer takes any size: a common screen's. Compositors
// offer the one size of the shared screen and never look at it.
constexpr QSize kAnySize(1920, 1080);

constexpr size_t pointerMetaSize(int side) {
    return sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + size_t(side) * size_t(side) * 4;
}

} // namespace

QString noFormatText() {
    return kTr.tr("The screen sharing sent no picture format within %1 seconds.")
        .arg(kFormatWaitSeconds);
}

struct PipeWireConnection::Private {
    pipewire::ThreadLoopPtr loop;
    pipewire::ContextPtr context;
    pipewire::CorePtr core;
    pipewire::RegistryPtr registry;
    pipewire::StreamPtr stream;
    spa_hook coreListener{};
    spa_hook registryListener{};
    spa_hook streamListener{};
    bool running = false;
    uint32_t node = 0;
    StreamReceiver* receiver = nullptr;
    int width = 0; // of the stream's pictures; PipeWire's thread only

    static void coreError(void* self, uint32_t id, int, int res, const char* message) {
        if (id != PW_ID_CORE)
            return;
        static_cast<Private*>(self)->receiver->streamFailed(
            GrabberErrors::DeviceLostError,
            kTr.tr("The connection to PipeWire was lost: %1")
                .arg(QString::fromUtf8(message ? message : spa_strerror(res))));
    }

    static void globalRemoved(void* self, uint32_t id) {
        auto* d = static_cast<Private*>(self);
        if (id == d->node)
            d->receiver->streamFailed(GrabberErrors::DeviceLostError,
                                      kTr.tr("The screen sharing was ended."));
    }

    static void stateChanged(void* self, pw_stream_state, pw_stream_state state,
                             const char* error) {
        auto* d = static_cast<Private*>(self);
        if (state == PW_STREAM_STATE_ERROR)
            d->receiver->streamFailed(
                GrabberErrors::DeviceLostError,
                kTr.tr("The screen sharing failed: %1").arg(QString::fromUtf8(error ? error : "")));
        else if (state == PW_STREAM_STATE_STREAMING)
            d->receiver->streamStarted();
        else if (state == PW_STREAM_STATE_UNCONNECTED)
            d->receiver->streamFailed(GrabberErrors::DeviceLostError,
                                      kTr.tr("The screen sharing was ended."));
    }

    static void paramChanged(void* self, uint32_t id, const spa_pod* param) {
        auto* d = static_cast<Private*>(self);
        if (!param || id != SPA_PARAM_Format)
            return;
        spa_video_info_raw info{};
        uint32_t mediaType = 0, mediaSubtype = 0;
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 ||
            mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw ||
            spa_format_video_raw_parse(param, &info) < 0) {
            d->receiver->streamFailed(
                GrabberErrors::DeviceOpenError,
                kTr.tr("The screen sharing offers its pictures in a form this program cannot "
                       "read."));
            return;
        }
        d->askForBuffers();
        d->width = int(info.size.width);
        d->receiver->formatChosen(info.format, QSize(int(info.size.width), int(info.size.height)));
    }

    static void process(void* self) {
        auto* d = static_cast<Private*>(self);
        // Every buffer waiting is read, oldest first: each carries its own damage and
        // pointer news, which the newest alone would lose.
        while (pw_buffer* b = pw_stream_dequeue_buffer(d->stream.get())) {
            d->read(*b->buffer);
            pw_stream_queue_buffer(d->stream.get(), b);
        }
    }

    void read(const spa_buffer& buffer);
    void askForBuffers();
    const spa_pod* formats(spa_pod_builder* b, QSize preferred);
    bool connect(int fd, QSize preferred);
};

void PipeWireConnection::Private::read(const spa_buffer& buffer) {
    auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED))
        return;
    PictureBytes picture;
    if (buffer.n_datas >= 1 && buffer.datas[0].chunk) {
        const spa_data& data = buffer.datas[0];
        const auto* memory = static_cast<const uint8_t*>(data.data);
        picture = chunkPicture(*data.chunk, memory, data.maxsize, width);
        if (!memory && data.chunk->size > 0 && !(data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) {
            receiver->streamFailed(GrabberErrors::DeviceLostError,
                                   kTr.tr("The screen sharing sends its pictures in memory this "
                                          "program cannot read."));
            return;
        }
    }
    receiver->bufferArrived(buffer, picture);
}

void PipeWireConnection::Private::askForBuffers() {
    uint8_t bytes[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
    const spa_pod* params[5];
    // Only memory this program can read: shared memory rather than GPU buffers.
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_VideoCrop), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_region))));
    params[3] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_VideoDamage), SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(int(sizeof(spa_meta_region)) * kDamageRects,
                                 int(sizeof(spa_meta_region)),
                                 int(sizeof(spa_meta_region)) * kDamageRects)));
    params[4] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(int(pointerMetaSize(64)), int(pointerMetaSize(1)),
                                 int(pointerMetaSize(kPointerRoom)))));
    pw_stream_update_params(stream.get(), params, 5);
}

const spa_pod* PipeWireConnection::Private::formats(spa_pod_builder* b, QSize preferred) {
    if (preferred.isEmpty())
        preferred = kAnySize;
    spa_rectangle size{uint32_t(preferred.width()), uint32_t(preferred.height())};
    spa_rectangle smallest{1, 1};
    // The largest picture PipeWire's video formats describe.
    spa_rectangle largest{16384, 16384};
    spa_fraction rate{30, 1};
    spa_fraction slowest{0, 1};
    spa_fraction fastest{1000, 1};
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(9, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA,
                               SPA_VIDEO_FORMAT_xRGB, SPA_VIDEO_FORMAT_ARGB, SPA_VIDEO_FORMAT_xBGR,
                               SPA_VIDEO_FORMAT_ABGR),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest)));
}

PipeWireConnection::PipeWireConnection()
    : d(std::make_unique<Private>()) {}

PipeWireConnection::~PipeWireConnection() {
    close();
}

namespace {

pw_core_events coreEvents() {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = &PipeWireConnection::Private::coreError;
    return e;
}
pw_registry_events registryEvents() {
    pw_registry_events e{};
    e.version = PW_VERSION_REGISTRY_EVENTS;
    e.global_remove = &PipeWireConnection::Private::globalRemoved;
    return e;
}
pw_stream_events streamEvents() {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = &PipeWireConnection::Private::stateChanged;
    e.param_changed = &PipeWireConnection::Private::paramChanged;
    e.process = &PipeWireConnection::Private::process;
    return e;
}
const pw_core_events kCoreEvents = coreEvents();
const pw_registry_events kRegistryEvents = registryEvents();
const pw_stream_events kStreamEvents = streamEvents();

} // namespace

// With PipeWire's thread locked.
bool PipeWireConnection::Private::connect(int fd, QSize preferred) {
    // The core owns the descriptor from here on, also when connecting fails.
    core.reset(pw_context_connect_fd(context.get(), fd, nullptr, 0));
    if (!core)
        return false;
    pw_core_add_listener(core.get(), &coreListener, &kCoreEvents, this);
    registry.reset(pw_core_get_registry(core.get(), PW_VERSION_REGISTRY, 0));
    if (registry)
        pw_registry_add_listener(registry.get(), &registryListener, &kRegistryEvents, this);
    stream.reset(pw_stream_new(core.get(), "Clipnest screen",
                               pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                 "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr)));
    if (!stream)
        return false;
    pw_stream_add_listener(stream.get(), &streamListener, &kStreamEvents, this);
    uint8_t bytes[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
    const spa_pod* params[1] = {formats(&b, preferred)};
    return pw_stream_connect(
               stream.get(), PW_DIRECTION_INPUT, node,
               pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params,
               1) >= 0;
}

bool PipeWireConnection::open(int fd, uint32_t node, QSize preferred, StreamReceiver* receiver,
                              GrabberErrors::Error* code, QString* errorText) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
    d->node = node;
    d->receiver = receiver;
    d->loop.reset(pw_thread_loop_new("clipnest-pw", nullptr));
    if (d->loop)
        d->context.reset(pw_context_new(pw_thread_loop_get_loop(d->loop.get()), nullptr, 0));
    if (!d->context || pw_thread_loop_start(d->loop.get()) < 0) {
        ::close(fd);
        *code = GrabberErrors::DeviceOpenError;
        *errorText = kTr.tr("Cannot start PipeWire, which brings the shared screen.");
        return false;
    }
    d->running = true;
    pw_thread_loop_lock(d->loop.get());
    const bool connected = d->connect(fd, preferred);
    const int error = errno;
    pw_thread_loop_unlock(d->loop.get());
    if (!connected) {
        *code = GrabberErrors::DeviceOpenError;
        *errorText = kTr.tr("Cannot connect to the shared screen through PipeWire: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    return true;
}

void PipeWireConnection::close() {
    if (d->running)
        pw_thread_loop_stop(d->loop.get());
    d->running = false;
    // With the thread stopped nothing runs the listeners while they go.
    if (d->stream)
        spa_hook_remove(&d->streamListener);
    if (d->registry)
        spa_hook_remove(&d->registryListener);
    if (d->core)
        spa_hook_remove(&d->coreListener);
    d->stream.reset();
    d->registry.reset();
    d->core.reset();
    d->context.reset();
    d->loop.reset();
}

} // namespace engine
