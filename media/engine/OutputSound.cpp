#include "media/engine/OutputFile.h"

#include "core/Translate.h"
#include "media/engine/Timing.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// The sound half of the output file: its encoder, the resampler in front of it and the
// samples waiting for a whole encoder frame.
namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

// Audio bit rate when the settings leave it open: transparent for speech at 44.1 kHz stereo.
constexpr int kDefaultSoundBitRate = 128000;

// libavcodec's numbers are the encoder settings' own; layouts it has no name for are read as
// 16-bit.
AVSampleFormat inputSampleFormat(AudioFormat::Format format) {
    const EncoderGlobal::SampleFormat known = encoderSampleFormat(format);
    return known == EncoderGlobal::DefaultSampleFormat ? AV_SAMPLE_FMT_S16 : AVSampleFormat(known);
}

} // namespace

bool OutputFile::openSound() {
    const char* name = settings_.audioCodec == EncoderGlobal::AAC ? "aac" : "libmp3lame";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        return fail(
            EncoderErrors::EncodingError,
            kTr.tr("The sound encoder (%1) is not available.").arg(QString::fromLatin1(name)));
    const AudioCodecSettings& s = settings_.audioSettings;
    const AudioFormat& in = settings_.soundFormat;
    const int rate = s.sampleRate() > 0 ? s.sampleRate() : 44100;
    const int channels = s.channelCount() > 0 ? s.channelCount() : in.channelCount();
    if (channels < 1 || channels > 2)
        return fail(EncoderErrors::InvalidSettingsError,
                    kTr.tr("Sound with %1 channels cannot be encoded; use 1 or 2.").arg(channels));
    if (rate != in.sampleRate())
        return fail(
            EncoderErrors::InvalidSettingsError,
            kTr.tr("The sound is read at %1 Hz but should be encoded at %2 Hz; use the same "
                   "rate for both.")
                .arg(in.sampleRate())
                .arg(rate));
    sound_.reset(avcodec_alloc_context3(codec));
    sound_->sample_rate = rate;
    av_channel_layout_default(&sound_->ch_layout, channels);
    sound_->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    sound_->bit_rate = s.bitRate() > 0 ? s.bitRate() : kDefaultSoundBitRate;
    sound_->time_base = AVRational{1, rate};
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        sound_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(sound_.get(), codec, nullptr);
    if (opened < 0)
        return fail(EncoderErrors::EncodingError,
                    kTr.tr("The sound encoder refused the settings: %1.").arg(avErrorText(opened)));
    soundStream_ = avformat_new_stream(format_.get(), nullptr);
    if (!soundStream_ || avcodec_parameters_from_context(soundStream_->codecpar, sound_.get()) < 0)
        return fail(EncoderErrors::EncodingError, kTr.tr("Cannot add the sound to the MP4 file."));
    soundStream_->time_base = sound_->time_base;

    return openResampler(rate, channels);
}

bool OutputFile::openResampler(int rate, int channels) {
    const AudioFormat& in = settings_.soundFormat;
    AVChannelLayout inLayout;
    av_channel_layout_default(&inLayout, in.channelCount());
    SwrContext* swr = nullptr;
    int result = swr_alloc_set_opts2(&swr, &sound_->ch_layout, sound_->sample_fmt, rate, &inLayout,
                                     inputSampleFormat(in.format()), in.sampleRate(), 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    resampler_.reset(swr);
    // The resampler runs even at equal rates, so that the sound can be stretched a little at
    // any time (setSoundStretch) without starting over.
    if (result >= 0)
        result = av_opt_set_int(swr, "flags", SWR_FLAG_RESAMPLE, 0);
    if (result < 0 || (result = swr_init(swr)) < 0)
        return fail(
            EncoderErrors::EncodingError,
            kTr.tr("Cannot convert the sound for the encoder: %1.").arg(avErrorText(result)));
    // The encoder's first samples are its priming: what it is given is heard that much later.
    soundLead_ = std::max(0, sound_->initial_padding);
    fifo_.reset(av_audio_fifo_alloc(sound_->sample_fmt, channels,
                                    sound_->frame_size > 0 ? sound_->frame_size * 4 : 4096));
    soundFrame_.reset(av_frame_alloc());
    if (!fifo_ || !soundFrame_)
        return fail(EncoderErrors::EncodingError, kTr.tr("Out of memory."));
    return true;
}

int64_t OutputFile::soundPosition() const {
    if (!sound_)
        return 0;
    return soundConverted_ + swr_get_delay(resampler_.get(), sound_->sample_rate) + soundLead_;
}

void OutputFile::setSoundStretch(double ratio) {
    if (!sound_)
        return;
    // Applied over the next ten seconds (renewed with every piece of sound): a distance this
    // long makes the step of one sample a fine enough step of speed (2 ppm).
    const int distance = sound_->sample_rate * 10;
    const int delta = int(std::lround(ratio * distance));
    if (delta == stretchDelta_)
        return;
    if (swr_set_compensation(resampler_.get(), delta, delta == 0 ? 0 : distance) >= 0)
        stretchDelta_ = delta;
}

bool OutputFile::writeSound(const uint8_t* data, int frames) {
    if (!sound_ || errorCode_ != EncoderErrors::NoError)
        return false;
    if (frames <= 0)
        return true;
    const uint8_t* in[1] = {data};
    return convertSound(in, frames) && encodeSoundFrames(false);
}

// Runs `frames` input samples (or, with `data` null, what the resampler still holds) through
// the resampler into the queue of the encoder.
bool OutputFile::convertSound(const uint8_t* const* data, int frames) {
    const int outCapacity = swr_get_out_samples(resampler_.get(), frames);
    if (outCapacity <= 0)
        return true;
    const int channels = sound_->ch_layout.nb_channels;
    const int bytes =
        av_samples_get_buffer_size(nullptr, channels, outCapacity, sound_->sample_fmt, 1);
    if (bytes < 0)
        return fail(EncoderErrors::EncodingError, kTr.tr("Converting the sound failed."));
    std::vector<uint8_t> buffer(static_cast<size_t>(bytes));
    std::vector<uint8_t*> planes(size_t(channels), nullptr);
    if (av_samples_fill_arrays(planes.data(), nullptr, buffer.data(), channels, outCapacity,
                               sound_->sample_fmt, 1) < 0)
        return fail(EncoderErrors::EncodingError, kTr.tr("Converting the sound failed."));
    const int converted = swr_convert(resampler_.get(), planes.data(), outCapacity,
                                      const_cast<const uint8_t**>(data), data ? frames : 0);
    bool ok = converted >= 0;
    if (ok && converted > 0)
        ok = av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes.data()), converted) ==
             converted;
    if (!ok)
        return fail(EncoderErrors::EncodingError, kTr.tr("Converting the sound failed."));
    soundConverted_ += converted;
    return true;
}

bool OutputFile::writeSilence(int64_t frames) {
    const AudioFormat& in = settings_.soundFormat;
    // Silence in chunks of a tenth of a second keeps the buffer small.
    const int chunk = std::max(1, in.sampleRate() / 10);
    const int frameBytes = in.bytesPerSample() * in.channelCount();
    const uint8_t zero = in.format() == AudioFormat::Format_U8 ? 0x80 : 0;
    std::vector<uint8_t> silence(size_t(chunk) * size_t(frameBytes), zero);
    while (frames > 0) {
        const int n = int(std::min<int64_t>(frames, chunk));
        if (!writeSound(silence.data(), n))
            return false;
        frames -= n;
    }
    return true;
}

bool OutputFile::encodeSoundFrames(bool flush) {
    const int frameSize = sound_->frame_size > 0 ? sound_->frame_size : 1024;
    for (;;) {
        int available = av_audio_fifo_size(fifo_.get());
        if (available <= 0 || (available < frameSize && !flush))
            return true;
        int n = std::min(available, frameSize);
        AVFrame* frame = soundFrame_.get();
        av_frame_unref(frame);
        frame->format = sound_->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &sound_->ch_layout);
        frame->sample_rate = sound_->sample_rate;
        // Codecs without a short last frame get the end padded with silence.
        const bool shortAllowed = sound_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
        frame->nb_samples = (n < frameSize && !shortAllowed) ? frameSize : n;
        if (av_frame_get_buffer(frame, 0) < 0)
            return fail(EncoderErrors::EncodingError, kTr.tr("Out of memory."));
        av_samples_set_silence(frame->extended_data, 0, frame->nb_samples,
                               sound_->ch_layout.nb_channels, sound_->sample_fmt);
        if (av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), n) != n)
            return fail(EncoderErrors::EncodingError, kTr.tr("Converting the sound failed."));
        // Counted from the encoder's priming, so that its packets start at zero.
        frame->pts = soundEncoded_ + soundLead_;
        soundEncoded_ += frame->nb_samples;
        const int sent = avcodec_send_frame(sound_.get(), frame);
        if (sent < 0)
            return fail(EncoderErrors::EncodingError,
                        kTr.tr("The sound encoder failed: %1.").arg(avErrorText(sent)));
        if (!drain(sound_.get(), soundStream_))
            return false;
    }
}

} // namespace engine
