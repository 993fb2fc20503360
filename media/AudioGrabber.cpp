#include "media/AudioGrabber.h"

#include "media/engine/PulseSource.h"

AudioGrabber::AudioGrabber(QObject* parent)
    : AbstractGrabber(parent) {}

AudioGrabber::~AudioGrabber() = default;

bool AudioGrabber::openSources(std::unique_ptr<engine::SoundSource>* first,
                               std::unique_ptr<engine::SoundSource>* second, Error* code,
                               QString* errorText) {
    const bool microphone = mix_.input != SoundInput::ComputerSound;
    const bool computer = mix_.input != SoundInput::Microphone;
    std::unique_ptr<engine::SoundSource> a;
    std::unique_ptr<engine::SoundSource> b;
    if (microphone) {
        a = engine::openPulseSource(deviceIndex_, false, format_, code, errorText);
        if (!a)
            return false;
    }
    if (computer) {
        b = engine::openPulseSource(0, true, format_, code, errorText);
        if (!b)
            return false;
    }
    if (!a) {
        a = std::move(b);
    }
    *first = std::move(a);
    *second = std::move(b);
    return true;
}
