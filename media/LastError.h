#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <mutex>

// The last failure of a front-end object (grabber, encoder) and its error() signal. Failures
// are found on the recording threads as well as on the GUI thread, so the code and text sit
// behind a mutex, and the signal always reaches the object's own thread.
template <typename Code> class LastError {
public:
    Code code() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return code_;
    }
    // Readable by the user; empty when there was no failure.
    QString text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        code_ = Code{};
        text_.clear();
    }

    // Records the failure, then calls emitSignal(code) on `owner`'s thread; any thread. Always
    // queued, also from the owner's own thread: a handler may well stop the recording, which
    // must not happen inside the start() or stop() that found the failure.
    template <typename Emit>
    void report(QObject* owner, Code code, const QString& text, Emit emitSignal) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            code_ = code;
            text_ = text;
        }
        QMetaObject::invokeMethod(
            owner, [emitSignal, code] { emitSignal(code); }, Qt::QueuedConnection);
    }

private:
    mutable std::mutex mutex_;
    Code code_{};  // guarded by mutex_
    QString text_; // guarded by mutex_
};

// The error API the front-end objects share: lastError() and errorString() for their users,
// reportError() and clearError() for themselves and the Recorder. `Owner` is the QObject that
// derives from this and declares the signal error(Code).
template <typename Owner, typename Code> class ErrorReporting {
public:
    Code lastError() const { return lastError_.code(); }
    // Text of the last failure, readable by the user; empty when there was none.
    QString errorString() const { return lastError_.text(); }

protected:
    // Records the failure and emits error() on the owner's thread; any thread.
    void reportError(Code code, const QString& text) {
        Owner* owner = static_cast<Owner*>(this);
        lastError_.report(owner, code, text, [owner](Code failure) { emit owner->error(failure); });
    }
    void clearError() { lastError_.clear(); }

private:
    LastError<Code> lastError_;
};
