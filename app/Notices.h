#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class PopupNotify;

namespace platform {
class DesktopNotifications;
class PopupNotifications;
} // namespace platform

// The program's own messages to the user that need no answer (a shortcut that cannot be
// had, a recording already under way, no tray, recovered recordings): a desktop notification
// where the desktop has a notification service, else one popup in the middle of the screen
// our windows go to, shown long enough to read two sentences. GUI thread only.
class Notices : public QObject {
    Q_OBJECT
public:
    // `windowTitle` names the popup window for the window manager's lists. Notifications go
    // to the service on `bus` (the session bus unless a test gives its own).
    explicit Notices(const QString& windowTitle, QObject* parent = nullptr);
    Notices(const QString& windowTitle, const QDBusConnection& bus, QObject* parent = nullptr);
    ~Notices() override;

    // Where the notices go, for others that tell the user things (the uploads).
    platform::DesktopNotifications* desktop() const { return desktop_; }
    PopupNotify* popup() const { return popup_; }

public slots:
    // Shows `text` as plain text, in place of a notice still showing.
    void show(const QString& text);

private:
    // Parentless: it is a window of its own.
    PopupNotify* popup_;
    platform::PopupNotifications* fallback_;
    platform::DesktopNotifications* desktop_;
};
