#pragma once

#include "capture/Countdown.h"
#include "capture/CountdownWindow.h"
#include "capture/FinishedRecordings.h"
#include "capture/OverlayMenu.h"
#include "capture/RecordRect.h"
#include "capture/RecordingSession.h"
#include "capture/ScreenLayout.h"
#include "capture/SelectionModel.h"
#include "upload/SocialNetwork.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class FinishedPanel;
class FinishedWindow;
class OverlayWindow;
class PopupNotify;
class QLabel;
class QLineEdit;
class QWidget;
class RecordPanel;
class SharePanel;
class StartPanel;

// The capture control: shows the frozen desktop, lets the user pick a rectangle, records it
// and offers the result for saving, uploading or sharing. It composes the parts: the
// selection (SelectionModel) and the monitors' layout (ScreenLayout) in overlay units, one
// OverlayWindow per monitor, the panels, the recording session and what becomes of its
// recordings (FinishedRecordings). All of it runs on the GUI thread.
class CropCtrl : public QObject {
    Q_OBJECT
public:
    using Mode = SelectionModel::Mode;

    // `store` keeps the recordings (it must outlive the control); without one the control
    // uses the user's default recordings folder.
    explicit CropCtrl(RecordingStore* store = nullptr, QObject* parent = nullptr);
    ~CropCtrl() override;

    // Size of the recorded area in physical pixels (what the video holds); 0 before the
    // first recording.
    int videoWidth() const { return session_.videoSize().width(); }
    int videoHeight() const { return session_.videoSize().height(); }

    bool isRecording() const { return session_.isRecording(); }
    bool isPaused() const { return session_.isPaused(); }
    // Raises the record panel and the frame of the recording under way above other windows.
    void bringRecordPanelForward();
    // Whether the recording under way shows its record panel. Without room outside the
    // recorded area it has none, and the tray icon is the recording's sign and stop button.
    bool showsRecordPanel() const { return isRecording() && recordPanelPlaced_; }
    // Where the tray icon is now (empty where the tray host does not tell): the record
    // panel keeps off it.
    void setTrayGeometrySource(std::function<QRect()> source) { trayGeometry_ = std::move(source); }
    // Whether a tray shows the program's icon. Without one, a record panel with no room
    // outside the area stays inside it: seen in the video, but the user can stop.
    void setTrayShown(bool shown) { trayShown_ = shown; }

    // Whether the overlay shows on the monitors.
    bool isVisible() const;
    // The title of the overlay's window that holds the keyboard.
    void setWindowTitle(const QString& title);
    // The area the overlay covers when Qt knows no monitor.
    void setGeometry(const QRect& area) { fallback_ = area; }

    // Read-only views for the program's tests and benchmarks.
    Mode currentMode() const { return model_.mode(); }
    QRect currentSelection() const { return model_.selection(); }
    QString recordingFilePath() const { return session_.filePath(); }
    // Whether the finished panels still wait for their file to be finished.
    bool isFinishingFile() const { return finished_.isFinishing(); }
    // The overlay's windows, one per monitor, in the order of the layout's monitors.
    QList<QWidget*> windows() const;
    const ScreenLayout& layout() const { return layout_; }

    // Seconds counted down over the area between the record button and the recording's
    // start (CropCtrlCountdown.cpp); 0 starts at once.
    void setCountdownSeconds(int seconds) { countdownSeconds_ = seconds; }
    bool isCountingDown() const { return countdown_.isRunning(); }

signals:
    void closed();
    // A recording began (true) or ended (false).
    void recordingChanged(bool recording);
    void pausedChanged(bool paused);
    // The user sent a finished recording away: upload it (shareTarget -1) or upload it and
    // share the link (a SocialNetwork value). `videoSize` is the recorded size in pixels.
    void uploadRecording(const QString& filePath, const QSize& videoSize, int shareTarget);
    // Something the user should read that needs no answer (little free space left).
    void notice(const QString& text);

public slots:
    void clear();
    void clearAndShowLabel();
    void show();
    // Ends the capture: the overlay goes, and closed() tells the owner.
    void close();
    // A stop asked for from outside the panels (a keyboard shortcut): ends the countdown or
    // the recording under way; nothing otherwise.
    void stopFromOutside();
    // Pauses or resumes the recording under way from outside its panel (the tray).
    void togglePauseFromOutside();

private slots:
    // Reached through the panels' and the menu's signals (and by name, from the benchmark).
    void recordWithSound() { startRecord(true); }
    void recordWithoutSound() { startRecord(false); }
    void stopRecord();
    void closeRecordFinishedPanel() { tearDown(); }

private:
    // CropCtrl.cpp
    // Attempts at taking the keyboard (about a second: long enough for a menu or another
    // client to let go of it).
    static constexpr int kKeyboardRetries = 20;
    void connectParts();
    void takeKeyboard(int attemptsLeft);
    void showHintAt(QPoint pos);
    void placeHintLabel();
    void onKey(int key, Qt::KeyboardModifiers modifiers);
    // CropCtrlMouse.cpp: the pointer over any of the overlay's windows, in overlay units.
    void onPressed(QPoint pos, Qt::MouseButton button);
    void onMoved(QPoint pos, Qt::MouseButtons buttons);
    void onReleased(QPoint pos, Qt::MouseButton button);
    void placeSizeLabel();
    void showSizeOf(const QRect& overlayArea);
    // CropCtrlLabels.cpp
    void buildLabels();
    void updateSizeLabel(int width, int height);
    void showContextMenuAt(QPoint globalPos);
    // CropCtrlPanels.cpp
    void connectPanels();
    void updateTexts();
    void placePanel(QWidget* panel);
    // Shows the record panel outside the recorded area, or hides it where there is no room.
    void placeRecordPanel();
    void placeSocialPanel();
    // CropCtrlScreens.cpp
    // Takes the monitors as they are now: one window on each, the mapping between them.
    void layOutScreens();
    // The layout again with each monitor's ratio as its picture shows it.
    void fitLayoutToPictures();
    void fitWindows(const QList<QScreen*>& screens);
    // Asks for the monitors' pictures; the windows show when they come.
    void grabScreens();
    void onScreensGrabbed(const QList<QScreen*>& screens, const QList<QPixmap>& pictures,
                          const QString& failure);
    // Lets the desktop stop sharing the screen, unless a recording still reads it.
    void releaseScreens();
    // What the recording reads for an area of the overlay; empty when this desktop cannot
    // record it.
    QRect sourceAreaOf(const QRect& overlayArea) const;
    // Puts a label or the start panel at an overlay position, on the monitor that holds
    // `anchor`, as a child of that monitor's window.
    void placeChild(QWidget* child, QPoint overlayPos, QPoint anchor);
    QRect childOverlayRect(const QWidget* child) const;
    void setOverlayCursor(Qt::CursorShape shape);
    void updateScreens();
    void repaintScreens();
    void showWindows();
    void hideWindows();
    // CropCtrlRecording.cpp
    void startRecord(bool withSound);
    void refuseStart(const QString& message);
    void beginRecording(bool withSound);
    void togglePause();
    void onSoundStopped(const QString& message);
    void onSessionFailed(const QString& title, const QString& message);
    void onRecordingFinished(const QString& filePath, bool ok, const QString& errorText);
    // CropCtrlCountdown.cpp
    void startCountdown(bool withSound);
    void onCountdownFinished();
    // Escape: back to the selected area, as before the record button.
    void cancelCountdown();
    // The overlay is opened anew or closed: the countdown just ends.
    void abandonCountdown();
    // CropCtrlShortcuts.cpp: the quick ways to an area.
    // The desktop's windows and the last area, for the monitors as they are now.
    void findTargets();
    // What a click at an overlay point takes: a window, else the monitor.
    QRect targetAt(QPoint pos) const;
    // The pointer rests at `pos` with nothing selected: outline what a click would take.
    void pointTarget(QPoint pos);
    // Selects `area` whole, as a finished drag would.
    void takeArea(const QRect& area);
    void takeWholeScreen();
    void takeLastArea();
    void rememberArea(const QRect& area);
    // Arrows, Enter and Ctrl+A; true when the key was one of them.
    bool onSelectionKey(int key, Qt::KeyboardModifiers modifiers);
    // The selection changed by the keyboard or typed values: the labels and panel follow.
    void showChangedSelection();
    // The size label becomes a field for exact values, and back.
    void beginSizeEdit();
    void endSizeEdit(bool apply);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // CropCtrlActions.cpp
    // Shows or hides the share targets beside the finished panel's share button.
    void toggleSharePanel();
    // The finished panels and the record frame go; the recording stays in the folder.
    void dropFinishedPanels();
    void tearDown();
    void save();
    void handOver(int shareTarget, const QString& errorTitle);
    void onFinishingChanged(bool finishing);

    // The selection and the monitors, in overlay units, and a window on each monitor (the
    // windows read both when they paint).
    SelectionModel model_;
    ScreenLayout layout_;
    std::vector<std::unique_ptr<OverlayWindow>> windows_;
    QRect fallback_;
    QString title_;
    // The monitors' pictures are asked for and the windows not yet shown.
    bool opening_ = false;
    // Children of the window of the monitor they show on.
    QLabel* hintLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    // Says that Enter takes the last area, inside it while it is offered.
    QLabel* offerLabel_ = nullptr;
    // Exact values typed over the size label.
    QLineEdit* sizeEdit_ = nullptr;
    StartPanel* startPanel_ = nullptr;
    // The desktop's windows, topmost first, in overlay units, as they were when the overlay
    // was opened (the picture is frozen, so are they).
    QVector<QRect> windowTargets_;
    OverlayMenu menu_;
    // Parentless panel windows.
    std::unique_ptr<RecordPanel> recordPanel_;
    std::unique_ptr<FinishedPanel> finishedPanel_;
    std::unique_ptr<SharePanel> sharePanel_;
    // The finished panels' actions in one window, where panels cannot be placed.
    std::unique_ptr<FinishedWindow> finishedWindow_;

    // The recording, its frame, and what becomes of it once it stops.
    RecordingSession session_;
    FinishedRecordings finished_;
    QRect captureRect_;
    RecordRect recordRect_;
    // The record panel found a place outside the recorded area.
    bool recordPanelPlaced_ = false;
    std::function<QRect()> trayGeometry_;
    bool trayShown_ = true;
    // An error handler is closing the session; a second error from the same failure is
    // not shown again.
    bool endingWithError_ = false;

    // The countdown before a recording, and the sound choice it waits to start with.
    int countdownSeconds_ = 0;
    Countdown countdown_;
    std::unique_ptr<CountdownWindow> countdownWindow_;
    bool countdownWithSound_ = false;
    // Tells that the sound stopped during a recording; made when first needed.
    std::unique_ptr<PopupNotify> soundPopup_;
};
