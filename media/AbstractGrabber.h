#pragma once

#include "media/LastError.h"
#include "media/MediaTypes.h"

#include <QObject>
#include <QString>

// Base of the screen and microphone grabbers. Its Error codes are GrabberErrors'.
//
// Threads: the object lives in the thread that created it (the GUI thread) and every public
// method is called there; error() is always emitted there too, also for failures found by
// the capture threads (they hand the failure over with a queued call).
class AbstractGrabber : public QObject,
                        public GrabberErrors,
                        public ErrorReporting<AbstractGrabber, GrabberErrors::Error> {
    Q_OBJECT
public:
    explicit AbstractGrabber(QObject* parent = nullptr);
    ~AbstractGrabber() override;

signals:
    void error(AbstractGrabber::Error error);

private:
    friend class Recorder;
};
