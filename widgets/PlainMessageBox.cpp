#include "widgets/PlainMessageBox.h"

#include "app/Placement.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace {

// Where Qt speaks Wayland the compositor places windows: the platform layer's rule for
// placing windows, which this library cannot reach (the platform layer builds on it).
bool programPlacesWindows() {
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

} // namespace

void PlacedMessageBox::showEvent(QShowEvent* event) {
    // Sizes the box to its text and lets Qt place it; the box is not mapped yet, so moving it
    // now moves no window on the screen.
    QMessageBox::showEvent(event);
    if (!event->spontaneous() && programPlacesWindows())
        place();
}

QWidget* PlacedMessageBox::owner() const {
    QWidget* parent = parentWidget() ? parentWidget()->window() : nullptr;
    if (parent && parent->isVisible())
        return parent;
    QWidget* active = QApplication::activeWindow();
    return active && active != this && active->isVisible() ? active : nullptr;
}

void PlacedMessageBox::place() {
    QList<Placement::ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append({screen->geometry(), screen->availableGeometry()});
    const QWidget* over = owner();
    const QPoint at = Placement::messageBoxPosition(screens, over ? over->frameGeometry() : QRect(),
                                                    QCursor::pos(), size());
    // The box's own window goes there; the desktop adds its frame around it.
    setGeometry(QRect(at, size()));
}

QMessageBox::StandardButton showPlainMessage(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    PlacedMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
