#include "widgets/SnapshotButton.h"

#include "settings/AppSettings.h"

#include <QAction>
#include <QDebug>
#include <QEnterEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSettings>
#include <QTimer>

using namespace SnapshotButtonGeometry;

namespace {

// The glide to an edge: long enough to follow with the eye, accelerating into the edge.
const int moveDuration = 500;
// Pause between arriving at an edge and tucking in, so the user sees where it went.
const int tuckDelay = 250;

const char* const pictures[] = {
    nullptr,
    ":/Resources/SnapButton/top.png",
    ":/Resources/SnapButton/top_pressed.png",
    ":/Resources/SnapButton/right.png",
    ":/Resources/SnapButton/right_pressed.png",
    ":/Resources/SnapButton/bottom.png",
    ":/Resources/SnapButton/bottom_pressed.png",
    ":/Resources/SnapButton/left.png",
    ":/Resources/SnapButton/left_pressed.png",
    ":/Resources/SnapButton/moving.png",
};

bool slidesPicture(int state) {
    return state == StateTop || state == StateTopPressed || state == StateLeft ||
           state == StateLeftPressed;
}

bool slidesWindow(int state) {
    return state >= StateRight && state <= StateBottomPressed;
}

} // namespace

SnapshotButton::SnapshotButton()
    : QWidget(nullptr) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_MouseTracking);

    imageLabel = new QLabel(this);
    imageLabel->setObjectName("ImageLabel");
    imageLabel->setCursor(Qt::PointingHandCursor);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &SnapshotButton::showContextMenu);
    showHideAction = new QAction(&menu);
    showHideAction->setCheckable(true);
    showHideAction->setChecked(AppSettings::showSnapButton(QSettings()));
    connect(showHideAction, &QAction::triggered, this, &SnapshotButton::onShowHide);
    menu.addAction(showHideAction);

    for (int s = StateTop; s <= StateMoving; ++s)
        pixmaps.insert(s, QPixmap(QString::fromLatin1(pictures[s])));

    auto makeAnimation = [this](QObject* target, const char* property,
                                QParallelAnimationGroup* group) {
        auto* animation = new QPropertyAnimation(target, property, group);
        animation->setDuration(animationDuration);
        animation->setEasingCurve(QEasingCurve::OutQuad);
        group->addAnimation(animation);
        return animation;
    };
    // Each step must move the limit that lets the window change first: when shrinking the
    // minimum, when growing the maximum. Otherwise the other limit holds the window back
    // and it ends a few pixels off its target size.
    minimizeMinSizeAnimation = makeAnimation(this, "minimumSize", &minimizeGroup);
    minimizeMaxSizeAnimation = makeAnimation(this, "maximumSize", &minimizeGroup);
    minimizePosAnimation = makeAnimation(this, "pos", &minimizeGroup);
    restoreMaxSizeAnimation = makeAnimation(this, "maximumSize", &restoreGroup);
    restoreMinSizeAnimation = makeAnimation(this, "minimumSize", &restoreGroup);
    restorePosAnimation = makeAnimation(this, "pos", &restoreGroup);

    moveAnimation = new QPropertyAnimation(this, "pos", this);
    moveAnimation->setDuration(moveDuration);
    moveAnimation->setEasingCurve(QEasingCurve::InCubic);
    moveAnimation->setStartValue(pos());
    moveAnimation->setEndValue(pos());
    // The limits are equal at the end of each run; make sure the window took that size.
    connect(&minimizeGroup, &QAbstractAnimation::finished, this,
            [this] { resize(tucked.minimizedSize); });
    connect(&restoreGroup, &QAbstractAnimation::finished, this, [this] { resize(fullSize); });

    connect(moveAnimation, &QPropertyAnimation::finished, this,
            &SnapshotButton::onMovingAnimationFinished);

    // Rows of the tray menu get their texts from the language-change event; set the source
    // texts now so a program without catalogues still shows them.
    retranslate();
}

void SnapshotButton::show() {
    showHideAction->setChecked(true);
    QWidget::show();
}

void SnapshotButton::setState(int s) {
    if (s == state)
        return;
    if (!isCounterpart(state, s))
        applySizes(s);
    state = s;
    imageLabel->setPixmap(pixmaps.value(s));
}

void SnapshotButton::setPosition(const QPoint& p) {
    adjustSize();
    restoredWindowPos = p;
    updateDockGeometry(p);
    move(p);
}

void SnapshotButton::applySizes(int s) {
    fullSize = pixmaps.value(s).size();
    imageLabel->setGeometry(QRect(QPoint(0, 0), fullSize));
    tucked = tuck(s, fullSize, restoredWindowPos, tucked);
    setMinimumSize(fullSize);
    setMaximumSize(fullSize);
}

void SnapshotButton::updateDockGeometry(const QPoint& p) {
    tucked = tuck(state, fullSize, p, tucked);
    restoredLabelPos = QPoint(0, 0);
}

void SnapshotButton::minimize() {
    // While moving or before the first docking there is nothing to tuck in; running the
    // group would replay a stale slide (for instance the delayed tuck-in firing during a
    // new drag).
    if (state == StateMoving || state == StateNone)
        return;
    restoreGroup.stop();
    // A run still going (a second leave, the delayed tuck-in) is restarted from here.
    minimizeGroup.stop();
    minimizeMaxSizeAnimation->setStartValue(size());
    minimizeMaxSizeAnimation->setEndValue(tucked.minimizedSize);
    minimizeMinSizeAnimation->setStartValue(size());
    minimizeMinSizeAnimation->setEndValue(tucked.minimizedSize);
    if (slidesPicture(state)) {
        minimizePosAnimation->setTargetObject(imageLabel);
        minimizePosAnimation->setStartValue(imageLabel->pos());
        minimizePosAnimation->setEndValue(tucked.minimizedLabelPos);
    } else if (slidesWindow(state)) {
        minimizePosAnimation->setTargetObject(this);
        minimizePosAnimation->setStartValue(pos());
        minimizePosAnimation->setEndValue(tucked.minimizedWindowPos);
    }
    minimizeGroup.start();
}

void SnapshotButton::restore() {
    if (state == StateMoving || state == StateNone)
        return;
    minimizeGroup.stop();
    restoreGroup.stop();
    restoreMaxSizeAnimation->setStartValue(size());
    restoreMaxSizeAnimation->setEndValue(fullSize);
    restoreMinSizeAnimation->setStartValue(size());
    restoreMinSizeAnimation->setEndValue(fullSize);
    if (slidesPicture(state)) {
        restorePosAnimation->setTargetObject(imageLabel);
        restorePosAnimation->setStartValue(imageLabel->pos());
        restorePosAnimation->setEndValue(restoredLabelPos);
    } else if (slidesWindow(state)) {
        restorePosAnimation->setTargetObject(this);
        restorePosAnimation->setStartValue(pos());
        restorePosAnimation->setEndValue(restoredWindowPos);
    }
    restoreGroup.start();
}

void SnapshotButton::enterEvent(QEnterEvent* event) {
    if (state != StateMoving)
        restore();
    QWidget::enterEvent(event);
}

void SnapshotButton::leaveEvent(QEvent* event) {
    if (state != StateMoving)
        minimize();
    QWidget::leaveEvent(event);
}

void SnapshotButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    lastGlobalPos = event->globalPosition().toPoint();
    leftPressed = true;
    setState(pressedCounterpart(state));
}

void SnapshotButton::mouseMoveEvent(QMouseEvent* event) {
    if (!leftPressed) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    if (state != StateMoving) {
        // A drag may begin while the button is half tucked in or sliding; the moving
        // picture takes over from here.
        minimizeGroup.stop();
        restoreGroup.stop();
        imageLabel->move(0, 0);
        setState(StateMoving);
        move(lastGlobalPos - QPoint(fullSize.width() / 2, fullSize.height() / 2));
        setCursor(Qt::SizeAllCursor);
    }
    const QPoint globalPos = event->globalPosition().toPoint();
    move(pos() + globalPos - lastGlobalPos);
    lastGlobalPos = globalPos;
    dragging = true;
}

void SnapshotButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setCursor(Qt::ArrowCursor);
    // Cleared so that a later move with another button held does not drag the button.
    leftPressed = false;
    if (!dragging) {
        setState(pressedCounterpart(state));
        emit clicked();
    } else {
        dragging = false;
        dock(false);
    }
}

void SnapshotButton::dock(bool toRight) {
    const Edge edge = toRight ? Edge::Right : nearestEdge();
    const QPoint target = dockPosition(edge);
    qDebug() << "Move to:" << target;
    moveAnimation->stop();
    moveAnimation->setStartValue(pos());
    moveAnimation->setEndValue(target);
    moveAnimation->start();
}

QRect SnapshotButton::screenGeometry(bool available) const {
    QScreen* s = QGuiApplication::screenAt(geometry().center());
    if (!s)
        s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return QRect();
    return available ? s->availableGeometry() : s->geometry();
}

Edge SnapshotButton::nearestEdge() const {
    const QRect window = geometry();
    const QRect s = screenGeometry(false);
    qDebug() << "Point:"
             << QPoint((window.left() + window.right()) / 2, (window.top() + window.bottom()) / 2);
    qDebug() << s;
    return SnapshotButtonGeometry::nearestEdge(window, s);
}

QPoint SnapshotButton::dockPosition(Edge edge) {
    pendingState = dockedState(edge);
    return SnapshotButtonGeometry::dockPosition(
        edge, pos(), size(), pixmaps.value(pendingState).size(), screenGeometry(true));
}

void SnapshotButton::onMovingAnimationFinished() {
    if (state != pendingState)
        setState(pendingState);
    const QRect a = screenGeometry(true);
    QPoint p = pos();
    if (state == StateTop)
        p.setY(a.top());
    else if (state == StateLeft)
        p.setX(a.left());
    adjustSize();
    restoredWindowPos = p;
    updateDockGeometry(p);
    move(p);
    QTimer::singleShot(tuckDelay, this, &SnapshotButton::minimize);
}

void SnapshotButton::showContextMenu(const QPoint& pos) {
    menu.exec(mapToGlobal(pos));
}

void SnapshotButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void SnapshotButton::retranslate() {
    imageLabel->setToolTip(tr("Press to record video"));
    showHideAction->setText(tr("Show/hide record button"));
}
