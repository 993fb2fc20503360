#include "media/AbstractImageGrabber.h"

#include "media/engine/Sources.h"

AbstractImageGrabber::AbstractImageGrabber(QObject* parent)
    : AbstractGrabber(parent) {}

AbstractImageGrabber::~AbstractImageGrabber() = default;

void AbstractImageGrabber::setLatency(int milliseconds) {
    latency_ = milliseconds < 1 ? 1 : milliseconds;
}
