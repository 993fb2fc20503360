// The main window's own entries, in one process on the offscreen platform: the FAQ page and
// the windows it hands to the upload controller. Settings live in a private folder.
#include "app/AppIdentity.h"
#include "app/MainWindow.h"
#include "app/UploadController.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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
        QCOMPARE(faqEntry->text(), QStringLiteral("FAQ"));
        // The popup follows the interface language.
        QTRY_COMPARE(window_->uploadController()->popup()->text(),
                     QStringLiteral("O link de vídeo está copiado em área de transferência"));
        faqEntry->trigger();
        QCOMPARE(urls_.opened, (QList<QUrl>{faq, faq}));
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
