#pragma once

#include <QList>
#include <QPointer>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>

class QAction;
class QMenu;
class QTranslator;
class GlobalKey;
class CropCtrl;

// The program's hidden central object: what the user sees of it is the tray icon
// and its menu. It owns the long-lived parts and wires them together.
// GUI thread only.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Titles the program's own windows carry, so that other processes (and the
    // window manager's lists) can tell them apart. Frameless windows never show them.
    static QString captureWindowTitle();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onGlobalKeyPressed(int vkCode);
    void makeScreenshot();
    void onAbout();
    void onCropControlClosed();
    void onSystemTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onChooseLanguage(QAction* action);

private:
    void createTrayMenu();
    void createLanguageMenu();
    void retranslate();
    void updateHistoryAction();

    void restoreLanguage();
    bool loadLanguage(const QString& code);
    void storeLanguage();
    bool isLanguageAvailable(const QString& code) const;
    void markCurrentLanguage(const QString& code);

    QString serviceHost();

    QSettings settings;
    CropCtrl* cropCtrl = nullptr;

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

    GlobalKey* globalKey = nullptr;
};
