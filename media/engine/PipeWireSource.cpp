#include "media/engine/PipeWireSource.h"
#include "core/Translate.h"
#include "media/engine/ChangedRows.h"
#include "media/engine/PipeWireConnection.h"
#include "media/engine/PipeWireFrames.h"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <optional>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace engine {
namespace {

constexpr TranslationContext kTr{"ScreenGrabber"};

// A compositor sends its first picture within a frame or two of the stream running; waiting
// longer only delays the start for one that sends nothing until the screen changes.
constexpr int kFirstPictureMs = 1000;

struct PointerState {
    int x = 0;
    int y = 0;
    std::shared_ptr<const PointerImage> image; // null or empty: not shown
};

class PipeWireSource : public ImageSource, private StreamReceiver {
public:
    PipeWireSource(const QRect& crop, const PipeWireSourceOptions& options)
        : crop_(crop)
        , options_(options)
        , latest_(size_t(crop.width()) * size_t(crop.height()) * 4, 0)
        , kept_(crop.size()) {}

    bool open(int fd, uint32_t node, GrabberErrors::Error* code, QString* errorText) {
        if (!connection_.open(fd, node, crop_.size(), this, code, errorText))
            return false;
        std::unique_lock<std::mutex> lock(mutex_);
        const bool settled =
            changed_.wait_for(lock, std::chrono::seconds(kFormatWaitSeconds),
                              [this] { return (negotiated_ && started_) || failure_; });
        // The first picture too, so that the recording does not begin with black while the
        // compositor gets going. Some send nothing until the screen changes
        // (xdg-desktop-portal-wlr on a second cast): that part is recorded black.
        if (settled && !failure_)
            changed_.wait_for(lock, std::chrono::milliseconds(kFirstPictureMs),
                              [this] { return pictured_ || failure_; });
        if (failure_) {
            *code = failure_->code;
            *errorText = failure_->text;
            return false;
        }
        if (!settled) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = noFormatText();
            return false;
        }
        return true;
    }

    ~PipeWireSource() override { connection_.close(); }

    QSize size() const override { return crop_.size(); }
    int pixelFormat() const override { return AV_PIX_FMT_BGR0; }

    bool grab(RawImage& image, GrabberErrors::Error* code, QString* errorText) override {
        const int height = crop_.height();
        RowSpan changed = first_ ? RowSpan{0, height} : RowSpan{};
        first_ = false;
        bool moved = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (failure_) {
                *code = failure_->code;
                *errorText = failure_->text;
                return false;
            }
            // Under the lock PipeWire's thread waits at most for this one comparison and copy
            // of the rows it changed, never for the conversion or the encoder.
            const int stride = kept_.stride();
            changed = changed.united(kept_.update(
                latest_.data() + size_t(pending_.top) * size_t(stride), stride, pending_));
            pending_ = RowSpan{};
            if (pointerMoved_) {
                shown_ = pointer_;
                pointerMoved_ = false;
                moved = true;
            }
        }
        const bool draw = options_.pointer && shown_.image && shown_.image->width > 0;
        const RowSpan overlay = draw ? pointerRows(*shown_.image, shown_.y, height) : RowSpan{};
        if (moved)
            changed = changed.united(lastOverlay_).united(overlay);
        lastOverlay_ = overlay;
        fillBand(image, changed, kept_.data(), kept_.stride(), crop_.width(), height);
        if (image.rows > 0 && draw)
            blendPointer(image.pixels.data(), image.stride, image.width, image.top, image.rows,
                         *shown_.image, shown_.x, shown_.y);
        return true;
    }

private:
    // StreamReceiver, on PipeWire's thread.
    void formatChosen(uint32_t spaFormat, QSize streamSize) override {
        layout_ = streamPixels(spaFormat);
        const QRect stream(QPoint(0, 0), streamSize);
        if (!stream.contains(crop_)) {
            fail(GrabberErrors::InvalidSettingsError,
                 kTr.tr("The shared screen is %1 x %2 pixels; the area to record (%3 x %4 at "
                        "%5, %6) does not lie on it.")
                     .arg(streamSize.width())
                     .arg(streamSize.height())
                     .arg(crop_.width())
                     .arg(crop_.height())
                     .arg(crop_.x())
                     .arg(crop_.y()));
            return;
        }
        streamSize_ = streamSize;
        lastPicture_ = QRect(); // everything is new in a new format
        std::lock_guard<std::mutex> lock(mutex_);
        negotiated_ = true;
        changed_.notify_all();
    }

    void bufferArrived(const spa_buffer& buffer, const PictureBytes& picture) override {
        if (!streamSize_.isValid())
            return;
        const bool moved = takePointer(buffer);
        const RowSpan rows = changedRows(buffer, picture);
        if (!moved && rows.empty())
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        // Straight into the picture the capture thread reads, rather than into a frame of
        // its own: rows it has not taken yet stay there for it, so a buffer costs one copy
        // of the rows it changed and no allocation.
        if (!rows.empty())
            copyArea(picture, layout_, lastPicture_, crop_, rows, latest_.data());
        if (moved) {
            pointer_ = loopPointer_;
            pointerMoved_ = true;
        }
        if (!rows.empty()) {
            pending_ = pending_.united(rows);
            pictured_ = true;
            changed_.notify_all();
        }
    }

    void streamStarted() override {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
        changed_.notify_all();
    }

    void streamFailed(GrabberErrors::Error code, const QString& text) override { fail(code, text); }

    // Reads the buffer's pointer description, if it has one; true when it changed anything.
    bool takePointer(const spa_buffer& buffer) {
        const spa_meta* meta = spa_buffer_find_meta(&buffer, SPA_META_Cursor);
        if (!meta || meta->size < sizeof(spa_meta_cursor))
            return false;
        const auto* cursor = static_cast<const spa_meta_cursor*>(meta->data);
        if (!spa_meta_cursor_is_valid(cursor))
            return false;
        loopPointer_.x = cursor->position.x - crop_.x();
        loopPointer_.y = cursor->position.y - crop_.y();
        if (cursor->bitmap_offset >= sizeof(spa_meta_cursor) &&
            size_t(cursor->bitmap_offset) + sizeof(spa_meta_bitmap) <= meta->size) {
            const auto* bitmap =
                SPA_PTROFF(cursor, cursor->bitmap_offset, const struct spa_meta_bitmap);
            auto image = std::make_shared<PointerImage>();
            if (spa_meta_bitmap_is_valid(bitmap) &&
                readPointerBitmap(*bitmap, meta->size - cursor->bitmap_offset, cursor->hotspot.x,
                                  cursor->hotspot.y, *image))
                loopPointer_.image = std::move(image);
        }
        return true;
    }

    // The rows of the wanted area that the buffer changed; remembers its picture's place.
    RowSpan changedRows(const spa_buffer& buffer, const PictureBytes& bytes) {
        // A loss noticed on a pointer-only update still leaves the next picture untrusted.
        lost_ = lost_ || bytes.afterLoss;
        if (!bytes.bytes)
            return {}; // a pointer-only update
        const QRect picture = pictureArea(buffer, streamSize_);
        RowSpan rows{0, crop_.height()};
        if (picture == lastPicture_ && !lost_) {
            const RowSpan damaged = damagedRows(buffer, picture);
            rows =
                RowSpan{damaged.top - crop_.y(), damaged.end - crop_.y()}.clipped(crop_.height());
        }
        lastPicture_ = picture;
        lost_ = false;
        return rows;
    }

    void fail(GrabberErrors::Error code, const QString& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failure_)
            failure_ = StreamFailure{code, text};
        changed_.notify_all();
    }

    const QRect crop_;
    const PipeWireSourceOptions options_;

    // PipeWire's thread only.
    StreamPixels layout_ = StreamPixels::Unknown;
    QSize streamSize_;
    QRect lastPicture_;
    bool lost_ = false; // pictures went missing since the last one read
    PointerState loopPointer_;

    // Handed from PipeWire's thread to the capture thread.
    std::mutex mutex_;
    std::condition_variable changed_; // negotiated_, started_, pictured_ or failure_ set
    bool negotiated_ = false;
    // Linked and running: a compositor sends the whole screen when its stream starts, and
    // what it sends before that can be lost.
    bool started_ = false;
    bool pictured_ = false; // a picture came
    std::optional<StreamFailure> failure_;
    // The wanted area as the stream last showed it, and the rows of it changed since the
    // capture thread last took them. One picture shared by both threads, each copying once:
    // a pool of frames handed over would hold more pictures, and each frame would still need
    // the rows changed since it was last filled.
    std::vector<uint8_t> latest_; // BGR0, packed
    RowSpan pending_;
    PointerState pointer_;
    bool pointerMoved_ = false;

    // The capture thread only; kept_ is filled from latest_, so under mutex_.
    KeptPicture kept_;
    bool first_ = true;
    PointerState shown_;
    RowSpan lastOverlay_;

    // Last: closed (PipeWire's thread stopped) before anything above goes.
    PipeWireConnection connection_;
};

} // namespace

std::unique_ptr<ImageSource> openPipeWireSource(int fd, uint32_t node, const QRect& crop,
                                                const PipeWireSourceOptions& options,
                                                GrabberErrors::Error* code, QString* errorText) {
    if (crop.isEmpty()) {
        ::close(fd);
        *code = GrabberErrors::InvalidSettingsError;
        *errorText = kTr.tr("The area to record is empty (%1 x %2 pixels). Select an area of at "
                            "least 1 x 1 pixel.")
                         .arg(crop.width())
                         .arg(crop.height());
        return nullptr;
    }
    auto source = std::make_unique<PipeWireSource>(crop, options);
    if (!source->open(fd, node, code, errorText))
        return nullptr;
    return source;
}

} // namespace engine
