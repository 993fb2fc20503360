#pragma once

#include "media/ScreenGrabber.h"

#include <QList>
#include <QPixmap>
#include <QRect>
#include <QVector>
#include <QtGui/qwindowdefs.h>

#include <functional>
#include <memory>

class QObject;
class QScreen;

namespace platform {

class GlobalShortcut;
class TrayHost;

// The frozen picture of each monitor the overlay shows while the user selects. A desktop
// may only be able to answer later (a screen-cast stream's first frame, after the user
// chose what to share), so the answer comes through `done`, which may run before capture()
// returns. On such a desktop the screen stays shared from capture() until release(), so
// that the recording reads the monitors the user agreed to. GUI thread only.
class ScreenPictures {
public:
    virtual ~ScreenPictures() = default;
    // `failure` empty: one picture per screen of `screens`, in the same order, each at the
    // monitor's own resolution (which may differ from what its device pixel ratio makes of
    // its size: the picture is right); a null pixmap for a monitor that could not be read.
    // Otherwise nothing can be recorded now and `failure` says why, for the user.
    using Done = std::function<void(const QList<QPixmap>& pictures, const QString& failure)>;
    virtual void capture(const QList<QScreen*>& screens, Done done) = 0;
    // The capture has ended (closed, or its recording stopped): what capture() opened goes,
    // and an answer still to come is dropped.
    virtual void release() {}
};

// What the desktop the program runs on lets it do, and the desktop-specific ways of doing
// it. Exactly one is in force in a process: main() installs the one for its session, and a
// process that installs none (a test) gets the one its environment names on first use.
// GUI thread only.
class Platform {
public:
    enum class Kind { X11, Wayland };
    // What the user should hear once at start about this desktop.
    enum class Notice {
        None,
        // X11 programs' windows record, the rest of a Wayland desktop records as black.
        OnlyX11WindowsRecord,
    };

    virtual ~Platform() = default;
    virtual Kind kind() const = 0;
    virtual Notice startupNotice() const = 0;

    // Whether top-level windows go where the program moves them. Where they do not, panels
    // cannot sit beside the selected area and the record button cannot dock at an edge.
    virtual bool placesWindows() const = 0;
    // The part of `screen` the desktop's panels leave free, in Qt's coordinates.
    virtual QRect availableGeometry(QScreen* screen) const = 0;
    // Whether see-through parts of windows show what is behind them. Without a compositing
    // manager they show black, so the floating windows then draw every pixel themselves. Asked
    // at each showing: a compositor may come and go while the program runs.
    virtual bool blendsWindows() const { return true; }

    virtual ScreenPictures& screenPictures() = 0;
    // What the recording's screen grabber opens to read the screen and what changed on it.
    virtual ScreenGrabber::SourceOpener screenSource() const = 0;
    // The area screenSource() is given to record `pixels`, an area of `screen`'s picture in
    // its own pixels from its top-left corner (it may reach beyond the monitor where the
    // desktop records across monitors). Empty when this desktop cannot record that area:
    // it does not lie on one monitor, or the monitor is not shared.
    virtual QRect sourceArea(QScreen* screen, const QRect& pixels) const = 0;

    // The frames of the desktop's top-level windows in the X screen's pixels (what
    // screenSource() reads), topmost first, without the windows in `own` (the overlay's).
    // Empty where the desktop does not tell a program about other windows (Wayland): the
    // overlay then offers monitors only.
    virtual QVector<QRect> windowFrames(const QList<WId>& own) const {
        Q_UNUSED(own);
        return {};
    }

    // A new global shortcut holding no combination yet, owned by `parent`; `id` names what it
    // does ("capture", "stop") where the desktop lists the program's shortcuts.
    virtual GlobalShortcut* createGlobalShortcut(const QString& id, QObject* parent) = 0;
    // A new question about the desktop's tray, owned by `parent`.
    virtual TrayHost* createTrayHost(QObject* parent) = 0;

    // The platform in force; installs the environment's own when none was installed.
    static Platform& current();
    // Replaces the platform in force (start-up, or a test's fake); returns the old one.
    static std::unique_ptr<Platform> install(std::unique_ptr<Platform> platform);
    // The platform this process's environment calls for.
    static std::unique_ptr<Platform> forEnvironment();
};

} // namespace platform
