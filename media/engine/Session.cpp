#include "media/engine/Session.h"

#include "media/engine/Remux.h"

namespace engine {
namespace {

// Two grabbed pictures may wait for conversion: more would only add delay, since a picture
// that cannot be queued is better dropped (and repeated) than grabbed late.
constexpr std::size_t kCapturedCapacity = 2;
// Buffers kept for reuse: one per queued picture, one being grabbed and one being converted;
// more would only hold memory.
constexpr std::size_t kSpareImages = kCapturedCapacity + 2;
// Converted pictures waiting for the encoder: enough to ride out a slow frame, few enough that
// stop() has little left to encode (each is also 3 MB at 1920 x 1080).
constexpr std::size_t kPicturesCapacity = 3;
// Sound chunks (20 ms each) waiting for the encoder: a second and a half, so the microphone
// is never held up while a picture is encoded.
constexpr std::size_t kSoundCapacity = 75;
// How long stop() waits for the sound of the recording's last moments. Microphones deliver
// every few tens of milliseconds, so this costs them nothing; sources that deliver in
// blocks (PulseAudio's fixed-latency sources use up to 2 s) would otherwise lose the end.
constexpr int64_t kSoundTailWaitUs = 2200000;

} // namespace

Session::Session(SessionParts parts, FailureCallback onFailure, NoticeCallback onSoundLost)
    : parts_(std::move(parts))
    , report_(std::move(onFailure))
    , soundLost_(std::move(onSoundLost))
    , pool_(kSpareImages)
    , captured_(kCapturedCapacity)
    , encoderInput_(kPicturesCapacity, parts_.secondSound ? 2 * kSoundCapacity : kSoundCapacity) {
    const int64_t periodUs = int64_t(parts_.periodMs) * 1000;
    if (parts_.image) {
        capture_ = std::make_unique<CaptureStage>(
            *parts_.image, periodUs,
            CaptureStage::Links{clock_, captured_, pool_, counters_, report_});
        convert_ = std::make_unique<ConvertStage>(
            *parts_.image, parts_.videoSize,
            ConvertStage::Links{captured_, encoderInput_, pool_, report_});
    }
    SoundSource* sources[2] = {parts_.sound.get(),
                               parts_.sound ? parts_.secondSound.get() : nullptr};
    for (int input = 0; input < 2; ++input)
        if (sources[input])
            sound_[input] = std::make_unique<SoundStage>(
                *sources[input], input, parts_.soundFormat,
                SoundStage::Links{clock_, encoderInput_, soundLost_, soundsEnded_});
    EncodeStage::Setup setup;
    setup.periodUs = periodUs;
    setup.sound = parts_.sound != nullptr;
    setup.soundInputs = sound_[1] ? 2 : (sound_[0] ? 1 : 0);
    setup.levels[0] = parts_.soundLevel;
    setup.levels[1] = parts_.secondSoundLevel;
    setup.soundFormat = parts_.soundFormat;
    encode_ = std::make_unique<EncodeStage>(
        *parts_.output, setup,
        EncodeStage::Links{clock_, encoderInput_, captured_, counters_, report_});
}

Session::~Session() {
    EncoderErrors::Error code = EncoderErrors::NoError;
    QString text;
    finish(&code, &text);
}

void Session::start() {
    clock_.start();
    started_ = true;
    encodeThread_ = std::thread(&EncodeStage::run, encode_.get());
    if (convert_) {
        convertThread_ = std::thread(&ConvertStage::run, convert_.get());
        captureThread_ = std::thread(&CaptureStage::run, capture_.get());
    }
    for (int input = 0; input < 2; ++input)
        if (sound_[input])
            soundThreads_[input] = std::thread(&SoundStage::run, sound_[input].get());
}

bool Session::pause() {
    return started_ && clock_.pause();
}

bool Session::resume() {
    return started_ && clock_.resume();
}

void Session::requestStop() {
    clock_.requestStop(started_);
}

void Session::joinStages() {
    if (captureThread_.joinable())
        captureThread_.join();
    if (convertThread_.joinable())
        convertThread_.join();
    if (soundThreads_[0].joinable()) {
        // The sound of the last moments may still be on its way (sources deliver in
        // blocks); it is waited for, up to a limit, rather than lost.
        const int threads = soundThreads_[1].joinable() ? 2 : 1;
        soundsEnded_.waitFor(threads, std::chrono::microseconds(kSoundTailWaitUs));
        parts_.sound->interrupt();
        if (soundThreads_[1].joinable())
            parts_.secondSound->interrupt();
        for (std::thread& thread : soundThreads_)
            if (thread.joinable())
                thread.join();
    }
    encoderInput_.close();
    if (encodeThread_.joinable())
        encodeThread_.join();
}

bool Session::completeFile(EncoderErrors::Error* code, QString* errorText) {
    OutputFile& out = *parts_.output;
    const bool complete = out.finish(encode_->endTick());
    if (!complete && out.errorCode() != EncoderErrors::NoError) {
        *code = out.errorCode();
        *errorText = out.errorText();
    }
    if (out.writeFailed())
        return false;
    QString remuxError;
    if (!remuxToFastStart(parts_.path, nullptr, &remuxError)) {
        *code = EncoderErrors::WriteError;
        *errorText = remuxError;
        return false;
    }
    return complete;
}

bool Session::finish(EncoderErrors::Error* code, QString* errorText) {
    if (finished_)
        return true;
    finished_ = true;
    requestStop();
    if (started_)
        joinStages();
    return completeFile(code, errorText);
}

RecorderStatistics Session::statistics() const {
    RecorderStatistics s;
    s.encodedFrames = counters_.encoded.load();
    s.droppedFrames = counters_.dropped.load();
    s.repeatedFrames = counters_.repeated.load();
    const int rate = parts_.soundFormat.sampleRate();
    s.silenceMs = rate > 0 ? counters_.silenceSamples.load() * 1000 / rate : 0;
    s.pausedMs = clock_.pausedUs() / 1000;
    return s;
}

} // namespace engine
