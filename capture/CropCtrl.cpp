#include "capture/CropCtrl.h"

#include "capture/FinishedPanel.h"
#include "capture/FinishedWindow.h"
#include "capture/OverlayWindow.h"
#include "capture/RecordPanel.h"
#include "capture/SelectionGeometry.h"
#include "capture/SharePanel.h"
#include "capture/StartPanel.h"
#include "platform/Platform.h"
#include "widgets/PopupNotify.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>

namespace {
// How long to keep asking for the keyboard when another client holds it (a menu closing,
// a key still held): long enough for a release, short enough not to be noticed.
constexpr int kKeyboardRetryMs = 50;
} // namespace

CropCtrl::CropCtrl(RecordingStore* store, QObject* parent)
    : QObject(parent)
    , recordPanel_(std::make_unique<RecordPanel>())
    , finishedPanel_(std::make_unique<FinishedPanel>())
    , sharePanel_(std::make_unique<SharePanel>())
    , finishedWindow_(std::make_unique<FinishedWindow>())
    , session_(store)
    , finished_(session_.store(),
                FinishedRecordings::Files{
                    [this](const QString& path) { return session_.isFinishing(path); },
                    [this](const QString& path) { return session_.videoSizeOf(path); },
                    [this] {
                        return isRecording() ? session_.filePath() : QString();
                    }}) {
    // There is always a window for the labels and the start panel to live on, monitors or
    // not.
    fitWindows({});
    buildLabels();
    startPanel_ = new StartPanel(windows_.front().get());
    connectParts();
    connectPanels();
}

CropCtrl::~CropCtrl() = default;

void CropCtrl::connectParts() {
    connect(&session_, &RecordingSession::elapsedChanged, recordPanel_.get(),
            &RecordPanel::setElapsed);
    connect(&session_, &RecordingSession::pausedChanged, recordPanel_.get(),
            &RecordPanel::setPaused);
    // The panel is wider while it says "Paused": placed again, it keeps its right edge.
    connect(&session_, &RecordingSession::pausedChanged, this, [this] {
        if (recordPanel_->isVisible())
            placeRecordPanel();
    });
    connect(&session_, &RecordingSession::pausedChanged, this, &CropCtrl::pausedChanged);
    connect(&session_, &RecordingSession::failed, this, &CropCtrl::onSessionFailed);
    connect(&session_, &RecordingSession::fileFinished, this, &CropCtrl::onRecordingFinished);
    connect(&session_, &RecordingSession::soundStopped, this, &CropCtrl::onSoundStopped);
    connect(&finished_, &FinishedRecordings::finishingChanged, this, &CropCtrl::onFinishingChanged);
    connect(&finished_, &FinishedRecordings::uploadRecording, this, &CropCtrl::uploadRecording);
    connect(&menu_, &OverlayMenu::recordClicked, this, &CropCtrl::recordWithoutSound);
    connect(&menu_, &OverlayMenu::recordWithSoundClicked, this, &CropCtrl::recordWithSound);
    connect(&menu_, &OverlayMenu::clearClicked, this, &CropCtrl::clearAndShowLabel);
    connect(&menu_, &OverlayMenu::closeClicked, this, &CropCtrl::close);
    connect(&menu_, &OverlayMenu::wholeScreenClicked, this, &CropCtrl::takeWholeScreen);
    connect(&menu_, &OverlayMenu::lastAreaClicked, this, &CropCtrl::takeLastArea);
}

bool CropCtrl::isVisible() const {
    for (const auto& window : windows_) {
        if (window->isVisible())
            return true;
    }
    return false;
}

void CropCtrl::setWindowTitle(const QString& title) {
    title_ = title;
    windows_.front()->setWindowTitle(title);
}

QList<QWidget*> CropCtrl::windows() const {
    QList<QWidget*> list;
    for (const auto& window : windows_)
        list.append(window.get());
    return list;
}

void CropCtrl::show() {
    // The desktop may be asking the user what to share: one question at a time.
    if (opening_)
        return;
    abandonCountdown();
    // A new capture: the finished panels of the last one go, its recording stays in the
    // recordings folder (and Ctrl+S still reaches it).
    // (The caller may have cleared the mode already: the panels tell.)
    if (!finished_.isSaving() &&
        (model_.mode() == Mode::RecordFinished || finishedPanel_->isVisible())) {
        dropFinishedPanels();
    }
    updateTexts();
    layOutScreens();
    clear();
    repaintScreens();
    // The windows show once the monitors' pictures are there (at once on most desktops).
    grabScreens();
}

void CropCtrl::clear() {
    model_.clear();
    model_.setTarget(QRect());
    hintLabel_->hide();
    sizeLabel_->hide();
    sizeEdit_->hide();
    offerLabel_->hide();
    startPanel_->hide();
    model_.setCurrentPos(layout_.fromGlobal(QCursor::pos()));
    updateScreens();
}

void CropCtrl::clearAndShowLabel() {
    clear();
    showHintAt(model_.currentPos());
}

void CropCtrl::close() {
    opening_ = false;
    abandonCountdown();
    hideWindows();
    clear();
    repaintScreens();
    releaseScreens();
    emit closed();
}

void CropCtrl::releaseScreens() {
    // What the desktop shares for the capture is needed until its recording ends.
    if (!isRecording() && !isCountingDown())
        platform::Platform::current().screenPictures().release();
}

void CropCtrl::showHintAt(QPoint pos) {
    model_.setCurrentPos(pos);
    placeHintLabel();
    hintLabel_->show();
}

void CropCtrl::placeHintLabel() {
    const QPoint pos = model_.currentPos();
    placeChild(hintLabel_, pos + QPoint(15, 15), pos);
    // The last area's offer stays in its middle while nothing is selected.
    const QRect offered = model_.offered();
    const bool offer = model_.mode() == Mode::Idle && !offered.isNull();
    if (offer) {
        offerLabel_->adjustSize();
        placeChild(offerLabel_, offered.center() - QPoint(offerLabel_->width() / 2, 0),
                   offered.center());
    }
    offerLabel_->setVisible(offer);
}

void CropCtrl::takeKeyboard(int attemptsLeft) {
    // A window that bypasses the window manager gets no focus from it; Escape and Ctrl+S
    // must work at once, so the overlay takes the keyboard itself while it is shown.
    OverlayWindow* first = windows_.front().get();
    QWindow* window = first->windowHandle();
    if (!window || !first->isVisible() || window->setKeyboardGrabEnabled(true) || attemptsLeft <= 0)
        return;
    QTimer::singleShot(kKeyboardRetryMs, this,
                       [this, attemptsLeft] { takeKeyboard(attemptsLeft - 1); });
}

void CropCtrl::onKey(int key, Qt::KeyboardModifiers modifiers) {
    // While the size field is open the keys are its own; those it let through end it.
    if (sizeEdit_->isVisible()) {
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)
            endSizeEdit(key != Qt::Key_Escape);
        return;
    }
    if (onSelectionKey(key, modifiers))
        return;
    if (key == Qt::Key_Escape)
        close();
    else if (key == Qt::Key_S && modifiers == Qt::ControlModifier)
        save();
}
