#include "capture/Countdown.h"

namespace {
constexpr qint64 kSecondMs = 1000;
} // namespace

Countdown::Countdown(QObject* parent)
    : QObject(parent) {
    // A coarse timer may fire up to 5 % late; the end of the count is what the user waits for.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Countdown::onTick);
    leadOut_.setTimerType(Qt::PreciseTimer);
    leadOut_.setSingleShot(true);
    connect(&leadOut_, &QTimer::timeout, this, &Countdown::endingSoon);
}

void Countdown::start(int seconds) {
    timer_.stop();
    total_ = qMax(0, seconds);
    remaining_ = total_;
    running_ = true;
    clock_.start();
    leadOut_.stop();
    if (leadOutMs_ > 0 && total_ > 0)
        leadOut_.start(int(qMax<qint64>(0, total_ * kSecondMs - leadOutMs_)));
    if (remaining_ > 0)
        emit remainingChanged(remaining_);
    scheduleNext();
}

void Countdown::cancel() {
    timer_.stop();
    leadOut_.stop();
    running_ = false;
    remaining_ = 0;
}

void Countdown::scheduleNext() {
    if (remaining_ == 0) {
        timer_.start(0);
        return;
    }
    // The next whole second after the start, whatever time the last tick came at.
    const qint64 due = (total_ - remaining_ + 1) * kSecondMs;
    timer_.start(int(qMax<qint64>(0, due - clock_.elapsed())));
}

void Countdown::onTick() {
    if (!running_)
        return;
    if (remaining_ > 0)
        --remaining_;
    if (remaining_ == 0) {
        running_ = false;
        leadOut_.stop();
        emit finished();
        return;
    }
    emit remainingChanged(remaining_);
    scheduleNext();
}
