#pragma once

#include "widgets/SnapshotButtonGeometry.h"

#include <QMap>
#include <QMenu>
#include <QParallelAnimationGroup>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QWidget>

class QAction;
class QLabel;
class SoundSourceMenu;
class QPropertyAnimation;

// The floating record button: a frameless, always-on-top picture window docked half
// tucked in at a screen edge. It slides out while the pointer is over it, asks for a
// recording when clicked, can be dragged anywhere and then glides to the nearest edge.
// GUI thread only.
class SnapshotButton : public QWidget {
    Q_OBJECT
public:
    SnapshotButton();

    // `s` and the current state are SnapshotButtonGeometry::State values.
    void setState(int s);
    int currentState() const { return state_; }
    // The context menu's first entry, checked while the button is meant to be shown (the
    // sound source choice follows it).
    QAction* showHideEntry() const { return showHideAction_; }
    // Places the window (at its current picture's size) with its top-left corner at p.
    void setPosition(const QPoint& p);
    // Glides to the right edge if `toRight`, else to the edge nearest the window's centre;
    // there it docks and, a moment later, tucks in.
    void dock(bool toRight);
    // Glides to `edge` of the monitor it is on, keeping its place along that edge as far as
    // the monitor lets it; there it docks and tucks in.
    void dockTo(Edge edge);
    // Whether the button is on its way to an edge.
    bool isGliding() const;

signals:
    void clicked();
    void onShowHide(bool checked = false);
    // The button has come to rest at `edge`, its top-left corner at `position` when slid out.
    void docked(Edge edge, const QPoint& position);

public slots:
    void minimize();
    void restore();
    void show();
    void showContextMenu(const QPoint& pos);
    void onMovingAnimationFinished();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applySizes(int s);
    void updateDockGeometry(const QPoint& p);
    Edge nearestEdge() const;
    QPoint dockPosition(Edge edge);
    QRect screenGeometry(bool available) const;
    void retranslate();

    int state_ = SnapshotButtonGeometry::StateNone;
    int pendingState_ = SnapshotButtonGeometry::StateNone;
    QMap<int, QPixmap> pixmaps_;
    QMenu menu_;
    QAction* showHideAction_;
    SoundSourceMenu* soundSources_;
    QLabel* imageLabel_;
    bool dragging_ = false;
    bool leftPressed_ = false;
    QPoint lastGlobalPos_;
    QPoint pressGlobalPos_;
    bool caughtInGlide_ = false;
    SnapshotButtonGeometry::Tuck tucked_;
    QSize fullSize_;
    QPoint restoredWindowPos_;
    QPoint restoredLabelPos_;
    // A quarter of a second: quick enough not to be in the way, slow enough to be seen.
    int animationDuration_ = 250;
    QParallelAnimationGroup minimizeGroup_;
    QPropertyAnimation* minimizeMinSizeAnimation_;
    QPropertyAnimation* minimizeMaxSizeAnimation_;
    QPropertyAnimation* minimizePosAnimation_;
    QParallelAnimationGroup restoreGroup_;
    QPropertyAnimation* restoreMinSizeAnimation_;
    QPropertyAnimation* restoreMaxSizeAnimation_;
    QPropertyAnimation* restorePosAnimation_;
    QPropertyAnimation* moveAnimation_;
};
