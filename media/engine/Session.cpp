#include "media/engine/Session.h"

#include "media/Translate.h"
#include "media/engine/Bgr0ToI420.h"
#include "media/engine/Remux.h"
#include "media/engine/Timing.h"

#include <QDebug>

#include <cstring>
#include <pthread.h>

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

// Two grabbed pictures may wait for conversion: more would only add delay, since a picture
// that cannot be queued is better dropped (and repeated) than grabbed late.
constexpr std::size_t kCapturedCapacity = 2;
// Buffers kept for reuse: one per queued picture, one being grabbed and one being converted;
// more would only hold memory.
constexpr std::size_t kSpareImages = kCapturedCapacity + 2;
// Row alignment of the converted pictures, enough for the widest vector loads x264 uses.
constexpr int kPictureAlign = 64;
// Converted pictures waiting for the encoder: enough to ride out a slow frame, few enough that
// stop() has little left to encode (each is also 3 MB at 1920 x 1080).
constexpr std::size_t kPicturesCapacity = 3;
// Sound chunks (20 ms each) waiting for the encoder: a second and a half, so the microphone
// is never held up while a picture is encoded.
constexpr std::size_t kSoundCapacity = 75;
// Sound this far off the clock is moved at once (a gap after the source came back).
constexpr int64_t kSoundJumpUs = 500000;
// Offsets are averaged over this long: long enough to smooth the jitter of sources that
// deliver in blocks of seconds, short enough to follow drift within a minute.
constexpr int64_t kSoundWindowUs = 10000000;
// A smoothed offset is worked off over this long. Twice the averaging window keeps the
// correction from overshooting; a sound card 200 ppm off then stays 4 ms off the clock.
constexpr int64_t kSoundHorizonUs = 20000000;
// The largest change of the sound's speed used to follow the clock: 0.5 % (a twelfth of a
// semitone, which few ears notice, and never a jump) follows any sound card within spec.
constexpr double kMaxSoundStretch = 0.005;

SoundAligner::Limits soundLimits(int rate) {
    auto samples = [rate](int64_t us) {
        return us * rate / 1000000;
    };
    SoundAligner::Limits limits;
    limits.jump = samples(kSoundJumpUs);
    limits.window = samples(kSoundWindowUs);
    limits.horizon = samples(kSoundHorizonUs);
    limits.maxStretch = kMaxSoundStretch;
    return limits;
}

// Length of one piece of silence while the microphone is gone.
constexpr int64_t kSoundChunkUs = 20000;
// While the screen stays still no picture is encoded, but one goes out at least this often:
// players show the time and seek by pictures, and a recording cut off by a crash keeps the
// last second at most in the encoder.
constexpr int64_t kKeepAliveUs = 1000000;
// How long stop() waits for the sound of the recording's last moments. Microphones deliver
// every few tens of milliseconds, so this costs them nothing; sources that deliver in
// blocks (PulseAudio's fixed-latency sources use up to 2 s) would otherwise lose the end.
constexpr int64_t kSoundTailWaitUs = 2200000;
// How often a lost microphone is looked for again.
constexpr int64_t kSoundRetryUs = 1000000;

} // namespace

Session::Session(SessionParts parts, FailureCallback onFailure)
    : parts_(std::move(parts))
    , onFailure_(std::move(onFailure))
    , periodUs_(int64_t(parts_.periodMs) * 1000)
    , captured_(kCapturedCapacity)
    , encoderInput_(kPicturesCapacity, kSoundCapacity)
    , soundAligner_(soundLimits(parts_.soundFormat.sampleRate())) {}

Session::~Session() {
    EncoderErrors::Error code = EncoderErrors::NoError;
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

std::unique_ptr<RawImage> Session::takeSpareImage() {
    {
        std::lock_guard<std::mutex> lock(spareMutex_);
        if (!spareImages_.empty()) {
            std::unique_ptr<RawImage> image = std::move(spareImages_.back());
            spareImages_.pop_back();
            return image;
        }
    }
    return std::make_unique<RawImage>();
}

void Session::giveBackImage(std::unique_ptr<RawImage> image) {
    std::lock_guard<std::mutex> lock(spareMutex_);
    if (spareImages_.size() < kSpareImages)
        spareImages_.push_back(std::move(image));
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
    pthread_setname_np(pthread_self(), "clipnest-grab");
    const int64_t keepAliveTicks = std::max<int64_t>(1, kKeepAliveUs / periodUs_);
    int64_t tick = 0;
    int64_t lastSent = -1;
    std::unique_ptr<RawImage> image; // kept when nothing changed
    while (waitUntilOrStop(tick * periodUs_)) {
        // A picture grabbed late belongs to the tick of its time: it is shown for as long as
        // it was late, and the recording keeps the wall clock's time.
        const int64_t missed = missedTicks(nowUs(), tick, periodUs_);
        if (missed > 0) {
            dropped_ += missed;
            tick += missed;
        }
        if (captured_.full()) {
            // Conversion is behind: skip this tick rather than pile up pictures. What changed
            // meanwhile is grabbed at the next tick.
            ++dropped_;
            ++tick;
            continue;
        }
        if (!image)
            image = takeSpareImage();
        GrabberErrors::Error code = GrabberErrors::NoError;
        QString text;
        if (!parts_.image->grab(*image, &code, &text)) {
            report(FailureSource::Image, code, text);
            break;
        }
        // Nothing changed: the previous picture goes on, apart from one repeat a second.
        if (image->rows == 0 && lastSent >= 0 && tick - lastSent < keepAliveTicks) {
            ++tick;
            continue;
        }
        // The first picture starts the video at zero, however late this thread got going
        // on a busy machine: it stands for the screen from the start of the recording on.
        image->tick = lastSent < 0 ? 0 : tick;
        if (!captured_.tryPush(image))
            break; // closed: the other threads are gone
        lastSent = tick;
        ++tick;
    }
    captured_.close();
}

void Session::convertLoop() {
    pthread_setname_np(pthread_self(), "clipnest-conv");
    const QSize source = parts_.image->size();
    const QSize wanted = parts_.videoSize;
    const QSize even = evenSize(wanted);
    // The usual case, screen pixels taken 1:1 from a little-endian X server, has a converter of
    // its own at a third of libswscale's cost; anything else (scaling, other byte orders)
    // goes through libswscale. Bilinear only matters when the picture is scaled.
    const bool direct = source == wanted && parts_.image->pixelFormat() == int(AV_PIX_FMT_BGR0);
    SwsPtr scaler;
    if (!direct)
        scaler.reset(sws_getContext(source.width(), source.height(),
                                    AVPixelFormat(parts_.image->pixelFormat()), wanted.width(),
                                    wanted.height(), AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                    nullptr, nullptr));
    if (!direct && !scaler) {
        report(FailureSource::Output, EncoderErrors::EncodingError,
               kTr.tr("Cannot convert the screen pictures for the encoder."));
        captured_.close();
        return;
    }
    // The pictures' memory comes from a pool: a picture freed by the encoder is used again
    // instead of allocating (and faulting in) 3 MB per picture. The pool itself is freed when
    // its last picture is.
    const int pictureBytes =
        av_image_get_buffer_size(AV_PIX_FMT_YUV420P, even.width(), even.height(), kPictureAlign);
    // The extra bytes let vector code read a little past the last row.
    BufferPoolPtr pool(pictureBytes > 0
                           ? av_buffer_pool_init(size_t(pictureBytes) + kPictureAlign, nullptr)
                           : nullptr);
    // The screen as converted so far: each grab converts only the rows that changed into
    // it, and every picture handed to the encoder is a copy of it.
    FramePtr screen(av_frame_alloc());
    if (screen) {
        screen->format = AV_PIX_FMT_YUV420P;
        screen->width = even.width();
        screen->height = even.height();
    }
    if (!screen || av_frame_get_buffer(screen.get(), kPictureAlign) < 0) {
        report(FailureSource::Output, EncoderErrors::EncodingError,
               kTr.tr("Out of memory: there is no room for the screen pictures."));
        captured_.close();
        return;
    }
    // Pictures that are scaled (or not in the usual layout) are converted whole, from a copy
    // of the grabbed screen kept up to date here.
    std::vector<uint8_t> whole;
    std::unique_ptr<RawImage> image;
    while (captured_.pop(image)) {
        Picture picture;
        picture.tick = image->tick;
        if (image->rows > 0) {
            if (direct) {
                convertBgr0ToI420Rows(image->pixels.data(), image->stride, image->top, image->width,
                                      image->height, image->changedTop, image->changedEnd,
                                      screen->data[0], screen->linesize[0], screen->data[1],
                                      screen->linesize[1], screen->data[2], screen->linesize[2]);
            } else {
                whole.resize(size_t(image->stride) * size_t(image->height));
                std::memcpy(whole.data() + size_t(image->top) * size_t(image->stride),
                            image->pixels.data(), size_t(image->rows) * size_t(image->stride));
                const uint8_t* src[4] = {whole.data(), nullptr, nullptr, nullptr};
                const int srcStride[4] = {image->stride, 0, 0, 0};
                sws_scale(scaler.get(), src, srcStride, 0, image->height, screen->data,
                          screen->linesize);
            }
            // Odd sizes: the extra column and row repeat the picture's edge.
            uint8_t* luma = screen->data[0];
            const int pitch = screen->linesize[0];
            if (wanted.width() < even.width()) {
                for (int y = 0; y < wanted.height(); ++y)
                    luma[y * pitch + wanted.width()] = luma[y * pitch + wanted.width() - 1];
            }
            if (wanted.height() < even.height())
                std::memcpy(luma + wanted.height() * pitch, luma + (wanted.height() - 1) * pitch,
                            size_t(even.width()));

            FramePtr frame(av_frame_alloc());
            if (frame && pool)
                frame->buf[0] = av_buffer_pool_get(pool.get());
            if (!frame || !frame->buf[0] ||
                av_image_fill_arrays(frame->data, frame->linesize, frame->buf[0]->data,
                                     AV_PIX_FMT_YUV420P, even.width(), even.height(),
                                     kPictureAlign) < 0) {
                report(FailureSource::Output, EncoderErrors::EncodingError,
                       kTr.tr("Out of memory: a screen picture could not be stored."));
                break;
            }
            frame->format = AV_PIX_FMT_YUV420P;
            frame->width = even.width();
            frame->height = even.height();
            av_image_copy(frame->data, frame->linesize, const_cast<const uint8_t**>(screen->data),
                          screen->linesize, AV_PIX_FMT_YUV420P, even.width(), even.height());
            picture.frame = std::move(frame);
        }
        giveBackImage(std::move(image));
        if (!encoderInput_.pushA(picture))
            break; // the encoder gave up
    }
    // Unblock the capture thread if we stopped early.
    captured_.close();
}

void Session::soundLoop() {
    pthread_setname_np(pthread_self(), "clipnest-sound");
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
            // After stop(): only the sound up to the moment of the stop is kept.
            int64_t stopAt = -1;
            {
                std::lock_guard<std::mutex> lock(stopMutex_);
                stopAt = stopAtUs_;
            }
            if (stopAt >= 0) {
                const int64_t keep = (stopAt - chunk->startUs) * format.sampleRate() / 1000000;
                if (keep <= chunk->frames) {
                    chunk->frames = int(std::max<int64_t>(0, keep));
                    chunk->data.resize(size_t(chunk->frames) * size_t(frameBytes));
                    if (chunk->frames > 0)
                        encoderInput_.pushB(chunk);
                    break;
                }
            }
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
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        soundDone_ = true;
    }
    stopCondition_.notify_all();
}

bool Session::encodeSound(const SoundChunk& chunk) {
    OutputFile& out = *parts_.output;
    const int rate = out.soundRate();
    const int64_t start = chunk.startUs * rate / 1000000;
    const SoundPlacement place = soundAligner_.place(out.soundPosition(), start, chunk.frames);
    out.setSoundStretch(place.stretch);
    if (place.silenceBefore > 0) {
        silenceSamples_ += place.silenceBefore;
        if (!out.writeSilence(place.silenceBefore))
            return false;
    }
    int frames = chunk.frames - int(place.skip);
    // After stop() the sound ends where the pictures end, wherever the chunks' jittery
    // timestamps put the last of them.
    int64_t stopAtUs = -1;
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopAtUs = stopAtUs_;
    }
    if (stopAtUs >= 0)
        frames = int(std::min<int64_t>(frames, stopAtUs * rate / 1000000 - out.soundPosition()));
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
    pthread_setname_np(pthread_self(), "clipnest-encode");
    OutputFile& out = *parts_.output;
    int64_t lastTick = -1;
    FramePtr lastPicture;
    bool ok = true;
    EncoderErrors::Error failure = EncoderErrors::NoError;
    QString failureText;
    // A picture shown again (once a second on a still screen, and at the stop) is the same
    // frame handed to the encoder once more, which x264 codes as a few skipped blocks.
    auto encodeCopy = [&](int64_t tick) {
        FramePtr copy(av_frame_clone(lastPicture.get()));
        if (!copy) {
            failure = EncoderErrors::EncodingError;
            failureText = kTr.tr("Out of memory: a screen picture could not be repeated.");
            return false;
        }
        if (!out.writeVideo(copy.get(), tick))
            return false;
        ++repeated_;
        ++encoded_;
        lastTick = tick;
        return true;
    };
    Picture picture;
    std::unique_ptr<SoundChunk> sound;
    while (ok && encoderInput_.pop(&picture, &sound)) {
        if (picture.frame) {
            ok = out.writeVideo(picture.frame.get(), picture.tick);
            ++encoded_;
            lastTick = picture.tick;
            lastPicture = std::move(picture.frame);
        } else if (lastPicture && picture.tick > lastTick) {
            ok = encodeCopy(picture.tick);
        }
        if (ok && sound)
            ok = encodeSound(*sound);
        picture = Picture();
        sound.reset();
    }
    // The last picture stays until the moment of the stop: a copy of it on the last tick
    // before gives the file its full length (the file's last frame lasts one tick whatever
    // it is given, as players read it).
    int64_t stopAtUs = -1;
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopAtUs = stopAtUs_;
    }
    if (lastTick >= 0 && stopAtUs > 0) {
        endTick_ = std::max(lastTick + 1, (stopAtUs - 1) / periodUs_ + 1);
        if (ok && lastTick < endTick_ - 1)
            ok = encodeCopy(endTick_ - 1);
    }
    // With picture and sound, the sound runs to the end of the last picture.
    if (ok && parts_.sound && endTick_ >= 0) {
        const int64_t end = endTick_ * periodUs_ * out.soundRate() / 1000000;
        if (end > out.soundPosition()) {
            silenceSamples_ += end - out.soundPosition();
            ok = out.writeSilence(end - out.soundPosition());
        }
    }
    if (!ok) {
        if (failure == EncoderErrors::NoError) {
            failure = out.errorCode();
            failureText = out.errorText();
        }
        report(FailureSource::Output, failure, failureText);
        // Producers must not wait for an encoder that is gone.
        encoderInput_.close();
        captured_.close();
    }
}

void Session::requestStop() {
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        if (stopping_)
            return;
        stopping_ = true;
        stopAtUs_ = started_ ? nowUs() : 0;
    }
    stopCondition_.notify_all();
}

bool Session::finish(EncoderErrors::Error* code, QString* errorText) {
    if (finished_)
        return true;
    finished_ = true;
    requestStop();
    if (started_) {
        if (captureThread_.joinable())
            captureThread_.join();
        if (convertThread_.joinable())
            convertThread_.join();
        if (soundThread_.joinable()) {
            // The sound of the last moments may still be on its way (sources deliver in
            // blocks); it is waited for, up to a limit, rather than lost.
            {
                std::unique_lock<std::mutex> lock(stopMutex_);
                stopCondition_.wait_for(lock, std::chrono::microseconds(kSoundTailWaitUs),
                                        [this] { return soundDone_; });
            }
            parts_.sound->interrupt();
            soundThread_.join();
        }
        encoderInput_.close();
        if (encodeThread_.joinable())
            encodeThread_.join();
    }
    OutputFile& out = *parts_.output;
    const bool complete = out.finish(endTick_);
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
