#pragma once

#include "platform/WatcherTrayHost.h"

namespace platform {

// The tray of an X11 desktop. Two kinds of host show icons there: a StatusNotifierItem host,
// which the session bus's watcher announces, and an XEmbed tray, which owns the
// _NET_SYSTEM_TRAY_S<n> selection of its X screen. Either will do; the X server answers the
// selection at once. GUI thread only.
class X11TrayHost : public WatcherTrayHost {
    Q_OBJECT

public:
    explicit X11TrayHost(QObject* parent = nullptr, const QString& busConnection = QString());

protected:
    bool otherTray() const override;
};

// Whether some client owns the XEmbed tray selection of any X screen; false without an X
// display. Asks the X server on the calling thread (the GUI thread).
bool xembedTrayOwned();

} // namespace platform
