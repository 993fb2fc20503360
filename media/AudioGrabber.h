#pragma once

#include "media/AbstractGrabber.h"
#include "media/AudioFormat.h"

#include <memory>

namespace engine {
class SoundSource;
}

// Reads the microphone, what the computer plays (the monitor of the sound server's default
// output), or both, through PulseAudio. GUI thread only (see AbstractGrabber); the reading
// itself runs on the recording's sound threads.
//
// A sound server or source that cannot be reached when a recording starts is reported with
// error() (DeviceOpenError). A source that goes away during a recording does not end it: the
// recording goes on with silence and picks the source up again when it comes back (the
// Recorder tells of it with soundLost()).
class AudioGrabber : public AbstractGrabber {
    Q_OBJECT
public:
    explicit AudioGrabber(QObject* parent = nullptr);
    ~AudioGrabber() override;

    // 0 is the sound server's default source; n > 0 the source with index n on the server.
    // This is the microphone of setMix().
    void setDeviceIndex(int index) { deviceIndex_ = index; }
    int deviceIndex() const { return deviceIndex_; }

    // Which sound the next recordings take, and the levels of a mix. Microphone by default.
    void setMix(const SoundMix& mix) { mix_ = mix; }
    SoundMix mix() const { return mix_; }

    void setFormat(const AudioFormat& format) { format_ = format; }
    // The format in use.
    AudioFormat format() const { return format_; }

    // For Recorder: connects to the sources of one recording: the one of the mix's input, or
    // for Both the microphone (first) and the computer's sound. On failure returns false and
    // sets *code and *errorText; the caller reports them. GUI thread.
    bool openSources(std::unique_ptr<engine::SoundSource>* first,
                     std::unique_ptr<engine::SoundSource>* second, Error* code, QString* errorText);

private:
    int deviceIndex_ = 0;
    AudioFormat format_;
    SoundMix mix_;
};
