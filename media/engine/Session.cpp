#include "media/engine/Session.h"

#include "media/Translate.h"
#include "media/engine/Bgr0ToI420.h"
#include "media/engine/PictureCopies.h"
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
// players show the time and seek by pictures, and a picture waits for the next one to learn
// how long it lasts, so a recording cut off by a crash loses about this much of a still
// screen. Half a second matches the file's fragments; the repeated picture costs the encoder
// next to nothing.
constexpr int64_t kKeepAliveUs = 500000;
// How long stop() waits for the sound of the recording's last moments. Microphones deliver
// every few tens of milliseconds, so this costs them nothing; sources that deliver in
// blocks (PulseAudio's fixed-latency sources use up to 2 s) would otherwise lose the end.
constexpr int64_t kSoundTailWaitUs = 2200000;
// How often a lost microphone is looked for again.
constexpr int64_t kSoundRetryUs = 1000000;
// At a resume the sound before the pause fades out over the sound after it for this long:
// long enough that the join does not click (a ramp of 10 ms carries nothing above 100 Hz),
// short enough not to smear a syllable.
constexpr int64_t kJoinFadeUs = 10000;

} // namespace

Session::Session(SessionParts parts, FailureCallback onFailure, NoticeCallback onSoundLost)
    : parts_(std::move(parts))
    , onFailure_(std::move(onFailure))
    , onSoundLost_(std::move(onSoundLost))
    , periodUs_(int64_t(parts_.periodMs) * 1000)
    , captured_(kCapturedCapacity)
    , encoderInput_(kPicturesCapacity, parts_.secondSound ? 2 * kSoundCapacity : kSoundCapacity)
    , soundAligner_(soundLimits(parts_.soundFormat.sampleRate())) {
    if (parts_.sound && parts_.secondSound)
        mixer_ = std::make_unique<SoundMixer>(
            parts_.soundFormat.sampleRate(), parts_.soundFormat.channelCount(),
            std::vector<float>{parts_.soundLevel, parts_.secondSoundLevel},
            soundLimits(parts_.soundFormat.sampleRate()));
}

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

bool Session::waitForRecordingTime(int64_t us) {
    std::unique_lock<std::mutex> lock(stopMutex_);
    for (;;) {
        if (stopping_)
            return false;
        if (pauses_.paused()) {
            stopCondition_.wait(lock);
            continue;
        }
        const int64_t due = us + pauses_.pausedUs();
        if (nowUs() >= due)
            return true;
        stopCondition_.wait_until(lock, origin_ + std::chrono::microseconds(due));
    }
}

int64_t Session::recordingNowUs() const {
    const int64_t now = nowUs();
    std::lock_guard<std::mutex> lock(stopMutex_);
    return pauses_.toRecording(now);
}

bool Session::pause() {
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        if (!started_ || stopping_ || !pauses_.pause(nowUs()))
            return false;
    }
    stopCondition_.notify_all();
    return true;
}

bool Session::resume() {
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        if (!started_ || stopping_ || !pauses_.resume(nowUs()))
            return false;
    }
    stopCondition_.notify_all();
    return true;
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
        soundThread_ = std::thread(&Session::soundLoop, this, 0);
    if (parts_.sound && parts_.secondSound)
        secondSoundThread_ = std::thread(&Session::soundLoop, this, 1);
}

void Session::captureLoop() {
    pthread_setname_np(pthread_self(), "clipnest-grab");
    const int64_t keepAliveTicks = std::max<int64_t>(1, kKeepAliveUs / periodUs_);
    int64_t tick = 0;
    int64_t lastSent = -1;
    std::unique_ptr<RawImage> image; // kept when nothing changed
    // Ticks count the recording's time: a pause holds them, so that the still-screen repeats
    // and the late-picture logic see no gap.
    while (waitForRecordingTime(tick * periodUs_)) {
        // A picture grabbed late belongs to the tick of its time: it is shown for as long as
        // it was late, and the recording keeps the wall clock's time.
        const int64_t missed = missedTicks(recordingNowUs(), tick, periodUs_);
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
    // instead of allocating (and faulting in) 3 MB per picture, and only its changed rows are
    // copied.
    PictureCopies copies(even, kPictureAlign);
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
    // The picture handed to the encoder last (shared with it, read-only): each new one is
    // compared with it, so that the encoder is told which blocks it may skip.
    FramePtr previous;
    std::unique_ptr<RawImage> image;
    while (captured_.pop(image)) {
        Picture picture;
        picture.tick = image->tick;
        if (image->rows > 0) {
            // The rows of `screen` this conversion may write; the rest stay as in `previous`.
            int top = 0;
            int end = even.height();
            if (direct) {
                convertBgr0ToI420Rows(image->pixels.data(), image->stride, image->top, image->width,
                                      image->height, image->changedTop, image->changedEnd,
                                      screen->data[0], screen->linesize[0], screen->data[1],
                                      screen->linesize[1], screen->data[2], screen->linesize[2]);
                // A row more on each side than the converter's own (the chroma filter reads
                // beyond the rows it converts) costs next to nothing and asks no trust in
                // where exactly it stops.
                top = std::max(0, image->changedTop - 2);
                end = image->changedEnd + 2;
                // The extra row of an odd height repeats the last one.
                if (end >= wanted.height())
                    end = even.height();
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

            FramePtr frame = copies.copy(*screen, RowSpan{top, end});
            if (!frame) {
                report(FailureSource::Output, EncoderErrors::EncodingError,
                       kTr.tr("Out of memory: a screen picture could not be stored."));
                break;
            }
            // Compared by content, so the marks are exact whatever the grab reported.
            if (previous)
                findUnchangedBlocks(*previous, *frame, top, end, picture.unchanged);
            // Without a reference (out of memory) the next picture simply goes without marks.
            previous.reset(av_frame_clone(frame.get()));
            picture.frame = std::move(frame);
        }
        giveBackImage(std::move(image));
        if (!encoderInput_.pushA(picture))
            break; // the encoder gave up
    }
    // Unblock the capture thread if we stopped early.
    captured_.close();
}

void Session::soundLoop(int input) {
    pthread_setname_np(pthread_self(), input == 0 ? "clipnest-sound" : "clipnest-sound2");
    SoundSource& source = input == 0 ? *parts_.sound : *parts_.secondSound;
    const AudioFormat format = parts_.soundFormat;
    const int channels = std::max(1, format.channelCount());
    const int rate = std::max(1, format.sampleRate());
    const int frameBytes = std::max(1, format.bytesPerSample() * channels);
    const int64_t chunkUs = kSoundChunkUs;
    const int chunkFrames = std::max(1, int(int64_t(rate) * chunkUs / 1000000));
    PauseCutter cutter(rate, channels, int(int64_t(rate) * kJoinFadeUs / 1000000));
    // Where the pauses cut is decided on the samples' count, not on their jittery
    // timestamps: the sound before a pause is then as long as the pictures before it.
    SoundClock sampleClock(rate, kSoundJumpUs, kSoundWindowUs, kSoundHorizonUs, kMaxSoundStretch);
    bool lost = false;
    int64_t nextRetryUs = 0;
    int64_t silentUntilUs = 0;
    for (;;) {
        auto chunk = std::make_unique<SoundChunk>();
        chunk->input = input;
        std::vector<float> samples;
        int64_t clockStart = 0;
        if (!lost) {
            SoundData data;
            QString text;
            const SoundSource::ReadResult result = source.read(data, &text);
            if (result == SoundSource::ReadResult::Interrupted)
                break;
            if (result == SoundSource::ReadResult::Lost) {
                // The recording goes on with silence; the source is looked for again.
                qWarning() << "Sound source lost, recording silence:" << text;
                if (!soundLost_.exchange(true) && onSoundLost_)
                    onSoundLost_(text);
                lost = true;
                silentUntilUs = nowUs();
                nextRetryUs = silentUntilUs + kSoundRetryUs;
                continue;
            }
            const int frames = int(data.bytes.size() / size_t(frameBytes));
            samples =
                samplesToFloat(data.bytes.data(), int64_t(frames) * channels, int(format.format()));
            clockStart =
                std::chrono::duration_cast<std::chrono::microseconds>(data.start - origin_).count();
        } else {
            // Silence paced by the capture clock, so the file keeps its sound track.
            if (!waitUntilOrStop(silentUntilUs + chunkUs))
                break;
            if (nowUs() >= nextRetryUs) {
                QString text;
                if (source.reopen(&text)) {
                    qWarning() << "Sound source back";
                    lost = false;
                    continue;
                }
                nextRetryUs = nowUs() + kSoundRetryUs;
            }
            samples.assign(size_t(chunkFrames) * size_t(channels), 0.0f);
            chunk->silent = true;
            clockStart = silentUntilUs;
            silentUntilUs += chunkUs;
        }
        const int64_t clockEnd =
            clockStart + int64_t(samples.size() / size_t(channels)) * 1000000 / rate;
        PauseTimeline timeline;
        int64_t stopAt = -1;
        int64_t stopClock = -1;
        {
            std::lock_guard<std::mutex> lock(stopMutex_);
            timeline = pauses_;
            stopAt = stopAtUs_;
            stopClock = stopClockUs_;
        }
        const int64_t counted =
            sampleClock.place(clockStart, int64_t(samples.size() / size_t(channels)));
        chunk->startUs = cutter.cut(timeline, counted, samples);
        // The encoder places the sound by the timestamps as ever; the cut only moved them.
        chunk->startUs += clockStart - counted;
        chunk->frames = int(samples.size() / size_t(channels));
        chunk->samples = std::move(samples);
        // After stop(): only the sound up to the moment of the stop is kept, and the first
        // sound from past it is the last this thread needs.
        const bool last = stopClock >= 0 && clockEnd >= stopClock;
        if (last && chunk->frames > 0) {
            const int64_t keep = (stopAt - chunk->startUs) * rate / 1000000;
            if (keep < chunk->frames) {
                chunk->frames = int(std::max<int64_t>(0, keep));
                chunk->samples.resize(size_t(chunk->frames) * size_t(channels));
            }
        }
        if (chunk->frames > 0 && !encoderInput_.pushB(chunk))
            break;
        if (last)
            break;
    }
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        ++soundsDone_;
    }
    stopCondition_.notify_all();
}

bool Session::writeSound(const float* samples, int64_t frames) {
    const AudioFormat& format = parts_.soundFormat;
    const int64_t count = frames * std::max(1, format.channelCount());
    std::vector<uint8_t> bytes(size_t(count) * size_t(std::max(1, format.bytesPerSample())));
    floatToSamples(samples, count, int(format.format()), bytes.data());
    return parts_.output->writeSound(bytes.data(), int(frames));
}

bool Session::encodeSound(const SoundChunk& chunk) {
    if (mixer_)
        return mixSound(&chunk);
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
    if (chunk.silent)
        silenceSamples_ += frames;
    const int channels = std::max(1, parts_.soundFormat.channelCount());
    return writeSound(chunk.samples.data() + place.skip * channels, frames);
}

bool Session::mixSound(const SoundChunk* chunk) {
    OutputFile& out = *parts_.output;
    const int rate = out.soundRate();
    if (chunk && !mixer_->add(chunk->input, chunk->samples.data(), chunk->frames,
                              chunk->startUs * rate / 1000000, out.soundPosition()))
        return false;
    std::vector<float> mixed;
    int64_t frames = mixer_->take(mixed, chunk == nullptr);
    int64_t stopAtUs = -1;
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopAtUs = stopAtUs_;
    }
    if (stopAtUs >= 0)
        frames = std::min<int64_t>(frames, stopAtUs * rate / 1000000 - out.soundPosition());
    if (frames <= 0)
        return true;
    return writeSound(mixed.data(), frames);
}

void Session::encodeLoop() {
    pthread_setname_np(pthread_self(), "clipnest-encode");
    OutputFile& out = *parts_.output;
    int64_t lastTick = -1;
    FramePtr lastPicture;
    bool ok = true;
    EncoderErrors::Error failure = EncoderErrors::NoError;
    QString failureText;
    // A picture shown again (every half second on a still screen, and at the stop) is the same
    // frame handed to the encoder once more, every block of it marked unchanged, which x264
    // codes as skipped blocks without looking at them.
    UnchangedBlocks allUnchanged;
    auto encodeCopy = [&](int64_t tick) {
        FramePtr copy(av_frame_clone(lastPicture.get()));
        if (!copy) {
            failure = EncoderErrors::EncodingError;
            failureText = kTr.tr("Out of memory: a screen picture could not be repeated.");
            return false;
        }
        const QSize grid = macroblockGrid(QSize(copy->width, copy->height));
        allUnchanged.resize(size_t(grid.width()) * size_t(grid.height()), 1);
        if (!out.writeVideo(copy.get(), tick, &allUnchanged))
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
            ok = out.writeVideo(picture.frame.get(), picture.tick,
                                picture.unchanged.empty() ? nullptr : &picture.unchanged);
            ++encoded_;
            lastTick = picture.tick;
            lastPicture = std::move(picture.frame);
        } else if (lastPicture && picture.tick > lastTick) {
            ok = encodeCopy(picture.tick);
        }
        if (ok && sound) {
            ok = encodeSound(*sound);
            if (!ok && mixer_ && out.errorCode() == EncoderErrors::NoError) {
                failure = EncoderErrors::EncodingError;
                failureText = kTr.tr("Mixing the sound inputs failed.");
            }
        }
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
    if (ok && mixer_)
        ok = mixSound(nullptr);
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
        stopClockUs_ = started_ ? nowUs() : 0;
        stopAtUs_ = pauses_.toRecording(stopClockUs_);
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
            const int threads = secondSoundThread_.joinable() ? 2 : 1;
            {
                std::unique_lock<std::mutex> lock(stopMutex_);
                stopCondition_.wait_for(lock, std::chrono::microseconds(kSoundTailWaitUs),
                                        [this, threads] { return soundsDone_ >= threads; });
            }
            parts_.sound->interrupt();
            if (parts_.secondSound)
                parts_.secondSound->interrupt();
            soundThread_.join();
            if (secondSoundThread_.joinable())
                secondSoundThread_.join();
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
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        int64_t paused = pauses_.pausedUs();
        if (pauses_.paused())
            paused += std::max<int64_t>(0, (stopClockUs_ >= 0 ? stopClockUs_ : nowUs()) -
                                               pauses_.pauses().back().start);
        s.pausedMs = paused / 1000;
    }
    return s;
}

} // namespace engine
