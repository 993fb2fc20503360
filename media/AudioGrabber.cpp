#include "media/AudioGrabber.h"

#include "media/engine/Sources.h"

AudioGrabber::AudioGrabber(QObject* parent)
    : AbstractGrabber(parent) {}

AudioGrabber::~AudioGrabber() = default;

std::unique_ptr<engine::SoundSource> AudioGrabber::openSource(Error* code, QString* errorText) {
    *code = DeviceOpenError;
    *errorText = tr("Sound grabbing is not available yet.");
    return nullptr;
}
