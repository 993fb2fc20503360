#pragma once

#include "media/engine/SessionClock.h"
#include "media/engine/Stages.h"

namespace engine {

// Grabs the screen on the ticks of the capture clock: the rows that changed, or nothing, plus
// a repeat every half second on a still screen. A pause holds the ticks.
//
// Threads: constructed on the thread that builds the session; run() on the capture thread
// only, until the stop or a failure, and it closes `out` when it ends.
class CaptureStage {
public:
    struct Links {
        SessionClock& clock;
        CapturedQueue& out;
        ImagePool& pool;
        StageCounters& counters;
        FailureReport& report;
    };
    CaptureStage(ImageSource& source, int64_t periodUs, Links links);

    void run();

private:
    // Moves `tick_` past the ticks the grab came too late for, and past a tick that finds the
    // conversion behind; false when the tick is to be grabbed.
    bool skipTick();

    ImageSource& source_;
    const int64_t periodUs_;
    Links links_;
    int64_t tick_ = 0;
    int64_t lastSent_ = -1;
};

} // namespace engine
