#pragma once

#include "media/AbstractGrabber.h"
#include "media/AudioFormat.h"

#include <memory>

namespace engine {
class SoundSource;
}

// Reads the microphone through PulseAudio. GUI thread only (see AbstractGrabber); the
// reading itself runs on the recording's sound thread.
//
// A sound server or source that cannot be reached when a recording starts is reported with
// error() (DeviceOpenError). A source that goes away during a recording does not end it: the
// recording goes on with silence and picks the source up again when it comes back.
class AudioGrabber : public AbstractGrabber {
    Q_OBJECT
public:
    explicit AudioGrabber(QObject* parent = nullptr);
    ~AudioGrabber() override;

    // 0 is the sound server's default source; n > 0 the source with index n on the server.
    void setDeviceIndex(int index) { deviceIndex_ = index; }
    int deviceIndex() const { return deviceIndex_; }

    void setFormat(const AudioFormat& format) { format_ = format; }
    // The format in use.
    AudioFormat format() const { return format_; }

    // For Recorder: connects to the source for one recording. On failure returns null and
    // sets *code and *errorText; the caller reports them. GUI thread.
    std::unique_ptr<engine::SoundSource> openSource(Error* code, QString* errorText);

private:
    int deviceIndex_ = 0;
    AudioFormat format_;
};
