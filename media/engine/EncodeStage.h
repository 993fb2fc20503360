#pragma once

#include "media/AudioFormat.h"
#include "media/engine/OutputFile.h"
#include "media/engine/SessionClock.h"
#include "media/engine/SoundMixer.h"
#include "media/engine/Stages.h"

#include <QString>

#include <memory>

namespace engine {

// Encodes the pictures and the sound into the output file as they come, mixing the two sound
// inputs when there are two; at the end it holds the last picture until the moment of the stop
// and lets the sound run to the end of it. On a failure it reports and closes both queues, so
// that no producer waits for it.
//
// Threads: constructed on the thread that builds the session; run() on the encode thread
// only; endTick() once that thread has been joined.
class EncodeStage {
public:
    struct Links {
        SessionClock& clock;
        EncoderInput& in;
        CapturedQueue& captured;
        StageCounters& counters;
        FailureReport& report;
    };
    struct Setup {
        int64_t periodUs = 0;
        bool sound = false;
        int soundInputs = 0;
        float levels[2] = {1, 1};
        AudioFormat soundFormat;
    };
    EncodeStage(OutputFile& out, const Setup& setup, Links links);

    void run();
    // Where the pictures end, in capture ticks; -1 without pictures.
    int64_t endTick() const { return endTick_; }

private:
    bool encodePicture(Picture& picture);
    // Shows the last picture again at `tick`: the same frame, every block marked unchanged,
    // which x264 codes as skipped blocks without looking at them.
    bool encodeCopy(int64_t tick);
    bool encodeSound(const SoundChunk& chunk);
    // Mixes a chunk of one input in (null: the end, everything left) and writes the mix.
    bool mixSound(const SoundChunk* chunk);
    bool writeSound(const float* samples, int64_t frames);
    // Sound frames that may still be written before the moment of the stop.
    int64_t framesBeforeStop(int64_t frames);
    bool finishTracks();
    void fail();

    OutputFile& out_;
    const Setup setup_;
    Links links_;
    SoundAligner soundAligner_;
    std::unique_ptr<SoundMixer> mixer_; // with two sound inputs
    int64_t lastTick_ = -1;
    FramePtr lastPicture_;
    UnchangedBlocks allUnchanged_;
    EncoderErrors::Error failure_ = EncoderErrors::NoError;
    QString failureText_;
    int64_t endTick_ = -1;
};

} // namespace engine
