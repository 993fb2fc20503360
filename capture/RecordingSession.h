#pragma once

#include "history/RecordingStore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>

class AudioGrabber;
class Recorder;
class ScreenGrabber;

// One recording at a time of a part of the screen: the engine parts, the file the recording
// goes to, and the clock the record panel shows. The capture overlay owns one and drives it;
// the session has no widgets of its own. GUI thread only.
//
// Each recording gets a file of its own from the recordings store, marked as being recorded
// while the engine writes it and as not uploaded once its file is finished; it is never
// overwritten by a later recording. The file of an ended recording is finished on a thread of
// the engine, so a new recording may start before an earlier file is ready.
class RecordingSession : public QObject {
    Q_OBJECT
public:
    // `store` keeps the recordings; without one the session opens the user's default
    // recordings folder itself (a store the caller gives must outlive the session).
    explicit RecordingSession(RecordingStore* store = nullptr, QObject* parent = nullptr);
    ~RecordingSession() override;

    RecordingStore* store() const { return store_; }

    bool isRecording() const;
    // Whether the file of `filePath` (a recording of this session) is still being finished.
    bool isFinishing(const QString& filePath) const;

    // Checks that a recording can start: none under way, the recordings folder usable and
    // with room. Returns an empty string when it can, else what went wrong and what the user
    // can do. `warning` receives a note the user should see even though the recording may
    // start (little free space left), else is emptied.
    QString prepare(QString* warning = nullptr);

    // Starts recording `physicalArea` (X screen pixels) into a new file of the store; its
    // size is the video's, which the upload service is told. Returns whether the engine runs:
    // when it refuses, failed() follows from the event loop (and the empty file goes again).
    bool start(const QRect& physicalArea, bool withSound);

    // Pause and resume the recording under way: the clock stops, the file goes on after the
    // pause as if there had been none. pausedChanged() tells of each change.
    void pause();
    void resume();
    bool isPaused() const;

    // Ends the recording and returns at once; its file is completed on a thread of the
    // engine, and fileFinished() follows. Nothing happens when none runs.
    void stop();

    // The file of the last recording, or of the one under way; empty before the first.
    QString filePath() const { return filePath_; }
    // Size of the last recorded area in physical pixels; empty before the first.
    QSize videoSize() const { return videoSize_; }
    // The recorded size of a recording this session made, empty for any other file.
    QSize videoSizeOf(const QString& filePath) const { return sizes_.value(filePath); }

signals:
    // Elapsed time of the recording under way as "hh:mm:ss", once a second.
    void elapsedChanged(const QString& text);
    // The engine failed; the recording has ended. `title` and `message` are for the user.
    void failed(const QString& title, const QString& message);
    // The file of an ended recording is final. With an empty errorText it is an ordinary
    // MP4; otherwise errorText says what went wrong and what was kept (not said when a
    // failed() of the recording told the user already: errorText is empty then too, and
    // `ok` false).
    void fileFinished(const QString& filePath, bool ok, const QString& errorText);
    void pausedChanged(bool paused);
    // A sound source went away; the recording goes on with silence. Once a recording, with
    // a message for the user.
    void soundStopped(const QString& message);

private:
    void stopClock();
    void onRecorderFinished(const QString& path, const QString& errorText);
    RecordingStore* ensureStore();

    ScreenGrabber* screenGrabber_;
    AudioGrabber* audioGrabber_;
    Recorder* recorder_;
    QPointer<RecordingStore> store_;
    QString filePath_;
    QSize videoSize_;
    QHash<QString, QSize> sizes_;
    // Recordings whose file the engine still writes or finishes, and whether a failure that
    // ended them was reported already.
    QHash<QString, bool> unfinished_;
    QTimer elapsedTimer_;
    int elapsedSeconds_ = 0;
    int tickLeftMs_ = 0; // of the elapsed second under way when paused
};
