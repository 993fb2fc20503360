#include "platform/PopupNotifications.h"

#include "widgets/PopupNotify.h"

namespace platform {

PopupNotifications::PopupNotifications(PopupNotify* popup, std::function<void(QWidget*)> place,
                                       int durationMs, QObject* parent)
    : DesktopNotifications(parent)
    , popup_(popup)
    , place_(std::move(place))
    , durationMs_(durationMs) {}

quint32 PopupNotifications::notify(const QString& summary, const QString& body,
                                   const QList<Action>& actions) {
    const quint32 id = ++lastId_;
    // The popup has one line: the summary names the program or the event, the body says it.
    popup_->setText(body.isEmpty() ? summary : body);
    QList<PopupNotify::Button> buttons;
    for (const Action& action : actions) {
        const QString key = action.key;
        buttons.append({action.label, [this, id, key] {
                            emit actionInvoked(id, key);
                        }});
    }
    popup_->setButtons(buttons);
    place_(popup_);
    popup_->showFor(durationMs_);
    return id;
}

} // namespace platform
