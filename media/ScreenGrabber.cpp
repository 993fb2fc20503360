#include "media/ScreenGrabber.h"

#include "media/engine/Sources.h"

ScreenGrabber::ScreenGrabber(QObject* parent)
    : AbstractImageGrabber(parent) {}

ScreenGrabber::~ScreenGrabber() = default;

std::unique_ptr<engine::ImageSource> ScreenGrabber::openSource(Error* code, QString* errorText) {
    *code = DeviceOpenError;
    *errorText = tr("Screen grabbing is not available yet.");
    return nullptr;
}
