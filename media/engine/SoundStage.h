#pragma once

#include "media/AudioFormat.h"
#include "media/engine/SessionClock.h"
#include "media/engine/Stages.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace engine {

// Counts the sound threads that have ended, so that the stop can wait for the sound of the
// last moments. Any thread.
class EndCount {
public:
    void arrive();
    // Waits until `count` have arrived or `timeout` has passed.
    void waitFor(int count, std::chrono::microseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    int count_ = 0; // guarded by mutex_
};

// Tells, once a recording, that a sound source went away; any thread.
class SoundLostNotice {
public:
    using Callback = std::function<void(const QString& text)>;
    explicit SoundLostNotice(Callback callback)
        : callback_(std::move(callback)) {}
    void operator()(const QString& text);

private:
    const Callback callback_;
    std::atomic<bool> told_{false};
};

// Reads one sound input into chunks on the recording's time, or paces silence while the
// source is gone (looking for it again every second). After the stop it keeps the sound up to
// the moment of the stop and ends with the first chunk from past it.
//
// Threads: constructed on the thread that builds the session; run() on the sound thread of
// this input only. `ended` is counted when run() returns.
class SoundStage {
public:
    struct Links {
        SessionClock& clock;
        EncoderInput& out;
        SoundLostNotice& lost;
        EndCount& ended;
    };
    SoundStage(SoundSource& source, int input, const AudioFormat& format, Links links);

    void run();

private:
    enum class Next { Chunk, Again, End };
    // Fills `samples` and `clockStart` from the source or with silence.
    Next read(SoundChunk& chunk, std::vector<float>& samples, int64_t& clockStart);
    Next readSource(std::vector<float>& samples, int64_t& clockStart);
    Next paceSilence(SoundChunk& chunk, std::vector<float>& samples, int64_t& clockStart);
    // Places the samples on the recording's time, cutting out the pauses, and trims them at
    // the stop; true when this is the last chunk the input needs.
    bool place(SoundChunk& chunk, std::vector<float> samples, int64_t clockStart);

    SoundSource& source_;
    const int input_;
    const AudioFormat format_;
    const int channels_;
    const int rate_;
    const int frameBytes_;
    const int chunkFrames_;
    Links links_;
    PauseCutter cutter_;
    // Where the pauses cut is decided on the samples' count, not on their jittery
    // timestamps: the sound before a pause is then as long as the pictures before it.
    SoundClock sampleClock_;
    bool lost_ = false;
    int64_t nextRetryUs_ = 0;
    int64_t silentUntilUs_ = 0;
};

} // namespace engine
