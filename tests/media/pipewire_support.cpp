#include "pipewire_support.h"

#include "media/engine/PipeWireHandles.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <QFile>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace {

// Time a started program gets to become ready: far beyond what it takes on an idle machine,
// short enough that a broken installation fails the test rather than hanging it.
constexpr int kReadyMs = 20000;

} // namespace

std::vector<uint8_t> testPattern(int width, int height, uint8_t seed) {
    std::vector<uint8_t> p(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            px[0] = uint8_t(seed + x);
            px[1] = uint8_t(y * 3 + seed);
            px[2] = uint8_t(x ^ y);
            px[3] = 0xff;
        }
    return p;
}

std::vector<uint8_t> bgr0Area(const std::vector<uint8_t>& pixels, int width, const QRect& area) {
    std::vector<uint8_t> out(size_t(area.width()) * size_t(area.height()) * 4);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const uint8_t* src =
                pixels.data() + (size_t(area.y() + y) * size_t(width) + size_t(area.x() + x)) * 4;
            uint8_t* dst = out.data() + (size_t(y) * size_t(area.width()) + size_t(x)) * 4;
            std::memcpy(dst, src, 3);
            dst[3] = 0;
        }
    return out;
}

PrivatePipeWire::~PrivatePipeWire() {
    for (QProcess* p : {&manager_, &server_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

bool PrivatePipeWire::startProcess(QProcess& process, const QString& program,
                                   const QStringList& arguments, QString* why) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (process.waitForStarted(kReadyMs))
        return true;
    *why = program + ": " + process.errorString();
    return false;
}

bool PrivatePipeWire::start(QString* why) {
    if (!runtime_.isValid()) {
        *why = "no temporary folder";
        return false;
    }
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    qunsetenv("PIPEWIRE_RUNTIME_DIR");
    qunsetenv("PIPEWIRE_REMOTE");
    // WirePlumber will not run without a session bus.
    if (!bus_.start(why))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.address().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    server_.setProcessEnvironment(env);
    manager_.setProcessEnvironment(env);
    if (!startProcess(server_, "pipewire", {}, why))
        return false;
    if (!QTest::qWaitFor(
            [this] {
                const int fd = connectSocket();
                if (fd >= 0)
                    ::close(fd);
                return fd >= 0;
            },
            kReadyMs)) {
        *why = "pipewire takes no connections";
        return false;
    }
    return startProcess(manager_, "wireplumber", {}, why);
}

int PrivatePipeWire::connectSocket() const {
    const QByteArray path = (runtime_.path() + "/pipewire-0").toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct TestScreenStream::Private {
    int width = 0;
    int height = 0;
    Pixels pixels = Pixels::Bgrx;
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
                SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_MemFd))),
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
};

TestScreenStream::TestScreenStream(int width, int height, Pixels pixels)
    : d(std::make_unique<Private>()) {
    d->width = width;
    d->height = height;
    d->pixels = pixels;
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
        spa_rectangle size{uint32_t(d->width), uint32_t(d->height)};
        spa_fraction rate{30, 1};
        const spa_pod* params[1] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_Id(d->pixels == Pixels::Rgbx ? SPA_VIDEO_FORMAT_RGBx : SPA_VIDEO_FORMAT_BGRx),
            SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
            SPA_POD_Fraction(&rate)))};
        pw_stream_connect(d->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                          pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS),
                          params, 1);
    }
    pw_thread_loop_unlock(d->loop);
    if (!core) {
        *why = "cannot connect to the private pipewire";
        return false;
    }
    std::unique_lock<std::mutex> lock(d->mutex);
    if (!d->changed.wait_for(lock, std::chrono::milliseconds(kReadyMs),
                             [this] { return d->paused && d->managerReady; })) {
        *why = d->paused ? "wireplumber did not get ready" : "the test stream got no node";
        return false;
    }
    return true;
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

void TestScreenStream::stop() {
    if (!d->loop || !d->stream)
        return;
    pw_thread_loop_lock(d->loop);
    spa_hook_remove(&d->streamListener);
    d->streamOwner.reset();
    d->stream = nullptr;
    pw_thread_loop_unlock(d->loop);
}
