#include "app/MainWindow.h"

#include "app/GlobalKey.h"
#include "app/Languages.h"
#include "app/Placement.h"
#include "app/UploadController.h"
#include "capture/CropCtrl.h"
#include "history/HistoryManager.h"
#include "settings/AppSettings.h"
#include "upload/ServiceUrls.h"
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
#include <QTranslator>
#include <QUrl>
#include <QtDebug>

namespace {

constexpr QLatin1String kWindowIconPath(":/Resources/windowIcon.png");

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , trayIcon(this)
    , trayMenu(new QMenu(this))
    , uploads(new UploadController(this, this)) {
    trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    historyWidget.setWindowTitle(historyWindowTitle());
    uploads->popup()->setWindowTitle(popupWindowTitle());
    uploads->progressWindow()->setWindowTitle(progressWindowTitle());
    snapshotButton.setWindowTitle(snapButtonWindowTitle());

    setWindowIcon(QIcon(kWindowIconPath));
    applyFirstRunDefaults();
    createTrayMenu();

    if (AppSettings::showSnapButton(settings))
        initSnapButton();

    globalKey = new GlobalKey(this);
    connect(globalKey, &GlobalKey::pressed, this, &MainWindow::makeScreenshot);

    restoreLanguage();

    HistoryManager* history = HistoryManager::instance();
    connect(history, &HistoryManager::itemAdded, &historyWidget, &HistoryWidget::addRecord);
    connect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    connect(&historyWidget, &HistoryWidget::copiedToClipboard, uploads,
            &UploadController::showCopiedToClipboard);
    history->load();
}

MainWindow::~MainWindow() {
    // No message boxes while tearing down: a failed last save only goes to the log.
    HistoryManager* history = HistoryManager::instance();
    disconnect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    history->save();
    storeLanguage();
    delete cropCtrl;
    cropCtrl = nullptr;
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

void MainWindow::applyFirstRunDefaults() {
    if (AppSettings::isFirstRun(settings)) {
        settings.setValue(AppSettings::kFirstRun, false);
        settings.setValue(AppSettings::kShowSnapButton, true);
        settings.sync();
    }
}

void MainWindow::createTrayMenu() {
    recordAction = new QAction(trayMenu);
    connect(recordAction, &QAction::triggered, this, &MainWindow::makeScreenshot);
    trayMenu->addAction(recordAction);

    showHideAction = new QAction(trayMenu);
    showHideAction->setCheckable(true);
    showHideAction->setChecked(AppSettings::showSnapButton(settings));
    connect(showHideAction, &QAction::triggered, this, &MainWindow::onShowHideSnapButton);

    historyAction = new QAction(trayMenu);
    connect(historyAction, &QAction::triggered, this, &MainWindow::openHistory);
    trayMenu->addAction(historyAction);
    trayMenu->addAction(showHideAction);

    createLanguageMenu();

    faqAction = new QAction(trayMenu);
    connect(faqAction, &QAction::triggered, this, &MainWindow::onAbout);
    trayMenu->addAction(faqAction);

    closeAction = new QAction(trayMenu);
    connect(closeAction, &QAction::triggered, this, &MainWindow::close);
    trayMenu->addAction(closeAction);

    connect(&trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onSystemTrayActivated);
    // Also refresh on the menu's own signal: not every tray host reports the
    // right click as an activation before the menu opens.
    connect(trayMenu, &QMenu::aboutToShow, this, &MainWindow::updateHistoryAction);

    trayIcon.setIcon(QIcon(kWindowIconPath));
    trayIcon.setContextMenu(trayMenu);
    trayIcon.setVisible(true);
}

void MainWindow::createLanguageMenu() {
    languagesMenu = new QMenu(trayMenu);
    languagesMenu->setObjectName(QStringLiteral("LanguagesMenu"));
    for (const Languages::Entry& entry : Languages::table()) {
        auto* action = new QAction(entry.text, this);
        action->setData(entry.code);
        action->setIcon(QIcon(Languages::flagPath(entry.flag)));
        languageActions.append(action);
    }
    auto* group = new QActionGroup(trayMenu);
    for (QAction* action : std::as_const(languageActions)) {
        action->setCheckable(true);
        const QString code = action->data().toString();
        action->setEnabled(
            Languages::isSelectable(code, QFile::exists(Languages::catalogPath(code))));
        group->addAction(action);
    }
    languagesMenu->addActions(languageActions);
    connect(group, &QActionGroup::triggered, this, &MainWindow::onChooseLanguage);
    trayMenu->addMenu(languagesMenu);
}

void MainWindow::initSnapButton() {
    snapButtonInitialised = true;
    connect(&snapshotButton, &SnapshotButton::clicked, this, &MainWindow::makeScreenshot);
    connect(&snapshotButton, &SnapshotButton::onShowHide, this,
            &MainWindow::onShowHideFromSnapButton);
    snapshotButton.show();
    snapshotButton.setState(SnapshotButton::StateMoving);
    snapshotButton.setPosition(snapButtonStartPoint(snapshotButton.size()));
    snapshotButton.dock(true);
}

void MainWindow::retranslate() {
    recordAction->setText(tr("Record video"));
    showHideAction->setText(tr("Show/hide record button"));
    historyAction->setText(tr("History"));
    languagesMenu->setTitle(tr("Languages"));
    faqAction->setText(tr("FAQ"));
    closeAction->setText(tr("Close"));
    trayIcon.setToolTip(QCoreApplication::applicationName());
}

void MainWindow::updateHistoryAction() {
    historyAction->setEnabled(HistoryManager::instance()->count() > 0);
}

void MainWindow::restoreLanguage() {
    const QVariant stored = settings.value(AppSettings::kLanguage);
    if (!stored.isValid()) {
        QStringList selectable;
        for (const Languages::Entry& entry : Languages::table()) {
            if (isLanguageAvailable(entry.code))
                selectable.append(entry.code);
        }
        loadLanguage(Languages::firstStartLanguage(QLocale::system().name(), selectable));
    } else {
        loadLanguage(stored.toString());
        settings.sync();
    }

    // Without an installed catalogue no language-change event ever arrives, and
    // every window would keep empty texts. Give them the source texts instead.
    if (!translator || translator->isEmpty()) {
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

    delete translator;
    translator = new QTranslator(qApp);
    if (!translator->load(path)) {
        qDebug() << "Cannot load the catalogue" << path;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    Languages::setCurrent(code);
    storeLanguage();
    markCurrentLanguage(code);
    return true;
}

void MainWindow::storeLanguage() {
    settings.setValue(AppSettings::kLanguage, Languages::current());
    settings.sync();
}

bool MainWindow::isLanguageAvailable(const QString& code) const {
    for (QAction* action : languageActions) {
        if (action->isEnabled() && action->data().toString() == code)
            return true;
    }
    return false;
}

void MainWindow::markCurrentLanguage(const QString& code) {
    for (QAction* action : std::as_const(languageActions)) {
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

void MainWindow::makeScreenshot() {
    if (!cropCtrl) {
        cropCtrl = new CropCtrl;
        cropCtrl->setWindowTitle(captureWindowTitle());
        connect(cropCtrl, &CropCtrl::uploadImageData, uploads, [this](const QByteArray& data) {
            uploads->upload(data, QSize(cropCtrl->videoWidth(), cropCtrl->videoHeight()));
        });
        connect(cropCtrl, &CropCtrl::uploadImageDataAndShare, uploads,
                [this](const QByteArray& data, SocialNetwork network) {
                    uploads->uploadAndShare(
                        data, QSize(cropCtrl->videoWidth(), cropCtrl->videoHeight()), network);
                });
        connect(cropCtrl, &CropCtrl::closed, this, &MainWindow::onCropControlClosed);
    }
    if (cropCtrl->isVisible())
        return;
    if (snapButtonInitialised)
        snapshotButton.hide();
    cropCtrl->clear();
    // The control spans every screen; its own coordinates are then screen coordinates.
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    cropCtrl->setGeometry(QRect(QPoint(0, 0), desktop.size()));
    cropCtrl->show();
}

void MainWindow::onCropControlClosed() {
    if (!AppSettings::showSnapButton(settings))
        return;
    if (snapButtonInitialised)
        snapshotButton.show();
    else
        initSnapButton();
}

void MainWindow::onShowHideSnapButton(bool checked) {
    settings.setValue(AppSettings::kShowSnapButton, checked);
    settings.sync();
    if (checked) {
        if (!snapButtonInitialised)
            initSnapButton();
        snapshotButton.show();
    } else {
        snapshotButton.hide();
    }
}

void MainWindow::onShowHideFromSnapButton(bool checked) {
    showHideAction->setChecked(checked);
    onShowHideSnapButton(checked);
}

void MainWindow::openHistory() {
    placeHistoryWidget();
    historyWidget.show();
    historyWidget.activateWindow();
}

void MainWindow::onAbout() {
    const QUrl faq = ServiceUrls::faqUrl(AppSettings::serviceHost(settings));
    if (faq.isValid())
        QDesktopServices::openUrl(faq);
}

void MainWindow::onHistoryStoreFailed(const QString& message) {
    // The link itself is still on the clipboard and in the window; only keeping it failed.
    QMessageBox::warning(this, QStringLiteral("Clipnest"), message, QMessageBox::Ok);
}

void MainWindow::placeHistoryWidget() {
    const QRect tray = trayIcon.geometry();
    QScreen* screen = QGuiApplication::screenAt(tray.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    qDebug() << "Screen number" << QGuiApplication::screens().indexOf(screen);
    const QRect available = screen->availableGeometry();
    qDebug() << "Available geometry" << available;

    if (!historyWidget.isVisible())
        historyWidget.adjustSize();
    const QPoint to = Placement::historyWidgetPosition(
        available, tray, historyWidget.size(),
        Placement::taskbarEdgeFromGeometry(screen->geometry(), available, tray));
    qDebug() << "Point:" << to;
    historyWidget.move(to);
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
