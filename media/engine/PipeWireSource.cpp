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

struct StreamFrame {
    std::vector<uint8_t> pixels; // the rows `rows` of the cropped picture, BGR0, packed
    RowSpan rows;
};

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
        std::unique_ptr<StreamFrame> frame;
        bool moved = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (failure_) {
                *code = failure_->code;
                *errorText = failure_->text;
                return false;
            }
            frame = std::move(frame_);
            if (pointerMoved_) {
                shown_ = pointer_;
                pointerMoved_ = false;
                moved = true;
            }
        }
        const int height = crop_.height();
        RowSpan changed = first_ ? RowSpan{0, height} : RowSpan{};
        first_ = false;
        if (frame)
            changed =
                changed.united(kept_.update(frame->pixels.data(), kept_.stride(), frame->rows));
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
        const RowSpan rows = takePicture(buffer, picture);
        if (!moved && rows.empty())
            return;
        std::unique_ptr<StreamFrame> frame;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            frame = std::move(frame_);
            if (moved) {
                pointer_ = loopPointer_;
                pointerMoved_ = true;
            }
        }
        // An untaken frame's rows go on in the new one, from the picture as it is now.
        const RowSpan all = frame ? frame->rows.united(rows) : rows;
        if (all.empty())
            return;
        if (!frame)
            frame = std::make_unique<StreamFrame>();
        const size_t rowBytes = size_t(crop_.width()) * 4;
        frame->rows = all;
        frame->pixels.assign(latest_.begin() + std::ptrdiff_t(all.top * rowBytes),
                             latest_.begin() + std::ptrdiff_t(all.end * rowBytes));
        std::lock_guard<std::mutex> lock(mutex_);
        frame_ = std::move(frame);
        pictured_ = true;
        changed_.notify_all();
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

    // Copies the rows of the wanted area that the buffer changed into latest_; returns them.
    RowSpan takePicture(const spa_buffer& buffer, const PictureBytes& bytes) {
        if (!bytes.bytes)
            return {}; // a pointer-only update
        const QRect picture = pictureArea(buffer, streamSize_);
        RowSpan rows{0, crop_.height()};
        if (picture == lastPicture_) {
            const RowSpan damaged = damagedRows(buffer, picture);
            rows =
                RowSpan{damaged.top - crop_.y(), damaged.end - crop_.y()}.clipped(crop_.height());
        }
        lastPicture_ = picture;
        copyArea(bytes, layout_, picture, crop_, rows, latest_.data());
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
    std::vector<uint8_t> latest_; // the wanted area as the stream last showed it
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
    std::unique_ptr<StreamFrame> frame_; // the newest frame not yet taken
    PointerState pointer_;
    bool pointerMoved_ = false;

    // The capture thread only.
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
