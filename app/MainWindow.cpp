#include "app/MainWindow.h"

#include "app/CountdownMenu.h"
#include "app/HistoryPlacement.h"
#include "app/KeyboardShortcuts.h"
#include "app/LanguageMenu.h"
#include "app/Notices.h"
#include "app/Placement.h"
#include "app/TrayRecording.h"
#include "app/UploadController.h"
#include "capture/CropCtrl.h"
#include "history/HistoryManager.h"
#include "platform/Platform.h"
#include "platform/TrayHost.h"
#include "settings/AppSettings.h"
#include "upload/ServiceUrls.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"
#include "widgets/WebAddress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QtDebug>

namespace {

constexpr QLatin1String kWindowIconPath(":/Resources/windowIcon.png");
// Qt tells nobody when a tray host appears or goes away: look every few seconds. Rare
// enough to cost nothing, soon enough that a vanished panel leaves no gap worth noticing.
constexpr int kTrayCheckIntervalMs = 3000;

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , trayIcon_(this)
    , trayMenu_(new QMenu(this))
    , uploads_(new UploadController(&recordings_, this, this))
    , shortcuts_(new KeyboardShortcuts(settings_, this)) {
    trayMenu_->setObjectName(QStringLiteral("TrayMenu"));
    historyWidget_.setWindowTitle(historyWindowTitle());
    uploads_->popup()->setWindowTitle(popupWindowTitle());
    uploads_->progressWindow()->setWindowTitle(progressWindowTitle());
    snapshotButton_.setWindowTitle(snapButtonWindowTitle());

    setWindowIcon(QIcon(kWindowIconPath));
    applyFirstRunDefaults();
    createTrayMenu();

    if (AppSettings::showSnapButton(settings_) && dockable())
        initSnapButton();

    notices_ = new Notices(popupWindowTitle(), this);
    uploads_->useDesktopNotifications(QDBusConnection::sessionBus());
    uploads_->setTrayGeometrySource([this] { return trayIcon_.geometry(); });
    platform::TrayHost* trayHost = platform::Platform::current().createTrayHost(this);
    connect(trayHost, &platform::TrayHost::answered, this, &MainWindow::onTrayHostAnswer);
    connect(&trayWatch_, &QTimer::timeout, trayHost, &platform::TrayHost::check);
    trayWatch_.start(kTrayCheckIntervalMs);
    // After the constructor, once the language is set: the notices speak it.
    QTimer::singleShot(0, this, &MainWindow::checkDesktop);
    QTimer::singleShot(0, trayHost, &platform::TrayHost::check);

    connect(shortcuts_, &KeyboardShortcuts::captureRequested, this, &MainWindow::makeScreenshot);
    connect(shortcuts_, &KeyboardShortcuts::stopRequested, this, &MainWindow::stopRecording);
    connect(shortcuts_, &KeyboardShortcuts::problem, this, &MainWindow::showNotice);
    connect(uploads_, &UploadController::settingsWanted, this, &MainWindow::openSettings);

    restoreLanguage();

    HistoryManager* history = HistoryManager::instance();
    connect(history, &HistoryManager::itemAdded, &historyWidget_, &HistoryWidget::addRecord);
    connect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    connect(&historyWidget_, &HistoryWidget::copiedToClipboard, uploads_,
            &UploadController::showCopiedToClipboard);
    history->load();
    openRecordings();
    connectRecordingRows();
}

void MainWindow::openRecordings() {
    // A folder that cannot be used now is tried again at the next recording; until then the
    // program runs without the kept recordings, and says why.
    QString error = recordings_.open();
    if (error.isEmpty()) {
        startRecovery();
        error = uploads_->resumePending();
    }
    connect(&recordings_, &RecordingStore::storeFailed, this, &MainWindow::showNotice);
    if (!error.isEmpty()) {
        QTimer::singleShot(0, this, [this, error] {
            showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"), error);
        });
    }
}

MainWindow::~MainWindow() {
    // No message boxes while tearing down: a failed last save only goes to the log.
    HistoryManager* history = HistoryManager::instance();
    disconnect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    history->save();
    languagesMenu_->store();
    // The capture waits for recordings still being finished and marks them in the store;
    // then the uploads stop (the queue keeps them for the next start). Both before the store.
    delete cropCtrl_;
    cropCtrl_ = nullptr;
    delete uploads_;
    uploads_ = nullptr;
}

QString MainWindow::captureWindowTitle() {
    return QStringLiteral("Clipnest capture");
}

QString MainWindow::historyWindowTitle() {
    return QStringLiteral("Clipnest history");
}

QString MainWindow::progressWindowTitle() {
    return QStringLiteral("Clipnest upload progress");
}

QString MainWindow::popupWindowTitle() {
    return QStringLiteral("Clipnest notification");
}

QString MainWindow::snapButtonWindowTitle() {
    return QStringLiteral("Clipnest record button");
}

void MainWindow::showNotice(const QString& text) {
    notices_->show(text);
}

void MainWindow::applyFirstRunDefaults() {
    if (AppSettings::isFirstRun(settings_)) {
        firstRunHintDue_ = true;
        settings_.setValue(AppSettings::kFirstRun, false);
        settings_.setValue(AppSettings::kShowSnapButton, true);
        settings_.sync();
    }
}

void MainWindow::createTrayMenu() {
    recordAction_ = new QAction(trayMenu_);
    connect(recordAction_, &QAction::triggered, this, &MainWindow::makeScreenshot);
    trayMenu_->addAction(recordAction_);

    showHideAction_ = new QAction(trayMenu_);
    showHideAction_->setCheckable(true);
    showHideAction_->setChecked(AppSettings::showSnapButton(settings_));
    connect(showHideAction_, &QAction::triggered, this, &MainWindow::onShowHideSnapButton);

    historyAction_ = new QAction(trayMenu_);
    connect(historyAction_, &QAction::triggered, this, &MainWindow::openHistory);
    trayMenu_->addAction(historyAction_);
    trayMenu_->addAction(showHideAction_);
    // The setting stays for X11; here there is no button to show.
    showHideAction_->setVisible(dockable());
    trayMenu_->addAction(shortcuts_->action());
    trayMenu_->addMenu(new CountdownMenu(settings_, trayMenu_));

    languagesMenu_ = new LanguageMenu(settings_, trayMenu_);
    trayMenu_->addMenu(languagesMenu_);

    settingsAction_ = new QAction(trayMenu_);
    settingsAction_->setObjectName(QStringLiteral("SettingsAction"));
    connect(settingsAction_, &QAction::triggered, this, &MainWindow::openSettings);
    trayMenu_->addAction(settingsAction_);

    faqAction_ = new QAction(trayMenu_);
    connect(faqAction_, &QAction::triggered, this, &MainWindow::onAbout);
    trayMenu_->addAction(faqAction_);

    closeAction_ = new QAction(trayMenu_);
    connect(closeAction_, &QAction::triggered, this, &MainWindow::askToQuit);
    trayMenu_->addAction(closeAction_);

    connect(&trayIcon_, &QSystemTrayIcon::activated, this, &MainWindow::onSystemTrayActivated);
    // Also refresh on the menu's own signal: not every tray host reports the
    // right click as an activation before the menu opens.
    connect(trayMenu_, &QMenu::aboutToShow, this, &MainWindow::updateHistoryAction);

    trayIcon_.setIcon(QIcon(kWindowIconPath));
    trayIcon_.setContextMenu(trayMenu_);
    trayRecording_ = new TrayRecording(trayIcon_, *trayMenu_, QIcon(kWindowIconPath), this);
    connect(trayRecording_, &TrayRecording::stopRequested, this, &MainWindow::stopRecording);
    connect(trayRecording_, &TrayRecording::pauseRequested, this, [this] {
        if (cropCtrl_)
            cropCtrl_->togglePauseFromOutside();
    });
    trayIcon_.setVisible(true);
}

void MainWindow::retranslate() {
    recordAction_->setText(tr("Record video"));
    showHideAction_->setText(tr("Show/hide record button"));
    historyAction_->setText(tr("History"));
    languagesMenu_->setTitle(tr("Languages"));
    settingsAction_->setText(tr("Settings..."));
    faqAction_->setText(tr("FAQ"));
    closeAction_->setText(tr("Close"));
    shortcuts_->retranslate();
    trayRecording_->retranslate();
}

void MainWindow::updateHistoryAction() {
    historyAction_->setEnabled(HistoryManager::instance()->count() > 0 ||
                               !historyWidget_.isEmpty());
}

void MainWindow::restoreLanguage() {
    // Without an installed catalogue no language-change event ever arrives, and
    // every window would keep empty texts. Give them the source texts instead.
    if (!languagesMenu_->restore()) {
        qDebug() << "No interface catalogue installed; showing the built-in texts";
        QEvent languageChange(QEvent::LanguageChange);
        QCoreApplication::sendEvent(qApp, &languageChange);
        retranslate();
    }
}

void MainWindow::onSystemTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        updateHistoryAction();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    default:
        // While a recording runs the tray icon is its stop button, as its tooltip says: the
        // one there is where the record panel found no place outside the recorded area or
        // the desktop places windows itself.
        if (trayRecording_->isRecording())
            stopRecording();
        else
            makeScreenshot();
        break;
    }
}

void MainWindow::openCapture() {
    makeScreenshot();
}

void MainWindow::stopRecording() {
    if (cropCtrl_)
        cropCtrl_->stopFromOutside();
}

void MainWindow::makeScreenshot() {
    if (!cropCtrl_) {
        cropCtrl_ = new CropCtrl(&recordings_);
        cropCtrl_->setWindowTitle(captureWindowTitle());
        connect(cropCtrl_, &CropCtrl::uploadRecording, uploads_,
                &UploadController::uploadRecordingOfSize);
        connect(cropCtrl_, &CropCtrl::notice, this, &MainWindow::showNotice);
        connect(cropCtrl_, &CropCtrl::closed, this, &MainWindow::onCropControlClosed);
        connect(cropCtrl_, &CropCtrl::recordingChanged, trayRecording_,
                &TrayRecording::setRecording);
        connect(cropCtrl_, &CropCtrl::pausedChanged, trayRecording_, &TrayRecording::setPaused);
        cropCtrl_->setTrayGeometrySource([this] { return trayIcon_.geometry(); });
        cropCtrl_->setTrayShown(trayAvailable_);
    }
    if (cropCtrl_->isVisible())
        return;
    if (cropCtrl_->isRecording()) {
        // The overlay would lie over the area being recorded: the user is pointed at the
        // recording instead.
        cropCtrl_->bringRecordPanelForward();
        if (!platform::Platform::current().placesWindows()) {
            showNotice(tr("A recording is under way. Stop it from the tray icon before "
                          "starting another one."));
            return;
        }
        showNotice(tr("A recording is under way. Stop it with its Stop recording button "
                      "before starting another one."));
        return;
    }
    if (snapButtonInitialised_)
        snapshotButton_.hide();
    cropCtrl_->setCountdownSeconds(AppSettings::countdownSeconds(settings_));
    cropCtrl_->clear();
    // The control spans every screen; its own coordinates are then screen coordinates.
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    cropCtrl_->setGeometry(QRect(QPoint(0, 0), desktop.size()));
    cropCtrl_->show();
}

void MainWindow::openHistory() {
    // The rows are read from memory; a recording the user removed by hand since the last
    // look must not be offered again.
    recordings_.refresh();
    // The icon's place is empty when the tray host does not tell it (StatusNotifierItem).
    historyWidget_.followBackdrop();
    HistoryPlacement::place(historyWidget_, trayIcon_.geometry());
    historyWidget_.show();
    historyWidget_.activateWindow();
}

void MainWindow::onAbout() {
    const QUrl faq = ServiceUrls::faqUrl(AppSettings::serviceHost(settings_));
    if (faq.isValid())
        openWebAddress(faq);
}

void MainWindow::onHistoryStoreFailed(const QString& message) {
    // The link itself is still on the clipboard and in the window; only keeping it failed.
    showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"), message);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closed();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
