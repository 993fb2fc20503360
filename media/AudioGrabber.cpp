#include "media/AudioGrabber.h"

#include "media/engine/PulseSource.h"

AudioGrabber::AudioGrabber(QObject* parent)
    : AbstractGrabber(parent) {}

AudioGrabber::~AudioGrabber() = default;

std::unique_ptr<engine::SoundSource> AudioGrabber::openSource(Error* code, QString* errorText) {
    return engine::openPulseSource(deviceIndex_, format_, code, errorText);
}
