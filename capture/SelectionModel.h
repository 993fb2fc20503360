#pragma once

#include <QMap>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

// The overlay's selection: what the pointer does to the area, in overlay units, without a
// window. The windows feed it their pointer events and draw what it holds. GUI thread only.
class SelectionModel : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Idle = 0,
        Selecting = 1,
        Selected = 2,
        Moving = 3,
        Resizing = 4,
        Recording = 5,
        RecordFinished = 6
    };
    Q_ENUM(Mode)

    // What a press with the left button did.
    enum class Press {
        Started,  // a new area is drawn from the press point
        Moving,   // the area follows the pointer
        Resizing, // one of its handles does
        Dropped   // the area was discarded: the press was outside it and its handles
    };

    explicit SelectionModel(QObject* parent = nullptr);

    Mode mode() const { return mode_; }
    // The area as drawn (not normalized); the null rectangle when there is none.
    QRect selection() const { return selection_; }
    QRect normalized() const;
    bool hasArea() const;
    const QMap<int, QRect>& handles() const { return handles_; }
    int activeHandle() const { return activeHandle_; }
    QPoint pressPos() const { return pressPos_; }
    QPoint currentPos() const { return currentPos_; }

    // The overlay's extent, which the area stays inside.
    void setArea(QSize overlaySize) { area_ = overlaySize; }
    QSize area() const { return area_; }

    // Back to Idle with no area.
    void clear();
    // Recording and its end are entered from outside the pointer's rules.
    void setMode(Mode mode);
    void setCurrentPos(QPoint p) { currentPos_ = p; }

    Press press(QPoint p);
    // The pointer moved to `p`: the handles follow the area as it stands before the move
    // follows (returns whether there are any to draw).
    bool pointAt(QPoint p);
    // The left button is held at the pointer: the area is drawn, moved or resized.
    void drag();
    // The left button went up: true when an area is selected now. A press in Idle that
    // stayed within the click's slop selects nothing and counts as a click (clicked()).
    bool release();
    // Whether the last release ended a click on the empty overlay, which takes a target.
    bool clicked() const { return clicked_; }
    // Takes a whole area at once (a click's target, the last area, typed values, the
    // whole screen): Selected with its handles.
    void select(const QRect& area);
    // The keyboard on a selected area: moved by `by`, or its bottom-right corner moved by
    // `by`, inside the overlay. False when there is no selected area to change.
    bool nudge(QPoint by);
    bool grow(QPoint by);

    // What a click would take now, outlined while nothing is selected; null for none.
    void setTarget(const QRect& target) { target_ = target; }
    QRect target() const { return target_; }
    // The last area used, offered again while nothing is selected; null for none.
    void setOffered(const QRect& area) { offered_ = area; }
    QRect offered() const { return offered_; }
    // The handles of the area as it stands; true when there are any to draw.
    bool refreshHandles();

    // The pointer's shape over the overlay while no button is held; `panel` is the start
    // panel's area, over which the pointer is a plain arrow.
    Qt::CursorShape hoverCursor(const QRect& panel) const;
    // The pointer's shape while dragging.
    Qt::CursorShape dragCursor() const;

signals:
    void modeChanged(SelectionModel::Mode mode);

private:
    void enter(Mode mode);

    Mode mode_ = Mode::Idle;
    QRect selection_;
    QSize area_;
    QPoint pressPos_;
    QPoint currentPos_;
    QPoint moveOrigin_;
    QPoint moveLimit_;
    QMap<int, QRect> handles_;
    int activeHandle_ = 0;
    QRect resizeStart_;
    // The press came on the empty overlay and has not left the click's slop yet.
    bool maybeClick_ = false;
    bool clicked_ = false;
    QRect target_;
    QRect offered_;
};
