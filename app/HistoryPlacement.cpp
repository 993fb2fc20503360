#include "app/HistoryPlacement.h"

#include "app/Placement.h"
#include "app/ScreenChoice.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtDebug>

namespace HistoryPlacement {

void place(QWidget& history, const QRect& trayIcon) {
    QScreen* screen = screenForOurWindows(trayIcon);
    if (!screen)
        return;
    qDebug() << "Screen number" << QGuiApplication::screens().indexOf(screen);
    const QRect available = platform::Platform::current().availableGeometry(screen);
    qDebug() << "Available geometry" << available;

    if (!history.isVisible())
        history.adjustSize();
    const QPoint to = Placement::historyWidgetPosition(
        available, trayIcon, history.size(),
        Placement::taskbarEdgeFromGeometry(screen->geometry(), available, trayIcon));
    qDebug() << "Point:" << to;
    history.move(to);
}

} // namespace HistoryPlacement
