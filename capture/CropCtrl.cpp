#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "widgets/PopupNotify.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {
// How long to keep asking for the keyboard when another client holds it (a menu closing,
// a key still held): long enough for a release, short enough not to be noticed.
constexpr int kKeyboardRetryMs = 50;
} // namespace

CropCtrl::CropCtrl(RecordingStore* store, QWidget* parent)
    : QWidget(parent)
    , frameWidth_(CaptureGeometry::kFrameWidth)
    , dimColor_(0, 0, 0, 127)
    , darkStyle_(QStringLiteral("background-color: rgba(0, 0, 0, 127.5);\t\t"
                                "border-width: 1px;\t\tborder-style: solid;\t\t"
                                "border-color: white;\t\tborder-radius: 5px;"))
    , lightStyle_(QStringLiteral("background-color: rgba(255, 255, 255, 229.5);\t\t"
                                 "border-width: 1px;\t\tborder-style: solid;\t\t"
                                 "border-color: black;\t\tborder-radius: 5px;"))
    , sizeLabelSize_(145, 43)
    , panelHeight_(43)
    , selection_(CaptureGeometry::nullSelection())
    , resizeStart_(CaptureGeometry::nullSelection())
    , session_(store) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_MouseTracking);
    // The overlay must lie above every window, docks and panels included, on every screen:
    // the window manager would keep docks above it and fit it into one monitor.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setWindowIcon(QIcon(QStringLiteral(":/Resources/windowIcon.png")));

    buildContextMenu();
    buildHintLabel();
    buildSizeLabel();
    buildStartRecordPanel();
    buildRecordPanel();
    buildRecordFinishedPanel();
    buildSocialButtonPanel();
    connect(&session_, &RecordingSession::elapsedChanged, this, &CropCtrl::onRecordTimeChanged);
    connect(&session_, &RecordingSession::blinkChanged, this, &CropCtrl::onBlinkChanged);
    connect(&session_, &RecordingSession::failed, this, &CropCtrl::onSessionFailed);
    connect(&session_, &RecordingSession::fileFinished, this, &CropCtrl::onRecordingFinished);
    connect(&session_, &RecordingSession::pausedChanged, this, &CropCtrl::onPausedChanged);
    connect(&session_, &RecordingSession::soundStopped, this, &CropCtrl::onSoundStopped);
}

CropCtrl::~CropCtrl() {
    // The panel windows have no parent; they go first, before the members they point into.
    delete socialPanelWindow_;
    delete finishedPanelWindow_;
    delete recordPanelWindow_;
    delete soundPopup_;
}

void CropCtrl::show() {
    abandonCountdown();
    // A new capture: the finished panels of the last one go, its recording stays in the
    // recordings folder (and Ctrl+S still reaches it).
    // (The caller may have cleared the mode already: the panels tell.)
    if (!saving_ && (mode_ == RecordFinished || finishedPanelWindow_->isVisible())) {
        dropFinishedPanels();
    }
    updateTexts();
    layOutScreens();
    clear();
    repaintScreens();
    showHintAt(currentPos_);
    grabScreens();
    QWidget::show();
    raise();
    activateWindow();
    takeKeyboard(kKeyboardRetries);
}

void CropCtrl::clear() {
    mode_ = Idle;
    selection_ = CaptureGeometry::nullSelection();
    hintLabel_->hide();
    sizeLabel_->hide();
    startRecordPanel_->hide();
    currentPos_ = fromGlobal(QCursor::pos());
    updateScreens();
}

void CropCtrl::clearAndShowLabel() {
    clear();
    showHintAt(currentPos_);
}

void CropCtrl::showHintAt(QPoint pos) {
    currentPos_ = pos;
    placeHintLabel();
    hintLabel_->show();
}

void CropCtrl::placeHintLabel() {
    placeChild(hintLabel_, currentPos_ + QPoint(15, 15), currentPos_);
}

void CropCtrl::takeKeyboard(int attemptsLeft) {
    // A window that bypasses the window manager gets no focus from it; Escape and Ctrl+S
    // must work at once, so the overlay takes the keyboard itself while it is shown.
    QWindow* window = windowHandle();
    if (!window || !isVisible() || window->setKeyboardGrabEnabled(true) || attemptsLeft <= 0)
        return;
    QTimer::singleShot(kKeyboardRetryMs, this,
                       [this, attemptsLeft] { takeKeyboard(attemptsLeft - 1); });
}

void CropCtrl::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Escape)
        close();
    else if (event->key() == Qt::Key_S && event->modifiers() == Qt::ControlModifier)
        save();
}

void CropCtrl::closeEvent(QCloseEvent* event) {
    abandonCountdown();
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    clear();
    repaintScreens();
    emit closed();
    event->accept();
}
