// What the upload controller does with the uploader's answers, in one process on the
// offscreen platform and without a main window: the progress window, the clipboard, the
// share pages, the history and the error boxes. Settings live in a private folder.
#include "app/AppIdentity.h"
#include "app/Languages.h"
#include "app/Placement.h"
#include "app/UploadController.h"
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

class UploadControllerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<UploadController> uploads_;
    UrlCatcher urls_;
    QTcpServer silentService_; // takes uploads and never answers
    QStringList boxes_;        // "title|text" of every message box shown
    QTimer boxCloser_;

    QPoint centred(const QSize& size) const {
        return Placement::centredOnScreen(QGuiApplication::primaryScreen()->geometry(), size);
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls_, "open");
        QVERIFY(silentService_.listen(QHostAddress::LocalHost));
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"),
                              QStringLiteral("127.0.0.1:%1").arg(silentService_.serverPort()));
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        Languages::setCurrent(QStringLiteral("en"));
        uploads_ = std::make_unique<UploadController>();

        // Message boxes are modal: note and dismiss each as soon as it is up.
        connect(&boxCloser_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_ << box->windowTitle() + QLatin1Char('|') + box->text();
                box->done(QMessageBox::Ok);
            }
        });
        boxCloser_.start(20);
    }

    void cleanupTestCase() {
        uploads_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void init() {
        boxes_.clear();
        urls_.opened.clear();
    }

    void progressWindowShowsWholePercentagesInTheMiddle() {
        ProgressWidget* progress = uploads_->progressWindow();
        QVERIFY(!progress->isVisible());
        uploads_->onUploadProgress(0.0);
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->size(), QSize(372, 155));
        QCOMPARE(progress->pos(), centred(QSize(372, 155)));
        QCOMPARE(progress->percentText(), QStringLiteral("0%"));
        uploads_->onUploadProgress(57.9);
        QCOMPARE(progress->percentText(), QStringLiteral("57%"));
        uploads_->onUploadProgress(100.0);
        QCOMPARE(progress->percentText(), QStringLiteral("100%"));

        // Any end of the upload hides it: here an accepted answer.
        uploads_->onUploadFinished(QStringLiteral("https://videos.example.org/v/p.mp4"));
        QVERIFY(!progress->isVisible());
    }

    void acceptedAnswerGoesToTheClipboardAndTheHistory() {
        HistoryManager* history = HistoryManager::instance();
        const int before = history->count();
        const QString link = QStringLiteral("https://videos.example.org/v/abc.mp4");
        uploads_->onUploadFinished(link);
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), link);
        QCOMPARE(history->count(), before + 1);
        QCOMPARE(history->list().last().url, QUrl(link));
        QVERIFY(urls_.opened.isEmpty());
        QVERIFY(boxes_.isEmpty());

        PopupNotify* note = uploads_->popup();
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Video link copied to clipboard"));
        QCOMPARE(note->pos(), centred(note->size()));

        // The same link again is a second row (the two differ in their time).
        QTest::qWait(5);
        uploads_->onUploadFinished(link);
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
        uploads_->onUploadFinished(answer);
        QCOMPARE(boxes_,
                 QStringList{QStringLiteral(
                     "Upload error|Service temporarily not working. Please try again later")});
        QCOMPARE(HistoryManager::instance()->count(), before);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QVERIFY(!uploads_->progressWindow()->isVisible());
    }

    void uploaderErrorsAreShownAsTheySay() {
        uploads_->onUploadProgress(10.0);
        uploads_->onUploadError(QStringLiteral("Connection refused"));
        QCOMPARE(boxes_, QStringList{QStringLiteral("Upload error|Connection refused")});
        QVERIFY(!uploads_->progressWindow()->isVisible());
    }

    void sharingOpensTheNetworkPage_data() {
        QTest::addColumn<SocialNetwork>("network");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("sentLanguage");
        QTest::newRow("Facebook in Spanish") << SocialNetwork::Facebook << "es"
                                             << "www.facebook.com"
                                             << "/sharer/sharer.php"
                                             << "u"
                                             << "es";
        QTest::newRow("Twitter in Portuguese") << SocialNetwork::Twitter << "br"
                                               << "twitter.com"
                                               << "/intent/tweet"
                                               << "url"
                                               << "pt";
        QTest::newRow("Google+ in English") << SocialNetwork::GooglePlus << "en"
                                            << "plus.google.com"
                                            << "/share"
                                            << "url"
                                            << "en";
    }

    void sharingOpensTheNetworkPage() {
        QFETCH(SocialNetwork, network);
        QFETCH(QString, language);
        QFETCH(QString, host);
        QFETCH(QString, path);
        QFETCH(QString, key);
        QFETCH(QString, sentLanguage);

        Languages::setCurrent(language);

        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int before = HistoryManager::instance()->count();
        uploads_->uploadAndShare(QByteArray("not really a video"), QSize(320, 240), network);
        const QString link =
            QStringLiteral("https://videos.example.org/v/s%1.mp4").arg(int(network));
        uploads_->onUploadFinished(link);

        QCOMPARE(urls_.opened.size(), 1);
        const QUrl page = urls_.opened.first();
        QCOMPARE(page.scheme(), QStringLiteral("https"));
        QCOMPARE(page.host(), host);
        QCOMPARE(page.path(), path);
        QCOMPARE(QUrlQuery(page).queryItemValue(key, QUrl::FullyDecoded),
                 link + QStringLiteral("?lang=") + sentLanguage);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), before + 1);
        QCOMPARE(HistoryManager::instance()->list().last().url, QUrl(link));
    }

    void unusableServiceAddressIsExplained() {
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"),
                              QStringLiteral("ftp://videos.example.org"));
        }
        // Read at each upload: a changed setting counts without a restart.
        uploads_->upload(QByteArray("x"), QSize(320, 240));
        QTRY_COMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.first().startsWith(QStringLiteral("Upload error|")),
                 qPrintable(boxes_.first()));
        // The address as given, where it is set, as plain text.
        QVERIFY2(boxes_.first().contains(QLatin1String("\"ftp://videos.example.org\"")),
                 qPrintable(boxes_.first()));
        QVERIFY2(boxes_.first().contains(QLatin1String("\"Service host\"")),
                 qPrintable(boxes_.first()));
        QCOMPARE(uploads_->progressWindow()->isVisible(), false);
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
    UploadControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_upload_controller.moc"
