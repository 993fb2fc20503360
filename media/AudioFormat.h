#pragma once

#include "media/EncoderGlobal.h"

// Value type: how the sound is read (sample layout, rate, channels), be it the microphone,
// the computer's sound or both.
class AudioFormat {
public:
    // Sample layouts. Recordings read Format_S16LE: a microphone's sound loses nothing in 16
    // bits, at half the data of the 32-bit layouts.
    enum Format {
        Format_U8 = 0,
        Format_S8 = 1,
        Format_S16LE = 2,
        Format_S16BE = 3,
        Format_S32LE = 4,
        Format_S32BE = 5,
        Format_FloatLE = 6,
        Format_FloatBE = 7
    };

    AudioFormat() = default;
    ~AudioFormat() = default;

    void setChannelCount(int channels) { channelCount_ = channels; }
    int channelCount() const { return channelCount_; }

    void setSampleRate(int rate) { sampleRate_ = rate; }
    int sampleRate() const { return sampleRate_; }

    void setFormat(Format format) { format_ = format; }
    Format format() const { return format_; }

    // Bytes of one sample of one channel, 0 for a value outside the enumeration.
    int bytesPerSample() const;

    bool operator==(const AudioFormat& other) const {
        return channelCount_ == other.channelCount_ && sampleRate_ == other.sampleRate_ &&
               format_ == other.format_;
    }
    bool operator!=(const AudioFormat& other) const { return !(*this == other); }

private:
    int channelCount_ = 2;
    int sampleRate_ = 44100;
    Format format_ = Format_S16LE;
};

// The encoder's name for a grabber's sample layout (the sound encoder is handed the samples as
// they come); DefaultSampleFormat for layouts it has no name for.
EncoderGlobal::SampleFormat encoderSampleFormat(AudioFormat::Format format);
