#include "tests/support/SniTray.h"

#include <QDBusVariant>

MenuEntry readMenuEntry(const QDBusArgument& arg) {
    MenuEntry entry;
    arg.beginStructure();
    arg >> entry.id >> entry.properties;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        entry.children.append(readMenuEntry(qvariant_cast<QDBusArgument>(child.variant())));
    }
    arg.endArray();
    arg.endStructure();
    return entry;
}

int findLabel(const MenuEntry& entry, const QString& label) {
    if (entry.properties.value(QStringLiteral("label")).toString().remove(QLatin1Char('_')) ==
        label)
        return entry.id;
    for (const MenuEntry& child : entry.children) {
        const int id = findLabel(child, label);
        if (id >= 0)
            return id;
    }
    return -1;
}
