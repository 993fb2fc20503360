#pragma once

#include "capture/RecordRect.h"
#include "capture/RecordingSession.h"
#include "upload/SocialNetwork.h"

#include <QColor>
#include <QMap>
#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class PushButtonWithTooltip;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;

// The full-screen capture control: shows the frozen desktop, lets the user pick a rectangle,
// records it and offers the result for saving, uploading or sharing.
//
// Split by concern: CropCtrl.cpp (construction, show/clear/close, keys), CropCtrlMouse.cpp
// (selection by pointer), CropCtrlPaint.cpp (painting, labels, context menu),
// CropCtrlPanels.cpp (the button panels), CropCtrlRecording.cpp (starting, stopping and
// showing the recording; the recording itself is a RecordingSession),
// CropCtrlActions.cpp (save, upload, share). All of it runs on the GUI thread.
class CropCtrl : public QWidget {
    Q_OBJECT
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

    explicit CropCtrl(QWidget* parent = nullptr);
    ~CropCtrl() override;

    // Size of the recorded area in the control's (logical) pixels; 0 before the first
    // recording.
    int videoWidth() const { return session_.videoSize().width(); }
    int videoHeight() const { return session_.videoSize().height(); }

    // Read-only views for the program's tests and benchmarks.
    int currentMode() const { return mode_; }
    QRect currentSelection() const { return selection_; }
    QString recordingFilePath() const { return session_.filePath(); }

signals:
    void closed();
    void uploadImageData(const QByteArray& data);
    void uploadImageDataAndShare(const QByteArray& data, SocialNetwork network);

public slots:
    void clear();
    void clearAndShowLabel();
    virtual void show();

private slots:
    void startRecord(bool withSound);
    void record();
    void recordWithoutSound();
    void recordWithSound();
    void stopRecord();
    void save();
    void upload();
    void onRecordTimeChanged(const QString& time);
    void onBlinkChanged(bool on);
    void onSessionFailed(const QString& title, const QString& message);
    void onRecordingFinished();
    void closeRecordFinishedPanel();
    void showContextMenu(const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // CropCtrl.cpp
    void grabDesktop();
    // Attempts at taking the keyboard, kKeyboardRetryMs apart (CropCtrl.cpp): about a second,
    // long enough for a menu or another client to let go of it.
    static constexpr int kKeyboardRetries = 20;
    void takeKeyboard(int attemptsLeft);
    QPoint pointerPos(const QMouseEvent* event) const;
    void showHintAt(QPoint pos);
    // CropCtrlMouse.cpp
    void updateHandles();
    void updateHoverCursor();
    void placeSizeLabel();
    // CropCtrlPaint.cpp
    void buildContextMenu();
    void buildHintLabel();
    void buildSizeLabel();
    void updateSizeLabel(int width, int height);
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
    // CropCtrlRecording.cpp
    QRect physicalCaptureRect() const;
    // An area of the overlay in physical pixels of the X screen: what a recording of it
    // holds, and so the size the user is shown and the service is told.
    QRect physicalRect(const QRect& overlayArea) const;
    void refuseStart(const QString& message);
    // CropCtrlActions.cpp
    void tearDown();
    void share(SocialNetwork network);
    bool readRecording(QByteArray* video, const QString& errorTitle);

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
    QRect selection_;
    int mode_ = Idle;
    QPoint pressPos_;
    QPoint currentPos_;
    QPoint moveOrigin_;
    QPoint moveLimit_;
    QMap<int, QRect> handles_;
    int activeHandle_ = 0;
    QRect resizeStart_;
    QPixmap screenshot_;

    // Panels.
    PushButtonWithTooltip* recordButton_ = nullptr;
    QCheckBox* soundCheckBox_ = nullptr;
    PushButtonWithTooltip* closeButton_ = nullptr;
    QWidget* recordPanelWindow_ = nullptr;
    QWidget* recordPanel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    PushButtonWithTooltip* stopRecordButton_ = nullptr;
    QWidget* finishedPanelWindow_ = nullptr;
    QWidget* finishedPanel_ = nullptr;
    PushButtonWithTooltip* saveButton_ = nullptr;
    PushButtonWithTooltip* uploadButton_ = nullptr;
    PushButtonWithTooltip* shareButton_ = nullptr;
    PushButtonWithTooltip* closeFinishPanelButton_ = nullptr;
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
    // Stopped by the user; the finished panels wait for the session's finished file.
    bool awaitingFinishedFile_ = false;
};
