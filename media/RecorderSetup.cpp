#include "media/RecorderSetup.h"

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Recorder.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"

#include "core/Translate.h"

namespace {

// The recorder's own refusals: shown through its encoder's error().
constexpr TranslationContext kTr{"Recorder"};

} // namespace

void setUpRecorder(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio,
                   const RecorderSetup& setup) {
    screen.setLatency(setup.periodMs);
    screen.setDrawPointer(setup.drawPointer);
    screen.setDrawClicks(setup.drawClicks);

    AudioFormat format;
    format.setChannelCount(setup.soundChannels);
    format.setSampleRate(setup.soundSampleRate);
    format.setFormat(AudioFormat::Format_S16LE);
    audio.setDeviceIndex(0);
    audio.setFormat(format);

    AudioCodecSettings sound;
    sound.setSampleRate(audio.format().sampleRate());
    sound.setChannelCount(audio.format().channelCount());
    sound.setSampleFormat(encoderSampleFormat(audio.format().format()));

    Encoder* encoder = recorder.encoder();
    encoder->setVideoCodecSettings(screenRecordingVideoSettings());
    encoder->setAudioCodecSettings(sound);
    encoder->setVideoCodec(EncoderGlobal::H264);
    encoder->setAudioCodec(EncoderGlobal::MP3);
    encoder->setOutputPixelFormat(EncoderGlobal::YUV420P);
    recorder.setImageGrabber(&screen);
    recorder.setAudioGrabber(&audio);
}

void aimRecorder(Recorder& recorder, ScreenGrabber& screen, const QRect& area, const QString& path,
                 bool withSound) {
    Encoder* encoder = recorder.encoder();
    encoder->setFilePath(path);
    screen.setCaptureRect(area);
    encoder->setVideoSize(area.size());
    encoder->setEncodingMode(withSound ? Encoder::VideoAudioMode : Encoder::VideoMode);
}

SetupFault checkEncoderChoices(const Encoder& encoder, bool withPicture, bool withSound,
                               AudioFormat::Format soundFormat) {
    if (withPicture && encoder.videoCodec() != EncoderGlobal::H264)
        return {Encoder::InvalidSettingsError,
                kTr.tr("Video codec %1 is not available; use H.264.").arg(encoder.videoCodec())};
    if (withPicture && encoder.outputPixelFormat() != EncoderGlobal::YUV420P)
        return {Encoder::InvalidSettingsError,
                kTr.tr("Pixel format %1 is not available; use YUV 4:2:0.")
                    .arg(encoder.outputPixelFormat())};
    if (withSound && encoder.audioCodec() != EncoderGlobal::MP3 &&
        encoder.audioCodec() != EncoderGlobal::AAC)
        return {
            Encoder::InvalidSettingsError,
            kTr.tr("Audio codec %1 is not available; use MP3 or AAC.").arg(encoder.audioCodec())};
    // The sound encoder is handed the grabber's samples as they come. A layout the encoder
    // has no name for is the sound grabber's to refuse, as one it cannot read.
    const EncoderGlobal::SampleFormat samples = encoder.audioCodecSettings().sampleFormat();
    const EncoderGlobal::SampleFormat grabbed = encoderSampleFormat(soundFormat);
    if (withSound && samples != EncoderGlobal::DefaultSampleFormat &&
        grabbed != EncoderGlobal::DefaultSampleFormat && samples != grabbed)
        return {Encoder::InvalidSettingsError,
                kTr.tr("Sample format %1 is not the sound grabber's; leave it to the encoder.")
                    .arg(samples)};
    return {};
}
