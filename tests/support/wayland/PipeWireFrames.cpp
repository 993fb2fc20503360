// pipewire-frames COUNT FD NODE
//
// Connects to the PipeWire remote the screen-cast portal handed out (file descriptor FD),
// takes video from node NODE and exits 0 once COUNT frames with data arrived,
// after printing the negotiated format and how the buffers are shared. Exits 1 when the
// stream fails or no frames come in time. The Wayland test desktop's check uses it to prove
// that frames flow, not only that a cast starts.

#include <pipewire/pipewire.h>
#include <spa/debug/types.h>
#include <spa/param/video/format-utils.h>
#include <spa/param/video/type-info.h>
#include <spa/utils/result.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The portal sends a frame at the start and then one for each change of the screen, at most
// at its frame rate: a screen that changes every fraction of a second gives a few frames well
// within this. The limit is there for a cast that never sends one.
constexpr unsigned timeoutSeconds = 20;

struct Consumer {
    pw_main_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    int wanted = 0;
    int frames = 0;
    bool failed = false;
    bool done = false;
};

const char* dataTypeName(uint32_t type) {
    switch (type) {
    case SPA_DATA_MemFd:
        return "MemFd";
    case SPA_DATA_DmaBuf:
        return "DmaBuf";
    case SPA_DATA_MemPtr:
        return "MemPtr";
    default:
        return "other";
    }
}

void onParamChanged(void*, uint32_t id, const spa_pod* param) {
    if (!param || id != SPA_PARAM_Format)
        return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0)
        return;
    std::printf("format: %s %ux%u\n",
                spa_debug_type_find_short_name(spa_type_video_format, info.format), info.size.width,
                info.size.height);
}

void onProcess(void* data) {
    auto* consumer = static_cast<Consumer*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(consumer->stream);
    if (!buffer)
        return;
    const spa_data& plane = buffer->buffer->datas[0];
    if (plane.chunk && plane.chunk->size > 0 && ++consumer->frames == 1)
        std::printf("buffers: %s, %u bytes, stride %d\n", dataTypeName(plane.type),
                    plane.chunk->size, plane.chunk->stride);
    pw_stream_queue_buffer(consumer->stream, buffer);
    if (consumer->frames >= consumer->wanted)
        pw_main_loop_quit(consumer->loop);
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error) {
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED)
        return;
    auto* consumer = static_cast<Consumer*>(data);
    if (consumer->done)
        return;
    std::fprintf(stderr, "pipewire-frames: stream %s: %s\n", pw_stream_state_as_string(state),
                 error ? error : "");
    consumer->failed = true;
    pw_main_loop_quit(consumer->loop);
}

void onTimeout(void* data, uint64_t) {
    auto* consumer = static_cast<Consumer*>(data);
    std::fprintf(stderr, "pipewire-frames: %d of %d frames in %u s\n", consumer->frames,
                 consumer->wanted, timeoutSeconds);
    consumer->failed = true;
    pw_main_loop_quit(consumer->loop);
}

const spa_pod* videoFormats(spa_pod_builder* builder) {
    spa_rectangle minSize = SPA_RECTANGLE(1, 1), maxSize = SPA_RECTANGLE(8192, 8192),
                  anySize = SPA_RECTANGLE(1920, 1080);
    spa_fraction noRate = SPA_FRACTION(0, 1), maxRate = SPA_FRACTION(1000, 1),
                 anyRate = SPA_FRACTION(30, 1);
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&anySize, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&anyRate, &noRate, &maxRate)));
}

struct LoopDeleter {
    void operator()(pw_main_loop* loop) const { pw_main_loop_destroy(loop); }
};
struct ContextDeleter {
    void operator()(pw_context* context) const { pw_context_destroy(context); }
};
struct StreamDeleter {
    void operator()(pw_stream* stream) const { pw_stream_destroy(stream); }
};

int consume(int fd, uint32_t node, Consumer& consumer) {
    std::unique_ptr<pw_main_loop, LoopDeleter> loop(pw_main_loop_new(nullptr));
    std::unique_ptr<pw_context, ContextDeleter> context(
        pw_context_new(pw_main_loop_get_loop(loop.get()), nullptr, 0));
    pw_core* core = pw_context_connect_fd(context.get(), fd, nullptr, 0);
    if (!core) {
        std::fprintf(stderr, "pipewire-frames: cannot connect through descriptor %d\n", fd);
        return 1;
    }
    consumer.loop = loop.get();
    std::unique_ptr<pw_stream, StreamDeleter> stream(
        pw_stream_new(core, "clipnest-frames",
                      pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                        "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr)));
    consumer.stream = stream.get();
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = onStateChanged;
    events.param_changed = onParamChanged;
    events.process = onProcess;
    spa_hook listener{};
    pw_stream_add_listener(stream.get(), &listener, &events, &consumer);

    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[] = {videoFormats(&builder)};
    const auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    if (pw_stream_connect(stream.get(), PW_DIRECTION_INPUT, node, flags, params, 1) < 0) {
        std::fprintf(stderr, "pipewire-frames: cannot connect to node %u\n", node);
        return 1;
    }
    spa_source* timer = pw_loop_add_timer(pw_main_loop_get_loop(loop.get()), onTimeout, &consumer);
    timespec timeout{timeoutSeconds, 0};
    pw_loop_update_timer(pw_main_loop_get_loop(loop.get()), timer, &timeout, nullptr, false);
    pw_main_loop_run(loop.get());
    consumer.done = true;
    stream.reset();
    pw_core_disconnect(core);
    if (consumer.failed)
        return 1;
    std::printf("frames: %d\n", consumer.frames);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pipewire-frames COUNT FD NODE\n");
        return 2;
    }
    pw_init(&argc, &argv);
    Consumer consumer;
    consumer.wanted = std::atoi(argv[1]);
    const int status =
        consume(std::atoi(argv[2]), uint32_t(std::strtoul(argv[3], nullptr, 10)), consumer);
    pw_deinit();
    return status;
}
