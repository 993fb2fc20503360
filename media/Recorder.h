#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "media/AbstractImageGrabber.h"
#include "media/AudioGrabber.h"
#include "media/MediaTypes.h"

class Encoder;

namespace engine {
class Session;
}

// Records the pictures of an image grabber and, in the encoding modes with sound, the sound of
// an audio grabber into an MP4 file that its encoder() describes.
//
// While recording, the file is a fragmented MP4 cut every half second, so a program killed
// in the middle leaves a file that plays up to about its last second. stop() turns it into an
// ordinary MP4 (index in front, no fragments) that browsers play and seek: it is written
// beside the recording and renamed over it once complete.
//
// Threads: every public method is called on the thread the object lives in (the GUI thread).
// Grabbing, conversion and encoding run on threads of their own; errors come back as the
// encoder's and the grabbers' error() signals on this thread. After a failure during a
// recording the recording is finished (the file kept as far as it was written) before the
// error signal is emitted; stop() after that does nothing.
class Recorder : public QObject {
    Q_OBJECT
public:
    explicit Recorder(QObject* parent = nullptr);
    ~Recorder() override; // stops a running recording

    // The same encoder for the recorder's whole life.
    Encoder* encoder() const { return encoder_; }

    // The grabbers are not owned; they must outlive the recordings that use them.
    void setImageGrabber(AbstractImageGrabber* grabber) { imageGrabber_ = grabber; }
    AbstractImageGrabber* imageGrabber() const { return imageGrabber_; }
    void setAudioGrabber(AudioGrabber* grabber) { audioGrabber_ = grabber; }
    AudioGrabber* audioGrabber() const { return audioGrabber_; }

    // Starts recording and returns at once. Refused with an error signal (and nothing else
    // changes) while a recording is under way, for empty areas, unreachable devices and
    // unwritable files.
    void start();
    // Ends the recording; when it returns the file at the encoder's path is a complete MP4.
    // Does nothing when no recording is under way. With sound it waits for the sound of the
    // last moments still on its way from the sound server (microphones deliver every few
    // tens of milliseconds; sources that deliver in blocks are waited for at most 2.2 s).
    void stop();

    bool isRecording() const;

    // Counters of the running or the last recording.
    RecorderStatistics statistics() const;

signals:
    void started();
    void stopped();

private:
    void failRecording(quint64 generation, int source, int code, const QString& text);

    quint64 generation_ = 0;

    Encoder* encoder_;
    // Guarded pointers: a grabber deleted before the recorder is simply gone.
    QPointer<AbstractImageGrabber> imageGrabber_;
    QPointer<AudioGrabber> audioGrabber_;
    std::unique_ptr<engine::Session> session_;
    RecorderStatistics lastStatistics_;
};
