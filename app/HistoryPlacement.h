#pragma once

#include <QRect>

class QWidget;

namespace HistoryPlacement {

// Moves the history window next to the tray icon at `trayIcon`, inside the free part of the
// icon's screen and away from the taskbar's edge (the screen under the pointer or the
// primary one when the tray host does not say where the icon is, as a StatusNotifierItem
// host does not). A hidden window is first fitted to its contents. GUI thread only.
void place(QWidget& history, const QRect& trayIcon);

} // namespace HistoryPlacement
