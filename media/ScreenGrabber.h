#pragma once

#include "media/AbstractImageGrabber.h"

#include <QRect>

#include <functional>

// Grabs an area of the screen through the source the desktop provides. GUI thread only (see
// AbstractGrabber); the grabbing itself runs on the recording's capture thread.
class ScreenGrabber : public AbstractImageGrabber {
    Q_OBJECT
public:
    // How the mouse pointer appears in the pictures.
    struct PointerOptions {
        bool draw = true;    // its current shape at its position on screen
        bool clicks = false; // a short-lived ring at each click, while it is drawn
    };
    // Opens the screen for grabbing `rect`: the desktop's way of reading the pictures and
    // what changed on them. Returns null with *code and *errorText on failure. Called on the
    // GUI thread.
    using SourceOpener = std::function<std::unique_ptr<engine::ImageSource>(
        const QRect& rect, const PointerOptions& pointer, Error* code, QString* errorText)>;

    explicit ScreenGrabber(QObject* parent = nullptr);
    ~ScreenGrabber() override;

    // The desktop's source. Without one set, the X server named by DISPLAY is read through
    // shared memory: what the engine's own tests and the command-line recorder use.
    void setSourceOpener(SourceOpener opener) { opener_ = std::move(opener); }

    // The area to grab, in root-window coordinates and PHYSICAL pixels (callers map logical
    // Qt coordinates with the device pixel ratio first). Only this area is grabbed.
    void setCaptureRect(const QRect& rect) { captureRect_ = rect; }

    // Whether the mouse pointer is drawn into the pictures (it is by default), with its
    // current shape at its position on screen.
    void setDrawPointer(bool draw) { pointer_.draw = draw; }

    // Whether each mouse click is marked with a short-lived ring around the pointer (off by
    // default). Clicks are marked only while the pointer is drawn.
    void setDrawClicks(bool draw) { pointer_.clicks = draw; }

    QSize imageSize() const override { return captureRect_.size(); }
    std::unique_ptr<engine::ImageSource> openSource(Error* code, QString* errorText) override;

private:
    QRect captureRect_;
    PointerOptions pointer_;
    SourceOpener opener_;
};
