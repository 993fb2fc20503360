#include "app/MainWindow.h"

#include "app/GlobalKey.h"
#include "app/Languages.h"
#include "app/Placement.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QTranslator>
#include <QUrl>
#include <QtDebug>

namespace {

const char* const ServiceHostKey = "Service host";
const char* const DefaultServiceHost = "127.0.0.1:8080";
const char* const LanguageKey = "Language";
const char* const WindowIconPath = ":/Resources/windowIcon.png";

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , trayIcon(this)
    , trayMenu(new QMenu(this)) {
    trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    setWindowIcon(QIcon(QString::fromLatin1(WindowIconPath)));

    createTrayMenu();

    globalKey = new GlobalKey(this);
    connect(globalKey, &GlobalKey::pressed, this, &MainWindow::onGlobalKeyPressed);

    restoreLanguage();
}

MainWindow::~MainWindow() {
    storeLanguage();
}

QString MainWindow::captureWindowTitle() {
    return QStringLiteral("Clipnest capture");
}

void MainWindow::createTrayMenu() {
    recordAction = new QAction(trayMenu);
    connect(recordAction, &QAction::triggered, this, &MainWindow::makeScreenshot);
    trayMenu->addAction(recordAction);

    showHideAction = new QAction(trayMenu);
    showHideAction->setCheckable(true);
    showHideAction->setChecked(settings.value(QStringLiteral("Show snap button"), false).toBool());

    historyAction = new QAction(trayMenu);
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

void MainWindow::retranslate() {
    recordAction->setText(tr("Record video"));
    showHideAction->setText(tr("Show/hide record button"));
    historyAction->setText(tr("History"));
    languagesMenu->setTitle(tr("Languages"));
    faqAction->setText(tr("FAQ"));
    closeAction->setText(tr("Close"));
    trayIcon.setToolTip(QCoreApplication::applicationName());
}

void MainWindow::updateHistoryAction() {}

void MainWindow::restoreLanguage() {
    const QVariant stored = settings.value(QString::fromLatin1(LanguageKey));
    if (!stored.isValid()) {
        QStringList selectable;
        for (QAction* action : std::as_const(languageActions)) {
            if (action->isEnabled())
                selectable.append(action->data().toString());
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

void MainWindow::makeScreenshot() {}

void MainWindow::onCropControlClosed() {}

void MainWindow::onAbout() {}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closed();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
