#pragma once

#include "media/AbstractImageGrabber.h"

#include <QRect>

// Grabs an area of the X11 screen through shared memory. GUI thread only (see
// AbstractGrabber); the grabbing itself runs on the recording's capture thread.
class ScreenGrabber : public AbstractImageGrabber {
    Q_OBJECT
public:
    explicit ScreenGrabber(QObject* parent = nullptr);
    ~ScreenGrabber() override;

    // The area to grab, in X11 root-window coordinates and PHYSICAL pixels (callers map
    // logical Qt coordinates with the device pixel ratio first). Only this area is grabbed.
    void setCaptureRect(const QRect& rect) { captureRect_ = rect; }
    QRect captureRect() const { return captureRect_; }

    // Whether the mouse pointer is drawn into the pictures (it is by default), with its
    // current shape at its position on screen.
    void setDrawPointer(bool draw) { drawPointer_ = draw; }
    bool drawPointer() const { return drawPointer_; }

    // Whether each mouse click is marked with a short-lived ring around the pointer (off by
    // default). Clicks are marked only while the pointer is drawn.
    void setDrawClicks(bool draw) { drawClicks_ = draw; }
    bool drawClicks() const { return drawClicks_; }

    QSize imageSize() const override { return captureRect_.size(); }
    std::unique_ptr<engine::ImageSource> openSource(Error* code, QString* errorText) override;

private:
    QRect captureRect_;
    bool drawPointer_ = true;
    bool drawClicks_ = false;
};
