#include "widgets/SnapshotButton.h"

#include "settings/AppSettings.h"
#include "widgets/SoundSourceMenu.h"

#include <QAction>
#include <QApplication>
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
const int kMoveDuration = 500;
// Pause between arriving at an edge and tucking in, so the user sees where it went.
const int kTuckDelay = 250;

const char* const kPictures[] = {
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

    imageLabel_ = new QLabel(this);
    imageLabel_->setObjectName("ImageLabel");
    imageLabel_->setCursor(Qt::PointingHandCursor);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &SnapshotButton::showContextMenu);
    showHideAction_ = new QAction(&menu_);
    showHideAction_->setCheckable(true);
    showHideAction_->setChecked(AppSettings::showSnapButton(QSettings()));
    connect(showHideAction_, &QAction::triggered, this, &SnapshotButton::onShowHide);
    menu_.addAction(showHideAction_);
    soundSources_ = new SoundSourceMenu(&menu_, this);

    for (int s = StateTop; s <= StateMoving; ++s)
        pixmaps_.insert(s, QPixmap(QString::fromLatin1(kPictures[s])));

    auto makeAnimation = [this](QObject* target, const char* property,
                                QParallelAnimationGroup* group) {
        auto* animation = new QPropertyAnimation(target, property, group);
        animation->setDuration(animationDuration_);
        animation->setEasingCurve(QEasingCurve::OutQuad);
        group->addAnimation(animation);
        return animation;
    };
    // Each step must move the limit that lets the window change first: when shrinking the
    // minimum, when growing the maximum. Otherwise the other limit holds the window back
    // and it ends a few pixels off its target size.
    minimizeMinSizeAnimation_ = makeAnimation(this, "minimumSize", &minimizeGroup_);
    minimizeMaxSizeAnimation_ = makeAnimation(this, "maximumSize", &minimizeGroup_);
    minimizePosAnimation_ = makeAnimation(this, "pos", &minimizeGroup_);
    restoreMaxSizeAnimation_ = makeAnimation(this, "maximumSize", &restoreGroup_);
    restoreMinSizeAnimation_ = makeAnimation(this, "minimumSize", &restoreGroup_);
    restorePosAnimation_ = makeAnimation(this, "pos", &restoreGroup_);

    moveAnimation_ = new QPropertyAnimation(this, "pos", this);
    moveAnimation_->setDuration(kMoveDuration);
    moveAnimation_->setEasingCurve(QEasingCurve::InCubic);
    moveAnimation_->setStartValue(pos());
    moveAnimation_->setEndValue(pos());
    // The limits are equal at the end of each run; make sure the window took that size.
    connect(&minimizeGroup_, &QAbstractAnimation::finished, this,
            [this] { resize(tucked_.minimizedSize); });
    connect(&restoreGroup_, &QAbstractAnimation::finished, this, [this] { resize(fullSize_); });

    connect(moveAnimation_, &QPropertyAnimation::finished, this,
            &SnapshotButton::onMovingAnimationFinished);

    // Rows of the tray menu get their texts from the language-change event; set the source
    // texts now so a program without catalogues still shows them.
    retranslate();
}

void SnapshotButton::show() {
    showHideAction_->setChecked(true);
    QWidget::show();
}

void SnapshotButton::setState(int s) {
    if (s == state_)
        return;
    if (!isCounterpart(state_, s))
        applySizes(s);
    state_ = s;
    imageLabel_->setPixmap(pixmaps_.value(s));
}

void SnapshotButton::setPosition(const QPoint& p) {
    adjustSize();
    restoredWindowPos_ = p;
    updateDockGeometry(p);
    move(p);
}

void SnapshotButton::applySizes(int s) {
    fullSize_ = pixmaps_.value(s).size();
    imageLabel_->setGeometry(QRect(QPoint(0, 0), fullSize_));
    tucked_ = tuck(s, fullSize_, restoredWindowPos_, tucked_);
    setMinimumSize(fullSize_);
    setMaximumSize(fullSize_);
}

void SnapshotButton::updateDockGeometry(const QPoint& p) {
    tucked_ = tuck(state_, fullSize_, p, tucked_);
    restoredLabelPos_ = QPoint(0, 0);
}

void SnapshotButton::minimize() {
    // While moving or before the first docking there is nothing to tuck in; running the
    // group would replay a stale slide (for instance the delayed tuck-in firing during a
    // new drag).
    if (state_ == StateMoving || state_ == StateNone)
        return;
    restoreGroup_.stop();
    // A run still going (a second leave, the delayed tuck-in) is restarted from here.
    minimizeGroup_.stop();
    minimizeMaxSizeAnimation_->setStartValue(size());
    minimizeMaxSizeAnimation_->setEndValue(tucked_.minimizedSize);
    minimizeMinSizeAnimation_->setStartValue(size());
    minimizeMinSizeAnimation_->setEndValue(tucked_.minimizedSize);
    if (slidesPicture(state_)) {
        minimizePosAnimation_->setTargetObject(imageLabel_);
        minimizePosAnimation_->setStartValue(imageLabel_->pos());
        minimizePosAnimation_->setEndValue(tucked_.minimizedLabelPos);
    } else if (slidesWindow(state_)) {
        minimizePosAnimation_->setTargetObject(this);
        minimizePosAnimation_->setStartValue(pos());
        minimizePosAnimation_->setEndValue(tucked_.minimizedWindowPos);
    }
    minimizeGroup_.start();
}

void SnapshotButton::restore() {
    if (state_ == StateMoving || state_ == StateNone)
        return;
    minimizeGroup_.stop();
    restoreGroup_.stop();
    restoreMaxSizeAnimation_->setStartValue(size());
    restoreMaxSizeAnimation_->setEndValue(fullSize_);
    restoreMinSizeAnimation_->setStartValue(size());
    restoreMinSizeAnimation_->setEndValue(fullSize_);
    if (slidesPicture(state_)) {
        restorePosAnimation_->setTargetObject(imageLabel_);
        restorePosAnimation_->setStartValue(imageLabel_->pos());
        restorePosAnimation_->setEndValue(restoredLabelPos_);
    } else if (slidesWindow(state_)) {
        restorePosAnimation_->setTargetObject(this);
        restorePosAnimation_->setStartValue(pos());
        restorePosAnimation_->setEndValue(restoredWindowPos_);
    }
    restoreGroup_.start();
}

void SnapshotButton::enterEvent(QEnterEvent* event) {
    if (state_ != StateMoving)
        restore();
    QWidget::enterEvent(event);
}

void SnapshotButton::leaveEvent(QEvent* event) {
    if (state_ != StateMoving)
        minimize();
    QWidget::leaveEvent(event);
}

void SnapshotButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // A press catches a gliding button where it is: the glide must not carry it
    // on under the pointer, nor dock it in the middle of a new drag.
    caughtInGlide_ = isGliding();
    if (caughtInGlide_)
        moveAnimation_->stop();
    lastGlobalPos_ = event->globalPosition().toPoint();
    pressGlobalPos_ = lastGlobalPos_;
    leftPressed_ = true;
    setState(pressedCounterpart(state_));
}

bool SnapshotButton::isGliding() const {
    return moveAnimation_->state() == QAbstractAnimation::Running;
}

void SnapshotButton::mouseMoveEvent(QMouseEvent* event) {
    if (!leftPressed_) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    const QPoint globalPos = event->globalPosition().toPoint();
    // A hand that trembles while clicking still clicks: only a move past the
    // platform's drag distance starts a drag.
    if (!dragging_ &&
        (globalPos - pressGlobalPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    if (state_ != StateMoving) {
        // A drag may begin while the button is half tucked in or sliding; the moving
        // picture takes over from here.
        minimizeGroup_.stop();
        restoreGroup_.stop();
        imageLabel_->move(0, 0);
        setState(StateMoving);
        move(lastGlobalPos_ - QPoint(fullSize_.width() / 2, fullSize_.height() / 2));
        setCursor(Qt::SizeAllCursor);
    }
    move(pos() + globalPos - lastGlobalPos_);
    lastGlobalPos_ = globalPos;
    dragging_ = true;
}

void SnapshotButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setCursor(Qt::ArrowCursor);
    // Cleared so that a later move with another button held does not drag the button.
    leftPressed_ = false;
    if (!dragging_) {
        setState(pressedCounterpart(state_));
        // A button caught in its glide still belongs at an edge.
        if (caughtInGlide_)
            dock(false);
        caughtInGlide_ = false;
        emit clicked();
    } else {
        caughtInGlide_ = false;
        dragging_ = false;
        dock(false);
    }
}

void SnapshotButton::dock(bool toRight) {
    dockTo(toRight ? Edge::Right : nearestEdge());
}

void SnapshotButton::dockTo(Edge edge) {
    const QPoint target = dockPosition(edge);
    qDebug() << "Move to:" << target;
    moveAnimation_->stop();
    moveAnimation_->setStartValue(pos());
    moveAnimation_->setEndValue(target);
    moveAnimation_->start();
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
    pendingState_ = dockedState(edge);
    return SnapshotButtonGeometry::dockPosition(
        edge, pos(), size(), pixmaps_.value(pendingState_).size(), screenGeometry(true));
}

void SnapshotButton::onMovingAnimationFinished() {
    if (state_ != pendingState_)
        setState(pendingState_);
    const QRect a = screenGeometry(true);
    QPoint p = pos();
    if (state_ == StateTop)
        p.setY(a.top());
    else if (state_ == StateLeft)
        p.setX(a.left());
    adjustSize();
    restoredWindowPos_ = p;
    updateDockGeometry(p);
    move(p);
    if (const std::optional<Edge> edge = dockedEdge(state_))
        emit docked(*edge, p);
    QTimer::singleShot(kTuckDelay, this, &SnapshotButton::minimize);
}

void SnapshotButton::showContextMenu(const QPoint& pos) {
    menu_.exec(mapToGlobal(pos));
}

void SnapshotButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void SnapshotButton::retranslate() {
    imageLabel_->setToolTip(tr("Press to record video"));
    showHideAction_->setText(tr("Show/hide record button"));
    soundSources_->retranslate();
}
