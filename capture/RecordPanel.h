#pragma once

#include <QTimer>
#include <QWidget>

class PushButtonWithTooltip;
class QLabel;

// The window shown beside the area while it is recorded: the elapsed time, pause or resume,
// and the stop button, which blinks while the recording runs. Kept out of the video by its
// owner, who places it.
class RecordPanel : public QWidget {
    Q_OBJECT
public:
    RecordPanel();

    // A recording starts: not paused, the stop button starts blinking.
    void begin();
    // The recording ended: the blinking stops and the window goes.
    void end();
    void setElapsed(const QString& time);
    void setPaused(bool paused);
    void retranslate();

signals:
    void pauseClicked();
    void stopClicked();

private:
    void blink();

    QWidget* panel_;
    QLabel* timeLabel_;
    PushButtonWithTooltip* pauseButton_;
    PushButtonWithTooltip* stopButton_;
    QTimer blinkTimer_;
    bool blinkOn_ = false;
    bool paused_ = false;
};
