#pragma once

#include "media/ScreenGrabber.h"
#include "platform/wayland/ScreenCastPortal.h"

#include <QObject>
#include <QString>

// The screen on a Wayland desktop: the monitor the desktop's screen-cast portal shares,
// read through PipeWire. The user's choice is kept in a token file, so that the desktop
// asks only the first time. GUI thread only.
class PortalScreen : public QObject {
    Q_OBJECT
public:
    // `tokenFile`: where the desktop's restore token is read from and written to; empty:
    // the desktop asks every time.
    explicit PortalScreen(const QString& tokenFile, QObject* parent = nullptr);

    // Asks the desktop; ends in opened() or failed().
    void open();
    // Records the shared monitor that Qt names `name` ("DP-1") rather than the first one
    // shared; the desktop's own dialog still decides what is shared. Empty when that monitor
    // is shared, else what is wrong, for the user. Needs Qt's screens (a QGuiApplication),
    // and opened().
    QString chooseOutput(const QString& name);
    // Whether Qt knows a monitor by that name; *names gets the names it knows.
    static bool outputExists(const QString& name, QStringList* names);
    // What the screen grabber opens to read the shared monitor; `rect` is in the stream's
    // pixels. Only once opened() came.
    ScreenGrabber::SourceOpener opener() const;

signals:
    void opened();
    void failed(const QString& message);

private:
    void keepToken();

    platform::wayland::ScreenCastPortal portal_;
    QString tokenFile_;
    // The PipeWire node recorded; 0: the first shared.
    uint32_t node_ = 0;
};
