#include "media/AbstractGrabber.h"

AbstractGrabber::AbstractGrabber(QObject* parent)
    : QObject(parent) {}

AbstractGrabber::~AbstractGrabber() = default;
