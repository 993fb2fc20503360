#pragma once

#include "capture/RecordRect.h"
#include "media/AbstractGrabber.h"
#include "media/Encoder.h"

#include <QColor>
#include <QMap>
#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

class AudioGrabber;
class PushButtonWithTooltip;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class Recorder;
class ScreenGrabber;
class VideoCodecSettings;
class AudioCodecSettings;

// The full-screen capture control: shows the frozen desktop, lets the user pick a rectangle,
// records it and offers the result for saving, uploading or sharing.
//
// Split by concern: CropCtrl.cpp (construction, show/clear/close, keys), CropCtrlMouse.cpp
// (selection by pointer), CropCtrlPaint.cpp (painting, labels, context menu),
// CropCtrlPanels.cpp (the button panels), CropCtrlRecording.cpp (the recording session),
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
    enum SocialNetwork { Facebook = 0, Twitter = 1, GooglePlus = 2 };

    explicit CropCtrl(QWidget* parent = nullptr);
    ~CropCtrl() override;

    // Size of the recorded area in the control's (logical) pixels; 0 before the first
    // recording.
    int videoWidth() const { return videoWidth_; }
    int videoHeight() const { return videoHeight_; }

    // Read-only views for the program's tests and benchmarks.
    int currentMode() const { return mode; }
    QRect currentSelection() const { return selection; }
    QString recordingFilePath() const { return recordFilePath; }

signals:
    void closed();
    void uploadImageData(const QByteArray& data);
    void uploadImageDataAndShare(const QByteArray& data, int socialNetwork);

public slots:
    void clear();
    void clearAndShowLabel();
    virtual void show();

private slots:
    void startRecord(bool withSound);
    void record();
    void recordWithoutSound();
    void recordWithSound();
    void recordTimeout();
    void timerTimeout();
    void stopRecord();
    void save();
    void upload();
    void share();
    void onRecordTimeChanged(const QString& time);
    void closeRecordFinishedPanel();
    void onEncoderError(Encoder::Error error);
    void onAudioGrabberError(AbstractGrabber::Error error);
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
    void configureMedia();
    VideoCodecSettings makeVideoCodecSettings() const;
    AudioCodecSettings makeAudioCodecSettings() const;
    QRect physicalCaptureRect() const;
    void endWithError(const QString& title, const QString& message);
    void refuseStart(const QString& message);
    // CropCtrlActions.cpp
    void tearDown();
    bool readRecording(QByteArray* data, const QString& errorTitle);

    // Selection state (see the mode enumeration).
    double frameWidth;
    QColor dimColor;
    QString darkStyle;
    QString lightStyle;
    QSize sizeLabelSize;
    int panelHeight;
    QLabel* hintLabel = nullptr;
    QLabel* sizeLabel = nullptr;
    QWidget* startRecordPanel = nullptr;
    QMenu contextMenu;
    QAction* recordAction = nullptr;
    QAction* recordWithSoundAction = nullptr;
    QAction* clearAction = nullptr;
    QAction* closeAction = nullptr;
    QRect selection;
    int mode = Idle;
    QPoint pressPos;
    QPoint currentPos;
    QPoint moveOrigin;
    QPoint moveLimit;
    QMap<int, QRect> handles;
    int activeHandle = 0;
    QRect resizeStart;
    QPixmap screenshot;

    // Panels.
    PushButtonWithTooltip* recordButton = nullptr;
    QCheckBox* soundCheckBox = nullptr;
    PushButtonWithTooltip* closeButton = nullptr;
    QWidget* recordPanelWindow = nullptr;
    QWidget* recordPanel = nullptr;
    QLabel* timeLabel = nullptr;
    PushButtonWithTooltip* stopRecordButton = nullptr;
    QWidget* finishedPanelWindow = nullptr;
    QWidget* finishedPanel = nullptr;
    PushButtonWithTooltip* saveButton = nullptr;
    PushButtonWithTooltip* uploadButton = nullptr;
    PushButtonWithTooltip* shareButton = nullptr;
    PushButtonWithTooltip* closeFinishPanelButton = nullptr;
    QWidget* socialPanelWindow = nullptr;
    QWidget* socialPanel = nullptr;
    PushButtonWithTooltip* facebookButton = nullptr;
    PushButtonWithTooltip* twitterButton = nullptr;
    PushButtonWithTooltip* googleButton = nullptr;

    // Recording session.
    ScreenGrabber* screenGrabber = nullptr;
    AudioGrabber* audioGrabber = nullptr;
    Recorder* recorder = nullptr;
    QString recordFilePath;
    QString fileExtension;
    QRect captureRect;
    int videoWidth_ = 0;
    int videoHeight_ = 0;
    QTimer recordTimer;
    QTimer blinkTimer;
    int recordSeconds = 0;
    bool blinkOn = false;
    RecordRect recordRect;
    // An error handler is closing the session; a second error from the same failure is
    // not shown again.
    bool endingWithError = false;
};
