#pragma once

#include "media/engine/Timing.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace engine {

// One recording's clock: the time since start(), the pauses and the moment of the stop, with
// the waits the stages make on them. A pause or the stop wakes every waiter.
//
// Threads: start() on the thread that starts the recording, before any stage thread runs;
// every other method from any thread. The mutex guards the pauses and the stop only.
class SessionClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    void start() { origin_ = std::chrono::steady_clock::now(); }
    int64_t nowUs() const { return sinceStartUs(std::chrono::steady_clock::now()); }
    int64_t sinceStartUs(TimePoint at) const;

    // Waits until the clock reaches `us`; false once the stop was asked for.
    bool waitUntilOrStop(int64_t us);
    // Waits until the recording's time (the clock less the pauses) reaches `us`, however long
    // the pauses meanwhile; false once the stop was asked for.
    bool waitForRecordingTime(int64_t us);
    int64_t recordingNowUs() const;

    // False when there is nothing to do (already paused, not paused, stopping).
    bool pause();
    bool resume();
    // Marks the stop at this moment (at 0 when the recording never started); false when it
    // was marked before.
    bool requestStop(bool started);

    // The recording time the stop was asked at; -1 before the stop.
    int64_t stopAtUs() const;
    struct Snapshot {
        PauseTimeline pauses;
        int64_t stopAtUs = -1;    // on the recording's time
        int64_t stopClockUs = -1; // on the clock
    };
    Snapshot snapshot() const;
    // Time spent paused so far, a pause under way counted up to now (or to the stop).
    int64_t pausedUs() const;

private:
    TimePoint origin_;
    mutable std::mutex mutex_;
    std::condition_variable changed_; // a pause, a resume or the stop
    bool stopping_ = false;           // guarded by mutex_
    int64_t stopAtUs_ = -1;           // guarded by mutex_
    int64_t stopClockUs_ = -1;        // guarded by mutex_
    PauseTimeline pauses_;            // guarded by mutex_
};

} // namespace engine
