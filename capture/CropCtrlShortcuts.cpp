// The quicker ways to an area than drawing it: a click on a window or a monitor, the whole
// screen, the last area, the keyboard, and exact values typed over the size label. The
// rules are plain functions (SelectionShortcuts.h); here they meet the windows.
#include "capture/CropCtrl.h"

#include "capture/OverlayWindow.h"
#include "capture/SelectionShortcuts.h"
#include "capture/StartPanel.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"

#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QStringList>

using namespace CaptureGeometry;

namespace {

// The monitors as X has them, which the last area is kept for.
QString monitorsKey(const ScreenLayout& layout) {
    QStringList parts;
    for (int i = 0; i < layout.count(); ++i) {
        const QRect p = layout.physical(i);
        parts.append(
            QStringLiteral("%1x%2+%3+%4").arg(p.width()).arg(p.height()).arg(p.x()).arg(p.y()));
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QLatin1Char('_'));
}

QString lastAreaKey(const ScreenLayout& layout) {
    return QString(AppSettings::kLastAreaGroup) + QLatin1Char('/') + monitorsKey(layout);
}

} // namespace

void CropCtrl::findTargets() {
    QList<WId> own;
    for (const auto& window : windows_)
        own.append(window->winId());
    windowTargets_.clear();
    for (const QRect& frame : platform::Platform::current().windowFrames(own))
        windowTargets_.append(layout_.fromPhysical(frame));

    // A value the program did not write (or monitors that moved) is simply not offered.
    const QRect stored = QSettings().value(lastAreaKey(layout_)).toRect();
    const auto last = stored.isValid()
                          ? usableLastArea(layout_.fromPhysical(stored), layout_.overlaySize())
                          : std::nullopt;
    model_.setOffered(last.value_or(QRect()));
    model_.setTarget(QRect());
}

QRect CropCtrl::targetAt(QPoint pos) const {
    QVector<QRect> monitors;
    for (int i = 0; i < layout_.count(); ++i)
        monitors.append(layout_.area(i));
    return clickTarget(pos, windowTargets_, monitors, layout_.overlaySize());
}

void CropCtrl::pointTarget(QPoint pos) {
    const QRect target = model_.mode() == Mode::Idle ? targetAt(pos) : QRect();
    if (target == model_.target())
        return;
    model_.setTarget(target);
    updateScreens();
}

void CropCtrl::takeArea(const QRect& area) {
    if (area.isEmpty())
        return;
    model_.setTarget(QRect());
    model_.select(fittedToArea(area, layout_.overlaySize()));
    hintLabel_->hide();
    offerLabel_->hide();
    showChangedSelection();
    sizeLabel_->show();
    startPanel_->show();
}

void CropCtrl::takeWholeScreen() {
    takeArea(QRect(QPoint(0, 0), layout_.overlaySize()));
}

void CropCtrl::takeLastArea() {
    takeArea(model_.offered());
}

void CropCtrl::rememberArea(const QRect& area) {
    QSettings settings;
    settings.setValue(lastAreaKey(layout_), layout_.physicalRect(area));
    settings.sync();
}

bool CropCtrl::onSelectionKey(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const Mode mode = model_.mode();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (mode == Mode::Selected)
            startRecord(startPanel_->withSound());
        else if (mode == Mode::Idle && !model_.offered().isNull())
            takeLastArea();
        return true;
    }
    if (key == Qt::Key_A && mods == Qt::ControlModifier) {
        if (mode == Mode::Idle || mode == Mode::Selected)
            takeWholeScreen();
        return true;
    }
    QPoint step;
    switch (key) {
    case Qt::Key_Left:
        step = QPoint(-1, 0);
        break;
    case Qt::Key_Right:
        step = QPoint(1, 0);
        break;
    case Qt::Key_Up:
        step = QPoint(0, -1);
        break;
    case Qt::Key_Down:
        step = QPoint(0, 1);
        break;
    default:
        return false;
    }
    if (mods & Qt::ControlModifier)
        step *= kCoarseStep;
    const bool changed = (mods & Qt::ShiftModifier) ? model_.grow(step) : model_.nudge(step);
    if (changed)
        showChangedSelection();
    return true;
}

void CropCtrl::showChangedSelection() {
    showSizeOf(model_.normalized());
    placeSizeLabel();
    placePanel(startPanel_);
    repaintScreens();
}

void CropCtrl::beginSizeEdit() {
    if (model_.mode() != Mode::Selected || !model_.hasArea())
        return;
    QWidget* window = sizeLabel_->parentWidget();
    if (sizeEdit_->parentWidget() != window)
        sizeEdit_->setParent(window);
    sizeEdit_->setText(typedAreaText(layout_.physicalRect(model_.normalized())));
    const QRect label = sizeLabel_->geometry();
    sizeEdit_->setGeometry(
        QRect(label.topLeft(),
              QSize(std::max(label.width(), sizeEdit_->sizeHint().width()), label.height())));
    sizeEdit_->show();
    sizeEdit_->raise();
    sizeEdit_->selectAll();
    sizeEdit_->setFocus(Qt::MouseFocusReason);
}

void CropCtrl::endSizeEdit(bool apply) {
    if (sizeEdit_->isHidden())
        return;
    const QString text = sizeEdit_->text();
    sizeEdit_->hide();
    if (!apply || model_.mode() != Mode::Selected)
        return;
    // Garbage leaves the area as it was; the label shows it again.
    const auto typed = parseTypedArea(text);
    if (!typed)
        return;
    const QRect now = layout_.physicalRect(model_.normalized());
    const QRect pixels(typed->position.value_or(now.topLeft()), typed->size);
    model_.select(fittedToArea(layout_.fromPhysical(pixels), layout_.overlaySize()));
    showChangedSelection();
}

bool CropCtrl::eventFilter(QObject* watched, QEvent* event) {
    // A press on the size label edits it rather than reaching the overlay below it, where
    // it would drop the area.
    if (watched == sizeLabel_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: // what a second click soon after the first brings
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                beginSizeEdit();
            return true;
        case QEvent::MouseButtonRelease:
            // The release of that press is not the end of a drag on the overlay.
            return true;
        default:
            break;
        }
    }
    if (watched == sizeEdit_ && event->type() == QEvent::KeyPress) {
        // The field keeps its keys: Enter and Escape end the edit, not the capture.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            endSizeEdit(key != Qt::Key_Escape);
            return true;
        }
    }
    if (watched == sizeEdit_ && event->type() == QEvent::FocusOut)
        endSizeEdit(false);
    return QObject::eventFilter(watched, event);
}
