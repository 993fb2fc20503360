#pragma once

#include "platform/TrayHost.h"

#include <QPointer>
#include <QString>

class QDBusPendingCallWatcher;

namespace platform {

// A tray of StatusNotifierItems: a panel that shows them registers as a host with the
// session bus's org.kde.StatusNotifierWatcher (Plasma, wlroots bars, GNOME with the
// AppIndicator extension, X11 panels). The watcher is asked without waiting for it. GUI
// thread only.
class WatcherTrayHost : public TrayHost {
    Q_OBJECT

public:
    // Asks on the session bus, or on the connection of that name (one the caller opened).
    explicit WatcherTrayHost(QObject* parent = nullptr, const QString& busConnection = QString());
    ~WatcherTrayHost() override;

    void check() override;

protected:
    // Another kind of tray the desktop may have, asked when the watcher has answered.
    virtual bool otherTray() const { return false; }

private:
    void answer(bool statusNotifierHost);

    QString busConnection_;
    QPointer<QDBusPendingCallWatcher> pending_;
};

} // namespace platform
