#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The seconds counted down before a recording starts. Each second is measured from the
// start, not from the previous tick, so that a late tick does not push the end back.
// GUI thread only (any thread with an event loop, in fact; it owns a timer).
class Countdown : public QObject {
    Q_OBJECT
public:
    explicit Countdown(QObject* parent = nullptr);

    // Starts counting down from `seconds` (remainingChanged(seconds) at once); a countdown
    // under way starts over. Zero or less finishes from the event loop without a tick.
    void start(int seconds);
    // Stops without finishing; nothing follows. Nothing happens when none runs.
    void cancel();
    bool isRunning() const { return running_; }
    // endingSoon() comes this long before finished(); 0 (the default) sends none.
    void setLeadOut(int ms) { leadOutMs_ = ms; }
    int remaining() const { return remaining_; }

signals:
    // Whole seconds left, counting down to 1.
    void remainingChanged(int seconds);
    // The count reaches zero in the lead-out time (setLeadOut).
    void endingSoon();
    // The count reached zero.
    void finished();

private:
    void onTick();
    void scheduleNext();

    QTimer timer_;
    QTimer leadOut_;
    int leadOutMs_ = 0;
    QElapsedTimer clock_;
    int total_ = 0;
    int remaining_ = 0;
    bool running_ = false;
};
