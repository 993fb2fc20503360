#include "app/MainWindow.h"

#include "app/CountdownMenu.h"
#include "app/KeyboardShortcuts.h"
#include "app/Languages.h"
#include "app/Placement.h"
#include "app/ScreenChoice.h"
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

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QtDebug>

namespace {

constexpr QLatin1String kWindowIconPath(":/Resources/windowIcon.png");
// Qt tells nobody when a tray host appears or goes away: look every few seconds. Rare
// enough to cost nothing, soon enough that a vanished panel leaves no gap worth noticing.
constexpr int kTrayCheckIntervalMs = 3000;
// A notice of two sentences needs longer than the two seconds of the usual popup.
constexpr int kNoticeDurationMs = 12000;

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

    if (AppSettings::showSnapButton(settings_))
        initSnapButton();

    notice_ = new PopupNotify;
    notice_->setWindowTitle(popupWindowTitle());
    uploads_->setTrayGeometrySource([this] { return trayIcon_.geometry(); });
    platform::TrayHost* trayHost = platform::Platform::current().createTrayHost(this);
    connect(trayHost, &platform::TrayHost::answered, this, &MainWindow::onTrayHostAnswer);
    connect(&trayWatch_, &QTimer::timeout, trayHost, &platform::TrayHost::check);
    trayWatch_.start(kTrayCheckIntervalMs);
    // After the constructor, once the language is set: the notices speak it.
    QTimer::singleShot(0, this, &MainWindow::checkDesktop);
    QTimer::singleShot(0, trayHost, &platform::TrayHost::check);

    connect(shortcuts_, &KeyboardShortcuts::captureRequested, this, &MainWindow::makeScreenshot);
    connect(shortcuts_, &KeyboardShortcuts::stopRequested, this, [this] {
        if (cropCtrl_)
            cropCtrl_->stopFromOutside();
    });
    connect(shortcuts_, &KeyboardShortcuts::problem, this, &MainWindow::showNotice);

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
    storeLanguage();
    // The capture waits for recordings still being finished and marks them in the store;
    // then the uploads stop (the queue keeps them for the next start). Both before the store.
    delete cropCtrl_;
    cropCtrl_ = nullptr;
    delete uploads_;
    uploads_ = nullptr;
    delete notice_;
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

void MainWindow::checkDesktop() {
    if (platform::Platform::current().startupNotice() ==
        platform::Platform::Notice::OnlyX11WindowsRecord) {
        // Said once per start, before the user records black pictures. Not modal: the
        // program goes on working (windows of X11 programs do record).
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Clipnest"),
            tr("This is a Wayland session. Clipnest records the screen through X11, so here it "
               "sees only the windows of X11 programs; everything else records as black."),
            QMessageBox::Ok);
        box->setInformativeText(tr("To record the whole screen, log out and choose an X11 "
                                   "(Xorg) session on the login screen."));
        box->setTextFormat(Qt::PlainText);
        box->setObjectName(QStringLiteral("WaylandNotice"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    }
}

void MainWindow::onTrayHostAnswer(bool available) {
    if (available == trayAvailable_ && trayMissingSaid_ == !available)
        return;
    trayAvailable_ = available;
    if (!available) {
        // Without a tray the record button is the only way in: show it whatever the
        // setting says (the setting itself is left as the user chose it).
        if (!cropCtrl_ || !cropCtrl_->isVisible()) {
            if (!snapButtonInitialised_)
                initSnapButton();
            else
                snapshotButton_.show();
        }
        if (!trayMissingSaid_) {
            trayMissingSaid_ = true;
            showNotice(tr("There is no system tray here: use the record button, or bind a "
                          "keyboard shortcut to clipnest --capture"));
        }
    } else if (snapButtonInitialised_ && !AppSettings::showSnapButton(settings_)) {
        snapshotButton_.hide();
    }
}

bool MainWindow::recordButtonWanted() const {
    return !trayAvailable_ || AppSettings::showSnapButton(settings_);
}

void MainWindow::showNotice(const QString& text) {
    notice_->setText(text);
    if (QScreen* screen = screenForOurWindows(QRect()))
        notice_->move(Placement::centredOnScreen(screen->geometry(), notice_->size()));
    notice_->showFor(kNoticeDurationMs);
}

void MainWindow::applyFirstRunDefaults() {
    if (AppSettings::isFirstRun(settings_)) {
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
    trayMenu_->addAction(shortcuts_->action());
    trayMenu_->addMenu(new CountdownMenu(settings_, trayMenu_));

    createLanguageMenu();

    faqAction_ = new QAction(trayMenu_);
    connect(faqAction_, &QAction::triggered, this, &MainWindow::onAbout);
    trayMenu_->addAction(faqAction_);

    closeAction_ = new QAction(trayMenu_);
    connect(closeAction_, &QAction::triggered, this, &MainWindow::close);
    trayMenu_->addAction(closeAction_);

    connect(&trayIcon_, &QSystemTrayIcon::activated, this, &MainWindow::onSystemTrayActivated);
    // Also refresh on the menu's own signal: not every tray host reports the
    // right click as an activation before the menu opens.
    connect(trayMenu_, &QMenu::aboutToShow, this, &MainWindow::updateHistoryAction);

    trayIcon_.setIcon(QIcon(kWindowIconPath));
    trayIcon_.setContextMenu(trayMenu_);
    trayIcon_.setVisible(true);
}

void MainWindow::createLanguageMenu() {
    languagesMenu_ = new QMenu(trayMenu_);
    languagesMenu_->setObjectName(QStringLiteral("LanguagesMenu"));
    for (const Languages::Entry& entry : Languages::table()) {
        auto* action = new QAction(entry.text, this);
        action->setData(entry.code);
        action->setIcon(QIcon(Languages::flagPath(entry.flag)));
        languageActions_.append(action);
    }
    auto* group = new QActionGroup(trayMenu_);
    for (QAction* action : std::as_const(languageActions_)) {
        action->setCheckable(true);
        const QString code = action->data().toString();
        action->setEnabled(
            Languages::isSelectable(code, QFile::exists(Languages::catalogPath(code))));
        group->addAction(action);
    }
    languagesMenu_->addActions(languageActions_);
    connect(group, &QActionGroup::triggered, this, &MainWindow::onChooseLanguage);
    trayMenu_->addMenu(languagesMenu_);
}

void MainWindow::initSnapButton() {
    snapButtonInitialised_ = true;
    connect(&snapshotButton_, &SnapshotButton::clicked, this, &MainWindow::makeScreenshot);
    connect(&snapshotButton_, &SnapshotButton::onShowHide, this,
            &MainWindow::onShowHideFromSnapButton);
    snapshotButton_.show();
    snapshotButton_.setState(SnapshotButton::StateMoving);
    snapshotButton_.setPosition(snapButtonStartPoint(snapshotButton_.size()));
    snapshotButton_.dock(true);
}

void MainWindow::retranslate() {
    recordAction_->setText(tr("Record video"));
    showHideAction_->setText(tr("Show/hide record button"));
    historyAction_->setText(tr("History"));
    languagesMenu_->setTitle(tr("Languages"));
    faqAction_->setText(tr("FAQ"));
    closeAction_->setText(tr("Close"));
    shortcuts_->retranslate();
    trayIcon_.setToolTip(QCoreApplication::applicationName());
}

void MainWindow::updateHistoryAction() {
    historyAction_->setEnabled(HistoryManager::instance()->count() > 0 ||
                               !historyWidget_.isEmpty());
}

void MainWindow::restoreLanguage() {
    const QVariant stored = settings_.value(AppSettings::kLanguage);
    if (!stored.isValid()) {
        QStringList selectable;
        for (const Languages::Entry& entry : Languages::table()) {
            if (isLanguageAvailable(entry.code))
                selectable.append(entry.code);
        }
        loadLanguage(Languages::firstStartLanguage(QLocale::system().name(), selectable));
    } else {
        loadLanguage(stored.toString());
        settings_.sync();
    }

    // Without an installed catalogue no language-change event ever arrives, and
    // every window would keep empty texts. Give them the source texts instead.
    if (!translator_ || translator_->isEmpty()) {
        qDebug() << "No interface catalogue installed; showing the built-in texts";
        QEvent languageChange(QEvent::LanguageChange);
        QCoreApplication::sendEvent(qApp, &languageChange);
        retranslate();
    }
}

bool MainWindow::loadLanguage(const QString& code) {
    const QString path = Languages::catalogPath(code);
    if (!QFile::exists(path))
        return false;

    delete translator_;
    translator_ = new QTranslator(qApp);
    if (!translator_->load(path)) {
        qDebug() << "Cannot load the catalogue" << path;
        return false;
    }
    QCoreApplication::installTranslator(translator_);
    Languages::setCurrent(code);
    storeLanguage();
    markCurrentLanguage(code);
    return true;
}

void MainWindow::storeLanguage() {
    settings_.setValue(AppSettings::kLanguage, Languages::current());
    settings_.sync();
}

bool MainWindow::isLanguageAvailable(const QString& code) const {
    for (QAction* action : languageActions_) {
        if (action->isEnabled() && action->data().toString() == code)
            return true;
    }
    return false;
}

void MainWindow::markCurrentLanguage(const QString& code) {
    for (QAction* action : std::as_const(languageActions_)) {
        const bool current = action->data().toString() == code;
        if (current)
            action->setChecked(true);
        // The current language shows its check mark, the others their flags.
        action->setIconVisibleInMenu(!current);
    }
}

void MainWindow::onChooseLanguage(QAction* action) {
    const QString code = action->data().toString();
    if (code == Languages::current())
        return;
    loadLanguage(code);
}

void MainWindow::onSystemTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        updateHistoryAction();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    default:
        makeScreenshot();
        break;
    }
}

void MainWindow::openCapture() {
    makeScreenshot();
}

void MainWindow::makeScreenshot() {
    if (!cropCtrl_) {
        cropCtrl_ = new CropCtrl(&recordings_);
        cropCtrl_->setWindowTitle(captureWindowTitle());
        connect(cropCtrl_, &CropCtrl::uploadRecording, uploads_,
                &UploadController::uploadRecordingOfSize);
        connect(cropCtrl_, &CropCtrl::notice, this, &MainWindow::showNotice);
        connect(cropCtrl_, &CropCtrl::closed, this, &MainWindow::onCropControlClosed);
    }
    if (cropCtrl_->isVisible())
        return;
    if (cropCtrl_->isRecording()) {
        // The overlay would lie over the area being recorded: the user is pointed at the
        // recording instead.
        cropCtrl_->bringRecordPanelForward();
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

void MainWindow::onCropControlClosed() {
    if (!recordButtonWanted())
        return;
    if (snapButtonInitialised_)
        snapshotButton_.show();
    else
        initSnapButton();
}

void MainWindow::onShowHideSnapButton(bool checked) {
    settings_.setValue(AppSettings::kShowSnapButton, checked);
    settings_.sync();
    if (checked) {
        if (!snapButtonInitialised_)
            initSnapButton();
        snapshotButton_.show();
    } else if (trayAvailable_) {
        snapshotButton_.hide();
    }
}

void MainWindow::onShowHideFromSnapButton(bool checked) {
    showHideAction_->setChecked(checked);
    onShowHideSnapButton(checked);
}

void MainWindow::openHistory() {
    placeHistoryWidget();
    historyWidget_.show();
    historyWidget_.activateWindow();
}

void MainWindow::onAbout() {
    const QUrl faq = ServiceUrls::faqUrl(AppSettings::serviceHost(settings_));
    if (faq.isValid())
        QDesktopServices::openUrl(faq);
}

void MainWindow::onHistoryStoreFailed(const QString& message) {
    // The link itself is still on the clipboard and in the window; only keeping it failed.
    showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"), message);
}

void MainWindow::placeHistoryWidget() {
    // Empty when the tray host does not say where the icon is (StatusNotifierItem).
    const QRect tray = trayIcon_.geometry();
    QScreen* screen = screenForOurWindows(tray);
    if (!screen)
        return;
    qDebug() << "Screen number" << QGuiApplication::screens().indexOf(screen);
    const QRect available = platform::Platform::current().availableGeometry(screen);
    qDebug() << "Available geometry" << available;

    if (!historyWidget_.isVisible())
        historyWidget_.adjustSize();
    const QPoint to = Placement::historyWidgetPosition(
        available, tray, historyWidget_.size(),
        Placement::taskbarEdgeFromGeometry(screen->geometry(), available, tray));
    qDebug() << "Point:" << to;
    historyWidget_.move(to);
}

QPoint MainWindow::snapButtonStartPoint(const QSize& size) const {
    return Placement::snapButtonStartPoint(screen()->availableGeometry(), size);
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
