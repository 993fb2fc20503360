#pragma once

#include "capture/Countdown.h"
#include "capture/CountdownWindow.h"
#include "capture/RecordRect.h"
#include "capture/RecordingSession.h"
#include "upload/SocialNetwork.h"

#include <QColor>
#include <QHash>
#include <QMap>
#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class PopupNotify;
class PushButtonWithTooltip;
class SoundSourceMenu;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPainter;
class QScreen;
class OverlaySurface;
class RecordingStore;

// The full-screen capture control: shows the frozen desktop, lets the user pick a rectangle,
// records it and offers the result for saving, uploading or sharing.
//
// The control works in overlay coordinates: pixels of the X screen divided by the device
// pixel ratio, from the top-left corner of all monitors together, so that they run on without
// gaps from one monitor to the next. Every monitor shows its part in a window of its own: the
// control itself on the primary monitor, an OverlaySurface on each other one.
//
// Split by concern: CropCtrl.cpp (construction, show/clear/close, keys), CropCtrlMouse.cpp
// (selection by pointer), CropCtrlPaint.cpp (painting, labels, context menu),
// CropCtrlPanels.cpp (the button panels), CropCtrlRecording.cpp (starting, stopping and
// showing the recording; the recording itself is a RecordingSession),
// CropCtrlActions.cpp (save, upload, share), CropCtrlScreens.cpp (the monitors' windows
// and the mapping between overlay, Qt and X screen coordinates). All of it runs on the GUI thread.
class CropCtrl : public QWidget {
    Q_OBJECT
    friend class OverlaySurface;

public:
    enum Mode {
        Idle = 0,
        Selecting = 1,
        Selected = 2,
        Moving = 3,
        Resizing = 4,
        Recording = 5,
        RecordFinished = 6
    };

    // `store` keeps the recordings (it must outlive the control); without one the control
    // uses the user's default recordings folder.
    explicit CropCtrl(RecordingStore* store = nullptr, QWidget* parent = nullptr);
    ~CropCtrl() override;

    // Size of the recorded area in physical pixels (what the video holds); 0 before the
    // first recording.
    int videoWidth() const { return session_.videoSize().width(); }
    int videoHeight() const { return session_.videoSize().height(); }

    RecordingStore* recordingStore() const { return session_.store(); }
    bool isRecording() const { return session_.isRecording(); }
    // Raises the record panel and the frame of the recording under way above other windows.
    void bringRecordPanelForward();

    // Read-only views for the program's tests and benchmarks.
    int currentMode() const { return mode_; }
    QRect currentSelection() const { return selection_; }
    QString recordingFilePath() const { return session_.filePath(); }
    // Whether the finished panels still wait for their file to be finished.
    bool isFinishingFile() const { return finishing_; }

    // Seconds counted down over the area between the record button and the recording's
    // start (CropCtrlCountdown.cpp); 0 starts at once.
    void setCountdownSeconds(int seconds) { countdownSeconds_ = seconds; }
    bool isCountingDown() const { return countdown_.isRunning(); }

signals:
    void closed();
    // The user sent a finished recording away: upload it (shareTarget -1) or upload it and
    // share the link (a SocialNetwork value). `videoSize` is the recorded size in pixels.
    void uploadRecording(const QString& filePath, const QSize& videoSize, int shareTarget);
    // Something the user should read that needs no answer (little free space left).
    void notice(const QString& text);

public slots:
    void clear();
    void clearAndShowLabel();
    virtual void show();
    // A stop asked for from outside the panels (a keyboard shortcut): ends the countdown or
    // the recording under way; nothing otherwise.
    void stopFromOutside();

private slots:
    void startRecord(bool withSound);
    void record();
    void recordWithoutSound();
    void recordWithSound();
    void stopRecord();
    void togglePause();
    void onPausedChanged(bool paused);
    void onSoundStopped(const QString& message);
    void save();
    void upload();
    void onRecordTimeChanged(const QString& time);
    void onBlinkChanged(bool on);
    void onSessionFailed(const QString& title, const QString& message);
    void onRecordingFinished(const QString& filePath, bool ok, const QString& errorText);
    void closeRecordFinishedPanel();
    void showContextMenu(const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // CropCtrl.cpp
    // Attempts at taking the keyboard, kKeyboardRetryMs apart (CropCtrl.cpp): about a second,
    // long enough for a menu or another client to let go of it.
    static constexpr int kKeyboardRetries = 20;
    void takeKeyboard(int attemptsLeft);
    void showHintAt(QPoint pos);
    // CropCtrlMouse.cpp: the pointer over any of the overlay's windows (`source`).
    void pointerPressed(QMouseEvent* event, QWidget* source);
    void pointerMoved(QMouseEvent* event, QWidget* source);
    void pointerReleased(QMouseEvent* event, QWidget* source);
    void updateHandles();
    void updateHoverCursor();
    void placeSizeLabel();
    void placeHintLabel();
    // CropCtrlPaint.cpp
    void buildContextMenu();
    void buildHintLabel();
    void buildSizeLabel();
    void updateSizeLabel(int width, int height);
    void paintPart(QPainter& painter, int part);
    void showContextMenuAt(QPoint globalPos);
    // CropCtrlPanels.cpp
    void buildStartRecordPanel();
    void buildRecordPanel();
    void buildRecordFinishedPanel();
    void buildSocialButtonPanel();
    QWidget* makePanelWindow(QWidget** panel, const QString& name, const QString& style);
    PushButtonWithTooltip* makeImageButton(QWidget* panel, const QString& name,
                                           const QString& image, bool withHover, QSize size);
    QFrame* createSeparator(QWidget* parent, const QString& style);
    void updateTexts();
    void placePanel(QWidget* panel);
    void placeRecordPanel();
    void placeSocialPanel();
    // CropCtrlScreens.cpp
    // One monitor's share of the overlay.
    struct ScreenPart {
        QScreen* screen = nullptr;
        QWidget* window = nullptr; // this control, or an OverlaySurface
        QRect area;                // in overlay coordinates
        QRect physical;            // in pixels of the X screen
        double toOverlay = 1.0;    // overlay units per logical unit of the window
        QPixmap picture;           // the monitor frozen at its physical resolution
    };
    // Takes the monitors as they are now: one window on each, the mapping between them.
    void layOutScreens();
    void grabScreens();
    int partAt(QPoint overlayPoint) const;
    int partOf(const QWidget* window) const;
    QPoint overlayPoint(const QWidget* window, QPointF local) const;
    QPoint fromGlobal(QPoint global) const;
    // An area of the overlay as a top-level window's geometry; with `keepOnScreen` it is
    // first moved onto the monitor that holds `anchor` (keptOnPart).
    QRect toGlobal(const QRect& overlayArea, QPoint anchor, bool keepOnScreen) const;
    QRect keptOnPart(const QRect& overlayArea, const ScreenPart& part) const;
    QRect overlayRectOf(const QWidget* window) const;
    // Puts a label or the start panel at an overlay position, on the monitor that holds
    // `anchor` (keptOnPart), as a child of that monitor's window.
    void placeChild(QWidget* child, QPoint overlayPos, QPoint anchor);
    QRect childOverlayRect(const QWidget* child) const;
    void setOverlayCursor(Qt::CursorShape shape);
    void updateScreens();
    void repaintScreens();
    void showSurfaces(bool visible);
    // CropCtrlRecording.cpp
    QRect physicalCaptureRect() const;
    // An area of the overlay in physical pixels of the X screen: what a recording of it
    // holds, and so the size the user is shown and the service is told.
    QRect physicalRect(const QRect& overlayArea) const;
    void refuseStart(const QString& message);
    void beginRecording(bool withSound);
    // CropCtrlCountdown.cpp
    void startCountdown(bool withSound);
    void onCountdownFinished();
    // Escape: back to the selected area, as before the record button.
    void cancelCountdown();
    // The overlay is opened anew or closed: the countdown just ends.
    void abandonCountdown();
    // CropCtrlActions.cpp
    // The finished panels and the record frame go; the recording stays in the folder.
    void dropFinishedPanels();
    void tearDown();
    void share(SocialNetwork network);
    void handOver(int shareTarget, const QString& errorTitle);
    // The finished recording Ctrl+S and Save act on, or empty when there is none.
    QString recordingToSave() const;
    void setFinishing(bool finishing);

    // Selection state (see the mode enumeration).
    double frameWidth_;
    QColor dimColor_;
    QString darkStyle_;
    QString lightStyle_;
    QSize sizeLabelSize_;
    int panelHeight_;
    QLabel* hintLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QWidget* startRecordPanel_ = nullptr;
    QMenu contextMenu_;
    QAction* recordAction_ = nullptr;
    QAction* recordWithSoundAction_ = nullptr;
    QAction* clearAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    SoundSourceMenu* soundSources_ = nullptr;
    QRect selection_;
    int mode_ = Idle;
    QPoint pressPos_;
    QPoint currentPos_;
    QPoint moveOrigin_;
    QPoint moveLimit_;
    QMap<int, QRect> handles_;
    int activeHandle_ = 0;
    QRect resizeStart_;
    std::vector<ScreenPart> parts_;
    QList<OverlaySurface*> surfaces_;
    QSize overlaySize_;
    QPoint physicalOrigin_;
    double ratio_ = 1.0;

    // Panels.
    PushButtonWithTooltip* recordButton_ = nullptr;
    QCheckBox* soundCheckBox_ = nullptr;
    PushButtonWithTooltip* closeButton_ = nullptr;
    QWidget* recordPanelWindow_ = nullptr;
    QWidget* recordPanel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    PushButtonWithTooltip* pauseRecordButton_ = nullptr;
    PushButtonWithTooltip* stopRecordButton_ = nullptr;
    QWidget* finishedPanelWindow_ = nullptr;
    QWidget* finishedPanel_ = nullptr;
    PushButtonWithTooltip* saveButton_ = nullptr;
    PushButtonWithTooltip* uploadButton_ = nullptr;
    PushButtonWithTooltip* shareButton_ = nullptr;
    PushButtonWithTooltip* closeFinishPanelButton_ = nullptr;
    QLabel* finishingLabel_ = nullptr;
    QWidget* socialPanelWindow_ = nullptr;
    QWidget* socialPanel_ = nullptr;
    PushButtonWithTooltip* facebookButton_ = nullptr;
    PushButtonWithTooltip* twitterButton_ = nullptr;
    PushButtonWithTooltip* googleButton_ = nullptr;

    // The recording and its frame.
    RecordingSession session_;
    QRect captureRect_;
    RecordRect recordRect_;
    // An error handler is closing the session; a second error from the same failure is
    // not shown again.
    bool endingWithError_ = false;
    // The recording the finished panels offer, and whether its file is still being finished
    // (Save waits for it; upload and share are queued until it is ready).
    QString shownRecording_;
    bool finishing_ = false;
    // The last recording whose file was finished whole, for Ctrl+S on a fresh overlay.
    QString lastFinished_;
    // Uploads asked for while their file was still being finished: share target by file.
    QHash<QString, int> pendingUploads_;
    // A save of the shown recording runs.
    bool saving_ = false;

    // The countdown before a recording, and the sound choice it waits to start with.
    int countdownSeconds_ = 0;
    Countdown countdown_;
    std::unique_ptr<CountdownWindow> countdownWindow_;
    bool countdownWithSound_ = false;
    // Tells that the sound stopped during a recording; made when first needed.
    PopupNotify* soundPopup_ = nullptr;
};
