#include "media/engine/SessionClock.h"

#include <algorithm>

namespace engine {

int64_t SessionClock::sinceStartUs(TimePoint at) const {
    return std::chrono::duration_cast<std::chrono::microseconds>(at - origin_).count();
}

bool SessionClock::waitUntilOrStop(int64_t us) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_until(lock, origin_ + std::chrono::microseconds(us),
                        [this] { return stopping_; });
    return !stopping_;
}

bool SessionClock::waitForRecordingTime(int64_t us) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopping_)
            return false;
        if (pauses_.paused()) {
            changed_.wait(lock);
            continue;
        }
        const int64_t due = us + pauses_.pausedUs();
        if (nowUs() >= due)
            return true;
        changed_.wait_until(lock, origin_ + std::chrono::microseconds(due));
    }
}

int64_t SessionClock::recordingNowUs() const {
    const int64_t now = nowUs();
    std::lock_guard<std::mutex> lock(mutex_);
    return pauses_.toRecording(now);
}

bool SessionClock::pause() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || !pauses_.pause(nowUs()))
            return false;
    }
    changed_.notify_all();
    return true;
}

bool SessionClock::resume() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || !pauses_.resume(nowUs()))
            return false;
    }
    changed_.notify_all();
    return true;
}

bool SessionClock::requestStop(bool started) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_)
            return false;
        stopping_ = true;
        stopClockUs_ = started ? nowUs() : 0;
        stopAtUs_ = pauses_.toRecording(stopClockUs_);
    }
    changed_.notify_all();
    return true;
}

int64_t SessionClock::stopAtUs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopAtUs_;
}

SessionClock::Snapshot SessionClock::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Snapshot{pauses_, stopAtUs_, stopClockUs_};
}

int64_t SessionClock::pausedUs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t paused = pauses_.pausedUs();
    if (pauses_.paused())
        paused += std::max<int64_t>(0, (stopClockUs_ >= 0 ? stopClockUs_ : nowUs()) -
                                           pauses_.pauses().back().start);
    return paused;
}

} // namespace engine
