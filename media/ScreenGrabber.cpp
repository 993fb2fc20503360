#include "media/ScreenGrabber.h"

#include "media/engine/X11ShmSource.h"

ScreenGrabber::ScreenGrabber(QObject* parent)
    : AbstractImageGrabber(parent) {}

ScreenGrabber::~ScreenGrabber() = default;

std::unique_ptr<engine::ImageSource> ScreenGrabber::openSource(Error* code, QString* errorText) {
    if (captureRect_.width() < 1 || captureRect_.height() < 1) {
        *code = InvalidSettingsError;
        *errorText = tr("The area to record is empty (%1 x %2 pixels). Select an area of at "
                        "least 1 x 1 pixel.")
                         .arg(qMax(0, captureRect_.width()))
                         .arg(qMax(0, captureRect_.height()));
        return nullptr;
    }
    if (opener_)
        return opener_(captureRect_, pointer_, code, errorText);
    engine::X11SourceOptions options;
    options.pointer = pointer_.draw;
    options.clicks = pointer_.clicks;
    return engine::openX11ShmSource(captureRect_, options, code, errorText);
}
