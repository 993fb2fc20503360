#pragma once

#include <QObject>
#include <QString>

#include <mutex>

// Base of the screen and microphone grabbers.
//
// Threads: the object lives in the thread that created it (the GUI thread) and every public
// method is called there; error() is always emitted there too, also for failures found by
// the capture threads (they hand the failure over with a queued call).
class AbstractGrabber : public QObject {
    Q_OBJECT
public:
    enum Error {
        NoError = 0,
        // The device (X display, sound server or source) cannot be reached or opened.
        DeviceOpenError = 1,
        // The settings cannot be honoured (empty or off-screen area, unsupported format).
        InvalidSettingsError = 2,
        // The device failed or went away while recording.
        DeviceLostError = 3
    };
    Q_ENUM(Error)

    explicit AbstractGrabber(QObject* parent = nullptr);
    ~AbstractGrabber() override;

    Error lastError() const;
    // Text of the last failure, readable by the user; empty when there was none.
    QString errorString() const;

signals:
    void error(AbstractGrabber::Error error);

protected:
    friend class Recorder;
    // Records the failure and emits error(). Any thread: from another thread the emission is
    // queued to this object's thread.
    void reportError(Error code, const QString& text);
    void clearError();

private:
    mutable std::mutex mutex_;
    Error lastError_ = NoError; // guarded by mutex_
    QString errorString_;       // guarded by mutex_
};
