// What the upload controller does with kept recordings and the service's answers, in one
// process on the offscreen platform and without a main window, against services on loopback:
// the queue and its retries, the progress window, the clipboard, the share pages, the history,
// the recordings folder and the error boxes. Settings and recordings live in a private folder.
#include "app/AppIdentity.h"
#include "app/Languages.h"
#include "app/Placement.h"
#include "app/UploadController.h"
#include "history/HistoryManager.h"
#include "history/RecordingStore.h"
#include "tests/support/FakeNotifications.h"
#include "tests/support/FakeUploadService.h"
#include "tests/support/PrivateBus.h"
#include "upload/UploadQueue.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

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
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<UploadController> uploads_;
    UrlCatcher urls_;
    FakeUploadService silentService_; // takes uploads and never answers
    QStringList boxes_;               // "title|text" of every message box shown
    QList<SeenBox> seen_;             // the same boxes in detail
    QTimer boxCloser_;
    bool pressSettings_ =
        false; // leave boxes through their "Settings..." button where they have one
    FakeUploadService service_;
    FakeUploadService elsewhere_;
    qint64 fakeNow_ = 0; // the controller's clock while a test holds it

    // The user's own attempt fails (the service is down), the user goes on with other work
    // and copies something, and minutes later a retry gets the link through. Gives the
    // recording's path once it is uploaded, the link in `link`.
    QString uploadThatSucceedsLate(const QString& link) {
        fakeNow_ = 1000000;
        uploads_->setClock([this] { return fakeNow_; });
        const quint16 port = FakeUploadService::freePort();
        useService(QStringLiteral("127.0.0.1:%1").arg(port));
        uploads_->queue()->setRetryDelays({1500, 1500, 1500});
        FakeUploadService late;
        late.answer = httpAnswer("200 OK", "text/plain", link.toUtf8());
        const int boxesBefore = boxes_.size();
        const QString path = uploadAndWait();
        if (boxes_.size() != boxesBefore + 1 ||
            store_->entry(path)->state != RecordingState::Queued)
            return {};
        fakeNow_ += 5 * 60 * 1000;
        QGuiApplication::clipboard()->setText(QStringLiteral("copied by the user since"));
        if (!late.listen(port))
            return {};
        const bool done = QTest::qWaitFor(
            [&] {
                const auto e = store_->entry(path);
                return e && e->state == RecordingState::Uploaded && e->linkTold;
            },
            15000);
        uploads_->queue()->setRetryDelays({300, 300});
        uploads_->setClock({});
        return done ? path : QString();
    }

    void useService(const QString& host) {
        QSettings settings;
        settings.setValue(QStringLiteral("Service host"), host);
    }
    // A kept recording with `content`, as a finished capture leaves it.
    QString makeRecording(const QByteArray& content = "not really a video") {
        const RecordingStore::Reservation r = store_->reserve();
        if (r.filePath.isEmpty())
            return {};
        QFile f(r.filePath);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return {};
        f.close();
        store_->setState(r.filePath, RecordingState::NotUploaded);
        return r.filePath;
    }
    // Uploads a kept recording and waits until the user hears of the outcome; gives its path.
    QString uploadAndWait(int shareTarget = -1) {
        const int before = boxes_.size();
        const QString clip = QGuiApplication::clipboard()->text();
        const int rows = HistoryManager::instance()->count();
        const QString path = makeRecording();
        if (path.isEmpty())
            return {};
        uploads_->uploadRecordingOfSize(path, QSize(320, 240), shareTarget);
        const bool told = QTest::qWaitFor(
            [&] {
                return boxes_.size() > before || QGuiApplication::clipboard()->text() != clip ||
                       HistoryManager::instance()->count() != rows;
            },
            20000);
        if (!told)
            QTest::qFail("the upload had no outcome within 20 s", __FILE__, __LINE__);
        return path;
    }
    QPoint centred(const QSize& size) const {
        return Placement::centredOnScreen(QGuiApplication::primaryScreen()->geometry(), size);
    }
    // A port where nothing listens now.

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls_, "open");
        QVERIFY(silentService_.listen());
        QVERIFY(service_.listen());
        QVERIFY(elsewhere_.listen());
        elsewhere_.answer = httpAnswer("200 OK", "text/plain", "http://elsewhere.test/taken.mp4");
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Service host"), silentService_.host());
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        Languages::setCurrent(QStringLiteral("en"));
        store_ = std::make_unique<RecordingStore>();
        QCOMPARE(store_->open(), QString());
        uploads_ = std::make_unique<UploadController>(store_.get());
        // The queue keeps what lasts of an upload with the recording, in the same store.
        QCOMPARE(uploads_->queue()->store(), store_.get());
        // Retries within the test's patience: three tries in all.
        uploads_->queue()->setRetryDelays({300, 300});

        // Message boxes are modal: note and dismiss each as soon as it is up.
        connect(&boxCloser_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_ << box->windowTitle() + QLatin1Char('|') + box->text();
                SeenBox detail{box->windowTitle(), box->text(), {}, box->textFormat(), {}};
                if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
                    detail.labelText = label->text();
                    detail.labelFormat = label->textFormat();
                }
                seen_ << detail;
                auto* settings = box->findChild<QPushButton*>(QStringLiteral("OpenSettingsButton"));
                if (pressSettings_ && settings)
                    settings->click();
                else
                    box->done(QMessageBox::Ok);
            }
        });
        boxCloser_.start(20);
    }

    void cleanupTestCase() {
        uploads_.reset();
        store_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void init() {
        boxes_.clear();
        seen_.clear();
        urls_.opened.clear();
        service_.requests.clear();
    }

    void cleanup() {
        // No retry of one test reaches the next one's service.
        for (const UploadJob& job : uploads_->queue()->jobs())
            uploads_->cancelUpload(job.filePath);
    }

    void linkLeftByAnEndedRunReachesTheHistoryAtStart() {
        // The service took the recording, and the run ended before the history heard of it.
        const QString path = makeRecording();
        QVERIFY(store_->queueUpload(path, QUrl(QStringLiteral("http://service.test/up")), -1));
        const QDateTime when = QDateTime::currentDateTime();
        const QString link = QStringLiteral("https://videos.example.org/v/left.mp4");
        store_->markUploaded(path, link, when);
        HistoryManager* history = HistoryManager::instance();
        const int before = history->count();
        QCOMPARE(uploads_->resumePending(), QString());
        QCOMPARE(history->count(), before + 1);
        QCOMPARE(history->list().last(), HistoryRecord(when, QUrl(link)));
        // The recording stays kept with its link: an upload is no choice to delete it.
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(store_->entry(path)->linkTold);
        QCOMPARE(store_->keptUpload(when, QUrl(link))->filePath, path);
        // Once only.
        QCOMPARE(uploads_->resumePending(), QString());
        QCOMPARE(history->count(), before + 1);
        QVERIFY(boxes_.isEmpty());
    }

    void progressWindowFollowsTheUploadInTheMiddle() {
        useService(silentService_.host());
        ProgressWidget* progress = uploads_->progressWindow();
        QVERIFY(!progress->isVisible());
        const QString path = makeRecording(QByteArray(256 * 1024, 'v'));
        uploads_->uploadRecordingOfSize(path, QSize(320, 240), -1);
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(progress->size(), QSize(372, 155));
        QCOMPARE(progress->pos(), centred(QSize(372, 155)));
        // The silent service took every byte and keeps quiet.
        QTRY_COMPARE(progress->percentText(), QStringLiteral("100%"));
        QCOMPARE(store_->entry(path)->state, RecordingState::Queued);
        uploads_->cancelUpload(path);
        QVERIFY(!progress->isVisible());
        QVERIFY(QFileInfo::exists(path));
    }

    void acceptedAnswerGoesToTheClipboardAndTheHistory() {
        HistoryManager* history = HistoryManager::instance();
        const int before = history->count();
        const QString link = QStringLiteral("https://videos.example.org/v/abc.mp4");
        service_.answer = httpAnswer("200 OK", "text/plain", link.toUtf8());
        useService(service_.host());
        const QString path = uploadAndWait();
        QTRY_COMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), link);
        QTRY_COMPARE(history->count(), before + 1);
        QCOMPARE(history->list().last().url, QUrl(link));
        QVERIFY(urls_.opened.isEmpty());
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(service_.target(0), QByteArray("/upload.php?width=320&height=240"));

        PopupNotify* note = uploads_->popup();
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Video link copied to clipboard"));
        QCOMPARE(note->pos(), centred(note->size()));
        QVERIFY(!uploads_->progressWindow()->isVisible());
        // The service has it, and the recording stays kept, as uploaded with its link, also
        // for the next start.
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(store_->entry(path)->state, RecordingState::Uploaded);
        RecordingStore next(store_->folder());
        QVERIFY(next.open().isEmpty());
        QCOMPARE(next.entry(path)->state, RecordingState::Uploaded);
        QCOMPARE(next.entry(path)->link, link);
        QVERIFY(next.entry(path)->linkTold);
        QCOMPARE(next.keptUpload(history->list().last().date, QUrl(link))->filePath, path);

        // The same link again is a second row (the two differ in their time).
        QTest::qWait(5);
        uploadAndWait();
        QTRY_COMPARE(history->count(), before + 2);

        // The history is on disk at once, not only when the program ends.
        QSettings stored;
        QCOMPARE(stored.value(QStringLiteral("History/size")).toInt(), before + 2);
    }

    void rejectedAnswersShowOneBoxAndKeepTheRecording_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("HTML") << QByteArray("<html>oops</html>");
        QTest::newRow("capital scheme") << QByteArray("HTTPS://videos.example.org/v/x.mp4");
        QTest::newRow("no scheme") << QByteArray("videos.example.org/v/x.mp4");
    }

    void rejectedAnswersShowOneBoxAndKeepTheRecording() {
        QFETCH(QByteArray, body);
        service_.answer = httpAnswer("200 OK", "text/plain", body);
        useService(service_.host());
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int before = HistoryManager::instance()->count();
        const QString path = uploadAndWait();
        QTest::qWait(1000); // a retry would come within this
        QCOMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.first().startsWith(QLatin1String("Upload error|")), qPrintable(boxes_[0]));
        QCOMPARE(service_.requests.size(), 1);
        QCOMPARE(HistoryManager::instance()->count(), before);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QVERIFY(!uploads_->progressWindow()->isVisible());
        QVERIFY(QFileInfo::exists(path));
        const auto entry = store_->entry(path);
        QCOMPARE(entry->state, RecordingState::UploadFailed);
        QVERIFY(!entry->reason.isEmpty());
        QVERIFY(!uploads_->queue()->contains(path));
    }

    void retryDeliversTheLinkOnceTheServiceIsUp() {
        const quint16 port = FakeUploadService::freePort();
        useService(QStringLiteral("127.0.0.1:%1").arg(port));
        uploads_->queue()->setRetryDelays({1500, 1500, 1500});
        FakeUploadService late;
        const QString link = QStringLiteral("https://videos.example.org/v/late.mp4");
        late.answer = httpAnswer("200 OK", "text/plain", link.toUtf8());
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int rows = HistoryManager::instance()->count();
        const QString path = uploadAndWait();
        // The user's own attempt failed: one box, which says the recording is kept.
        QCOMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.first().contains(QLatin1String("tries again by itself")),
                 qPrintable(boxes_.first()));
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(store_->entry(path)->state, RecordingState::Queued);
        // The service comes up; the retry gets through without a click.
        QVERIFY(late.listen(port));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), link, 15000);
        QTRY_COMPARE(HistoryManager::instance()->count(), rows + 1);
        QCOMPARE(HistoryManager::instance()->list().last().url, QUrl(link));
        QVERIFY(uploads_->popup()->isVisible());
        QCOMPARE(boxes_.size(), 1);
        // Soon after the user's request: the link was theirs to expect on the clipboard.
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(store_->entry(path)->state, RecordingState::Uploaded);
        uploads_->queue()->setRetryDelays({300, 300});
    }

    void automaticFailuresAreToldQuietly() {
        // The service is down, then refuses the video for good: one box for the user's try,
        // the popup for the last automatic one, and the recording kept with the reason.
        const quint16 port = FakeUploadService::freePort();
        useService(QStringLiteral("127.0.0.1:%1").arg(port));
        uploads_->queue()->setRetryDelays({1500, 1500});
        FakeUploadService refusing;
        refusing.answer = httpAnswer("400 Bad Request", "text/plain", "No such format here.");
        const QString path = uploadAndWait();
        QCOMPARE(boxes_.size(), 1);
        QVERIFY(refusing.listen(port));
        QTRY_VERIFY_WITH_TIMEOUT(uploads_->failureNotice()->isVisible(), 15000);
        QVERIFY2(uploads_->failureNotice()->text().contains(QLatin1String("No such format here.")),
                 qPrintable(uploads_->failureNotice()->text()));
        QCOMPARE(refusing.requests.size(), 1);
        QCOMPARE(boxes_.size(), 1);
        QVERIFY(QFileInfo::exists(path));
        const auto entry = store_->entry(path);
        QCOMPARE(entry->state, RecordingState::UploadFailed);
        QVERIFY2(entry->reason.contains(QLatin1String("No such format here.")),
                 qPrintable(entry->reason));
        uploads_->queue()->setRetryDelays({300, 300});
    }

    void eachUploadKeepsItsShareTarget() {
        // Two uploads at once, one shared on Twitter, one copied: neither takes the other's
        // choice.
        const QString link = QStringLiteral("https://videos.example.org/v/both.mp4");
        service_.answer = httpAnswer("200 OK", "text/plain", link.toUtf8());
        useService(service_.host());
        Languages::setCurrent(QStringLiteral("en"));
        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const QString shared = makeRecording();
        const QString copied = makeRecording();
        uploads_->uploadRecordingOfSize(shared, QSize(64, 48), int(SocialNetwork::Twitter));
        uploads_->uploadRecordingOfSize(copied, QSize(64, 48), -1);
        const auto uploaded = [this](const QString& path) {
            const auto e = store_->entry(path);
            return e && e->state == RecordingState::Uploaded;
        };
        QTRY_VERIFY_WITH_TIMEOUT(uploaded(shared) && uploaded(copied), 15000);
        QVERIFY(QFileInfo::exists(shared) && QFileInfo::exists(copied));
        QCOMPARE(urls_.opened.size(), 1);
        QCOMPARE(urls_.opened.first().path(), QStringLiteral("/intent/tweet"));
        QCOMPARE(QGuiApplication::clipboard()->text(), link);
    }

    void sizeIsReadFromTheFileWhenNotKnown() {
        QTemporaryDir tmp;
        const QString source = tmp.filePath("clip.mp4");
        QCOMPARE(QProcess::execute(QStringLiteral("ffmpeg"),
                                   {"-v", "error", "-f", "lavfi", "-i",
                                    "testsrc=size=176x144:rate=10:duration=1", "-c:v", "libx264",
                                    "-movflags", "+faststart", source}),
                 0);
        QFile clip(source);
        QVERIFY(clip.open(QIODevice::ReadOnly));
        const QString path = makeRecording(clip.readAll());
        service_.answer = httpAnswer("200 OK", "text/plain", "https://videos.example.org/v/s.mp4");
        useService(service_.host());
        uploads_->uploadRecording(path, -1);
        QTRY_COMPARE_WITH_TIMEOUT(service_.requests.size(), 1, 15000);
        QCOMPARE(service_.target(0), QByteArray("/upload.php?width=176&height=144"));

        // A file that is no video is not sent with a made-up size.
        const QString broken = makeRecording("no video at all");
        uploads_->uploadRecording(broken, -1);
        QTRY_COMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.first().contains(broken), qPrintable(boxes_.first()));
        QTest::qWait(300);
        QCOMPARE(service_.requests.size(), 1);
        QCOMPARE(store_->entry(broken)->state, RecordingState::UploadFailed);
        QVERIFY(QFileInfo::exists(broken));
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
        QTest::newRow("Reddit in English") << SocialNetwork::Reddit << "en"
                                           << "www.reddit.com"
                                           << "/submit"
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
        const QString link =
            QStringLiteral("https://videos.example.org/v/s%1.mp4").arg(int(network));
        service_.answer = httpAnswer("200 OK", "text/plain", link.toUtf8());
        useService(service_.host());

        QGuiApplication::clipboard()->setText(QStringLiteral("unchanged"));
        const int before = HistoryManager::instance()->count();
        uploadAndWait(int(network));

        QTRY_COMPARE(urls_.opened.size(), 1);
        const QUrl page = urls_.opened.first();
        QCOMPARE(page.scheme(), QStringLiteral("https"));
        QCOMPARE(page.host(), host);
        QCOMPARE(page.path(), path);
        QCOMPARE(QUrlQuery(page).queryItemValue(key, QUrl::FullyDecoded),
                 link + QStringLiteral("?lang=") + sentLanguage);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(HistoryManager::instance()->count(), before + 1);
        QCOMPARE(HistoryManager::instance()->list().last().url, QUrl(link));
        Languages::setCurrent(QStringLiteral("en"));
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
        const QString path = makeRecording();
        // The box offers the settings window, where the address is mended.
        pressSettings_ = true;
        QSignalSpy settingsWanted(uploads_.get(), &UploadController::settingsWanted);
        uploads_->uploadRecordingOfSize(path, QSize(320, 240), -1);
        QTRY_COMPARE(boxes_.size(), 1);
        pressSettings_ = false;
        QVERIFY2(boxes_.first().startsWith(QStringLiteral("Upload error|")),
                 qPrintable(boxes_.first()));
        // The address as given, and the settings window's field where it is set, as plain text.
        QVERIFY2(boxes_.first().contains(QLatin1String("\"ftp://videos.example.org\"")),
                 qPrintable(boxes_.first()));
        QVERIFY2(boxes_.first().contains(QLatin1String("\"Service address\" in the settings")),
                 qPrintable(boxes_.first()));
        QTRY_COMPARE(settingsWanted.size(), 1);
        QCOMPARE(uploads_->progressWindow()->isVisible(), false);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(store_->entry(path)->state, RecordingState::UploadFailed);
    }

    // A link that a retry brings long after the user asked is not put over what the user
    // copied since: it is announced with a "Copy link" button, which copies it.
    void lateRetryLinkIsAnnouncedNotCopied() {
        const QString link = QStringLiteral("https://videos.example.org/v/late-announced.mp4");
        const int rows = HistoryManager::instance()->count();
        const QString path = uploadThatSucceedsLate(link);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied by the user since"));
        QCOMPARE(HistoryManager::instance()->count(), rows + 1);
        QVERIFY(QFileInfo::exists(path));
        PopupNotify* notice = uploads_->failureNotice();
        QVERIFY(notice->isVisible());
        QVERIFY2(notice->text().contains(link), qPrintable(notice->text()));
        QCOMPARE(notice->buttons().size(), 1);
        QCOMPARE(notice->buttons().first()->text(), QStringLiteral("Copy link"));
        QCOMPARE(boxes_.size(), 1); // only the user's own failed attempt
        notice->buttons().first()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), link);
        QVERIFY(!notice->isVisible());
    }

    // With the desktop's notification service: the notices go there with our text, its
    // "Copy link" copies the link, and without the service our popup shows instead.
    void notificationsGoToTheDesktopService() {
        PrivateBus bus;
        QString error;
        QVERIFY2(bus.start(&error), qPrintable(error));
        const QString serviceSide = QStringLiteral("upload-test-notifications");
        const QString clientSide = QStringLiteral("upload-test-client");
        QVERIFY(QDBusConnection::connectToBus(bus.address(), serviceSide).isConnected());
        QVERIFY(QDBusConnection::connectToBus(bus.address(), clientSide).isConnected());
        FakeNotifications desktop{QDBusConnection(serviceSide)};
        QVERIFY(desktop.offer());
        uploads_->useDesktopNotifications(QDBusConnection(clientSide));
        uploads_->failureNotice()->hide();

        // The prompt one is copied, and the desktop says so.
        const QString prompt = QStringLiteral("https://videos.example.org/v/prompt.mp4");
        service_.answer = httpAnswer("200 OK", "text/plain", prompt.toUtf8());
        useService(service_.host());
        uploadAndWait();
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), prompt);
        QTRY_COMPARE(desktop.notices.size(), 1);
        QCOMPARE(desktop.notices.first().body, QStringLiteral("Video link copied to clipboard"));
        QCOMPARE(desktop.notices.first().appName, QStringLiteral("Clipnest"));

        // The late one is announced there, with its button, and copied only on its press.
        const QString late = QStringLiteral("https://videos.example.org/v/late.mp4?a=1&b=2");
        QVERIFY(!uploadThatSucceedsLate(late).isEmpty());
        QTRY_COMPARE(desktop.notices.size(), 2);
        const FakeNotifications::Notice announced = desktop.notices.last();
        QVERIFY2(announced.body.contains(late.toHtmlEscaped()), qPrintable(announced.body));
        QCOMPARE(announced.actions, (QStringList{"copy", "Copy link"}));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied by the user since"));
        QVERIFY(!uploads_->failureNotice()->isVisible());
        // Another program's notice pressed: nothing of ours happens.
        desktop.invoke(announced.id + 1000, QStringLiteral("copy"));
        QVERIFY(QTest::qWaitFor(
            [&] {
                desktop.invoke(announced.id, QStringLiteral("copy"));
                return QGuiApplication::clipboard()->text() == late;
            },
            5000));

        // The service goes away: the next late link shows in our popup, button and all.
        desktop.withdraw();
        const QString unserved = QStringLiteral("https://videos.example.org/v/unserved.mp4");
        QVERIFY(!uploadThatSucceedsLate(unserved).isEmpty());
        PopupNotify* notice = uploads_->failureNotice();
        QTRY_VERIFY(notice->isVisible());
        QVERIFY2(notice->text().contains(unserved), qPrintable(notice->text()));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copied by the user since"));
        notice->buttons().first()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), unserved);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("LANG", "en_US.UTF-8");
    AppIdentity::apply();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    UploadControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_upload_controller.moc"
