#pragma once

#include <QTimer>
#include <QWidget>

class PushButtonWithTooltip;
class QLabel;

// The window shown beside the area while it is recorded: the elapsed time, pause or resume,
// and the stop button, whose red dot blinks while the recording runs. Paused, the dot rests
// grey, the time blinks and the panel says so in words. Kept out of the video by its owner,
// who places it again when the panel's width changes with the pause.
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
    void showDot(bool red);
    void fit();

    QWidget* panel_;
    QLabel* timeLabel_;
    QLabel* pausedLabel_;
    PushButtonWithTooltip* pauseButton_;
    PushButtonWithTooltip* stopButton_;
    QTimer blinkTimer_;
    bool blinkOn_ = false;
    bool paused_ = false;
};
