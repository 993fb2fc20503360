#pragma once

#include "platform/GlobalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QKeySequence>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

namespace platform::wayland {

class PortalRequest;

// The desktop's global-shortcuts portal (KDE Plasma 6, GNOME 48 and later, Hyprland): the
// program names its shortcuts and the combination the user prefers for each, the desktop
// binds them (asking the user where it likes, with the last word on the keys) and tells the
// program when one is pressed. Where the desktop has no such portal the shortcuts it makes
// say that the desktop keeps every combination. GUI thread only.
class ShortcutsPortal : public QObject {
    Q_OBJECT
public:
    enum class State { Asking, Absent, Present };

    // Asks the bus at once whether the portal is there.
    explicit ShortcutsPortal(const QDBusConnection& bus, QObject* parent = nullptr);
    ~ShortcutsPortal() override;

    State state() const { return state_; }
    // A shortcut of this portal: `id` is what the desktop knows it by ("capture", "stop").
    GlobalShortcut* createShortcut(const QString& id, QObject* parent);

    // The combination the user prefers for `id`, empty for none. The shortcuts are bound
    // anew, all at once, from the event loop.
    void prefer(const QString& id, const QKeySequence& combination);
    // What the desktop bound for `id`, as it describes the keys; empty until it says.
    QString boundTrigger(const QString& id) const { return triggers_.value(id); }

    // A combination in the form the portal takes as a preferred trigger ("CTRL+SHIFT+r",
    // "Print"); empty for none or for a key it has no name for.
    static QString triggerOf(const QKeySequence& combination);

signals:
    void stateChanged();
    void activated(const QString& id);
    // The desktop bound the shortcuts; boundTrigger() says how.
    void bound();
    // The desktop refused or lost the shortcuts; for the user.
    void failed(const QString& text);

private slots:
    void onActivated(const QDBusMessage& message);

private:
    void readVersion();
    void scheduleBind();
    void bind();
    void bindIn(const QString& session);
    void onBound(uint response, const QVariantMap& results);
    void settle(PortalRequest* answered);
    void closeSession();
    void setState(State state);
    PortalRequest* request(const QString& method, QList<QVariant> args, QVariantMap options);
    static QString description(const QString& id);

    QDBusConnection bus_;
    State state_ = State::Asking;
    QString session_;
    QPointer<PortalRequest> pending_;
    bool bindQueued_ = false;
    QMap<QString, QKeySequence> preferred_;
    QMap<QString, QString> triggers_;
};

} // namespace platform::wayland
