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
};
