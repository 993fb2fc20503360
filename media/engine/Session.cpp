#include "media/engine/Session.h"

#include "media/engine/Remux.h"
#include "media/engine/Timing.h"

#include <QCoreApplication>
#include <QDebug>

#include <cstring>

namespace engine {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Encoder", text);
}

// Two grabbed pictures may wait for conversion: more would only add delay, since a picture
// that cannot be queued is better dropped (and repeated) than grabbed late.
constexpr std::size_t kCapturedCapacity = 2;
// Converted pictures waiting for the encoder: enough to ride out a slow frame, few enough that
// stop() has little left to encode (each is also 3 MB at 1920 x 1080).
constexpr std::size_t kPicturesCapacity = 3;
// Sound chunks (20 ms each) waiting for the encoder: a second and a half, so the microphone
// is never held up while a picture is encoded.
constexpr std::size_t kSoundCapacity = 75;
// Sound that is off the capture clock by less than this is taken as it is (scheduling
// jitter); beyond it silence is inserted or sound dropped to catch up.
constexpr int64_t kSoundToleranceUs = 60000;
// Length of one piece of silence while the microphone is gone.
constexpr int64_t kSoundChunkUs = 20000;
// How often a lost microphone is looked for again.
constexpr int64_t kSoundRetryUs = 1000000;

} // namespace

Session::Session(SessionParts parts, FailureCallback onFailure)
    : parts_(std::move(parts))
    , onFailure_(std::move(onFailure))
    , periodUs_(int64_t(parts_.periodMs) * 1000)
    , captured_(kCapturedCapacity)
    , encoderInput_(kPicturesCapacity, kSoundCapacity) {}

Session::~Session() {
    Encoder::Error code = Encoder::NoError;
    QString text;
    finish(&code, &text);
}

int64_t Session::nowUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 origin_)
        .count();
}

bool Session::waitUntilOrStop(int64_t us) {
    std::unique_lock<std::mutex> lock(stopMutex_);
    stopCondition_.wait_until(lock, origin_ + std::chrono::microseconds(us),
                              [this] { return stopping_; });
    return !stopping_;
}

void Session::report(FailureSource source, int code, const QString& text) {
    bool expected = false;
    if (failed_.compare_exchange_strong(expected, true) && onFailure_)
        onFailure_(source, code, text);
}

void Session::start() {
    origin_ = std::chrono::steady_clock::now();
    started_ = true;
    encodeThread_ = std::thread(&Session::encodeLoop, this);
    if (parts_.image) {
        convertThread_ = std::thread(&Session::convertLoop, this);
        captureThread_ = std::thread(&Session::captureLoop, this);
    }
    if (parts_.sound)
        soundThread_ = std::thread(&Session::soundLoop, this);
}

void Session::captureLoop() {
    int64_t tick = 0;
    while (waitUntilOrStop(tick * periodUs_)) {
        const int64_t missed = missedTicks(nowUs(), tick, periodUs_);
        if (missed > 0) {
            dropped_ += missed;
            tick += missed;
        }
        if (captured_.full()) {
            // Conversion is behind: skip this tick rather than pile up pictures.
            ++dropped_;
            ++tick;
            continue;
        }
        auto image = std::make_unique<RawImage>();
        AbstractGrabber::Error code = AbstractGrabber::NoError;
        QString text;
        if (!parts_.image->grab(*image, &code, &text)) {
            report(FailureSource::Image, code, text);
            break;
        }
        image->tick = tick;
        if (!captured_.tryPush(image))
            ++dropped_;
        ++tick;
    }
    captured_.close();
}

void Session::convertLoop() {
    const QSize source = parts_.image->size();
    const QSize picture = parts_.videoSize;
    const QSize even = evenSize(picture);
    // Bilinear only matters when the picture is scaled; for the usual 1:1 copy it is exact.
    SwsPtr scaler(sws_getContext(source.width(), source.height(),
                                 AVPixelFormat(parts_.image->pixelFormat()), picture.width(),
                                 picture.height(), AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                 nullptr, nullptr));
    if (!scaler) {
        report(FailureSource::Output, Encoder::EncodingError,
               tr("Cannot convert the screen pictures for the encoder."));
        captured_.close();
        return;
    }
    std::unique_ptr<RawImage> image;
    while (captured_.pop(image)) {
        FramePtr frame(av_frame_alloc());
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = even.width();
        frame->height = even.height();
        if (av_frame_get_buffer(frame.get(), 0) < 0) {
            report(FailureSource::Output, Encoder::EncodingError, tr("Out of memory."));
            break;
        }
        const uint8_t* src[4] = {image->pixels.data(), nullptr, nullptr, nullptr};
        const int srcStride[4] = {image->stride, 0, 0, 0};
        sws_scale(scaler.get(), src, srcStride, 0, image->height, frame->data, frame->linesize);
        // Odd sizes: the extra column and row repeat the picture's edge.
        uint8_t* luma = frame->data[0];
        const int pitch = frame->linesize[0];
        if (picture.width() < even.width()) {
            for (int y = 0; y < picture.height(); ++y)
                luma[y * pitch + picture.width()] = luma[y * pitch + picture.width() - 1];
        }
        if (picture.height() < even.height())
            std::memcpy(luma + picture.height() * pitch, luma + (picture.height() - 1) * pitch,
                        size_t(even.width()));
        Picture picture;
        picture.frame = std::move(frame);
        picture.tick = image->tick;
        if (!encoderInput_.pushA(picture))
            break; // the encoder gave up
    }
    // Unblock the capture thread if we stopped early.
    captured_.close();
}

void Session::soundLoop() {
    const AudioFormat format = parts_.soundFormat;
    const int frameBytes = std::max(1, format.bytesPerSample() * format.channelCount());
    const int64_t chunkUs = kSoundChunkUs;
    const int chunkFrames = std::max(1, int(int64_t(format.sampleRate()) * chunkUs / 1000000));
    bool lost = false;
    int64_t nextRetryUs = 0;
    int64_t silentUntilUs = 0;
    for (;;) {
        auto chunk = std::make_unique<SoundChunk>();
        if (!lost) {
            SoundData data;
            QString text;
            const SoundSource::ReadResult result = parts_.sound->read(data, &text);
            if (result == SoundSource::ReadResult::Interrupted)
                break;
            if (result == SoundSource::ReadResult::Lost) {
                // The recording goes on with silence; the source is looked for again.
                qWarning() << "Microphone lost, recording silence:" << text;
                lost = true;
                silentUntilUs = nowUs();
                nextRetryUs = silentUntilUs + kSoundRetryUs;
                continue;
            }
            chunk->frames = int(data.bytes.size() / size_t(frameBytes));
            chunk->startUs =
                std::chrono::duration_cast<std::chrono::microseconds>(data.start - origin_).count();
            chunk->data = std::move(data.bytes);
        } else {
            // Silence paced by the capture clock, so the file keeps its sound track.
            if (!waitUntilOrStop(silentUntilUs + chunkUs))
                break;
            if (nowUs() >= nextRetryUs) {
                QString text;
                if (parts_.sound->reopen(&text)) {
                    qWarning() << "Microphone back";
                    lost = false;
                    continue;
                }
                nextRetryUs = nowUs() + kSoundRetryUs;
            }
            chunk->frames = chunkFrames;
            chunk->startUs = silentUntilUs;
            silentUntilUs += chunkUs;
        }
        if (chunk->frames > 0 && !encoderInput_.pushB(chunk))
            break;
    }
}

bool Session::encodeSound(const SoundChunk& chunk) {
    OutputFile& out = *parts_.output;
    const int rate = out.soundRate();
    const int64_t start = chunk.startUs * rate / 1000000;
    const SoundPlacement place =
        placeSound(out.soundPosition(), start, chunk.frames, kSoundToleranceUs * rate / 1000000);
    if (place.silenceBefore > 0) {
        silenceSamples_ += place.silenceBefore;
        if (!out.writeSilence(place.silenceBefore))
            return false;
    }
    const int frames = chunk.frames - int(place.skip);
    if (frames <= 0)
        return true;
    if (chunk.data.empty()) {
        silenceSamples_ += frames;
        return out.writeSilence(frames);
    }
    const int frameBytes = parts_.soundFormat.bytesPerSample() * parts_.soundFormat.channelCount();
    return out.writeSound(chunk.data.data() + place.skip * frameBytes, frames);
}

void Session::encodeLoop() {
    OutputFile& out = *parts_.output;
    int64_t lastTick = -1;
    Picture picture;
    std::unique_ptr<SoundChunk> sound;
    bool ok = true;
    while (ok && encoderInput_.pop(&picture, &sound)) {
        if (picture.frame) {
            // Ticks without a picture keep the previous one on screen: its frame lasts until
            // the next picture's tick. Encoding copies instead would cost most when the
            // machine is already too slow, and make it slower still.
            repeated_ += repeatsBefore(lastTick, picture.tick);
            ok = out.writeVideo(picture.frame.get(), picture.tick);
            ++encoded_;
            lastTick = picture.tick;
        }
        if (ok && sound)
            ok = encodeSound(*sound);
        picture = Picture();
        sound.reset();
    }
    // With picture and sound, the sound runs to the end of the last picture.
    if (ok && parts_.sound && lastTick >= 0) {
        const int64_t end = (lastTick + 1) * periodUs_ * out.soundRate() / 1000000;
        if (end > out.soundPosition()) {
            silenceSamples_ += end - out.soundPosition();
            ok = out.writeSilence(end - out.soundPosition());
        }
    }
    if (!ok) {
        report(FailureSource::Output, out.errorCode(), out.errorText());
        // Producers must not wait for an encoder that is gone.
        encoderInput_.close();
        captured_.close();
    }
}

bool Session::finish(Encoder::Error* code, QString* errorText) {
    if (finished_)
        return true;
    finished_ = true;
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopping_ = true;
    }
    stopCondition_.notify_all();
    if (parts_.sound)
        parts_.sound->interrupt();
    if (started_) {
        if (captureThread_.joinable())
            captureThread_.join();
        if (convertThread_.joinable())
            convertThread_.join();
        if (soundThread_.joinable())
            soundThread_.join();
        encoderInput_.close();
        if (encodeThread_.joinable())
            encodeThread_.join();
    }
    OutputFile& out = *parts_.output;
    const bool complete = out.finish();
    if (!complete && out.errorCode() != Encoder::NoError) {
        *code = out.errorCode();
        *errorText = out.errorText();
    }
    if (out.writeFailed())
        return false;
    QString remuxError;
    if (!remuxToFastStart(parts_.path, &remuxError)) {
        *code = Encoder::WriteError;
        *errorText = remuxError;
        return false;
    }
    return complete;
}

RecorderStatistics Session::statistics() const {
    RecorderStatistics s;
    s.encodedFrames = encoded_.load();
    s.droppedFrames = dropped_.load();
    s.repeatedFrames = repeated_.load();
    const int rate = parts_.soundFormat.sampleRate();
    s.silenceMs = rate > 0 ? silenceSamples_.load() * 1000 / rate : 0;
    return s;
}

} // namespace engine
