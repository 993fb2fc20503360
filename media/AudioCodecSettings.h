#pragma once

#include "media/EncoderGlobal.h"

// Value type: the sound encoder's parameters, copied by Encoder::setAudioCodecSettings().
// Values of -1 leave the choice to the encoder (44100 Hz, 2 channels, 128 kbit/s).
class AudioCodecSettings {
public:
    AudioCodecSettings() = default;

    void setSampleRate(int rate) { sampleRate_ = rate; }
    int sampleRate() const { return sampleRate_; }

    void setChannelCount(int channels) { channelCount_ = channels; }
    int channelCount() const { return channelCount_; }

    // Format of the samples handed to the encoder: the sound grabber's layout (see
    // encoderSampleFormat()), or -1 for whatever it is; the encoder converts as its codec
    // needs. A recording with another format is refused.
    void setSampleFormat(EncoderGlobal::SampleFormat format) { sampleFormat_ = format; }
    EncoderGlobal::SampleFormat sampleFormat() const { return sampleFormat_; }

    void setBitRate(int bitsPerSecond) { bitRate_ = bitsPerSecond; }
    int bitRate() const { return bitRate_; }

private:
    int sampleRate_ = -1;
    int channelCount_ = -1;
    EncoderGlobal::SampleFormat sampleFormat_ = EncoderGlobal::DefaultSampleFormat;
    int bitRate_ = -1;
};
