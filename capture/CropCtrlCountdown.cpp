// The seconds counted down over the selected area between the record button and the start
// of the recording. The number is never in the video: it leaves the screen before the engine
// starts.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "platform/Platform.h"

namespace {
// The number leaves the screen this long before the recording starts: the windows beneath it
// need a moment to paint themselves again, or the first picture could still show it. Short
// enough that the last number is seen for most of its second.
constexpr int kNumberClearanceMs = 150;
} // namespace

void CropCtrl::startCountdown(bool withSound) {
    countdownWithSound_ = withSound;
    if (!countdownWindow_) {
        countdownWindow_ = std::make_unique<CountdownWindow>();
        connect(countdownWindow_.get(), &CountdownWindow::cancelRequested, this,
                &CropCtrl::cancelCountdown);
        countdown_.setLeadOut(kNumberClearanceMs);
        connect(&countdown_, &Countdown::remainingChanged, this, [this](int seconds) {
            const QRect s = model_.normalized();
            const QRect area = layout_.toGlobal(s, s.center(), false);
            countdownWindow_->showNumber(seconds, area);
        });
        connect(&countdown_, &Countdown::endingSoon, countdownWindow_.get(), &QWidget::hide);
        connect(&countdown_, &Countdown::finished, this, &CropCtrl::onCountdownFinished);
    }
    // The desktop itself shows during the count, so the user can get it ready; the frame
    // the recording will have keeps the area in sight meanwhile. It lies outside the area,
    // so it stays out of the video too.
    hideWindows();
    if (platform::Platform::current().placesWindows()) {
        const QRect area = model_.normalized();
        recordRect_.setGeometry(
            layout_.toGlobal(CaptureGeometry::recordFrameGeometry(area), area.center(), false));
        recordRect_.show();
        recordRect_.raise();
    }
    countdown_.start(countdownSeconds_);
}

void CropCtrl::onCountdownFinished() {
    countdownWindow_->hide();
    beginRecording(countdownWithSound_);
}

void CropCtrl::cancelCountdown() {
    if (!countdown_.isRunning())
        return;
    abandonCountdown();
    showWindows();
}

void CropCtrl::abandonCountdown() {
    if (countdown_.isRunning())
        recordRect_.hide();
    countdown_.cancel();
    if (countdownWindow_)
        countdownWindow_->hide();
}

void CropCtrl::stopFromOutside() {
    if (countdown_.isRunning())
        cancelCountdown();
    else if (model_.mode() == Mode::Recording && session_.isRecording())
        stopRecord();
}
