#include "media/engine/EncodeStage.h"

#include "core/Translate.h"

#include <algorithm>
#include <pthread.h>

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

} // namespace

EncodeStage::EncodeStage(OutputFile& out, const Setup& setup, Links links)
    : out_(out)
    , setup_(setup)
    , links_(links)
    , soundAligner_(soundLimits(setup.soundFormat.sampleRate())) {
    if (setup.soundInputs == 2)
        mixer_ = std::make_unique<SoundMixer>(setup.soundFormat.sampleRate(),
                                              setup.soundFormat.channelCount(),
                                              std::vector<float>{setup.levels[0], setup.levels[1]},
                                              soundLimits(setup.soundFormat.sampleRate()));
}

bool EncodeStage::encodeCopy(int64_t tick) {
    FramePtr copy(av_frame_clone(lastPicture_.get()));
    if (!copy) {
        failure_ = EncoderErrors::EncodingError;
        failureText_ = kTr.tr("Out of memory: a screen picture could not be repeated.");
        return false;
    }
    const QSize grid = macroblockGrid(QSize(copy->width, copy->height));
    allUnchanged_.resize(size_t(grid.width()) * size_t(grid.height()), 1);
    if (!out_.writeVideo(copy.get(), tick, &allUnchanged_))
        return false;
    ++links_.counters.repeated;
    ++links_.counters.encoded;
    lastTick_ = tick;
    return true;
}

bool EncodeStage::encodePicture(Picture& picture) {
    if (!picture.frame)
        return !lastPicture_ || picture.tick <= lastTick_ || encodeCopy(picture.tick);
    const bool ok = out_.writeVideo(picture.frame.get(), picture.tick,
                                    picture.unchanged.empty() ? nullptr : &picture.unchanged);
    ++links_.counters.encoded;
    lastTick_ = picture.tick;
    lastPicture_ = std::move(picture.frame);
    return ok;
}

bool EncodeStage::writeSound(const float* samples, int64_t frames) {
    const AudioFormat& format = setup_.soundFormat;
    const int64_t count = frames * std::max(1, format.channelCount());
    std::vector<uint8_t> bytes(size_t(count) * size_t(std::max(1, format.bytesPerSample())));
    floatToSamples(samples, count, int(format.format()), bytes.data());
    return out_.writeSound(bytes.data(), int(frames));
}

int64_t EncodeStage::framesBeforeStop(int64_t frames) {
    // After the stop the sound ends where the pictures end, wherever the chunks' jittery
    // timestamps put the last of them.
    const int64_t stopAtUs = links_.clock.stopAtUs();
    if (stopAtUs < 0)
        return frames;
    return std::min<int64_t>(frames, stopAtUs * out_.soundRate() / 1000000 - out_.soundPosition());
}

bool EncodeStage::encodeSound(const SoundChunk& chunk) {
    if (mixer_)
        return mixSound(&chunk);
    const int64_t start = chunk.startUs * out_.soundRate() / 1000000;
    const SoundPlacement place = soundAligner_.place(out_.soundPosition(), start, chunk.frames);
    out_.setSoundStretch(place.stretch);
    if (place.silenceBefore > 0) {
        links_.counters.silenceSamples += place.silenceBefore;
        if (!out_.writeSilence(place.silenceBefore))
            return false;
    }
    const int64_t frames = framesBeforeStop(chunk.frames - place.skip);
    if (frames <= 0)
        return true;
    if (chunk.silent)
        links_.counters.silenceSamples += frames;
    const int channels = std::max(1, setup_.soundFormat.channelCount());
    return writeSound(chunk.samples.data() + place.skip * channels, frames);
}

bool EncodeStage::mixSound(const SoundChunk* chunk) {
    const int rate = out_.soundRate();
    if (chunk && !mixer_->add(chunk->input, chunk->samples.data(), chunk->frames,
                              chunk->startUs * rate / 1000000, out_.soundPosition()))
        return false;
    std::vector<float> mixed;
    const int64_t frames = framesBeforeStop(mixer_->take(mixed, chunk == nullptr));
    if (frames <= 0)
        return true;
    return writeSound(mixed.data(), frames);
}

bool EncodeStage::finishTracks() {
    // The last picture stays until the moment of the stop: a copy of it on the last tick
    // before gives the file its full length (the file's last frame lasts one tick whatever
    // it is given, as players read it).
    if (endTick_ >= 0 && lastTick_ < endTick_ - 1 && !encodeCopy(endTick_ - 1))
        return false;
    if (mixer_ && !mixSound(nullptr))
        return false;
    // With picture and sound, the sound runs to the end of the last picture.
    if (setup_.sound && endTick_ >= 0) {
        const int64_t end = endTick_ * setup_.periodUs * out_.soundRate() / 1000000;
        if (end > out_.soundPosition()) {
            links_.counters.silenceSamples += end - out_.soundPosition();
            return out_.writeSilence(end - out_.soundPosition());
        }
    }
    return true;
}

void EncodeStage::fail() {
    if (failure_ == EncoderErrors::NoError) {
        failure_ = out_.errorCode();
        failureText_ = out_.errorText();
    }
    links_.report(FailureSource::Output, failure_, failureText_);
    // Producers must not wait for an encoder that is gone.
    links_.in.close();
    links_.captured.close();
}

void EncodeStage::run() {
    pthread_setname_np(pthread_self(), "clipnest-encode");
    bool ok = true;
    Picture picture;
    std::unique_ptr<SoundChunk> sound;
    while (ok && links_.in.pop(&picture, &sound)) {
        ok = encodePicture(picture);
        if (ok && sound) {
            ok = encodeSound(*sound);
            if (!ok && mixer_ && out_.errorCode() == EncoderErrors::NoError) {
                failure_ = EncoderErrors::EncodingError;
                failureText_ = kTr.tr("Mixing the sound inputs failed.");
            }
        }
        picture = Picture();
        sound.reset();
    }
    // The pictures end at the moment of the stop, also after a failure: the file is finished
    // up to there.
    const int64_t stopAtUs = links_.clock.stopAtUs();
    if (lastTick_ >= 0 && stopAtUs > 0)
        endTick_ = std::max(lastTick_ + 1, (stopAtUs - 1) / setup_.periodUs + 1);
    if (ok)
        ok = finishTracks();
    if (!ok)
        fail();
}

} // namespace engine
