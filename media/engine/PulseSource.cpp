#include "media/engine/PulseSource.h"
#include "core/Translate.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

namespace engine {
namespace {

constexpr TranslationContext kTr{"AudioGrabber"};

// Sound that arrived but was not yet taken is kept for at most this long; beyond it the
// oldest is dropped, so a stalled encoder cannot make the memory grow (the encoder fills the
// gap with silence).
constexpr int64_t kMaxPendingUs = 5000000;
// How much sound the server hands over at a time: small pieces keep their timestamps close
// to the capture clock. Sources with blocks of their own may hand over more.
constexpr pa_usec_t kFragmentUs = 20000;

struct MainloopDeleter {
    void operator()(pa_threaded_mainloop* m) const {
        pa_threaded_mainloop_stop(m);
        pa_threaded_mainloop_free(m);
    }
};

// A context and a stream are released with the main loop locked (PulseSource::close()).
struct ContextDeleter {
    void operator()(pa_context* c) const {
        pa_context_set_state_callback(c, nullptr, nullptr);
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};
struct StreamDeleter {
    void operator()(pa_stream* s) const {
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_set_read_callback(s, nullptr, nullptr);
        pa_stream_disconnect(s);
        pa_stream_unref(s);
    }
};

bool sampleFormatOf(AudioFormat::Format format, pa_sample_format_t* out) {
    switch (format) {
    case AudioFormat::Format_U8:
        *out = PA_SAMPLE_U8;
        return true;
    case AudioFormat::Format_S16LE:
        *out = PA_SAMPLE_S16LE;
        return true;
    case AudioFormat::Format_S32LE:
        *out = PA_SAMPLE_S32LE;
        return true;
    case AudioFormat::Format_FloatLE:
        *out = PA_SAMPLE_FLOAT32LE;
        return true;
    default:
        return false;
    }
}

// Reads a PulseAudio source through the asynchronous API on PulseAudio's own thread, so that
// a wait for sound can always be interrupted (some sources deliver in blocks of seconds).
class PulseSource : public SoundSource {
public:
    PulseSource(int deviceIndex, bool computerSound, const pa_sample_spec& layout)
        : deviceIndex_(deviceIndex)
        , computerSound_(computerSound)
        , layout_(layout) {}

    ~PulseSource() override { close(); }

    bool open(GrabberErrors::Error* code, QString* errorText) {
        close();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_.clear();
            pendingBytes_ = 0;
            lost_ = false;
            lostText_.clear();
        }
        loop_.reset(pa_threaded_mainloop_new());
        if (!loop_) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = kTr.tr("Cannot start the sound connection.");
            return false;
        }
        pa_threaded_mainloop_lock(loop_.get());
        const bool ok = connect(code, errorText);
        pa_threaded_mainloop_unlock(loop_.get());
        if (!ok)
            close();
        return ok;
    }

    ReadResult read(SoundData& data, QString* errorText) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !pending_.empty() || lost_ || interrupted_; });
        if (!pending_.empty()) {
            data = std::move(pending_.front());
            pending_.pop_front();
            pendingBytes_ -= data.bytes.size();
            return ReadResult::Data;
        }
        if (interrupted_)
            return ReadResult::Interrupted;
        *errorText = lostText_;
        return ReadResult::Lost;
    }

    void interrupt() override {
        std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        ready_.notify_all();
    }

    bool reopen(QString* errorText) override {
        GrabberErrors::Error code = GrabberErrors::NoError;
        return open(&code, errorText);
    }

private:
    // Called with the main loop locked.
    bool connect(GrabberErrors::Error* code, QString* errorText) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_.get());
        context_.reset(pa_context_new(api, "Clipnest"));
        if (!context_) {
            *code = GrabberErrors::DeviceOpenError;
            *errorText = kTr.tr("Cannot start the sound connection.");
            return false;
        }
        pa_context_set_state_callback(context_.get(), &PulseSource::onContextState, this);
        if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
            pa_threaded_mainloop_start(loop_.get()) < 0) {
            return serverFailed(code, errorText);
        }
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_.get());
            if (state == PA_CONTEXT_READY)
                break;
            if (!PA_CONTEXT_IS_GOOD(state))
                return serverFailed(code, errorText);
            pa_threaded_mainloop_wait(loop_.get());
        }

        stream_.reset(pa_stream_new(
            context_.get(), computerSound_ ? "Computer sound" : "Microphone", &layout_, nullptr));
        if (!stream_)
            return sourceFailed(code, errorText);
        pa_stream_set_state_callback(stream_.get(), &PulseSource::onStreamState, this);
        pa_stream_set_read_callback(stream_.get(), &PulseSource::onReadable, this);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(-1);
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(kFragmentUs, &layout_));
        // A microphone that goes away is lost, not silently swapped for whatever source the
        // server would move the stream to (often the monitor of an output): the user is
        // told, and the source is looked for again. What the computer plays follows the
        // server to another output.
        // The server knows the default output's monitor by this name, and follows the
        // default when it changes.
        const QByteArray device = computerSound_     ? QByteArray("@DEFAULT_MONITOR@")
                                  : deviceIndex_ > 0 ? QByteArray::number(deviceIndex_)
                                                     : QByteArray();
        if (pa_stream_connect_record(
                stream_.get(), device.isEmpty() ? nullptr : device.constData(), &attr,
                pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                  PA_STREAM_INTERPOLATE_TIMING |
                                  (computerSound_ ? 0 : PA_STREAM_DONT_MOVE))) < 0)
            return sourceFailed(code, errorText);
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream_.get());
            if (state == PA_STREAM_READY)
                break;
            if (!PA_STREAM_IS_GOOD(state))
                return sourceFailed(code, errorText);
            pa_threaded_mainloop_wait(loop_.get());
        }
        return true;
    }

    bool serverFailed(GrabberErrors::Error* code, QString* errorText) {
        *code = GrabberErrors::DeviceOpenError;
        *errorText =
            kTr.tr("Cannot reach the sound server (%1), so the microphone cannot be "
                   "recorded. Check that PulseAudio is running, or record without sound.")
                .arg(QString::fromLocal8Bit(pa_strerror(pa_context_errno(context_.get()))));
        return false;
    }

    bool sourceFailed(GrabberErrors::Error* code, QString* errorText) {
        const int error = pa_context_errno(context_.get());
        const QString reason = QString::fromLocal8Bit(pa_strerror(error));
        *code = GrabberErrors::DeviceOpenError;
        if (computerSound_)
            *errorText = kTr.tr("The computer's sound cannot be recorded: %1. Record the "
                                "microphone instead, or record without sound.")
                             .arg(reason);
        else if (error == PA_ERR_NOENTITY)
            *errorText =
                deviceIndex_ > 0
                    ? kTr.tr("There is no sound source number %1 (%2). Connect a microphone, "
                             "or record without sound.")
                          .arg(deviceIndex_)
                          .arg(reason)
                    : kTr.tr("There is no microphone to record from (%1). Connect one, or "
                             "record without sound.")
                          .arg(reason);
        else
            *errorText =
                kTr.tr("The microphone cannot be opened: %1. Record without sound, or check "
                       "the sound settings.")
                    .arg(reason);
        return false;
    }

    void close() {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_.get());
        stream_.reset();
        context_.reset();
        pa_threaded_mainloop_unlock(loop_.get());
        loop_.reset();
    }

    void markLost(const QString& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!lost_) {
            lost_ = true;
            lostText_ = text;
        }
        ready_.notify_all();
    }

    static void onContextState(pa_context* context, void* self) {
        auto* source = static_cast<PulseSource*>(self);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
            source->markLost(
                kTr.tr("The connection to the sound server was lost (%1).")
                    .arg(QString::fromLocal8Bit(pa_strerror(pa_context_errno(context)))));
        pa_threaded_mainloop_signal(source->loop_.get(), 0);
    }

    static void onStreamState(pa_stream* stream, void* self) {
        auto* source = static_cast<PulseSource*>(self);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            const QString reason =
                QString::fromLocal8Bit(pa_strerror(pa_context_errno(source->context_.get())));
            source->markLost(source->computerSound_
                                 ? kTr.tr("The computer's sound went away (%1).").arg(reason)
                                 : kTr.tr("The microphone went away (%1).").arg(reason));
        }
        pa_threaded_mainloop_signal(source->loop_.get(), 0);
    }

    static void onReadable(pa_stream* stream, size_t, void* self) {
        auto* source = static_cast<PulseSource*>(self);
        const auto now = std::chrono::steady_clock::now();
        // What the server still holds back is recorded but not yet here: the newest byte
        // handed over was recorded `latency` ago.
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) < 0 || negative)
            latency = 0;
        SoundData data;
        while (pa_stream_readable_size(stream) > 0) {
            const void* bytes = nullptr;
            size_t length = 0;
            if (pa_stream_peek(stream, &bytes, &length) < 0 || length == 0)
                break;
            const size_t old = data.bytes.size();
            data.bytes.resize(old + length);
            if (bytes)
                std::memcpy(data.bytes.data() + old, bytes, length);
            else // a hole in the recording: silence
                std::memset(data.bytes.data() + old,
                            source->layout_.format == PA_SAMPLE_U8 ? 0x80 : 0, length);
            pa_stream_drop(stream);
        }
        if (data.bytes.empty())
            return;
        const pa_usec_t duration = pa_bytes_to_usec(data.bytes.size(), &source->layout_);
        data.start = now - std::chrono::microseconds(latency + duration);
        const size_t maxBytes = pa_usec_to_bytes(kMaxPendingUs, &source->layout_);
        std::lock_guard<std::mutex> lock(source->mutex_);
        source->pendingBytes_ += data.bytes.size();
        source->pending_.push_back(std::move(data));
        while (source->pendingBytes_ > maxBytes && source->pending_.size() > 1) {
            source->pendingBytes_ -= source->pending_.front().bytes.size();
            source->pending_.pop_front();
        }
        source->ready_.notify_all();
    }

    const int deviceIndex_;
    const bool computerSound_;
    const pa_sample_spec layout_;
    std::unique_ptr<pa_threaded_mainloop, MainloopDeleter> loop_;
    // Created and released with the main loop locked.
    std::unique_ptr<pa_context, ContextDeleter> context_;
    std::unique_ptr<pa_stream, StreamDeleter> stream_;

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<SoundData> pending_; // guarded by mutex_
    size_t pendingBytes_ = 0;       // guarded by mutex_
    bool lost_ = false;             // guarded by mutex_
    QString lostText_;              // guarded by mutex_
    bool interrupted_ = false;      // guarded by mutex_
};

} // namespace

std::unique_ptr<SoundSource> openPulseSource(int deviceIndex, bool computerSound,
                                             const AudioFormat& format, GrabberErrors::Error* code,
                                             QString* errorText) {
    pa_sample_spec layout;
    if (!sampleFormatOf(format.format(), &layout.format)) {
        *code = GrabberErrors::InvalidSettingsError;
        *errorText =
            kTr.tr("The sound sample format %1 is not supported.").arg(int(format.format()));
        return nullptr;
    }
    layout.rate = uint32_t(qMax(0, format.sampleRate()));
    layout.channels = uint8_t(qBound(0, format.channelCount(), 255));
    if (format.sampleRate() < 1 || format.channelCount() < 1 || format.channelCount() > 8 ||
        !pa_sample_spec_valid(&layout)) {
        *code = GrabberErrors::InvalidSettingsError;
        *errorText = kTr.tr("The sound format (%1 Hz, %2 channels) is not supported.")
                         .arg(format.sampleRate())
                         .arg(format.channelCount());
        return nullptr;
    }
    auto source = std::make_unique<PulseSource>(deviceIndex, computerSound, layout);
    if (!source->open(code, errorText))
        return nullptr;
    return source;
}

} // namespace engine
