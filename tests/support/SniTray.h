#pragma once
// Playing a desktop's StatusNotifierItem tray on a session bus: the watcher that a panel
// registers and programs find at start, and reading the menu an item exports.
#include <QDBusArgument>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// What a desktop's panel registers on the session bus; a program finds it at start and then
// exports its icon as an item instead of embedding a window in an XEmbed tray.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }

public slots:
    void RegisterStatusNotifierItem(const QString& service) { items_.append(service); }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
};

// One entry of a menu exported over D-Bus: (id, properties, children).
struct MenuEntry {
    int id = 0;
    QVariantMap properties;
    QList<MenuEntry> children;
};

MenuEntry readMenuEntry(const QDBusArgument& arg);
// The id of the entry labelled `label` (mnemonic marks ignored), or -1.
int findLabel(const MenuEntry& entry, const QString& label);
