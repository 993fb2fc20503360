#pragma once

#include "media/AudioFormat.h"
#include "media/MediaTypes.h"
#include "media/engine/BoundedQueue.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/OutputFile.h"
#include "media/engine/SoundMixer.h"
#include "media/engine/Sources.h"
#include "media/engine/Timing.h"
#include "media/engine/UnchangedBlocks.h"

#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

// Where a failure during a recording came from.
enum class FailureSource { Image, Sound, Output };

struct SessionParts {
    std::unique_ptr<ImageSource> image; // null: no picture
    std::unique_ptr<SoundSource> sound; // null: no sound
    // Mixed with `sound` into the one track when set (the computer's sound beside the
    // microphone); each at its own level.
    std::unique_ptr<SoundSource> secondSound;
    float soundLevel = 1;
    float secondSoundLevel = 1;
    std::unique_ptr<OutputFile> output;
    QString path;
    int periodMs = kPicturePeriodMs;
    QSize videoSize;
    AudioFormat soundFormat;
};

// One recording's threads:
//   capture (ticks of the capture clock; grabs the rows that changed, or nothing, plus a
//            repeat every half second on a still screen) -> captured pictures (bounded queue)
//   convert (the changed rows from RGB into a kept YUV 4:2:0 picture, even size; a copy of
//            it per picture)                         -> encoder input (bounded queue)
//   sound   (reads the microphone, or paces silence while it is gone; one thread per sound
//            input) -> encoder input
//   encode  (H.264/sound encoding, fragmented MP4; mixes the sound inputs when there are two)
// A pause stops the capture clock: nothing is grabbed, the sound that comes in meanwhile is
// dropped, and the recording goes on after the resume as if the pause had not been, on the
// pictures' and the sound's time alike.
// Created, started and told to stop on the GUI thread; finish() then runs on a thread of its
// own (it joins the others and rewrites the file), after which the session is destroyed
// there. The failure callback is called at most once, from whichever thread found the
// failure.
class Session {
public:
    using FailureCallback = std::function<void(FailureSource, int code, const QString& text)>;
    using NoticeCallback = std::function<void(const QString& text)>;

    // `onSoundLost` is called, at most once, from a sound thread when a sound source goes
    // away; the recording goes on with silence in its place.
    Session(SessionParts parts, FailureCallback onFailure, NoticeCallback onSoundLost = {});
    ~Session();

    void start();
    // Marks the moment the recording ends and tells the threads to wind down; returns at
    // once. Only start() may come before it.
    void requestStop();
    // Pause and resume the recording at this moment; return at once. False when there is
    // nothing to do (already paused, not paused, stopping). Only between start() and
    // requestStop().
    bool pause();
    bool resume();
    // Ends grabbing (requestStop() if that was not done), waits for the sound of the last
    // moments, encodes what is queued, closes the file and turns it into an ordinary MP4.
    // Returns false with the output's error when the file could not be completed. Blocks for
    // as long as that takes: never on the GUI thread.
    bool finish(EncoderErrors::Error* code, QString* errorText);

    RecorderStatistics statistics() const;

private:
    struct SoundChunk {
        std::vector<float> samples; // interleaved
        int frames = 0;
        int64_t startUs = 0; // on the recording's time (the clock less the pauses)
        int input = 0;
        bool silent = false; // stands in for a lost source
    };
    struct Picture {
        FramePtr frame;
        int64_t tick = 0;
        // The blocks of `frame` that equal the picture before it; empty: any may differ.
        UnchangedBlocks unchanged;
    };

    int64_t nowUs() const;
    bool waitUntilOrStop(int64_t us);
    // Waits until the recording's time reaches `us`, however long the pauses meanwhile.
    bool waitForRecordingTime(int64_t us);
    int64_t recordingNowUs() const;
    void report(FailureSource source, int code, const QString& text);

    void captureLoop();
    void convertLoop();
    void soundLoop(int input);
    void encodeLoop();
    bool encodeSound(const SoundChunk& chunk);
    // Mixes a chunk of one input in (null: the end, everything left) and writes the mix.
    bool mixSound(const SoundChunk* chunk);
    bool writeSound(const float* samples, int64_t frames);
    std::unique_ptr<RawImage> takeSpareImage();
    void giveBackImage(std::unique_ptr<RawImage> image);

    SessionParts parts_;
    FailureCallback onFailure_;
    NoticeCallback onSoundLost_;
    std::chrono::steady_clock::time_point origin_;
    int64_t periodUs_;

    BoundedQueue<std::unique_ptr<RawImage>> captured_;
    TwoLaneQueue<Picture, std::unique_ptr<SoundChunk>> encoderInput_;
    SoundAligner soundAligner_;         // used by the encode thread only
    std::unique_ptr<SoundMixer> mixer_; // two sound inputs; used by the encode thread only

    // Converted pictures' buffers go back to the capture thread: grabbing into a buffer that is
    // already mapped saves allocating and clearing 8 MB for every picture.
    std::mutex spareMutex_;
    std::vector<std::unique_ptr<RawImage>> spareImages_; // guarded by spareMutex_

    mutable std::mutex stopMutex_;
    std::condition_variable stopCondition_;
    bool stopping_ = false;    // guarded by stopMutex_
    int64_t stopAtUs_ = -1;    // guarded by stopMutex_: the recording time stop() was asked at
    int64_t stopClockUs_ = -1; // guarded by stopMutex_: the same on the clock
    int soundsDone_ = 0;       // guarded by stopMutex_: sound threads that have ended
    PauseTimeline pauses_;     // guarded by stopMutex_

    std::thread captureThread_;
    std::thread convertThread_;
    std::thread soundThread_;
    std::thread secondSoundThread_;
    std::thread encodeThread_;
    bool started_ = false;
    bool finished_ = false;
    // Where the pictures end, in capture ticks: set by the encode thread when it ends, read by
    // finish() after joining it.
    int64_t endTick_ = -1;

    std::atomic<bool> failed_{false};
    std::atomic<bool> soundLost_{false};
    std::atomic<int64_t> encoded_{0};
    std::atomic<int64_t> dropped_{0};
    std::atomic<int64_t> repeated_{0};
    std::atomic<int64_t> silenceSamples_{0};
};

} // namespace engine
