#pragma once

#include "media/LastError.h"
#include "media/MediaTypes.h"

#include <QObject>
#include <QString>

// Base of the screen and microphone grabbers. Its Error codes are GrabberErrors'.
//
// Threads: the object lives in the thread that created it (the GUI thread) and every public
// method is called there; error() is always emitted there too, also for failures found by
// the capture threads (they hand the failure over with a queued call).
class AbstractGrabber : public QObject, public GrabberErrors {
    Q_OBJECT
public:
    explicit AbstractGrabber(QObject* parent = nullptr);
    ~AbstractGrabber() override;

    Error lastError() const { return lastError_.code(); }
    // Text of the last failure, readable by the user; empty when there was none.
    QString errorString() const { return lastError_.text(); }

signals:
    void error(AbstractGrabber::Error error);

protected:
    friend class Recorder;
    // Records the failure and emits error() on this object's thread; any thread.
    void reportError(Error code, const QString& text);
    void clearError() { lastError_.clear(); }

private:
    LastError<Error> lastError_;
};
