#include "media/engine/X11ShmSource.h"
#include "core/SystemError.h"
#include "core/Translate.h"
#include "media/engine/ChangedRows.h"
#include "media/engine/PointerOverlay.h"
#include "media/engine/X11ScreenWatcher.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstdlib>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace engine {
namespace {

constexpr TranslationContext kTr{"ScreenGrabber"};

struct ConnectionDeleter {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using ConnectionPtr = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// xcb replies and errors are malloc'ed by xcb and released with free().
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using ReplyPtr = std::unique_ptr<T, FreeDeleter>;

// A System V shared-memory segment attached to this process.
struct ShmMemory {
    explicit ShmMemory(void* attached)
        : address(attached) {}
    ~ShmMemory() { shmdt(address); }
    ShmMemory(const ShmMemory&) = delete;
    ShmMemory& operator=(const ShmMemory&) = delete;
    void* address;
};

class X11ShmSource : public ImageSource {
public:
    X11ShmSource(ConnectionPtr connection, xcb_window_t root, const QRect& rect, int format,
                 const X11SourceOptions& options)
        : connection_(std::move(connection))
        , root_(root)
        , rect_(rect)
        , format_(format)
        , kept_(rect.size()) {
        X11ScreenWatcher::Options watch;
        // The pointer is drawn into little-endian pixels only (what every current X server
        // on a PC delivers).
        watch.pointer = options.pointer && format_ == AV_PIX_FMT_BGR0;
        watch.clicks = options.clicks;
        watcher_ = std::make_unique<X11ScreenWatcher>(connection_.get(), root_, rect_, watch);
    }

    ~X11ShmSource() override {
        watcher_.reset();
        if (attached_) {
            xcb_shm_detach(connection_.get(), segment_);
            xcb_flush(connection_.get());
        }
        // memory_ detaches the local mapping; connection_ closes the display after that.
        memory_.reset();
    }

    bool attach(GrabberErrors::Error* code, QString* errorText) {
        const size_t bytes = size_t(rect_.width()) * size_t(rect_.height()) * 4;
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = kTr.tr("Cannot reserve shared memory for the screen pictures: %1.")
                             .arg(SystemError::describe(errno));
            return false;
        }
        void* address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            const int saved = errno;
            shmctl(id, IPC_RMID, nullptr);
            *code = GrabberErrors::DeviceOpenError;
            *errorText = kTr.tr("Cannot map shared memory for the screen pictures: %1.")
                             .arg(SystemError::describe(saved));
            return false;
        }
        memory_ = std::make_unique<ShmMemory>(address);
        segment_ = xcb_generate_id(connection_.get());
        ReplyPtr<xcb_generic_error_t> error(xcb_request_check(
            connection_.get(), xcb_shm_attach_checked(connection_.get(), segment_, id, 0)));
        // Marked for removal at once: the kernel frees it when the last user detaches,
        // also when this process is killed.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = kTr.tr("The X server cannot share memory with this program (error %1). "
                                "Screen recording needs a local X display.")
                             .arg(error->error_code);
            return false;
        }
        attached_ = true;
        bytes_ = bytes;
        return true;
    }

    QSize size() const override { return rect_.size(); }
    int pixelFormat() const override { return format_; }

    bool grab(RawImage& image, GrabberErrors::Error* code, QString* errorText) override {
        xcb_connection_t* c = connection_.get();
        const X11ScreenWatcher::Look look = watcher_->look();
        if (xcb_connection_has_error(c)) {
            *code = GrabberErrors::DeviceLostError;
            *errorText = kTr.tr("The connection to the X display was lost.");
            return false;
        }
        const int height = rect_.height();
        const int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
        for (int i = 0; i < look.clicks; ++i)
            rings_.add(watcher_->pointerX(), watcher_->pointerY(), now);
        const bool ringsBefore = ringsShown_;
        ringsShown_ = rings_.update(now);
        RowSpan overlay = rings_.rows(now, height);
        if (watcher_->pointerShown())
            overlay =
                overlay.united(pointerRows(watcher_->pointerImage(), watcher_->pointerY(), height));
        // Damage says where the screen was drawn, not that it changed (a player repainting
        // a still picture): the rows are compared with what was handed on before.
        RowSpan changed = first_ ? RowSpan{0, height} : RowSpan{};
        first_ = false;
        const int stride = rect_.width() * 4;
        const auto* screen = static_cast<const uint8_t*>(memory_->address);
        if (!look.damaged.empty()) {
            if (!grabRows(look.damaged, code, errorText))
                return false;
            changed = changed.united(
                kept_.update(screen + size_t(look.damaged.top) * stride, stride, look.damaged));
        }
        if (look.pointerChanged || ringsBefore || ringsShown_)
            changed = changed.united(lastOverlay_).united(overlay);
        image.rows = 0;
        if (changed.empty())
            return true;
        lastOverlay_ = overlay;
        fillBand(image, changed, screen, stride, rect_.width(), height);
        if (watcher_->pointerShown())
            blendPointer(image.pixels.data(), stride, image.width, image.top, image.rows,
                         watcher_->pointerImage(), watcher_->pointerX(), watcher_->pointerY());
        rings_.draw(image.pixels.data(), stride, image.width, image.top, image.rows, now);
        return true;
    }

    // Grabs the rows `rows` of the area into the same rows of the shared segment, which so
    // always holds the area as it is on screen (without the pointer).
    bool grabRows(const RowSpan& rows, GrabberErrors::Error* code, QString* errorText) {
        xcb_connection_t* c = connection_.get();
        xcb_generic_error_t* rawError = nullptr;
        ReplyPtr<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            c,
            xcb_shm_get_image(c, root_, int16_t(rect_.x()), int16_t(rect_.y() + rows.top),
                              uint16_t(rect_.width()), uint16_t(rows.end - rows.top), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, segment_,
                              uint32_t(size_t(rows.top) * size_t(rect_.width()) * 4)),
            &rawError));
        ReplyPtr<xcb_generic_error_t> error(rawError);
        if (reply)
            return true;
        *code = GrabberErrors::DeviceLostError;
        if (xcb_connection_has_error(c)) {
            *errorText = kTr.tr("The connection to the X display was lost.");
            return false;
        }
        const QSize screen = screenSize();
        if (!QRect(QPoint(0, 0), screen).contains(rect_)) {
            *errorText = kTr.tr("The screen is now %1 x %2 pixels; the recorded area (%3 x %4 "
                                "at %5, %6) no longer fits on it.")
                             .arg(screen.width())
                             .arg(screen.height())
                             .arg(rect_.width())
                             .arg(rect_.height())
                             .arg(rect_.x())
                             .arg(rect_.y());
        } else {
            *errorText = kTr.tr("The X server refused to hand over the screen picture (error %1).")
                             .arg(error ? error->error_code : 0);
        }
        return false;
    }

    QSize screenSize() const {
        ReplyPtr<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(
            connection_.get(), xcb_get_geometry(connection_.get(), root_), nullptr));
        return geometry ? QSize(geometry->width, geometry->height) : QSize();
    }

private:
    ConnectionPtr connection_;
    xcb_window_t root_;
    QRect rect_;
    int format_;
    std::unique_ptr<ShmMemory> memory_;
    xcb_shm_seg_t segment_ = 0;
    bool attached_ = false;
    size_t bytes_ = 0;
    std::unique_ptr<X11ScreenWatcher> watcher_;
    ClickRings rings_;
    bool ringsShown_ = false;
    // Rows the pointer and the rings covered in the previous picture.
    RowSpan lastOverlay_;
    // The area as handed on last (without the pointer), to find the rows that really changed.
    KeptPicture kept_;
    bool first_ = true;
};

} // namespace

namespace {

// The X screen `number` of the connection, with shared memory; null (with the reason) when
// there is none or it cannot share memory.
const xcb_screen_t* sharedScreen(xcb_connection_t* c, int number, const QString& displayName,
                                 GrabberErrors::Error* code, QString* errorText) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < number && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        *code = GrabberErrors::DeviceOpenError;
        *errorText = kTr.tr("The X display %1 has no screen %2.").arg(displayName).arg(number);
        return nullptr;
    }
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
    if (!shm || !shm->present) {
        *code = GrabberErrors::DeviceOpenError;
        *errorText = kTr.tr("The X display \"%1\" cannot share memory with programs (no MIT-SHM), "
                            "which screen recording needs.")
                         .arg(displayName);
        return nullptr;
    }
    return it.data;
}

// The screen's pixel layout for the converter; -1 (with the reason) for one that cannot be
// recorded.
int screenPixelFormat(const xcb_setup_t* setup, const xcb_screen_t* screen,
                      GrabberErrors::Error* code, QString* errorText) {
    // Only 32 bits per pixel (depth 24 or 32) is taken: what every current X server uses.
    int bitsPerPixel = 0;
    for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem;
         xcb_format_next(&f)) {
        if (f.data->depth == screen->root_depth)
            bitsPerPixel = f.data->bits_per_pixel;
    }
    if (bitsPerPixel != 32) {
        *code = GrabberErrors::InvalidSettingsError;
        *errorText =
            kTr.tr("The screen uses %1 bits per pixel; only 32-bit screens can be recorded.")
                .arg(bitsPerPixel);
        return -1;
    }
    return setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_0RGB;
}

} // namespace

std::unique_ptr<ImageSource> openX11ShmSource(const QRect& rect, const X11SourceOptions& options,
                                              GrabberErrors::Error* code, QString* errorText) {
    const char* display = std::getenv("DISPLAY");
    const QString displayName = display ? QString::fromLocal8Bit(display) : QString();
    int screenNumber = 0;
    ConnectionPtr connection(xcb_connect(nullptr, &screenNumber));
    if (!connection || xcb_connection_has_error(connection.get())) {
        *code = GrabberErrors::DeviceOpenError;
        *errorText = displayName.isEmpty()
                         ? kTr.tr("No X display is set (DISPLAY is empty), so the screen cannot be "
                                  "recorded.")
                         : kTr.tr("Cannot connect to the X display \"%1\", so the screen cannot be "
                                  "recorded. Check that the X server is running.")
                               .arg(displayName);
        return nullptr;
    }
    const xcb_screen_t* screen =
        sharedScreen(connection.get(), screenNumber, displayName, code, errorText);
    if (!screen)
        return nullptr;
    const int format = screenPixelFormat(xcb_get_setup(connection.get()), screen, code, errorText);
    if (format < 0)
        return nullptr;
    auto source =
        std::make_unique<X11ShmSource>(std::move(connection), screen->root, rect, format, options);
    const QSize screenSize = source->screenSize();
    if (!QRect(QPoint(0, 0), screenSize).contains(rect)) {
        *code = GrabberErrors::InvalidSettingsError;
        *errorText = kTr.tr("The area to record (%1 x %2 at %3, %4) does not lie on the screen of "
                            "%5 x %6 pixels.")
                         .arg(rect.width())
                         .arg(rect.height())
                         .arg(rect.x())
                         .arg(rect.y())
                         .arg(screenSize.width())
                         .arg(screenSize.height());
        return nullptr;
    }
    if (!source->attach(code, errorText))
        return nullptr;
    return source;
}

} // namespace engine
