#include "app/Notices.h"

#include "app/Placement.h"
#include "app/ScreenChoice.h"
#include "platform/DbusNotifications.h"
#include "platform/PopupNotifications.h"
#include "widgets/PopupNotify.h"

#include <QRect>
#include <QScreen>

namespace {

// What the desktop's notification list shows as the sender, and its icon (the one the
// desktop entry installs).
const char* const kAppName = "Clipnest";
const char* const kAppIcon = "clipnest";

void centre(QWidget* popup) {
    if (QScreen* screen = screenForOurWindows(QRect()))
        popup->move(Placement::centredOnScreen(screen->geometry(), popup->size()));
}

} // namespace

Notices::Notices(const QString& windowTitle, QObject* parent)
    : Notices(windowTitle, QDBusConnection::sessionBus(), parent) {}

Notices::Notices(const QString& windowTitle, const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , popup_(new PopupNotify)
    , fallback_(new platform::PopupNotifications(
          popup_, centre, platform::PopupNotifications::kDefaultDurationMs, this))
    , desktop_(new platform::DbusNotifications(bus, fallback_, QLatin1String(kAppName),
                                               QLatin1String(kAppIcon), this)) {
    popup_->setWindowTitle(windowTitle);
}

Notices::~Notices() {
    // The notifiers go first: none may reach the popup once it is gone.
    delete desktop_;
    delete fallback_;
    delete popup_;
}

void Notices::show(const QString& text) {
    desktop_->notify(QLatin1String(kAppName), text);
}
