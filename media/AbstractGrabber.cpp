#include "media/AbstractGrabber.h"

AbstractGrabber::AbstractGrabber(QObject* parent)
    : QObject(parent) {}

AbstractGrabber::~AbstractGrabber() = default;

void AbstractGrabber::reportError(Error code, const QString& text) {
    lastError_.report(this, code, text, [this](Error failure) { emit error(failure); });
}
