#pragma once

#include "history/RecordingStore.h"
#include "widgets/HistoryWidget.h"
#include "widgets/SnapshotButton.h"

#include <QPointer>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

class QAction;
class QMenu;
class QMessageBox;
class CropCtrl;
class KeptSpaceGuard;
class KeyboardShortcuts;
class LanguageMenu;
class Notices;
class SettingsWindow;
class TrayRecording;
class UploadController;

// The program's hidden central object: what the user sees of it is the tray icon
// and its menu. It owns the long-lived parts (settings, tray, floating record
// button, history window, capture control, the upload controller) and turns their
// signals into the program's behaviour.
// GUI thread only.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    UploadController* uploadController() const { return uploads_; }
    // The bound on the space kept recordings take: the settings window tells it of changes.
    KeptSpaceGuard* keptSpace() const { return keptSpace_; }
    // The user's kept recordings (not uploaded, failed, recovered), opened at start.
    RecordingStore* recordings() const { return const_cast<RecordingStore*>(&recordings_); }

    // Titles of the program's own windows. They are frameless, so nobody sees
    // these; they let the window manager's lists and other processes tell them apart.
    static QString captureWindowTitle();
    static QString historyWindowTitle();
    static QString progressWindowTitle();
    static QString popupWindowTitle();
    static QString snapButtonWindowTitle();

public slots:
    // Opens the capture overlay, as the tray's record entry does; nothing
    // happens while it is already open.
    void openCapture();
    // Stops the recording under way, as the stop shortcut does; nothing happens without one.
    void stopRecording();
    // Opens the settings window, or brings it forward (MainWindowSettings.cpp).
    void openSettings();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void makeScreenshot();
    void openHistory();
    void onAbout();
    void onSystemTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onHistoryStoreFailed(const QString& message);
    void openRecordings();
    void onDeleteRecordingRequested(const QString& filePath);
    void onSaveRecordingRequested(const QString& filePath);
    void onOpenRecordingFolderRequested(const QString& filePath);
    void showRecordingRows();
    void onRecoveryFinished(int recovered, const QStringList& messages);
    // The tray's Close: quits at once, or first asks while recordings are neither saved nor
    // uploaded (MainWindowRecordings.cpp). Nothing is deleted either way.
    void askToQuit();

    // The record button and when it shows (MainWindowDesktop.cpp).
    void onShowHideSnapButton(bool checked = false);
    void onShowHideFromSnapButton(bool checked = false);
    void onCropControlClosed();

private:
    // Things about the desktop the user must hear of once: a Wayland session, no tray
    // (MainWindowDesktop.cpp, with the record button they decide on).
    void checkDesktop();
    void onTrayHostAnswer(bool available);
    bool recordButtonWanted() const;
    // Whether the floating record button can dock at a screen edge on this desktop.
    static bool dockable();
    void initSnapButton();

    void showNotice(const QString& text);
    void applyFirstRunDefaults();
    // Once, at the first start, when the tray host has said whether it is there
    // (MainWindowSettings.cpp).
    void showFirstRunHint(bool trayAvailable);
    void createTrayMenu();
    // Installs the stored or the system's language; the source texts without a catalogue.
    void restoreLanguage();
    void retranslate();
    void updateHistoryAction();
    // The history's rows of kept recordings and what their buttons do; the recordings a
    // killed run left are recovered (MainWindowRecordings.cpp).
    void connectRecordingRows();
    void startRecovery();

    QSettings settings_;
    // Before everything that keeps a pointer to it.
    RecordingStore recordings_;
    CropCtrl* cropCtrl_ = nullptr;

    QSystemTrayIcon trayIcon_;
    QMenu* trayMenu_;
    QAction* recordAction_ = nullptr;
    QAction* showHideAction_ = nullptr;
    QAction* historyAction_ = nullptr;
    LanguageMenu* languagesMenu_ = nullptr;
    QAction* settingsAction_ = nullptr;
    QAction* faqAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    TrayRecording* trayRecording_ = nullptr;

    SnapshotButton snapshotButton_;
    bool snapButtonInitialised_ = false;
    HistoryWidget historyWidget_;
    UploadController* uploads_;

    KeyboardShortcuts* shortcuts_;

    // The tray host may come and go (a panel restarted, or never there at all).
    QTimer trayWatch_;
    bool trayAvailable_ = true;
    bool trayMissingSaid_ = false;
    Notices* notices_ = nullptr;
    KeptSpaceGuard* keptSpace_ = nullptr;
    // The open question whether to quit with recordings unsent; one at a time.
    QPointer<QMessageBox> quitQuestion_;
    SettingsWindow* settingsWindow_ = nullptr;
    bool firstRunHintDue_ = false;
};
