#pragma once

#include "platform/DesktopNotifications.h"

#include <QHash>

#include <functional>

class PopupNotify;
class QWidget;

namespace platform {

// Notices in a popup of our own, for a desktop without a notification service: one notice at a
// time (a new one takes the place of the one showing), with a button per action. GUI thread
// only.
class PopupNotifications : public DesktopNotifications {
    Q_OBJECT
public:
    // Two sentences, or a link with its button, need longer than the two seconds of the
    // usual popup: long enough to read them and reach the button.
    static constexpr int kDefaultDurationMs = 12000;

    // Shows the notices in `popup`, which must outlive this object, each for `durationMs`;
    // `place` moves it where it should show (it must not be empty).
    PopupNotifications(PopupNotify* popup, std::function<void(QWidget*)> place,
                       int durationMs = kDefaultDurationMs, QObject* parent = nullptr);

    quint32 notify(const QString& summary, const QString& body,
                   const QList<Action>& actions = {}) override;

    PopupNotify* popup() const { return popup_; }

private:
    PopupNotify* popup_;
    std::function<void(QWidget*)> place_;
    int durationMs_;
    quint32 lastId_ = 0;
};

} // namespace platform
