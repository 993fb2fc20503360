#pragma once

#include <QObject>
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
class RecordingSession : public QObject {
    Q_OBJECT
public:
    explicit RecordingSession(QObject* parent = nullptr);
    ~RecordingSession() override;

    bool isRecording() const;

    // Makes the private folder the next recording goes to. Returns an empty string when it
    // is ready, else what went wrong and what the user can do; also refuses while a
    // recording runs.
    QString prepare();

    // Starts recording `physicalArea` (X screen pixels) into the prepared file; its size is
    // the video's, which the upload service is told. Returns whether the engine runs: when
    // it refuses, failed() follows from the event loop.
    bool start(const QRect& physicalArea, bool withSound);

    // Ends the recording and returns at once; its file is completed on a thread of the
    // engine, and fileFinished() follows. Nothing happens when none runs.
    void stop();

    // The file of the last recording, or of the one under way; empty before the first.
    QString filePath() const { return filePath_; }
    // The last recording's file, or else whatever an earlier run of the program left in the
    // private folder; empty when there is no safe place to look.
    QString finishedFile();
    // Extension (without the dot) of the files the session writes.
    QString fileExtension() const;
    // Size of the last recorded area in the overlay's pixels; empty before the first.
    QSize videoSize() const { return videoSize_; }

signals:
    // Elapsed time of the recording under way as "hh:mm:ss", once a second.
    void elapsedChanged(const QString& text);
    // The stop button's blink phase, twice a second while recording.
    void blinkChanged(bool on);
    // The engine failed; the recording has ended. `title` and `message` are for the user.
    void failed(const QString& title, const QString& message);
    // The file of the recording that stop() ended is complete (filePath()).
    void fileFinished();

private:
    void stopClock();

    ScreenGrabber* screenGrabber_;
    AudioGrabber* audioGrabber_;
    Recorder* recorder_;
    QString preparedPath_;
    QString filePath_;
    QSize videoSize_;
    QTimer elapsedTimer_;
    QTimer blinkTimer_;
    int elapsedSeconds_ = 0;
    bool blinkOn_ = false;
    bool awaitingFile_ = false; // stop() ended a recording whose file is being finished
};
