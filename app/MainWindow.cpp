#include "app/MainWindow.h"

#include "app/GlobalKey.h"
#include "app/Languages.h"
#include "app/Placement.h"
#include "history/HistoryManager.h"
#include "upload/ServiceUrls.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#ifdef CLIPNEST_HAVE_CAPTURE
#include "capture/CropCtrl.h"
#endif

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>
#include <QUrl>
#include <QtDebug>

namespace {

const char* const ServiceHostKey = "Service host";
// The reference service that `make run` starts on loopback: nothing leaves the
// machine until the user names another service.
const char* const DefaultServiceHost = "127.0.0.1:8080";
const char* const LanguageKey = "Language";
const char* const FirstRunKey = "first";
const char* const ShowSnapButtonKey = "Show snap button";
const char* const WindowIconPath = ":/Resources/windowIcon.png";

// Fixed parts of every upload request, as the service expects them.
const char* const UploadFieldName = "attachment";
const char* const UploadFileName = "video.mp4";
const char* const UploadContentType = "video/mp4";
const char* const UploadBoundary = "Ax3WQkoke";

// The upload progress window's fixed size.
const QSize ProgressWindowSize(372, 155);

QString key(const char* name) {
    return QString::fromLatin1(name);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , trayIcon(this)
    , trayMenu(new QMenu(this))
    , popup(new PopupNotify) {
    trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    historyWidget.setWindowTitle(historyWindowTitle());
    popup->setWindowTitle(popupWindowTitle());
    snapshotButton.setWindowTitle(snapButtonWindowTitle());

    setWindowIcon(QIcon(key(WindowIconPath)));
    applyFirstRunDefaults();
    createTrayMenu();
    createProgressWidget();

    if (settings.value(key(ShowSnapButtonKey), false).toBool())
        initSnapButton();

    globalKey = new GlobalKey(this);
    connect(globalKey, &GlobalKey::pressed, this, &MainWindow::onGlobalKeyPressed);

    restoreLanguage();

    HistoryManager* history = HistoryManager::instance();
    connect(history, &HistoryManager::itemAdded, &historyWidget, &HistoryWidget::addRecord);
    connect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    connect(&historyWidget, &HistoryWidget::copiedToClipboard, this,
            &MainWindow::showCopiedToClipboard);
    history->load();
}

MainWindow::~MainWindow() {
    // No message boxes while tearing down: a failed last save only goes to the log.
    HistoryManager* history = HistoryManager::instance();
    disconnect(history, &HistoryManager::storeFailed, this, &MainWindow::onHistoryStoreFailed);
    history->save();
    storeLanguage();
#ifdef CLIPNEST_HAVE_CAPTURE
    delete cropCtrl;
#endif
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
    if (settings.value(key(FirstRunKey), true).toBool()) {
        settings.setValue(key(FirstRunKey), false);
        settings.setValue(key(ShowSnapButtonKey), true);
        settings.sync();
    }
}

void MainWindow::createTrayMenu() {
    recordAction = new QAction(trayMenu);
    connect(recordAction, &QAction::triggered, this, &MainWindow::makeScreenshot);
    trayMenu->addAction(recordAction);

    showHideAction = new QAction(trayMenu);
    showHideAction->setCheckable(true);
    showHideAction->setChecked(settings.value(key(ShowSnapButtonKey), false).toBool());
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

    trayIcon.setIcon(QIcon(QString::fromLatin1(WindowIconPath)));
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

void MainWindow::createProgressWidget() {
    progressWidget = new ProgressWidget;
    progressWidget->setWindowTitle(progressWindowTitle());
    progressWidget->setMinimumSize(ProgressWindowSize);
    progressWidget->setMaximumSize(ProgressWindowSize);
    progressWidget->hide();
    connect(&uploader, &HttpUploader::finished, this, &MainWindow::onUploadFinished);
    connect(&uploader, &HttpUploader::error, this, &MainWindow::onUploadError);
    connect(&uploader, &HttpUploader::progressChanged, this, &MainWindow::onUploadProgress);
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
    popup->setText(tr("Video link copied to clipboard"));
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
    const QVariant stored = settings.value(QString::fromLatin1(LanguageKey));
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
    settings.setValue(QString::fromLatin1(LanguageKey), Languages::current());
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

QString MainWindow::serviceHost() {
    const QString host = settings.value(QString::fromLatin1(ServiceHostKey)).toString().trimmed();
    return host.isEmpty() ? QString::fromLatin1(DefaultServiceHost) : host;
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

void MainWindow::onGlobalKeyPressed(int vkCode) {
    if (vkCode == GlobalKey::PrintKeyCode)
        makeScreenshot();
}

void MainWindow::makeScreenshot() {
#ifdef CLIPNEST_HAVE_CAPTURE
    if (!cropCtrl) {
        cropCtrl = new CropCtrl;
        cropCtrl->setWindowTitle(captureWindowTitle());
        connect(cropCtrl, &CropCtrl::uploadImageData, this, &MainWindow::onImageUpload);
        connect(cropCtrl, &CropCtrl::uploadImageDataAndShare, this,
                &MainWindow::onImageUploadAndShare);
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
#endif
}

void MainWindow::onCropControlClosed() {
    if (!settings.value(key(ShowSnapButtonKey), true).toBool())
        return;
    if (snapButtonInitialised)
        snapshotButton.show();
    else
        initSnapButton();
}

void MainWindow::onShowHideSnapButton(bool checked) {
    settings.setValue(key(ShowSnapButtonKey), checked);
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
    const QUrl faq = ServiceUrls::faqUrl(serviceHost());
    if (faq.isValid())
        QDesktopServices::openUrl(faq);
}

void MainWindow::onImageUpload(const QByteArray& data) {
    shareAfterUpload = false;
    startUpload(data);
}

void MainWindow::onImageUploadAndShare(const QByteArray& data, int network) {
    shareAfterUpload = true;
    socialNetwork = network;
    startUpload(data);
}

void MainWindow::startUpload(const QByteArray& data) {
    int width = 0;
    int height = 0;
#ifdef CLIPNEST_HAVE_CAPTURE
    if (cropCtrl) {
        width = cropCtrl->videoWidth();
        height = cropCtrl->videoHeight();
    }
#endif
    const QString host = serviceHost();
    const QUrl url = ServiceUrls::uploadUrl(host, width, height);
    if (!url.isValid() || url.isEmpty()) {
        onUploadError(
            QStringLiteral("The upload service address \"%1\" is not usable. Put a host name "
                           "(host:port) or an http:// or https:// address under \"%2\" in %3.")
                .arg(host, key(ServiceHostKey), settings.fileName()));
        return;
    }
    qDebug() << "Try upload to: " << url;
    uploader.upload(url, data, key(UploadFieldName), key(UploadFileName), key(UploadContentType),
                    key(UploadBoundary));
}

void MainWindow::onUploadProgress(double progress) {
    if (!progressWidget->isVisible()) {
        centreOnScreen(progressWidget);
        progressWidget->show();
    }
    progressWidget->setValue(static_cast<int>(progress));
}

void MainWindow::onUploadFinished(const QString& answer) {
    if (!ServiceUrls::isAcceptedAnswer(answer)) {
        progressWidget->hide();
        QMessageBox::critical(this, tr("Upload error"),
                              tr("Service temporarily not working. Please try again later"),
                              QMessageBox::Ok);
        return;
    }

    if (!shareAfterUpload) {
        QGuiApplication::clipboard()->setText(answer, QClipboard::Clipboard);
        showCopiedToClipboard();
    } else {
        const QString link = ServiceUrls::sharedLink(answer, Languages::current());
        const QUrl page = ServiceUrls::sharePageUrl(socialNetwork, link);
        if (!page.isEmpty())
            QDesktopServices::openUrl(page);
    }

    HistoryManager::instance()->add(HistoryRecord(QDateTime::currentDateTime(), QUrl(answer)));
    progressWidget->hide();
}

void MainWindow::onUploadError(const QString& error) {
    progressWidget->hide();
    QMessageBox::information(this, tr("Upload error"), error, QMessageBox::Ok);
}

void MainWindow::showCopiedToClipboard() {
    centreOnScreen(popup);
    popup->show();
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
    const QPoint to =
        Placement::historyWidgetPosition(available, tray, historyWidget.size(), taskbarEdge());
    qDebug() << "Point:" << to;
    historyWidget.move(to);
}

int MainWindow::taskbarEdge() const {
    const QRect tray = trayIcon.geometry();
    QScreen* screen = QGuiApplication::screenAt(tray.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return Placement::taskbarEdgeFromGeometry(screen->geometry(), screen->availableGeometry(),
                                              tray);
}

void MainWindow::centreOnScreen(QWidget* widget) const {
    widget->move(Placement::centredOnScreen(screen()->geometry(), widget->size()));
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
