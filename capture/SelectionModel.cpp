#include "capture/SelectionModel.h"

#include "capture/SelectionGeometry.h"
#include "capture/SelectionShortcuts.h"

using namespace CaptureGeometry;

SelectionModel::SelectionModel(QObject* parent)
    : QObject(parent)
    , selection_(nullSelection())
    , resizeStart_(nullSelection()) {}

QRect SelectionModel::normalized() const {
    return normalizedSelection(selection_);
}

bool SelectionModel::hasArea() const {
    const QRect s = normalized();
    return s.width() > 0 && s.height() > 0;
}

void SelectionModel::enter(Mode mode) {
    if (mode_ == mode)
        return;
    mode_ = mode;
    emit modeChanged(mode);
}

void SelectionModel::clear() {
    selection_ = nullSelection();
    maybeClick_ = false;
    clicked_ = false;
    enter(Mode::Idle);
}

void SelectionModel::setMode(Mode mode) {
    enter(mode);
}

SelectionModel::Press SelectionModel::press(QPoint p) {
    pressPos_ = p;
    currentPos_ = p;
    clicked_ = false;
    maybeClick_ = mode_ == Mode::Idle;
    if (mode_ != Mode::Selected) {
        selection_ = nullSelection();
        refreshHandles();
        return Press::Started;
    }
    int key = 0;
    if (normalized().contains(p)) {
        moveOrigin_ = selection_.topLeft();
        moveLimit_ = moveLimit(selection_, area_);
        enter(Mode::Moving);
        return Press::Moving;
    }
    if (handleAt(handles_, p, &key)) {
        resizeStart_ = selection_;
        activeHandle_ = key;
        enter(Mode::Resizing);
        return Press::Resizing;
    }
    clear();
    return Press::Dropped;
}

bool SelectionModel::pointAt(QPoint p) {
    currentPos_ = p;
    return refreshHandles();
}

void SelectionModel::drag() {
    if (mode_ == Mode::Moving) {
        selection_ = movedSelection(selection_, moveOrigin_, pressPos_, currentPos_, moveLimit_);
    } else if (mode_ == Mode::Resizing) {
        selection_ = resizedSelection(selection_, resizeStart_, activeHandle_, pressPos_,
                                      currentPos_, area_);
    } else {
        // A click's wobble draws nothing; past it the area is drawn from the press point.
        if (mode_ != Mode::Selecting && !leftClickSlop(pressPos_, currentPos_))
            return;
        maybeClick_ = false;
        enter(Mode::Selecting);
        selection_ = drawnSelection(pressPos_, currentPos_, area_);
    }
}

bool SelectionModel::release() {
    refreshHandles();
    if (mode_ == Mode::Selecting || mode_ == Mode::Moving || mode_ == Mode::Resizing) {
        enter(Mode::Selected);
        return true;
    }
    clicked_ = maybeClick_ && mode_ == Mode::Idle;
    maybeClick_ = false;
    enter(Mode::Idle);
    return false;
}

void SelectionModel::select(const QRect& area) {
    selection_ = normalizedSelection(area);
    enter(Mode::Selected);
    refreshHandles();
}

bool SelectionModel::nudge(QPoint by) {
    if (mode_ != Mode::Selected || !hasArea())
        return false;
    selection_ = nudgedSelection(selection_, by, area_);
    refreshHandles();
    return true;
}

bool SelectionModel::grow(QPoint by) {
    if (mode_ != Mode::Selected || !hasArea())
        return false;
    selection_ = grownSelection(selection_, by, area_);
    refreshHandles();
    return true;
}

bool SelectionModel::refreshHandles() {
    const QRect s = normalized();
    if (s.right() < s.left() || s.bottom() < s.top()) {
        handles_.clear();
        return false;
    }
    if (mode_ == Mode::Idle)
        return false;
    handles_ = handleRects(selection_);
    return true;
}

Qt::CursorShape SelectionModel::hoverCursor(const QRect& panel) const {
    int key = 0;
    if (normalized().contains(currentPos_))
        return panel.contains(currentPos_) ? Qt::ArrowCursor : Qt::SizeAllCursor;
    if (handleAt(handles_, currentPos_, &key))
        return handleCursor(key);
    return Qt::ArrowCursor;
}

Qt::CursorShape SelectionModel::dragCursor() const {
    if (mode_ == Mode::Resizing)
        return handleCursor(activeHandle_);
    if (mode_ == Mode::Moving)
        return Qt::SizeAllCursor;
    return Qt::SizeFDiagCursor;
}
