#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <thread>
#include <vector>

#include "media/AbstractImageGrabber.h"
#include "media/AudioGrabber.h"
#include "media/MediaTypes.h"
#include "media/RecorderSetup.h"

class Encoder;

namespace engine {
class Session;
struct SessionParts;
} // namespace engine

// Records the pictures of an image grabber and, in the encoding modes with sound, the sound of
// an audio grabber into an MP4 file that its encoder() describes.
//
// Pictures have variable timing: a frame goes to the encoder only when something in the area
// changed (or half a second has passed), stamped with the time it was grabbed, and lasts until the
// next one; the file's nominal rate is the grabber's latency (20 frames a second at 50 ms).
//
// While recording, the file is a fragmented MP4 cut every half second, so a program killed
// in the middle leaves a file that plays up to about its last second (recoverRecording()
// finishes such a file later). Once the recording ends, the file is finished on a thread of
// its own: turned into an ordinary MP4 (index in front, no fragments) that browsers play and
// seek, written beside the recording and renamed over it once complete. finished() says when
// the file is ready.
//
// Threads: every public method is called on the thread the object lives in (the GUI thread),
// and every signal is emitted there. None of them blocks: grabbing, conversion, encoding and
// finishing run on threads of their own. Errors come back as the encoder's and the grabbers'
// error() signals. After a failure during a recording the recording ends as with stop()
// (the file is kept as far as it was written, and finished() follows); stop() after that
// does nothing.
class Recorder : public QObject {
    Q_OBJECT
public:
    explicit Recorder(QObject* parent = nullptr);
    // Stops a running recording and waits until every file is finished: the one place where
    // the calling thread waits for finishing (a program quitting right after a stop).
    ~Recorder() override;

    // The same encoder for the recorder's whole life.
    Encoder* encoder() const { return encoder_; }

    // The grabbers are not owned; they must outlive the recordings that use them.
    void setImageGrabber(AbstractImageGrabber* grabber) { imageGrabber_ = grabber; }
    void setAudioGrabber(AudioGrabber* grabber) { audioGrabber_ = grabber; }

    // Starts recording and returns at once. Refused with an error signal (and nothing else
    // changes) while a recording is under way, while the encoder's file is still being
    // finished, for empty areas, unreachable devices and unwritable files. A new recording
    // into another file may start while an earlier one is still being finished.
    void start();
    // Ends the recording at this moment and returns at once; stopped() is emitted before it
    // returns, finished() once the file is complete. With sound, finishing first waits for
    // the sound of the last moments still on its way from the sound server (microphones
    // deliver every few tens of milliseconds; sources that deliver in blocks are waited for
    // at most 2.2 s). Does nothing when no recording is under way.
    void stop();

    // Pauses the recording under way and returns at once: nothing is grabbed or encoded
    // until resume(), and the file goes on after it as if there had been no pause (picture
    // and sound alike). paused() is emitted before it returns. Does nothing when no
    // recording runs or it is paused already.
    void pause();
    // Goes on with a paused recording; resumed() is emitted before it returns. Does nothing
    // when the recording is not paused. stop() during a pause ends the file where the pause
    // began.
    void resume();

    bool isRecording() const;
    bool isPaused() const { return session_ && paused_; }
    // Whether files of ended recordings are still being finished.
    bool isFinishing() const { return !finishing_.empty(); }

    // Counters of the running recording, or of the last one that ended (final once its
    // finished() was emitted).
    RecorderStatistics statistics() const;

signals:
    void started();
    // The recording ended (stop() or a failure); its file is being finished.
    void stopped();
    void paused();
    void resumed();
    // A sound source went away during the recording, which goes on with silence in its
    // place (and the source's sound again when it comes back). At most once a recording;
    // `message` is readable by the user.
    void soundLost(const QString& message);
    // The file of an ended recording is final. With an empty errorText it is an ordinary MP4
    // at `path`. Otherwise errorText says, readable by the user, what went wrong and what was
    // kept: usually the recording as it was written, which plays in most players and which
    // recoverRecording() may finish later. A failure that ended the recording was reported by
    // an error() signal before.
    void finished(const QString& path, const QString& errorText);

private:
    struct Finishing {
        quint64 generation = 0;
        QString path;
        std::thread thread;
    };

    // Why start() cannot record; no error when it can.
    SetupFault checkStart(bool withPicture, bool withSound) const;
    // Opens the grabbers' sources and the file; false (reported) when one cannot be opened.
    bool openParts(engine::SessionParts& parts, bool withPicture, bool withSound);
    void launch(engine::SessionParts parts);
    void failRecording(quint64 generation, int source, int code, const QString& text);
    void fileFinished(quint64 generation, const RecorderStatistics& statistics,
                      const QString& errorText);

    quint64 generation_ = 0;

    Encoder* encoder_;
    // Guarded pointers: a grabber deleted before the recorder is simply gone.
    QPointer<AbstractImageGrabber> imageGrabber_;
    QPointer<AudioGrabber> audioGrabber_;
    std::unique_ptr<engine::Session> session_;
    QString sessionPath_;
    bool paused_ = false;
    // Files of ended recordings, each finished by its own thread, oldest first.
    std::vector<std::unique_ptr<Finishing>> finishing_;
    RecorderStatistics lastStatistics_;
};
