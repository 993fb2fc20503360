#pragma once

#include "platform/TrayHost.h"

#include <QPointer>
#include <QString>

class QDBusPendingCallWatcher;

namespace platform {

// The tray of an X11 desktop. Two kinds of host show icons there: a StatusNotifierItem host,
// which the session bus's org.kde.StatusNotifierWatcher announces, and an XEmbed tray, which
// owns the _NET_SYSTEM_TRAY_S<n> selection of its X screen. Either will do. The watcher is
// asked without waiting for it; the X server answers the selection at once. GUI thread
// only.
class X11TrayHost : public TrayHost {
    Q_OBJECT

public:
    // Asks on the session bus, or on the connection of that name (one the caller opened).
    explicit X11TrayHost(QObject* parent = nullptr, const QString& busConnection = QString());
    ~X11TrayHost() override;

    void check() override;

private:
    void answer(bool statusNotifierHost);

    QString busConnection_;
    QPointer<QDBusPendingCallWatcher> pending_;
};

// Whether some client owns the XEmbed tray selection of any X screen; false without an X
// display. Asks the X server on the calling thread (the GUI thread).
bool xembedTrayOwned();

} // namespace platform
