#pragma once

#include "history/HistoryRecord.h"
#include "upload/HttpUploader.h"
#include "widgets/HistoryWidget.h"
#include "widgets/SnapshotButton.h"

#include <QList>
#include <QPointer>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>

class QAction;
class QMenu;
class QTranslator;
class CropCtrl;
class GlobalKey;
class PopupNotify;
class ProgressWidget;

// The program's hidden central object: what the user sees of it is the tray icon
// and its menu. It owns the long-lived parts (settings, tray, floating record
// button, uploader, history window, popup, progress window, capture control) and
// turns their signals into the program's behaviour.
// GUI thread only.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Titles of the program's own windows. They are frameless, so nobody sees
    // these; they let the window manager's lists and other processes tell them apart.
    static QString captureWindowTitle();
    static QString historyWindowTitle();
    static QString progressWindowTitle();
    static QString popupWindowTitle();
    static QString snapButtonWindowTitle();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onGlobalKeyPressed(int vkCode);
    void makeScreenshot();
    void openHistory();
    void onAbout();
    void onImageUpload(const QByteArray& data);
    void onImageUploadAndShare(const QByteArray& data, int socialNetwork);
    void onShowHideSnapButton(bool checked = false);
    void onShowHideFromSnapButton(bool checked = false);
    void showCopiedToClipboard();
    void onCropControlClosed();
    void onUploadFinished(const QString& answer);
    void onUploadError(const QString& error);
    void onUploadProgress(double progress);
    void onSystemTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onChooseLanguage(QAction* action);
    void onHistoryStoreFailed(const QString& message);

private:
    void applyFirstRunDefaults();
    void createTrayMenu();
    void createLanguageMenu();
    void createProgressWidget();
    void initSnapButton();
    void retranslate();
    void updateHistoryAction();
    void startUpload(const QByteArray& data);

    void restoreLanguage();
    bool loadLanguage(const QString& code);
    void storeLanguage();
    bool isLanguageAvailable(const QString& code) const;
    void markCurrentLanguage(const QString& code);

    void placeHistoryWidget();
    int taskbarEdge() const;
    void centreOnScreen(QWidget* widget) const;
    QPoint snapButtonStartPoint(const QSize& size) const;

    QString serviceHost();

    QSettings settings;
    CropCtrl* cropCtrl = nullptr;
    bool shareAfterUpload = false;
    int socialNetwork = 0;

    QSystemTrayIcon trayIcon;
    QMenu* trayMenu;
    QAction* recordAction = nullptr;
    QAction* showHideAction = nullptr;
    QAction* historyAction = nullptr;
    QMenu* languagesMenu = nullptr;
    QAction* faqAction = nullptr;
    QAction* closeAction = nullptr;
    QPointer<QTranslator> translator;
    QList<QAction*> languageActions;

    SnapshotButton snapshotButton;
    bool snapButtonInitialised = false;
    HttpUploader uploader;
    PopupNotify* popup;
    ProgressWidget* progressWidget = nullptr;
    HistoryWidget historyWidget;

    GlobalKey* globalKey = nullptr;
};
