#pragma once

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/MediaTypes.h"
#include "media/VideoCodecSettings.h"
#include "media/engine/Ffmpeg.h"

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

    // Encodes one picture (YUV 4:2:0 at the even size) for capture tick `tick`.
    bool writeVideo(AVFrame* frame, int64_t tick);
    // Appends sound in the input layout, or silence.
    bool writeSound(const uint8_t* data, int frames);
    bool writeSilence(int64_t frames);
    // Sound written so far, in input samples (per channel).
    int64_t soundPosition() const { return soundPosition_; }
    int soundRate() const { return settings_.soundFormat.sampleRate(); }
    // Flushes the encoders and writes the trailer; the file is closed afterwards.
    bool finish();

    EncoderErrors::Error errorCode() const { return errorCode_; }
    QString errorText() const { return errorText_; }
    // Whether the file on disk may end short of what was handed over (a write failed).
    bool writeFailed() const { return writeFailed_; }

private:
    explicit OutputFile(const OutputSettings& settings);
    bool openVideo();
    bool openSound();
    bool encodeSoundFrames(bool flush);
    bool drain(AVCodecContext* codec, AVStream* stream);
    bool fail(EncoderErrors::Error code, const QString& text);
    bool writeError(int result);

    OutputSettings settings_;
    OutputContextPtr format_;
    CodecContextPtr video_;
    CodecContextPtr sound_;
    AVStream* videoStream_ = nullptr; // owned by format_
    AVStream* soundStream_ = nullptr; // owned by format_
    PacketPtr packet_;
    SwrPtr resampler_;
    AudioFifoPtr fifo_;
    FramePtr soundFrame_;
    int64_t soundPosition_ = 0;
    int64_t soundEncoded_ = 0;
    bool finished_ = false;
    bool writeFailed_ = false;
    EncoderErrors::Error errorCode_ = EncoderErrors::NoError;
    QString errorText_;
};

} // namespace engine
