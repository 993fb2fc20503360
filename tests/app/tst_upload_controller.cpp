// What the upload controller does with the uploader's answers, in one process on the
// offscreen platform and without a main window: the progress window, the clipboard, the
// share pages, the history and the error boxes_. Settings live in a private folder.
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
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

// A stand-in for the upload service on loopback: keeps each request it receives and answers it
// with whatever the test sets.
class FakeService : public QObject {
    Q_OBJECT
public:
    QByteArray answer;
    QList<QByteArray> requests; // each complete request as received

    bool listen() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                // Lives as long as the socket's connections, which go with the socket.
                auto received = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
                    *received += socket->readAll();
                    const qsizetype end = received->indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    const QByteArray head = received->left(end).toLower();
                    const qsizetype at = head.indexOf("content-length:");
                    const qint64 length =
                        at < 0 ? 0
                               : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15)
                                     .trimmed()
                                     .toLongLong();
                    if (received->size() < end + 4 + length)
                        return;
                    requests << *received;
                    received->clear();
                    socket->write(answer);
                    socket->disconnectFromHost();
                });
            }
        });
        return server_.listen(QHostAddress::LocalHost);
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    QByteArray header(int request, const QByteArray& name) const {
        for (const QByteArray& line : requests.value(request).split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
                return line.mid(colon + 1).trimmed();
            if (line.trimmed().isEmpty())
                break;
        }
        return {};
    }

private:
    QTcpServer server_;
};

QByteArray httpAnswer(const QByteArray& statusLine, const QByteArray& type, const QByteArray& body,
                      const QByteArray& extra = {}) {
    return "HTTP/1.1 " + statusLine + "\r\n" +
           (type.isEmpty() ? QByteArray() : "Content-Type: " + type + "\r\n") + extra +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

// What a message box showed.
struct SeenBox {
    QString title;
    QString text;
    QString labelText;
    Qt::TextFormat boxFormat = Qt::AutoText;
    Qt::TextFormat labelFormat = Qt::AutoText;
};

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
    QTcpServer silentService_; // takes uploads_ and never answers
    QStringList boxes_;        // "title|text" of every message box shown
    QList<SeenBox> seen_;      // the same boxes_ in detail
    QTimer boxCloser_;
    FakeService service_;
    FakeService elsewhere_;

    void useService(const QString& host) {
        QSettings settings;
        settings.setValue(QStringLiteral("Service host"), host);
    }
    // Uploads through the controller and waits until the user hears of the outcome.
    void uploadAndWait() {
        const int before = boxes_.size();
        const QString clip = QGuiApplication::clipboard()->text();
        const int rows = HistoryManager::instance()->count();
        uploads_->upload(QByteArray("not really a video"), QSize(320, 240));
        QTRY_VERIFY_WITH_TIMEOUT(boxes_.size() > before ||
                                     QGuiApplication::clipboard()->text() != clip ||
                                     HistoryManager::instance()->count() != rows,
                                 20000);
    }

    QPoint centred(const QSize& size) const {
        return Placement::centredOnScreen(QGuiApplication::primaryScreen()->geometry(), size);
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls_, "open");
        QVERIFY(silentService_.listen(QHostAddress::LocalHost));
        QVERIFY(service_.listen());
        QVERIFY(elsewhere_.listen());
        elsewhere_.answer = httpAnswer("200 OK", "text/plain", "http://elsewhere.test/taken.mp4");
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"),
                              QStringLiteral("127.0.0.1:%1").arg(silentService_.serverPort()));
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        Languages::setCurrent(QStringLiteral("en"));
        uploads_ = std::make_unique<UploadController>();

        // Message boxes_ are modal: note and dismiss each as soon as it is up.
        connect(&boxCloser_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_ << box->windowTitle() + QLatin1Char('|') + box->text();
                SeenBox detail{box->windowTitle(), box->text(), {}, box->textFormat(), {}};
                if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                    detail.labelText = label->text();
                    detail.labelFormat = label->textFormat();
                }
                seen_ << detail;
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
        seen_.clear();
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

    void serviceTextsShowAsPlainText_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("shown"); // must be in the box, literally
        QTest::newRow("markup in the reason phrase")
            << httpAnswer("500 <a href=\"file:///etc/passwd\">Click to retry</a>", {}, {})
            << QString("has a problem (status 500)");
        QTest::newRow("link in the error text")
            << httpAnswer("403 Forbidden", "text/plain",
                          "<a href=\"file:///etc/passwd\">Click to retry</a>")
            << QString("<a href=\"file:///etc/passwd\">Click to retry</a>");
        QTest::newRow("picture in the error text")
            << httpAnswer("400 Bad Request", "text/plain; charset=utf-8",
                          "<img src=\"/usr/share/pixmaps/debian-logo.png\"> no")
            << QString("<img src=\"/usr/share/pixmaps/debian-logo.png\"> no");
        QTest::newRow("the service's own words")
            << httpAnswer("413 Payload Too Large", "text/plain; charset=utf-8",
                          "The video is larger than the 100000 bytes this service accepts.\n")
            << QString("answered: The video is larger than the 100000 bytes this service "
                       "accepts.");
    }

    void serviceTextsShowAsPlainText() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, shown);
        service_.answer = answer;
        useService(service_.host());
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int rows = HistoryManager::instance()->count();
        uploadAndWait();
        QCOMPARE(seen_.size(), 1);
        const SeenBox box = seen_.first();
        QCOMPARE(box.title, QStringLiteral("Upload error"));
        QCOMPARE(box.boxFormat, Qt::PlainText);
        QCOMPARE(box.labelFormat, Qt::PlainText);
        QCOMPARE(box.labelText, box.text);
        QVERIFY2(box.text.contains(shown), qPrintable(box.text));
        QVERIFY(!box.text.contains("Click to retry") || shown.contains("Click to retry"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), rows);
    }

    void answersThatAreNoPlainLinkAreRefused_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("line break and a command")
            << QByteArray("http://ok.example/v.mp4\nrm -rf ~");
        QTest::newRow("escape") << QByteArray("http://ok.example/v\x1b]0;x\x07.mp4");
        QTest::newRow("nul") << QByteArray("http://ok.example/v\0.mp4", 24);
        QTest::newRow("delete") << QByteArray("http://ok.example/v\x7f.mp4");
        QTest::newRow("space") << QByteArray("http://ok.example/a video.mp4");
        QTest::newRow("3000 bytes") << "http://ok.example/" + QByteArray(3000 - 18, 'a');
    }

    void answersThatAreNoPlainLinkAreRefused() {
        QFETCH(QByteArray, body);
        service_.answer = httpAnswer("200 OK", "text/plain", body);
        useService(service_.host());
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int rows = HistoryManager::instance()->count();
        uploadAndWait();
        QCOMPARE(seen_.size(), 1);
        QCOMPARE(seen_.first().labelFormat, Qt::PlainText);
        QVERIFY2(seen_.first().text.contains(service_.host()), qPrintable(seen_.first().text));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), rows);
    }

    void linkWithATrailingLineBreakIsTakenTrimmed() {
        service_.answer = httpAnswer("200 OK", "text/plain", "http://x.test/v.mp4\n");
        useService(service_.host());
        const int rows = HistoryManager::instance()->count();
        uploadAndWait();
        QVERIFY(seen_.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://x.test/v.mp4"));
        QCOMPARE(HistoryManager::instance()->count(), rows + 1);
        QCOMPARE(HistoryManager::instance()->list().last().url, QUrl("http://x.test/v.mp4"));
    }

    void redirectionsAreNotFollowed_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::newRow("301") << QByteArray("301 Moved Permanently");
        QTest::newRow("307") << QByteArray("307 Temporary Redirect");
    }

    void redirectionsAreNotFollowed() {
        QFETCH(QByteArray, status);
        const QByteArray target = "http://" + elsewhere_.host().toLatin1() + "/upload.php";
        service_.answer = httpAnswer(status, "text/plain", "moved", "Location: " + target + "\r\n");
        useService(service_.host());
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int rows = HistoryManager::instance()->count();
        uploadAndWait();
        QCOMPARE(seen_.size(), 1);
        QVERIFY2(seen_.first().text.contains(QString::fromLatin1(target)),
                 qPrintable(seen_.first().text));
        QVERIFY(seen_.first().text.contains("\"Service host\""));
        QCOMPARE(seen_.first().labelFormat, Qt::PlainText);
        QTest::qWait(200);
        QVERIFY(elsewhere_.requests.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), rows);
    }

    void tokenIsSentOnlyWhenSet() {
        service_.answer = httpAnswer("200 OK", "text/plain", "http://x.test/t.mp4");
        useService(service_.host());
        service_.requests.clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        uploadAndWait();
        QCOMPARE(service_.requests.size(), 1);
        QVERIFY(service_.header(0, "Authorization").isNull());
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service token"), QStringLiteral(" tok-123/xyz= "));
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        uploadAndWait();
        QCOMPARE(service_.requests.size(), 2);
        QCOMPARE(service_.header(1, "Authorization"), QByteArray("Bearer tok-123/xyz="));
        {
            QSettings settings;
            settings.remove(QStringLiteral("Service token"));
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        uploadAndWait();
        QCOMPARE(service_.requests.size(), 3);
        QVERIFY(service_.header(2, "Authorization").isNull());
        QVERIFY(seen_.isEmpty());
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
