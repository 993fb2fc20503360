// The overlay's windows, one on each monitor, and the children that move between them.
#include "capture/CropCtrl.h"

#include "capture/OverlayWindow.h"
#include "capture/StartPanel.h"
#include "platform/Platform.h"
#include "widgets/PlainMessageBox.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>

void CropCtrl::layOutScreens() {
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (screens.removeOne(primary))
        screens.prepend(primary);
    QVector<ScreenLayout::Monitor> monitors;
    for (QScreen* screen : std::as_const(screens))
        monitors.append({screen->geometry(), screen->devicePixelRatio()});
    layout_ = ScreenLayout(monitors, fallback_);
    model_.setArea(layout_.overlaySize());
    fitWindows(screens);
}

void CropCtrl::fitLayoutToPictures() {
    // A monitor's picture has its real pixels. At a fractional scale Qt renders at the next
    // whole ratio and the desktop scales down, so the ratio Qt reports is not what is
    // recorded: the picture's width over the logical width is.
    QVector<ScreenLayout::Monitor> monitors;
    bool changed = false;
    for (int i = 0; i < layout_.count() && size_t(i) < windows_.size(); ++i) {
        const QRect logical = layout_.logical(i);
        const QPixmap picture = windows_[size_t(i)]->picture();
        double ratio = double(layout_.physical(i).width()) / std::max(1, logical.width());
        if (!picture.isNull() && picture.size() != layout_.physical(i).size()) {
            ratio = double(picture.width()) / std::max(1, logical.width());
            changed = true;
        }
        monitors.append({logical, ratio});
    }
    if (!changed)
        return;
    layout_ = ScreenLayout(monitors, fallback_);
    model_.setArea(layout_.overlaySize());
    model_.setCurrentPos(layout_.fromGlobal(QCursor::pos()));
}

void CropCtrl::fitWindows(const QList<QScreen*>& screens) {
    // The labels and the start panel may sit on a monitor's window that is about to go; the
    // first window stays whatever happens.
    if (!windows_.empty()) {
        for (QWidget* child :
             {static_cast<QWidget*>(hintLabel_), static_cast<QWidget*>(sizeLabel_),
              static_cast<QWidget*>(startPanel_), static_cast<QWidget*>(offerLabel_),
              static_cast<QWidget*>(sizeEdit_)}) {
            if (child && child->parentWidget() != windows_.front().get()) {
                child->setParent(windows_.front().get());
                child->hide();
            }
        }
    }
    const size_t wanted = std::max<size_t>(1, size_t(screens.size()));
    while (windows_.size() > wanted)
        windows_.pop_back();
    while (windows_.size() < wanted) {
        windows_.push_back(std::make_unique<OverlayWindow>(model_, layout_));
        OverlayWindow* window = windows_.back().get();
        connect(window, &OverlayWindow::pressed, this, &CropCtrl::onPressed);
        connect(window, &OverlayWindow::moved, this, &CropCtrl::onMoved);
        connect(window, &OverlayWindow::released, this, &CropCtrl::onReleased);
        connect(window, &OverlayWindow::keyPressed, this, &CropCtrl::onKey);
        connect(window, &OverlayWindow::contextMenuRequested, this, &CropCtrl::showContextMenuAt);
        connect(window, &OverlayWindow::closeRequested, this, &CropCtrl::close);
    }
    for (size_t i = 0; i < windows_.size(); ++i) {
        OverlayWindow* window = windows_[i].get();
        QScreen* screen = screens.value(int(i));
        window->setPart(screens.isEmpty() ? -1 : int(i), screen);
        window->setWindowTitle(i == 0 ? title_ : QString());
        if (screen) {
            window->setScreen(screen);
            window->setGeometry(screen->geometry());
        } else {
            window->setGeometry(fallback_);
        }
    }
}

void CropCtrl::grabScreens() {
    QList<QScreen*> screens;
    for (const auto& window : windows_) {
        window->setPicture(QPixmap());
        if (window->monitor())
            screens.append(window->monitor());
    }
    if (screens.isEmpty()) {
        showWindows();
        return;
    }
    // The answer may come later, when the monitors (or the control) may have gone. The
    // windows show only then: a desktop that shares its screen would otherwise send the
    // overlay itself as the monitors' pictures.
    const QPointer<CropCtrl> self(this);
    opening_ = true;
    platform::Platform::current().screenPictures().capture(
        screens, [self, screens](const QList<QPixmap>& pictures, const QString& failure) {
            if (self)
                self->onScreensGrabbed(screens, pictures, failure);
        });
}

void CropCtrl::onScreensGrabbed(const QList<QScreen*>& screens, const QList<QPixmap>& pictures,
                                const QString& failure) {
    opening_ = false;
    if (!failure.isEmpty()) {
        close();
        showPlainMessage(nullptr, QMessageBox::Warning, tr("Screen sharing"), failure);
        return;
    }
    for (size_t i = 0; i < windows_.size() && int(i) < pictures.size(); ++i) {
        if (windows_[i]->monitor() == screens.value(int(i)))
            windows_[i]->setPicture(pictures[int(i)]);
    }
    fitLayoutToPictures();
    findTargets();
    showHintAt(model_.currentPos());
    pointTarget(model_.currentPos());
    showWindows();
}

QRect CropCtrl::sourceAreaOf(const QRect& overlayArea) const {
    const QRect pixels = layout_.physicalRect(overlayArea);
    const int i = layout_.partAt(overlayArea.center());
    if (i < 0 || size_t(i) >= windows_.size())
        return pixels;
    // Within one monitor its own ratio places the area exactly; an area across monitors
    // (X11 records those whole) is placed by the overlay's common ratio.
    const QRect inPart = layout_.area(i).contains(overlayArea)
                             ? layout_.pixelsInPart(overlayArea, i)
                             : pixels.translated(-layout_.physical(i).topLeft());
    return platform::Platform::current().sourceArea(windows_[size_t(i)]->monitor(), inPart);
}

void CropCtrl::showWindows() {
    // Where the desktop places windows itself, a full-screen window is the one way to cover
    // a monitor; the window's screen (fitWindows) says which.
    const bool placed = platform::Platform::current().placesWindows();
    for (const auto& window : windows_) {
        if (placed)
            window->show();
        else
            window->showFullScreen();
        window->raise();
    }
    windows_.front()->activateWindow();
    takeKeyboard(kKeyboardRetries);
}

void CropCtrl::hideWindows() {
    for (const auto& window : windows_) {
        if (QWindow* handle = window->windowHandle())
            handle->setKeyboardGrabEnabled(false);
        window->hide();
    }
}

void CropCtrl::placeChild(QWidget* child, QPoint overlayPos, QPoint anchor) {
    const int i = layout_.partAt(anchor);
    if (i < 0 || size_t(i) >= windows_.size()) {
        child->move(overlayPos);
        return;
    }
    const QSize size = (QSizeF(child->size()) * layout_.toOverlay(i)).toSize();
    const QRect kept = layout_.keptOnPart(QRect(overlayPos, size), i);
    OverlayWindow* window = windows_[size_t(i)].get();
    if (child->parentWidget() != window) {
        const bool shown = !child->isHidden();
        child->setParent(window);
        child->setVisible(shown);
    }
    child->move(layout_.toLocal(kept, i).topLeft());
}

QRect CropCtrl::childOverlayRect(const QWidget* child) const {
    const auto* window = qobject_cast<const OverlayWindow*>(child->parentWidget());
    if (!window || window->part() < 0)
        return child->geometry();
    return layout_.fromLocal(child->geometry(), window->part());
}

void CropCtrl::setOverlayCursor(Qt::CursorShape shape) {
    for (const auto& window : windows_)
        window->setCursor(shape);
}

void CropCtrl::updateScreens() {
    for (const auto& window : windows_)
        window->update();
}

void CropCtrl::repaintScreens() {
    for (const auto& window : windows_)
        window->repaint();
}
