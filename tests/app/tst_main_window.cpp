// The main window's own entries, in one process on the offscreen platform: the FAQ page and
// the windows it hands to the upload controller; and the notices and the history window's
// place, the parts it leaves to classes of their own. Settings live in a private folder.
#include "app/AppIdentity.h"
#include "app/HistoryPlacement.h"
#include "app/MainWindow.h"
#include "app/Notices.h"
#include "app/Placement.h"
#include "app/UploadController.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

QList<PopupNotify*> popupsTitled(const QString& title) {
    QList<PopupNotify*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* popup = dynamic_cast<PopupNotify*>(window);
        if (popup && popup->windowTitle() == title)
            found << popup;
    }
    return found;
}

} // namespace

// Receives every address the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window_;
    UrlCatcher urls_;

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls_, "open");
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"), QStringLiteral("127.0.0.1:9"));
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        window_ = std::make_unique<MainWindow>();
        // Installing the catalogue posts the language change that gives every window its texts.
        QCoreApplication::processEvents();
    }

    void cleanupTestCase() {
        window_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void uploadWindowsAreTitledAndTranslated() {
        UploadController* uploads = window_->uploadController();
        QCOMPARE(uploads->popup()->windowTitle(), MainWindow::popupWindowTitle());
        QCOMPARE(uploads->progressWindow()->windowTitle(), MainWindow::progressWindowTitle());
        QCOMPARE(uploads->popup()->text(), QStringLiteral("Video link copied to clipboard"));
    }

    void countdownMenuShowsAndStoresTheSetting() {
        auto* menu = window_->findChild<QMenu*>(QStringLiteral("CountdownMenu"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Countdown"));
        const auto texts = [menu] {
            QStringList t;
            for (QAction* a : menu->actions())
                t << (a->isChecked() ? QStringLiteral("*") : QString()) + a->text();
            return t;
        };
        QCOMPARE(texts(), (QStringList{"*Off", "3 s", "5 s", "10 s"}));
        menu->actions().at(2)->trigger();
        QCOMPARE(QSettings().value(QStringLiteral("Countdown seconds")).toInt(), 5);
        // A length set outside the menu is shown too, checked, when the menu opens.
        QSettings().setValue(QStringLiteral("Countdown seconds"), 7);
        emit menu->aboutToShow();
        QCOMPARE(texts(), (QStringList{"Off", "3 s", "5 s", "*7 s", "10 s"}));
        // A broken value counts as off.
        QSettings().setValue(QStringLiteral("Countdown seconds"), QStringLiteral("soon"));
        emit menu->aboutToShow();
        QCOMPARE(texts(), (QStringList{"*Off", "3 s", "5 s", "10 s"}));
    }

    void faqIsTheSamePageInEveryLanguage() {
        const QUrl faq(QStringLiteral("http://127.0.0.1:9/faq"));
        auto* tray = window_->findChild<QMenu*>(QStringLiteral("TrayMenu"));
        QAction* faqEntry = nullptr;
        for (QAction* entry : tray->actions())
            faqEntry = entry->text() == QLatin1String("FAQ") ? entry : faqEntry;
        QVERIFY(faqEntry);
        faqEntry->trigger();
        QCOMPARE(urls_.opened, QList<QUrl>{faq});
        auto* languages = window_->findChild<QMenu*>(QStringLiteral("LanguagesMenu"));
        languages->actions().at(0)->trigger(); // Portuguese
        QTRY_COMPARE(faqEntry->text(), QStringLiteral("Perguntas frequentes"));
        // The popup follows the interface language.
        QTRY_COMPARE(window_->uploadController()->popup()->text(),
                     QStringLiteral("Link do vídeo copiado para a área de transferência"));
        faqEntry->trigger();
        QCOMPARE(urls_.opened, (QList<QUrl>{faq, faq}));
    }

    void noticesShowInTheMiddleOfTheScreenOneAtATime() {
        const QString title = QStringLiteral("Notices under test");
        {
            Notices notices(title);
            QCOMPARE(popupsTitled(title).size(), 1);
            PopupNotify* popup = popupsTitled(title).first();
            QVERIFY(!popup->isVisible());

            // No notification service on the test's bus: our popup, once the bus said so.
            notices.show(QStringLiteral("A first notice. It has two sentences."));
            QTRY_VERIFY(popup->isVisible());
            QCOMPARE(popup->text(), QStringLiteral("A first notice. It has two sentences."));
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            QCOMPARE(popup->pos(), Placement::centredOnScreen(screen, popup->size()));

            // A second notice takes the place of the first, in the same window.
            notices.show(QStringLiteral("<b>Second</b>"));
            QTRY_COMPARE(popup->text(), QStringLiteral("<b>Second</b>"));
            QCOMPARE(popupsTitled(title).size(), 1);
            QCOMPARE(popup->pos(), Placement::centredOnScreen(screen, popup->size()));
        }
        QCOMPARE(popupsTitled(title).size(), 0);
    }

    void historyWindowIsFittedAndPlacedOnTheScreen() {
        QWidget history;
        auto* content = new QWidget(&history);
        content->setFixedSize(230, 284);
        auto* layout = new QVBoxLayout(&history);
        layout->addWidget(content);
        history.resize(10, 10);
        QScreen* screen = QGuiApplication::primaryScreen();
        // No panel on the offscreen platform and no place for the icon: the middle.
        HistoryPlacement::place(history, QRect());
        QCOMPARE(history.size(), history.sizeHint());
        QCOMPARE(history.pos(),
                 Placement::historyWidgetPosition(screen->availableGeometry(), QRect(),
                                                  history.size(), std::nullopt));
        QVERIFY(screen->availableGeometry().contains(history.geometry()));
        // An icon on the screen leads to the same screen.
        const QRect icon(screen->geometry().bottomRight() - QPoint(20, 20), QSize(16, 16));
        HistoryPlacement::place(history, icon);
        QVERIFY(screen->availableGeometry().contains(history.geometry()));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("LANG", "en_US.UTF-8");
    AppIdentity::apply();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_main_window.moc"
