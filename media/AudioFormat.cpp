#include "media/AudioFormat.h"

int AudioFormat::bytesPerSample() const {
    switch (format_) {
    case Format_U8:
    case Format_S8:
        return 1;
    case Format_S16LE:
    case Format_S16BE:
        return 2;
    case Format_S32LE:
    case Format_S32BE:
    case Format_FloatLE:
    case Format_FloatBE:
        return 4;
    }
    return 0;
}

EncoderGlobal::SampleFormat encoderSampleFormat(AudioFormat::Format format) {
    switch (format) {
    case AudioFormat::Format_U8:
        return EncoderGlobal::U8;
    case AudioFormat::Format_S16LE:
        return EncoderGlobal::S16;
    case AudioFormat::Format_S32LE:
        return EncoderGlobal::S32;
    case AudioFormat::Format_FloatLE:
        return EncoderGlobal::FLT;
    default:
        return EncoderGlobal::DefaultSampleFormat;
    }
}
