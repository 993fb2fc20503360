#include "media/engine/CaptureStage.h"

#include <algorithm>
#include <pthread.h>

namespace engine {
namespace {

// While the screen stays still no picture is encoded, but one goes out at least this often:
// players show the time and seek by pictures, and a picture waits for the next one to learn
// how long it lasts, so a recording cut off by a crash loses about this much of a still
// screen. Half a second matches the file's fragments; the repeated picture costs the encoder
// next to nothing.
constexpr int64_t kKeepAliveUs = 500000;

} // namespace

CaptureStage::CaptureStage(ImageSource& source, int64_t periodUs, Links links)
    : source_(source)
    , periodUs_(periodUs)
    , links_(links) {}

bool CaptureStage::skipTick() {
    // A picture grabbed late belongs to the tick of its time: it is shown for as long as it
    // was late, and the recording keeps the wall clock's time.
    const int64_t missed = missedTicks(links_.clock.recordingNowUs(), tick_, periodUs_);
    if (missed > 0) {
        links_.counters.dropped += missed;
        tick_ += missed;
    }
    if (!links_.out.full())
        return false;
    // Conversion is behind: skip this tick rather than pile up pictures. What changed
    // meanwhile is grabbed at the next tick.
    ++links_.counters.dropped;
    ++tick_;
    return true;
}

void CaptureStage::run() {
    pthread_setname_np(pthread_self(), "clipnest-grab");
    const int64_t keepAliveTicks = std::max<int64_t>(1, kKeepAliveUs / periodUs_);
    std::unique_ptr<RawImage> image; // kept when nothing changed
    // Ticks count the recording's time: a pause holds them, so that the still-screen repeats
    // and the late-picture logic see no gap.
    while (links_.clock.waitForRecordingTime(tick_ * periodUs_)) {
        if (skipTick())
            continue;
        if (!image)
            image = links_.pool.take();
        GrabberErrors::Error code = GrabberErrors::NoError;
        QString text;
        if (!source_.grab(*image, &code, &text)) {
            links_.report(FailureSource::Image, code, text);
            break;
        }
        // Nothing changed: the previous picture goes on, apart from one repeat every half
        // second.
        if (image->rows == 0 && lastSent_ >= 0 && tick_ - lastSent_ < keepAliveTicks) {
            ++tick_;
            continue;
        }
        // The first picture starts the video at zero, however late this thread got going
        // on a busy machine: it stands for the screen from the start of the recording on.
        image->tick = lastSent_ < 0 ? 0 : tick_;
        if (!links_.out.tryPush(image))
            break; // closed: the other threads are gone
        lastSent_ = tick_;
        ++tick_;
    }
    links_.out.close();
}

} // namespace engine
