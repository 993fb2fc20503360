// What MainWindow does with the uploader's answers, in one process on the
// offscreen platform: the progress window, the clipboard, the share pages, the
// history and the error boxes. Settings live in a private folder.
#include "app/AppIdentity.h"
#include "app/Languages.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "history/HistoryManager.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
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

class OrchestrationTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;
    UrlCatcher urls;
    QTcpServer silentService; // takes uploads and never answers
    QStringList boxes;        // "title|text" of every message box shown
    QTimer boxCloser;

    template <typename T> static T* topLevel() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(w))
                return found;
        }
        return nullptr;
    }

    static PopupNotify* popup() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("PopupNotify"))
                return static_cast<PopupNotify*>(w);
        }
        return nullptr;
    }

    void invoke(const char* slot, QGenericArgument a = QGenericArgument(),
                QGenericArgument b = QGenericArgument()) {
        QVERIFY2(QMetaObject::invokeMethod(window.get(), slot, Qt::DirectConnection, a, b), slot);
    }

    QPoint centred(const QSize& size) const {
        return Placement::centredOnScreen(QGuiApplication::primaryScreen()->geometry(), size);
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls, "open");
        QVERIFY(silentService.listen(QHostAddress::LocalHost));
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"),
                              QStringLiteral("127.0.0.1:%1").arg(silentService.serverPort()));
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        window = std::make_unique<MainWindow>();
        // Installing the catalogue posts the language change that gives every window its texts.
        QCoreApplication::processEvents();

        // Message boxes are modal: note and dismiss each as soon as it is up.
        connect(&boxCloser, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + QLatin1Char('|') + box->text();
                box->done(QMessageBox::Ok);
            }
        });
        boxCloser.start(20);
    }

    void cleanupTestCase() {
        window.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void init() {
        boxes.clear();
        urls.opened.clear();
    }

    void progressWindowShowsWholePercentagesInTheMiddle() {
        auto* progress = topLevel<ProgressWidget>();
        QVERIFY(progress);
        QVERIFY(!progress->isVisible());
        invoke("onUploadProgress", Q_ARG(double, 0.0));
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->size(), QSize(372, 155));
        QCOMPARE(progress->pos(), centred(QSize(372, 155)));
        QCOMPARE(progress->percentText(), QStringLiteral("0%"));
        invoke("onUploadProgress", Q_ARG(double, 57.9));
        QCOMPARE(progress->percentText(), QStringLiteral("57%"));
        invoke("onUploadProgress", Q_ARG(double, 100.0));
        QCOMPARE(progress->percentText(), QStringLiteral("100%"));

        // Any end of the upload hides it: here an accepted answer.
        invoke("onUploadFinished",
               Q_ARG(QString, QStringLiteral("https://videos.example.org/v/p.mp4")));
        QVERIFY(!progress->isVisible());
    }

    void acceptedAnswerGoesToTheClipboardAndTheHistory() {
        HistoryManager* history = HistoryManager::instance();
        const int before = history->count();
        const QString link = QStringLiteral("https://videos.example.org/v/abc.mp4");
        invoke("onUploadFinished", Q_ARG(QString, link));
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), link);
        QCOMPARE(history->count(), before + 1);
        QCOMPARE(history->list().last().url, QUrl(link));
        QVERIFY(urls.opened.isEmpty());
        QVERIFY(boxes.isEmpty());

        PopupNotify* note = popup();
        QVERIFY(note);
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Video link copied to clipboard"));
        QCOMPARE(note->pos(), centred(note->size()));

        // The same link again is a second row (the two differ in their time).
        QTest::qWait(5);
        invoke("onUploadFinished", Q_ARG(QString, link));
        QCOMPARE(history->count(), before + 2);

        // The history is on disk at once, not only when the program ends.
        QSettings stored;
        QCOMPARE(stored.value(QStringLiteral("History/size")).toInt(), before + 2);
    }

    void rejectedAnswersShowOneBoxAndKeepNothing_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("empty") << QString();
        QTest::newRow("HTML") << QStringLiteral("<html>oops</html>");
        QTest::newRow("capital scheme") << QStringLiteral("HTTPS://videos.example.org/v/x.mp4");
        QTest::newRow("no scheme") << QStringLiteral("videos.example.org/v/x.mp4");
    }

    void rejectedAnswersShowOneBoxAndKeepNothing() {
        QFETCH(QString, answer);
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int before = HistoryManager::instance()->count();
        invoke("onUploadFinished", Q_ARG(QString, answer));
        QCOMPARE(boxes,
                 QStringList{QStringLiteral(
                     "Upload error|Service temporarily not working. Please try again later")});
        QCOMPARE(HistoryManager::instance()->count(), before);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QVERIFY(!topLevel<ProgressWidget>()->isVisible());
    }

    void uploaderErrorsAreShownAsTheySay() {
        invoke("onUploadProgress", Q_ARG(double, 10.0));
        invoke("onUploadError", Q_ARG(QString, QStringLiteral("Connection refused")));
        QCOMPARE(boxes, QStringList{QStringLiteral("Upload error|Connection refused")});
        QVERIFY(!topLevel<ProgressWidget>()->isVisible());
    }

    void sharingOpensTheNetworkPage_data() {
        QTest::addColumn<int>("network");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("sentLanguage");
        QTest::newRow("Facebook in Spanish") << 0 << "es"
                                             << "www.facebook.com"
                                             << "/sharer/sharer.php"
                                             << "u"
                                             << "es";
        QTest::newRow("Twitter in Portuguese") << 1 << "br"
                                               << "twitter.com"
                                               << "/intent/tweet"
                                               << "url"
                                               << "pt";
        QTest::newRow("Google+ in English") << 2 << "en"
                                            << "plus.google.com"
                                            << "/share"
                                            << "url"
                                            << "en";
    }

    void sharingOpensTheNetworkPage() {
        QFETCH(int, network);
        QFETCH(QString, language);
        QFETCH(QString, host);
        QFETCH(QString, path);
        QFETCH(QString, key);
        QFETCH(QString, sentLanguage);

        // Choose the interface language the way the user does.
        auto* languages = window->findChild<QMenu*>(QStringLiteral("LanguagesMenu"));
        for (QAction* action : languages->actions()) {
            if (action->data().toString() == language)
                action->trigger();
        }
        QCOMPARE(Languages::current(), language);

        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int before = HistoryManager::instance()->count();
        invoke("onImageUploadAndShare", Q_ARG(QByteArray, QByteArray("not really a video")),
               Q_ARG(int, network));
        const QString link = QStringLiteral("https://videos.example.org/v/s%1.mp4").arg(network);
        invoke("onUploadFinished", Q_ARG(QString, link));

        QCOMPARE(urls.opened.size(), 1);
        const QUrl page = urls.opened.first();
        QCOMPARE(page.scheme(), QStringLiteral("https"));
        QCOMPARE(page.host(), host);
        QCOMPARE(page.path(), path);
        QCOMPARE(QUrlQuery(page).queryItemValue(key, QUrl::FullyDecoded),
                 link + QStringLiteral("?lang=") + sentLanguage);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), before + 1);
        QCOMPARE(HistoryManager::instance()->list().last().url, QUrl(link));
    }

    void faqIsTheSamePageInEveryLanguage() {
        const QString faq =
            QStringLiteral("http://127.0.0.1:%1/faq").arg(silentService.serverPort());
        auto* tray = window->findChild<QMenu*>(QStringLiteral("TrayMenu"));
        QAction* faqEntry = tray->actions().at(4);
        faqEntry->trigger();
        QCOMPARE(urls.opened, QList<QUrl>{QUrl(faq)});
        auto* languages = window->findChild<QMenu*>(QStringLiteral("LanguagesMenu"));
        languages->actions().at(0)->trigger(); // Portuguese
        QCOMPARE(faqEntry->text(), QStringLiteral("FAQ"));
        faqEntry->trigger();
        QCOMPARE(urls.opened, (QList<QUrl>{QUrl(faq), QUrl(faq)}));
    }

    void unusableServiceAddressIsExplained() {
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"),
                              QStringLiteral("ftp://videos.example.org"));
        }
        // The window keeps its own settings object; a fresh one would read the same file.
        MainWindow other;
        QVERIFY(QMetaObject::invokeMethod(&other, "onImageUpload", Qt::DirectConnection,
                                          Q_ARG(QByteArray, QByteArray("x"))));
        QCOMPARE(boxes.size(), 1);
        // Titled in the interface language (Portuguese by now), the address named as given.
        const QString title = QCoreApplication::translate("MainWindow", "Upload error");
        QCOMPARE(title, QStringLiteral("Erro de carregamento"));
        QVERIFY2(boxes.first().startsWith(title + QLatin1Char('|')), qPrintable(boxes.first()));
        QVERIFY2(boxes.first().contains(QLatin1String("ftp://videos.example.org")),
                 qPrintable(boxes.first()));
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
    OrchestrationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_orchestration.moc"
