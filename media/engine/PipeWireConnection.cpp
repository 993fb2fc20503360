#include "media/engine/PipeWireConnection.h"

#include "core/SystemError.h"
#include "core/Translate.h"
#include "media/engine/PipeWireDmaBuf.h"
#include "media/engine/PipeWireFrames.h"
#include "media/engine/PipeWireHandles.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

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

// DRM_FORMAT_MOD_LINEAR of drm_fourcc.h: pixels row after row, as in shared memory, the one
// GPU buffer layout the processor reads directly.
constexpr int64_t kLinearModifier = 0;

constexpr size_t pointerMetaSize(int side) {
    return sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + size_t(side) * size_t(side) * 4;
}

// Whether a format's modifier property allows only the linear layout.
bool onlyLinear(const spa_pod_prop& modifier) {
    uint32_t count = 0, choice = 0;
    const spa_pod* values = spa_pod_get_values(&modifier.value, &count, &choice);
    if (!values || values->type != SPA_TYPE_Long || count == 0)
        return false;
    const auto* modifiers = static_cast<const int64_t*>(SPA_POD_BODY_CONST(values));
    for (uint32_t i = 0; i < count; ++i)
        if (modifiers[i] != kLinearModifier)
            return false;
    return true;
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
    // PipeWire's thread only (and close(), with it stopped).
    int width = 0; // of the stream's pictures
    std::map<const pw_buffer*, MappedDmaBuf> dmaBufs;
    // The sequence number of the last buffer read, once one came with one.
    std::optional<uint64_t> lastSeq;

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
        // A format with a modifier is one of GPU buffers, which must be laid out linearly.
        const spa_pod_prop* modifier = spa_pod_find_prop(param, nullptr, SPA_FORMAT_VIDEO_modifier);
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 ||
            mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw ||
            spa_format_video_raw_parse(param, &info) < 0 || (modifier && !onlyLinear(*modifier))) {
            d->receiver->streamFailed(
                GrabberErrors::DeviceOpenError,
                kTr.tr("The screen sharing offers its pictures in a form this program cannot "
                       "read."));
            return;
        }
        d->askForBuffers(modifier != nullptr);
        d->width = int(info.size.width);
        d->receiver->formatChosen(info.format, QSize(int(info.size.width), int(info.size.height)));
    }

    static void bufferAdded(void* self, pw_buffer* b) {
        auto* d = static_cast<Private*>(self);
        const spa_buffer& buffer = *b->buffer;
        if (buffer.n_datas < 1 || buffer.datas[0].type != SPA_DATA_DmaBuf)
            return;
        // PipeWire maps shared memory itself, GPU buffers not. A mapping that fails leaves
        // the buffer unreadable, which its first picture reports.
        const spa_data& data = buffer.datas[0];
        const size_t size = data.maxsize > 0 ? size_t(data.mapoffset) + data.maxsize : 0;
        d->dmaBufs[b] = MappedDmaBuf::map(int(data.fd), size);
    }

    static void bufferRemoved(void* self, pw_buffer* b) {
        static_cast<Private*>(self)->dmaBufs.erase(b);
    }

    static void process(void* self) {
        auto* d = static_cast<Private*>(self);
        // Every buffer waiting is read, oldest first: each carries its own damage and
        // pointer news, which the newest alone would lose.
        while (pw_buffer* b = pw_stream_dequeue_buffer(d->stream.get())) {
            d->read(*b);
            pw_stream_queue_buffer(d->stream.get(), b);
        }
    }

    void read(const pw_buffer& b);
    void askForBuffers(bool dmaBuf);
    const spa_pod* format(spa_pod_builder* b, QSize preferred, bool linearDmaBuf);
    bool connect(int fd, QSize preferred);
};

void PipeWireConnection::Private::read(const pw_buffer& b) {
    const spa_buffer& buffer = *b.buffer;
    auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED))
        return;
    PictureBytes picture;
    const MappedDmaBuf* dmaBuf = nullptr;
    if (buffer.n_datas >= 1 && buffer.datas[0].chunk) {
        const spa_data& data = buffer.datas[0];
        const auto* memory = static_cast<const uint8_t*>(data.data);
        size_t size = data.maxsize;
        if (data.type == SPA_DATA_DmaBuf) {
            const auto mapped = dmaBufs.find(&b);
            memory = nullptr;
            if (mapped != dmaBufs.end() && mapped->second.bytes() &&
                data.mapoffset < mapped->second.size()) {
                dmaBuf = &mapped->second;
                memory = dmaBuf->bytes() + data.mapoffset;
                size = dmaBuf->size() - data.mapoffset;
                if (data.maxsize > 0)
                    size = std::min<size_t>(size, data.maxsize);
            }
        }
        picture = chunkPicture(*data.chunk, memory, size, width);
        if (!memory && data.chunk->size > 0 && !(data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) {
            receiver->streamFailed(GrabberErrors::DeviceLostError,
                                   kTr.tr("The screen sharing sends its pictures in memory this "
                                          "program cannot read."));
            return;
        }
    }
    // PipeWire keeps only the newest of the pictures queued before a cycle: a skipped number
    // is a picture lost on the way.
    if (header) {
        picture.afterLoss = lastSeq && header->seq != *lastSeq + 1;
        lastSeq = header->seq;
    }
    const DmaBufRead reading(picture.bytes ? dmaBuf : nullptr);
    receiver->bufferArrived(buffer, picture);
}

void PipeWireConnection::Private::askForBuffers(bool dmaBuf) {
    uint8_t bytes[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
    const spa_pod* params[5];
    // Only memory this program can read: GPU buffers when the format says they are linear;
    // otherwise shared memory, or GPU buffers without a modifier (from producers older than
    // modifiers), which are taken to be linear.
    const int types = dmaBuf
                          ? 1 << SPA_DATA_DmaBuf
                          : (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_DmaBuf);
    params[0] = static_cast<const spa_pod*>(
        spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
                                   SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(types)));
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

const spa_pod* PipeWireConnection::Private::format(spa_pod_builder* b, QSize preferred,
                                                   bool linearDmaBuf) {
    if (preferred.isEmpty())
        preferred = kAnySize;
    spa_rectangle size{uint32_t(preferred.width()), uint32_t(preferred.height())};
    spa_rectangle smallest{1, 1};
    // The largest picture PipeWire's video formats describe.
    spa_rectangle largest{16384, 16384};
    spa_fraction rate{30, 1};
    spa_fraction slowest{0, 1};
    spa_fraction fastest{1000, 1};
    spa_pod_frame object;
    spa_pod_builder_push_object(b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(
        b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(9, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA,
                               SPA_VIDEO_FORMAT_xRGB, SPA_VIDEO_FORMAT_ARGB, SPA_VIDEO_FORMAT_xBGR,
                               SPA_VIDEO_FORMAT_ABGR),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest), 0);
    if (linearDmaBuf) {
        // Mandatory: this format is only for producers that can lay their GPU buffers out
        // linearly. Not fixated by PipeWire: the producer, which allocates, picks the modifier.
        spa_pod_builder_prop(b, SPA_FORMAT_VIDEO_modifier,
                             SPA_POD_PROP_FLAG_MANDATORY | SPA_POD_PROP_FLAG_DONT_FIXATE);
        spa_pod_frame choice;
        spa_pod_builder_push_choice(b, &choice, SPA_CHOICE_Enum, 0);
        spa_pod_builder_long(b, kLinearModifier); // the default
        spa_pod_builder_long(b, kLinearModifier); // the one choice
        spa_pod_builder_pop(b, &choice);
    }
    return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &object));
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
    e.add_buffer = &PipeWireConnection::Private::bufferAdded;
    e.remove_buffer = &PipeWireConnection::Private::bufferRemoved;
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
    uint8_t bytes[2048];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof(bytes));
    // Shared memory first, GPU buffers for producers that have nothing else: PipeWire takes
    // the first of these the producer can meet, and a GPU buffer read by the processor
    // (write-combined memory on a graphics card) is far slower to read than memory the
    // compositor copied the picture into.
    const spa_pod* params[2] = {format(&b, preferred, false), format(&b, preferred, true)};
    return pw_stream_connect(
               stream.get(), PW_DIRECTION_INPUT, node,
               pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params,
               2) >= 0;
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
                         .arg(SystemError::describe(error));
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
    d->dmaBufs.clear();
    d->registry.reset();
    d->core.reset();
    d->context.reset();
    d->loop.reset();
}

} // namespace engine
