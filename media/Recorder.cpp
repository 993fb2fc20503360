#include "media/Recorder.h"

#include "media/AbstractImageGrabber.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/engine/Session.h"

Recorder::Recorder(QObject* parent)
    : QObject(parent)
    , encoder_(new Encoder(this)) {}

Recorder::~Recorder() {
    stop();
}

void Recorder::start() {
    encoder_->reportError(Encoder::EncodingError, tr("Recording is not available yet."));
}

void Recorder::stop() {
    session_.reset();
}

bool Recorder::isRecording() const {
    return session_ != nullptr;
}

RecorderStatistics Recorder::statistics() const {
    return lastStatistics_;
}

void Recorder::failRecording(int, int, const QString&) {}
