#pragma once

#include "media/AudioFormat.h"
#include "media/MediaTypes.h"
#include "media/engine/CaptureStage.h"
#include "media/engine/ConvertStage.h"
#include "media/engine/EncodeStage.h"
#include "media/engine/OutputFile.h"
#include "media/engine/SessionClock.h"
#include "media/engine/SoundStage.h"
#include "media/engine/Sources.h"
#include "media/engine/Stages.h"

#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace engine {

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

// One recording's threads, each running a stage:
//   capture (CaptureStage) -> captured pictures (bounded queue)
//   convert (ConvertStage) -> encoder input (bounded queue)
//   sound   (SoundStage, one thread per sound input) -> encoder input
//   encode  (EncodeStage: H.264/sound encoding, fragmented MP4)
// A pause stops the capture clock: nothing is grabbed, the sound that comes in meanwhile is
// dropped, and the recording goes on after the resume as if the pause had not been, on the
// pictures' and the sound's time alike.
// Created, started and told to stop on the GUI thread; finish() then runs on a thread of its
// own (it joins the others and rewrites the file), after which the session is destroyed
// there. The failure callback is called at most once, from whichever thread found the
// failure.
class Session {
public:
    using FailureCallback = FailureReport::Callback;
    using NoticeCallback = SoundLostNotice::Callback;

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

    // Any thread.
    RecorderStatistics statistics() const;

private:
    void joinStages();
    bool completeFile(EncoderErrors::Error* code, QString* errorText);

    SessionParts parts_;
    SessionClock clock_;
    StageCounters counters_;
    FailureReport report_;
    SoundLostNotice soundLost_;
    EndCount soundsEnded_;
    ImagePool pool_;
    CapturedQueue captured_;
    EncoderInput encoderInput_;

    std::unique_ptr<CaptureStage> capture_;
    std::unique_ptr<ConvertStage> convert_;
    std::unique_ptr<SoundStage> sound_[2];
    std::unique_ptr<EncodeStage> encode_;

    std::thread captureThread_;
    std::thread convertThread_;
    std::thread soundThreads_[2];
    std::thread encodeThread_;
    // Both only on the thread that owns the session at the time (see above).
    bool started_ = false;
    bool finished_ = false;
};

} // namespace engine
