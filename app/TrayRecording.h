#pragma once

#include <QIcon>
#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray icon as the sign that a recording runs: while one does, the icon carries a red
// dot, its tooltip says how to stop, and its menu offers pause and stop at the top. Where the
// program cannot put a record panel beside the area (Wayland, or an area that leaves no room
// outside it on any monitor), this is how the user sees and ends the recording. GUI thread
// only.
class TrayRecording : public QObject {
    Q_OBJECT
public:
    // `icon` and `menu` must outlive this object; `idleIcon` is the icon between recordings.
    TrayRecording(QSystemTrayIcon& icon, QMenu& menu, const QIcon& idleIcon,
                  QObject* parent = nullptr);

    bool isRecording() const { return recording_; }
    void setRecording(bool recording);
    void setPaused(bool paused);
    void retranslate();

signals:
    void pauseRequested();
    void stopRequested();

private:
    void update();

    QSystemTrayIcon& icon_;
    QIcon idleIcon_;
    QIcon recordingIcon_;
    QAction* pauseAction_;
    QAction* stopAction_;
    QAction* separator_;
    bool recording_ = false;
    bool paused_ = false;
};
