#pragma once

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/MediaTypes.h"
#include "media/VideoCodecSettings.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/H264Encoder.h"

#include <QSize>
#include <QString>

#include <memory>

namespace engine {

struct OutputSettings {
    QString path;
    bool video = true;
    bool sound = false;
    QSize videoSize; // the picture's size; encoded at evenSize() of it
    int periodMs = kPicturePeriodMs;
    VideoCodecSettings videoSettings;
    AudioCodecSettings audioSettings;
    EncoderGlobal::AudioCodec audioCodec = EncoderGlobal::MP3;
    AudioFormat soundFormat; // layout of the sound handed to writeSound()
};

// The encoders and the fragmented MP4 file of one recording. Opened on the GUI thread, then
// used only by the encoding thread and, once that has ended, by the thread that finishes the
// recording.
class OutputFile {
public:
    // Creates the file and writes its header. Null with *code and *errorText on failure.
    static std::unique_ptr<OutputFile> open(const OutputSettings& settings,
                                            EncoderErrors::Error* code, QString* errorText);
    ~OutputFile();

    // Encodes one picture (YUV 4:2:0 at the even size) for capture tick `tick`. Ticks may
    // leave gaps: the previous picture lasts until the next one (variable frame timing).
    // `unchanged` tells which of its macroblocks equal those of the picture written before
    // (null: any may have changed); the encoder spends next to nothing on those.
    bool writeVideo(const AVFrame* frame, int64_t tick, const UnchangedBlocks* unchanged = nullptr);
    // Appends sound in the input layout, or silence.
    bool writeSound(const uint8_t* data, int frames);
    bool writeSilence(int64_t frames);
    // Where the next sound handed over will be heard in the file, in samples from its start
    // (per channel): the encoder's start-up delay is accounted for, so that sound recorded
    // at time t is heard at time t.
    int64_t soundPosition() const;
    int soundRate() const { return settings_.soundFormat.sampleRate(); }
    // Plays the coming sound faster or slower by `ratio` (0.001: one sample in a thousand
    // more), to follow a sound card whose clock runs off; 0 plays it as it is.
    void setSoundStretch(double ratio);
    // Flushes the encoders and writes the trailer; the file is closed afterwards. The last
    // picture lasts until `endTick` (when later than it).
    bool finish(int64_t endTick = -1);

    EncoderErrors::Error errorCode() const { return errorCode_; }
    QString errorText() const { return errorText_; }
    // Whether the file on disk may end short of what was handed over (a write failed).
    bool writeFailed() const { return writeFailed_; }

private:
    explicit OutputFile(const OutputSettings& settings);
    bool openVideo();
    bool openSound();
    bool openResampler(int rate, int channels);
    bool encodeSoundFrames(bool flush);
    bool drain(AVCodecContext* codec, AVStream* stream);
    // Takes the coded picture in packet_ (time stamps in ticks) into the file's timeline.
    bool holdPicture();
    bool writePacket(AVPacket* packet);
    bool writeHeldPicture(int64_t nextDts);
    bool convertSound(const uint8_t* const* data, int frames);
    bool fail(EncoderErrors::Error code, const QString& text);
    bool writeError(int result);

    OutputSettings settings_;
    OutputContextPtr format_;
    std::unique_ptr<H264Encoder> h264_;
    AVRational videoTimeBase_{1, 1000}; // the capture clock's tick
    CodecContextPtr sound_;
    AVStream* videoStream_ = nullptr; // owned by format_
    AVStream* soundStream_ = nullptr; // owned by format_
    PacketPtr packet_;
    SwrPtr resampler_;
    AudioFifoPtr fifo_;
    FramePtr soundFrame_;
    // Sound samples the encoder's output starts late by (its priming): the first ones
    // handed over are dropped so that what follows is heard at its time.
    int64_t soundLead_ = 0;
    int64_t soundConverted_ = 0; // samples out of the resampler, in the file's timeline
    int64_t soundEncoded_ = 0;
    int stretchDelta_ = 0;
    // The latest coded picture waits here until the next one: its duration (how long it is
    // shown) is known only then, and a fragment must carry it.
    PacketPtr heldPicture_;
    // Time stamp of the first picture written since a fragment last went to the disk.
    int64_t unflushedFrom_ = AV_NOPTS_VALUE;
    bool finished_ = false;
    bool writeFailed_ = false;
    EncoderErrors::Error errorCode_ = EncoderErrors::NoError;
    QString errorText_;
};

} // namespace engine
