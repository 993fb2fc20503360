#include "app/ScreenChoice.h"

#include "app/Placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

QScreen* screenForOurWindows(const QRect& trayIcon) {
    // Qt lists the primary screen first.
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> geometries;
    for (const QScreen* s : screens)
        geometries.append(s->geometry());
    const int index = Placement::screenIndexFor(geometries, trayIcon, QCursor::pos());
    return index < 0 ? QGuiApplication::primaryScreen() : screens.at(index);
}
