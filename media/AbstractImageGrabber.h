#pragma once

#include "media/AbstractGrabber.h"
#include "media/MediaTypes.h"

#include <QSize>

#include <memory>

namespace engine {
class ImageSource;
}

// A grabber of pictures taken at a steady pace. GUI thread only (see AbstractGrabber).
class AbstractImageGrabber : public AbstractGrabber {
    Q_OBJECT
public:
    explicit AbstractImageGrabber(QObject* parent = nullptr);
    ~AbstractImageGrabber() override;

    // Milliseconds between two pictures (50 = 20 pictures per second). Values below 1 are
    // taken as 1.
    void setLatency(int milliseconds);
    int latency() const { return latency_; }

    // Size of the pictures this grabber delivers with its current settings.
    virtual QSize imageSize() const = 0;

    // For Recorder: opens the device for one recording. On failure returns null and sets
    // *errorText; the caller reports it. GUI thread.
    virtual std::unique_ptr<engine::ImageSource> openSource(Error* code, QString* errorText) = 0;

private:
    int latency_ = kPicturePeriodMs;
};
