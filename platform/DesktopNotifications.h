#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace platform {

// Short messages to the user that need no answer but may offer one or two buttons ("Copy
// link"): the desktop's own notifications where it has them, else a popup of ours. The text
// is plain: whatever it holds is shown as the characters it is.
//
// GUI thread only; actionInvoked() arrives there.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    struct Action {
        QString key;   // what actionInvoked() reports
        QString label; // what the button says, translated
    };

    using QObject::QObject;

    // Shows a notice and returns its id (never 0), the one actionInvoked() names. Never
    // blocks: a desktop service is asked without waiting for its answer.
    virtual quint32 notify(const QString& summary, const QString& body,
                           const QList<Action>& actions = {}) = 0;

signals:
    // The user chose `actionKey` on notice `id` of this object.
    void actionInvoked(quint32 id, const QString& actionKey);
};

} // namespace platform
