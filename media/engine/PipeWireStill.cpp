#include "media/engine/PipeWireStill.h"

#include "core/Translate.h"
#include "media/engine/PipeWireConnection.h"
#include "media/engine/PipeWireFrames.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace engine {
namespace {

constexpr TranslationContext kTr{"ScreenGrabber"};

// Keeps the first picture of a stream: PipeWire's thread makes it, the calling thread waits
// for it.
class StillTaker final : private StreamReceiver {
public:
    bool take(int fd, uint32_t node, int waitMs, StillPicture* out, GrabberErrors::Error* code,
              QString* errorText) {
        if (!connection_.open(fd, node, QSize(), this, code, errorText))
            return false;
        std::unique_lock<std::mutex> lock(mutex_);
        const bool formatted = changed_.wait_for(lock, std::chrono::seconds(kFormatWaitSeconds),
                                                 [this] { return formatted_ || failure_; });
        if (formatted && !failure_)
            changed_.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)),
                              [this] { return still_ || failure_; });
        // A picture that came before a failure is still the screen as it was.
        if (still_) {
            *out = std::move(*still_);
            return true;
        }
        if (failure_) {
            *code = failure_->code;
            *errorText = failure_->text;
        } else if (!formatted) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = noFormatText();
        } else {
            *code = GrabberErrors::DeviceOpenError;
            *errorText =
                kTr.tr("The screen sharing sent no picture within %1 milliseconds.").arg(waitMs);
        }
        return false;
    }

    ~StillTaker() { connection_.close(); }

private:
    // StreamReceiver, on PipeWire's thread.
    void formatChosen(uint32_t spaFormat, QSize streamSize) override {
        layout_ = streamPixels(spaFormat);
        streamSize_ = streamSize;
        std::lock_guard<std::mutex> lock(mutex_);
        formatted_ = true;
        changed_.notify_all();
    }

    void streamStarted() override {}

    void bufferArrived(const spa_buffer& buffer, const PictureBytes& bytes) override {
        if (taken_ || !bytes.bytes || streamSize_.isEmpty())
            return;
        const QRect picture =
            pictureArea(buffer, streamSize_).intersected(QRect(QPoint(0, 0), streamSize_));
        if (picture.isEmpty())
            return;
        StillPicture still;
        still.size = picture.size();
        still.stride = picture.width() * 4;
        still.pixels.resize(size_t(still.stride) * size_t(picture.height()));
        copyArea(bytes, layout_, picture, QRect(QPoint(0, 0), picture.size()),
                 RowSpan{0, picture.height()}, still.pixels.data());
        taken_ = true;
        std::lock_guard<std::mutex> lock(mutex_);
        still_ = std::move(still);
        changed_.notify_all();
    }

    void streamFailed(GrabberErrors::Error code, const QString& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failure_)
            failure_ = StreamFailure{code, text};
        changed_.notify_all();
    }

    // PipeWire's thread only.
    StreamPixels layout_ = StreamPixels::Unknown;
    QSize streamSize_;
    bool taken_ = false;

    // Handed from PipeWire's thread to the waiting one.
    std::mutex mutex_;
    std::condition_variable changed_; // formatted_, still_ or failure_ set
    bool formatted_ = false;
    std::optional<StillPicture> still_;
    std::optional<StreamFailure> failure_;

    // Last: closed (PipeWire's thread stopped) before anything above goes.
    PipeWireConnection connection_;
};

} // namespace

bool takePipeWireStill(int fd, uint32_t node, int waitMs, StillPicture* out,
                       GrabberErrors::Error* code, QString* errorText) {
    StillTaker taker;
    return taker.take(fd, node, waitMs, out, code, errorText);
}

} // namespace engine
