#include "media/AbstractGrabber.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

AbstractGrabber::AbstractGrabber(QObject* parent)
    : QObject(parent) {}

AbstractGrabber::~AbstractGrabber() = default;

AbstractGrabber::Error AbstractGrabber::lastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

QString AbstractGrabber::errorString() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errorString_;
}

void AbstractGrabber::reportError(Error code, const QString& text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastError_ = code;
        errorString_ = text;
    }
    // Always queued, also on the own thread: a handler may well stop the recording, which
    // must not happen inside the call that is starting or running it.
    QMetaObject::invokeMethod(
        this, [this, code] { emit error(code); }, Qt::QueuedConnection);
}

void AbstractGrabber::clearError() {
    std::lock_guard<std::mutex> lock(mutex_);
    lastError_ = NoError;
    errorString_.clear();
}
