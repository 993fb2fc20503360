#include "media/Encoder.h"

#include <QMetaObject>

Encoder::Encoder(QObject* parent)
    : QObject(parent) {}

Encoder::~Encoder() = default;

Encoder::Error Encoder::lastError() const {
    std::lock_guard<std::mutex> lock(errorMutex_);
    return lastError_;
}

QString Encoder::errorString() const {
    std::lock_guard<std::mutex> lock(errorMutex_);
    return errorString_;
}

void Encoder::reportError(Error code, const QString& text) {
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        lastError_ = code;
        errorString_ = text;
    }
    // Queued also on the own thread: handlers stop the recording, which must not happen
    // inside the start() or stop() that found the failure.
    QMetaObject::invokeMethod(
        this, [this, code] { emit error(code); }, Qt::QueuedConnection);
}

void Encoder::clearError() {
    std::lock_guard<std::mutex> lock(errorMutex_);
    lastError_ = NoError;
    errorString_.clear();
}
