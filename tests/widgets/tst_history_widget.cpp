// The history window with its rows, driven through the store as the program wires them:
// order, colours (read from the rendered rows), removal after a question, the row buttons,
// the moments as the interface language writes them, the links, the retry countdown with its
// button against a real HTTP server, and languages.
#include "history/HistoryManager.h"
#include "history/HistoryStore.h"
#include "history/RecordingStore.h"
#include "upload/UploadQueue.h"
#include "widgets/HistoryRecordingItem.h"
#include "widgets/HistoryWidget.h"
#include "widgets/HistoryWidgetItem.h"
#include "widgets/LinkText.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolTip>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

HistoryRecord record(int n) {
    return {at(2024, 4, 1, 12, 0, n), QUrl(QString("https://videos.example.org/v/%1").arg(n))};
}

// The colours the row really shows: left in the time column, right past the last button.
struct RowColors {
    QString left;
    QString right;
};

RowColors renderedColors(HistoryWidgetItem* row) {
    const QImage image = row->grab().toImage();
    const int y = image.height() / 2;
    return {image.pixelColor(2, 2).name(), image.pixelColor(image.width() - 3, y).name()};
}

// Records what the clipboard held when the copy signal arrived.
class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    QStringList seen;
public slots:
    void onCopied() { seen << QApplication::clipboard()->text(); }
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// An upload service on the loopback: answers each complete request with a link.
class LinkService : public QObject {
public:
    int requests = 0;

    bool listen(quint16 port) {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    QByteArray seen = socket->property("seen").toByteArray() + socket->readAll();
                    socket->setProperty("seen", seen);
                    const qsizetype end = seen.indexOf("\r\n\r\n");
                    // The queue first asks whether resumable uploads are spoken: not here.
                    if (end >= 0 && seen.startsWith("OPTIONS ")) {
                        socket->write("HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n"
                                      "Connection: close\r\n\r\n");
                        socket->disconnectFromHost();
                        return;
                    }
                    const qsizetype at = seen.toLower().indexOf("content-length:");
                    if (end < 0 || at < 0)
                        return;
                    const qint64 length = seen.mid(at + 15, seen.indexOf("\r\n", at) - at - 15)
                                              .trimmed()
                                              .toLongLong();
                    if (seen.size() - end - 4 < length)
                        return;
                    ++requests;
                    const QByteArray link = "https://videos.example.org/v/retried";
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                        QByteArray::number(link.size()) + "\r\nConnection: close\r\n\r\n" + link);
                    socket->disconnectFromHost();
                });
            }
        });
        return server_.listen(QHostAddress::LocalHost, port);
    }

private:
    QTcpServer server_;
};

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestHistoryWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void freshWindowSaysThereAreNoItems();
    void rowsAreNewestFirstWithAlternatingColours();
    void deletingRowsRecoloursAndUpdatesTheStore();
    void rowShowsTimeAndDate();
    void bothRowKindsWriteMomentsAlikeAndInFull();
    void linkIsShownCutInTheMiddle();
    void removingAsksFirstAndCancelKeepsTheRow();
    void waitingRowCountsDownAndRetryNowUploads();
    void everyButtonShowsAPictureAndATooltip();
    void copyButtonFillsTheClipboardAfterTheSignal();
    void openButtonOpensTheLink();
    void tooltipsAndTextsFollowTheLanguage();
    void recordingRowsFollowTheStore();
    void recordingRowsSitAboveTheLinks();
    void failureReasonIsPlainTextAndKeepsTheButtonsInView();
    void recordingRowButtonsSignalThePath();
    void recordingRowsSpeakTheLanguage();
    void linkOfAKeptUploadOffersSaveAndFolder();

private:
    // A store in a folder of its own, wired to the window as the program wires them.
    std::unique_ptr<RecordingStore> openRecordings();
    QString label(HistoryRecordingItem* row, const char* name) const;
    HistoryWidgetItem* rowAt(int i) const { return window_->rows().at(i); }
    void click(HistoryWidgetItem* row, const char* button);
    // The question a removal asks, once it is on screen.
    QMessageBox* removeQuestion() const;
    // Clicks the row's remove button and answers the question with the button `answer`
    // (its text, "Remove" or "Cancel").
    void removeWithAnswer(HistoryWidgetItem* row, const QString& answer);

    QTemporaryDir dir_;
    int fileNumber_ = 0;
    QString path_;
    std::unique_ptr<HistoryManager> store_;
    std::unique_ptr<HistoryWidget> window_;
};

void TestHistoryWidget::initTestCase() {
    // What the program sets for its English interface (Languages::setCurrent("en")).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestHistoryWidget::init() {
    path_ = dir_.filePath(QString("Clipnest%1.conf").arg(++fileNumber_));
    store_ =
        std::make_unique<HistoryManager>(std::make_unique<QSettings>(path_, QSettings::IniFormat));
    window_ = std::make_unique<HistoryWidget>(store_.get());
    connect(store_.get(), &HistoryManager::itemAdded, window_.get(), &HistoryWidget::addRecord);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestHistoryWidget::cleanup() {
    window_.reset();
    store_.reset();
}

void TestHistoryWidget::click(HistoryWidgetItem* row, const char* button) {
    auto* b = row->findChild<QPushButton*>(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

QMessageBox* TestHistoryWidget::removeQuestion() const {
    auto* box = window_->findChild<QMessageBox*>("RemoveQuestion");
    return box && box->isVisible() ? box : nullptr;
}

void TestHistoryWidget::removeWithAnswer(HistoryWidgetItem* row, const QString& answer) {
    click(row, "DeleteButton");
    QTRY_VERIFY(removeQuestion());
    QMessageBox* box = removeQuestion();
    QAbstractButton* chosen = nullptr;
    for (QAbstractButton* b : box->buttons())
        if (b->text() == answer)
            chosen = b;
    QVERIFY2(chosen, qPrintable(answer));
    QTest::mouseClick(chosen, Qt::LeftButton);
    QTRY_VERIFY(!window_->findChild<QMessageBox*>("RemoveQuestion"));
}

void TestHistoryWidget::freshWindowSaysThereAreNoItems() {
    auto* empty = window_->findChild<QWidget*>("NoItemWidget");
    auto* list = window_->findChild<QScrollArea*>();
    QVERIFY(empty && list);
    QVERIFY(empty->isVisible());
    QVERIFY(!list->isVisible());
    QCOMPARE(window_->findChild<QLabel*>("NoItemLabel")->text(), QString("There are no items"));
    QCOMPARE(window_->findChild<QLabel*>("TitleLabel")->text(), QString("History"));
    QCOMPARE(window_->findChild<QWidget*>("HistoryWidget")->size(), QSize(230, 284));
}

void TestHistoryWidget::rowsAreNewestFirstWithAlternatingColours() {
    store_->add(record(1));
    QCOMPARE(window_->rows().size(), 1);
    QVERIFY(!window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    auto* list = window_->findChild<QScrollArea*>();
    QVERIFY(list->isVisible());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#e0e0e0"));
    QCOMPARE(renderedColors(rowAt(0)).right, QString("#ebebeb"));
    QCOMPARE(rowAt(0)->height(), 40);

    store_->add(record(2));
    QCOMPARE(rowAt(0)->getRecord(), record(2));
    QCOMPARE(rowAt(1)->getRecord(), record(1));
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#ebebeb"));
    QCOMPARE(renderedColors(rowAt(0)).right, QString("#f6f6f6"));
    QCOMPARE(renderedColors(rowAt(1)).left, QString("#e0e0e0"));
    QCOMPARE(renderedColors(rowAt(1)).right, QString("#ebebeb"));

    store_->add(record(3));
    // A record the store already holds makes no row.
    store_->add(record(2));
    QCOMPARE(window_->rows().size(), 3);
    QCOMPARE(rowAt(0)->getRecord(), record(3));
    QCOMPARE(rowAt(2)->getRecord(), record(1));
    // On screen the newest row is the highest one.
    QTRY_VERIFY(rowAt(0)->y() < rowAt(1)->y());
    QTRY_VERIFY(rowAt(1)->y() < rowAt(2)->y());
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#e0e0e0"));
    QCOMPARE(renderedColors(rowAt(1)).left, QString("#ebebeb"));
    QCOMPARE(renderedColors(rowAt(2)).left, QString("#e0e0e0"));
}

void TestHistoryWidget::deletingRowsRecoloursAndUpdatesTheStore() {
    store_->add(record(1));
    store_->add(record(2));
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#ebebeb"));

    // Delete the lower (older) row: the remaining one takes the first colours.
    QPointer<HistoryWidgetItem> older = rowAt(1);
    removeWithAnswer(older, "Remove");
    QTRY_VERIFY(older.isNull());
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(rowAt(0)->getRecord(), record(2));
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#e0e0e0"));
    QCOMPARE(renderedColors(rowAt(0)).right, QString("#ebebeb"));
    QCOMPARE(store_->list(), QList<HistoryRecord>{record(2)});

    removeWithAnswer(rowAt(0), "Remove");
    QTRY_COMPARE(window_->rows().size(), 0);
    // The question took the activation for a while; the window is still there.
    QVERIFY(window_->isVisible());
    QVERIFY(window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    QVERIFY(!window_->findChild<QScrollArea*>()->isVisible());
    QCOMPARE(store_->count(), 0);

    // The deletions are on disk.
    const QString copy = path_ + ".copy";
    QVERIFY(QFile::copy(path_, copy));
    QSettings settings(copy, QSettings::IniFormat);
    QCOMPARE(HistoryStore::read(settings).size(), 0);

    // A new record after emptying the list starts a list again.
    store_->add(record(5));
    QCOMPARE(window_->rows().size(), 1);
    QVERIFY(window_->findChild<QScrollArea*>()->isVisible());
}

// Qt writes the American time with a narrow or an ordinary space before AM/PM, as its
// locale data has it; either reads the same.
static QString spaced(QString text) {
    return text.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
}

void TestHistoryWidget::rowShowsTimeAndDate() {
    // A link kept by an earlier version knows only when it was uploaded: that is shown.
    store_->add({at(2024, 3, 5, 9, 7, 3), QUrl("https://videos.example.org/v/x")});
    auto* date = rowAt(0)->findChild<QLabel*>("DateLabel");
    // English (US): month first, date before time, 12-hour clock.
    QCOMPARE(spaced(date->text()), QString("3/5/24 9:07 AM"));
    QVERIFY(date->toolTip().contains("3/5/24"));

    // A link that knows its recording shows the recording's moment, as its row showed it
    // before the upload; the upload's moment is in the tooltip.
    store_->add({at(2024, 3, 6, 21, 15, 0), QUrl("https://videos.example.org/v/y"),
                 at(2024, 3, 6, 20, 58, 0)});
    date = rowAt(0)->findChild<QLabel*>("DateLabel");
    QCOMPARE(spaced(date->text()), QString("3/6/24 8:58 PM"));
    QVERIFY(spaced(date->toolTip()).contains("9:15 PM"));

    // Another interface language writes its own way, in the rows already there.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(rowAt(0), &change);
    QCOMPARE(spaced(rowAt(0)->findChild<QLabel*>("DateLabel")->text()),
             QString("06/03/2024 20:58"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestHistoryWidget::bothRowKindsWriteMomentsAlikeAndInFull() {
    auto store = openRecordings();
    QVERIFY(store);
    // The widest moments: two-digit month, day and hour.
    const QDateTime when = at(2024, 12, 28, 22, 58, 0);
    const QString path = store->reserve(when).filePath;
    store->setState(path, RecordingState::NotUploaded);
    store_->add({when.addSecs(60), QUrl("https://videos.example.org/v/12"), when});
    auto* linkDate = rowAt(0)->findChild<QLabel*>("DateLabel");
    auto* recordingDate = window_->recordingRows().at(0)->findChild<QLabel*>("DateLabel");
    QCOMPARE(linkDate->text(), recordingDate->text());
    QCOMPARE(spaced(linkDate->text()), QString("12/28/24 10:58 PM"));

    // Every character in view, at the usual font and at a large one.
    const auto fits = [](QLabel* label) {
        return label->fontMetrics().horizontalAdvance(label->text()) <=
               label->contentsRect().width();
    };
    QTRY_VERIFY(fits(linkDate));
    QTRY_VERIFY(fits(recordingDate));
    // The desktop's font, as a user who needs large letters sets it before the program starts.
    const QFont usual = QApplication::font();
    const auto restore = qScopeGuard([usual] { QApplication::setFont(usual); });
    QFont large = usual;
    large.setPointSize(20);
    QApplication::setFont(large);
    HistoryManager history(
        std::make_unique<QSettings>(dir_.filePath("large.conf"), QSettings::IniFormat));
    HistoryWidget window(&history);
    connect(&history, &HistoryManager::itemAdded, &window, &HistoryWidget::addRecord);
    connect(store.get(), &RecordingStore::changed, &window,
            [&window, &store] { window.setRecordings(store->list()); });
    window.setRecordings(store->list());
    history.add({when.addSecs(60), QUrl("https://videos.example.org/v/12"), when});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    linkDate = window.rows().at(0)->findChild<QLabel*>("DateLabel");
    recordingDate = window.recordingRows().at(0)->findChild<QLabel*>("DateLabel");
    QCOMPARE(linkDate->font().pointSize(), 20);
    QTRY_VERIFY(fits(linkDate));
    QTRY_VERIFY(fits(recordingDate));
    // The window grew for it rather than cutting the text, and the buttons are in view.
    QVERIFY(window.findChild<QWidget*>("HistoryWidget")->width() > 230);
    auto* viewport = window.findChild<QScrollArea*>()->viewport();
    for (QWidget* row : {static_cast<QWidget*>(window.rows().at(0)),
                         static_cast<QWidget*>(window.recordingRows().at(0))}) {
        auto* button = row->findChild<QPushButton*>("DeleteButton");
        QTRY_VERIFY(viewport->rect().contains(
            QRect(button->mapTo(viewport, QPoint(0, 0)), button->size())));
    }
}

void TestHistoryWidget::linkIsShownCutInTheMiddle() {
    const QString shortLink = "https://v.io/a";
    const QString longLink = "https://videos.example.org/watch/" + QString(60, 'x') + "/END42";
    store_->add({at(2024, 4, 1, 10, 0, 0), QUrl(shortLink)});
    store_->add({at(2024, 4, 1, 11, 0, 0), QUrl(longLink)});
    auto* shortText = rowAt(1)->findChild<LinkText*>("LinkText");
    auto* longText = rowAt(0)->findChild<LinkText*>("LinkText");
    QVERIFY(shortText && longText);
    QTRY_COMPARE(shortText->text(), shortLink);
    // Cut in the middle: where it goes and which video it is both stay in view.
    QTRY_VERIFY(longText->text().contains(QChar(0x2026)));
    QVERIFY(longText->text().startsWith("https"));
    QVERIFY(longText->text().endsWith("END42"));
    QVERIFY(longText->fontMetrics().horizontalAdvance(longText->text()) <= longText->width());
    QVERIFY(longText->isReadOnly());
    // The whole link in the tooltip, whichever way the tooltip reads it.
    QTextDocument tip;
    tip.setHtml(longText->toolTip());
    QCOMPARE(tip.toPlainText(), longLink);
    // Clicked, the whole link is there to select and copy.
    window_->activateWindow();
    longText->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(longText->text(), longLink);
    longText->selectAll();
    longText->copy();
    QCOMPARE(QApplication::clipboard()->text(), longLink);
}

void TestHistoryWidget::removingAsksFirstAndCancelKeepsTheRow() {
    store_->add(record(1));
    auto* remove = rowAt(0)->findChild<PushButtonWithTooltip*>("DeleteButton");
    // It says what it does: the history forgets, the service keeps the video.
    QCOMPARE(remove->tooltipText, QString("Remove from history (the video stays on the service)"));
    click(rowAt(0), "DeleteButton");
    QTRY_VERIFY(removeQuestion());
    QVERIFY(removeQuestion()->text().contains("stays on the service"));
    // Nothing is gone while the question is open, and the window stays for its answer.
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(store_->count(), 1);
    QVERIFY(window_->isVisible());
    // Escape or Cancel: nothing changes.
    QTest::keyClick(removeQuestion(), Qt::Key_Escape);
    QTRY_VERIFY(!window_->findChild<QMessageBox*>("RemoveQuestion"));
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(store_->count(), 1);
    removeWithAnswer(rowAt(0), "Cancel");
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(store_->list(), QList<HistoryRecord>{record(1)});
    // Yes: the row and the record go.
    removeWithAnswer(rowAt(0), "Remove");
    QTRY_COMPARE(window_->rows().size(), 0);
    QCOMPARE(store_->count(), 0);
}

void TestHistoryWidget::copyButtonFillsTheClipboardAfterTheSignal() {
    QApplication::clipboard()->setText("before");
    store_->add(record(1));
    store_->add(record(2));
    ClipboardWatcher watcher;
    connect(window_.get(), &HistoryWidget::copiedToClipboard, &watcher,
            &ClipboardWatcher::onCopied);
    click(rowAt(1), "CopyButton");
    QCOMPARE(watcher.seen, QStringList{"before"});
    QCOMPARE(QApplication::clipboard()->text(), QString("https://videos.example.org/v/1"));
    click(rowAt(0), "CopyButton");
    QCOMPARE(watcher.seen.size(), 2);
    QCOMPARE(QApplication::clipboard()->text(), QString("https://videos.example.org/v/2"));
    QCOMPARE(window_->rows().size(), 2);
}

void TestHistoryWidget::openButtonOpensTheLink() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    store_->add(record(7));
    click(rowAt(0), "OpenButton");
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl("https://videos.example.org/v/7")});
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(store_->count(), 1);
}

void TestHistoryWidget::tooltipsAndTextsFollowTheLanguage() {
    store_->add(record(1));
    auto* copy = rowAt(0)->findChild<PushButtonWithTooltip*>("CopyButton");
    // A row added while the program runs has its tooltips at once.
    QCOMPARE(copy->tooltipText, QString("Copy to clipboard"));
    QCOMPARE(rowAt(0)->findChild<PushButtonWithTooltip*>("DeleteButton")->tooltipText,
             QString("Remove from history (the video stays on the service)"));
    QTest::mouseMove(copy, QPoint(5, 5));
    QTest::mouseMove(copy, QPoint(6, 6));
    QTRY_COMPARE(QToolTip::text(), QString("Copy to clipboard"));

    QTranslator spanish;
    QVERIFY(spanish.load(":/Resources/locales/es.qm"));
    QApplication::installTranslator(&spanish);
    QTRY_COMPARE(copy->tooltipText, QString("Copiar al portapapeles"));
    QCOMPARE(rowAt(0)->findChild<PushButtonWithTooltip*>("OpenButton")->tooltipText,
             QString("Abrir el enlace en el navegador"));
    QCOMPARE(window_->findChild<QLabel*>("TitleLabel")->text(), QString("Historial"));
    QCOMPARE(window_->findChild<QLabel*>("NoItemLabel")->text(), QString("No hay elementos"));
    QApplication::removeTranslator(&spanish);
    QTRY_COMPARE(window_->findChild<QLabel*>("TitleLabel")->text(), QString("History"));
}

void TestHistoryWidget::waitingRowCountsDownAndRetryNowUploads() {
    auto store = openRecordings();
    QVERIFY(store);
    const QString path = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("video") == 5);
    }
    store->setState(path, RecordingState::NotUploaded);
    UploadQueue queue(store.get());
    queue.setRetryDelays({40000}); // the next try in 40 s, as after a first failure
    connect(window_.get(), &HistoryWidget::retryNowRequested, &queue, &UploadQueue::retryNow);
    QSignalSpy failed(&queue, &UploadQueue::failed);
    QSignalSpy accepted(&queue, &UploadQueue::accepted);
    const quint16 port = freePort();
    // Nothing listens yet: the first try fails and a retry waits.
    queue.add(path, QUrl(QString("http://127.0.0.1:%1/upload.php?width=8&height=8").arg(port)), -1);
    QVERIFY(failed.wait(10000));

    HistoryRecordingItem* row = window_->recordingRows().value(0);
    QVERIFY(row);
    const QRegularExpression waiting("^waiting to retry \\(next try in (\\d+) s\\)$");
    const auto secondsLeft = [&] {
        const auto match = waiting.match(label(row, "StatusLabel"));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    QTRY_VERIFY(secondsLeft() > 0);
    QVERIFY(secondsLeft() <= 40);
    // Counting down while the window is open.
    const int first = secondsLeft();
    QVERIFY(row->isCountingDown());
    QTRY_VERIFY_WITH_TIMEOUT(secondsLeft() > 0 && secondsLeft() < first, 5000);
    // Closed, nothing ticks.
    window_->hide();
    QVERIFY(!row->isCountingDown());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(row->isCountingDown());

    // In place of "Upload again": "Retry now", which asks the queue to try at once.
    auto* retry = row->findChild<PushButtonWithTooltip*>("RetryNowButton");
    QVERIFY(retry);
    QTRY_VERIFY(retry->isVisible());
    QVERIFY(!row->findChild<QPushButton*>("UploadAgainButton")->isVisible());
    QCOMPARE(retry->tooltipText, QString("Retry now"));
    LinkService service;
    QVERIFY(service.listen(port));
    QTest::mouseClick(retry, Qt::LeftButton);
    QVERIFY(accepted.wait(10000));
    QCOMPARE(accepted.first().at(0).toString(), path);
    QCOMPARE(service.requests, 1);
    QCOMPARE(store->entry(path)->state, RecordingState::Uploaded);
}

void TestHistoryWidget::everyButtonShowsAPictureAndATooltip() {
    auto store = openRecordings();
    QVERIFY(store);
    store_->add(record(1));
    const QList<RecordingState> states = {RecordingState::NotUploaded, RecordingState::UploadFailed,
                                          RecordingState::Queued, RecordingState::Recovered};
    int n = 0;
    for (const RecordingState state : states) {
        const QString path = store->reserve(at(2024, 5, 1, 8, 0, ++n)).filePath;
        store->setState(path, state, "timeout");
    }
    // One waiting for its retry, one being uploaded.
    const QString waiting = store->reserve(at(2024, 5, 1, 8, 0, ++n)).filePath;
    QVERIFY(store->queueUpload(waiting, QUrl("http://127.0.0.1:9/upload.php"), -1));
    store->retryLater(waiting, "timeout", 1, QDateTime::currentDateTime().addSecs(40));
    const QString running = store->reserve(at(2024, 5, 1, 8, 0, ++n)).filePath;
    QVERIFY(store->queueUpload(running, QUrl("http://127.0.0.1:9/upload.php"), -1));
    store->startAttempt(running);
    QCOMPARE(window_->recordingRows().size(), 6);
    for (HistoryRecordingItem* row : window_->recordingRows())
        QTRY_VERIFY(row->isVisible());

    int shown = 0;
    for (auto* button : window_->findChildren<PushButtonWithTooltip*>()) {
        if (!button->isVisibleTo(window_.get()))
            continue;
        ++shown;
        QVERIFY2(!button->tooltipText.isEmpty(), qPrintable(button->objectName()));
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        // A picture, not a blank square: the row glyphs' grey strokes are in it.
        const QImage image = button->grab().toImage();
        int glyph = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                glyph += std::abs(c.red() - 140) < 16 && std::abs(c.red() - c.green()) < 4 &&
                         std::abs(c.red() - c.blue()) < 4;
            }
        }
        QVERIFY2(glyph >= 8, qPrintable(button->objectName()));
    }
    // Three on the link row; upload (or retry), save and delete on four recordings, save and
    // delete alone on the one being uploaded and the one waiting for a free place.
    QCOMPARE(shown, 3 + 3 * 4 + 2 * 2);
    QCOMPARE(label(window_->recordingRows().at(1), "StatusLabel").left(16),
             QString("waiting to retry"));
    QCOMPARE(label(window_->recordingRows().at(0), "StatusLabel"), QString("uploading"));
}

std::unique_ptr<RecordingStore> TestHistoryWidget::openRecordings() {
    auto store =
        std::make_unique<RecordingStore>(dir_.filePath(QString("recordings%1").arg(++fileNumber_)));
    if (!store->open().isEmpty())
        return nullptr;
    RecordingStore* s = store.get();
    connect(s, &RecordingStore::changed, window_.get(),
            [this, s] { window_->setRecordings(s->list()); });
    return store;
}

QString TestHistoryWidget::label(HistoryRecordingItem* row, const char* name) const {
    auto* l = row->findChild<QLabel*>(name);
    return l ? l->text() : QString("<no %1>").arg(name);
}

void TestHistoryWidget::recordingRowsFollowTheStore() {
    auto store = openRecordings();
    QVERIFY(store);
    const QString older = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    const QString newer = store->reserve(at(2024, 5, 2, 9, 30, 15)).filePath;
    const QString running = store->reserve(at(2024, 5, 3, 10, 0, 0)).filePath;
    QVERIFY(!older.isEmpty() && !newer.isEmpty() && !running.isEmpty());
    // Being recorded: nothing to offer yet.
    QVERIFY(window_->recordingRows().isEmpty());
    QVERIFY(window_->findChild<QWidget*>("NoItemWidget")->isVisible());

    store->setState(older, RecordingState::NotUploaded);
    store->setState(newer, RecordingState::UploadFailed, "The service did not answer.");
    QCOMPARE(window_->recordingRows().size(), 2);
    HistoryRecordingItem* top = window_->recordingRows().at(0);
    QCOMPARE(top->entry().filePath, newer);
    QCOMPARE(spaced(label(top, "DateLabel")), QString("5/2/24 9:30 AM"));
    QCOMPARE(label(top, "StatusLabel"), QString("upload failed: The service did not answer."));
    QCOMPARE(label(window_->recordingRows().at(1), "StatusLabel"), QString("not uploaded"));
    // Recordings alone are enough for a list.
    QVERIFY(!window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    QVERIFY(window_->findChild<QScrollArea*>()->isVisible());
    QVERIFY(!window_->isEmpty());

    // A state change updates the row in place; a finished recording joins at the top.
    QPointer<HistoryRecordingItem> kept = top;
    store->setState(newer, RecordingState::Queued);
    QCOMPARE(label(kept, "StatusLabel"), QString("waiting to upload"));
    store->startAttempt(newer);
    QCOMPARE(label(kept, "StatusLabel"), QString("uploading"));
    store->setState(running, RecordingState::Recovered);
    QCOMPARE(window_->recordingRows().size(), 3);
    QCOMPARE(label(window_->recordingRows().at(0), "StatusLabel"), QString("recovered"));
    QCOMPARE(window_->recordingRows().at(1), kept.data());
    QTRY_VERIFY(window_->recordingRows().at(0)->y() < window_->recordingRows().at(1)->y());

    // Removed from the store: the row goes too.
    QPointer<HistoryRecordingItem> gone = window_->recordingRows().at(2);
    QVERIFY(store->remove(older).isEmpty());
    QCOMPARE(window_->recordingRows().size(), 2);
    QTRY_VERIFY(gone.isNull());
    QVERIFY(store->remove(newer).isEmpty());
    QVERIFY(store->remove(running).isEmpty());
    QVERIFY(window_->recordingRows().isEmpty());
    QVERIFY(window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    QVERIFY(!window_->findChild<QScrollArea*>()->isVisible());
}

void TestHistoryWidget::recordingRowsSitAboveTheLinks() {
    auto store = openRecordings();
    QVERIFY(store);
    store_->add(record(1));
    const QString path = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    store->setState(path, RecordingState::NotUploaded);
    store_->add(record(2));
    QCOMPARE(window_->rows().size(), 2);
    QCOMPARE(window_->recordingRows().size(), 1);
    HistoryRecordingItem* recording = window_->recordingRows().at(0);
    const auto top = [&](QWidget* w) {
        return w->mapTo(window_.get(), QPoint(0, 0)).y();
    };
    QTRY_VERIFY(top(recording) < top(rowAt(0)));
    QTRY_VERIFY(top(rowAt(0)) < top(rowAt(1)));

    // Every link gone, the recording still makes a list; then both gone, the empty text.
    removeWithAnswer(rowAt(0), "Remove");
    removeWithAnswer(rowAt(0), "Remove");
    QTRY_COMPARE(window_->rows().size(), 0);
    QVERIFY(window_->findChild<QScrollArea*>()->isVisible());
    QVERIFY(!window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    QVERIFY(store->remove(path).isEmpty());
    QVERIFY(window_->findChild<QWidget*>("NoItemWidget")->isVisible());
    QVERIFY(window_->isEmpty());
}

void TestHistoryWidget::failureReasonIsPlainTextAndKeepsTheButtonsInView() {
    auto store = openRecordings();
    QVERIFY(store);
    const QString path = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    // What the service said: markup that must never turn into a link or a picture, and long
    // enough that it cannot fit the narrow window.
    const QString reason =
        "<b>Refused</b> <a href=\"https://elsewhere.example/\">see here</a> "
        "<img src=\"/etc/passwd\"> & the rest of a long explanation from the upload service";
    store->setState(path, RecordingState::UploadFailed, reason);
    HistoryRecordingItem* row = window_->recordingRows().value(0);
    QVERIFY(row);
    const QString full = "upload failed: " + reason;
    QCOMPARE(label(row, "StatusLabel"), full);

    // The tooltip shows exactly those characters, whichever way the tooltip reads it.
    const QString tip = row->findChild<QLabel*>("StatusLabel")->toolTip();
    if (Qt::mightBeRichText(tip)) {
        QTextDocument document;
        document.setHtml(tip);
        QCOMPARE(document.toPlainText(), full);
    } else {
        QCOMPARE(tip, full);
    }

    // The long text is cut, not the row: the buttons stay inside the visible list.
    auto* viewport = window_->findChild<QScrollArea*>()->viewport();
    for (const char* name : {"UploadAgainButton", "SaveButton", "DeleteButton"}) {
        auto* button = row->findChild<QPushButton*>(name);
        QVERIFY2(button, name);
        QTRY_VERIFY2(
            viewport->rect().contains(QRect(button->mapTo(viewport, QPoint(0, 0)), button->size())),
            name);
    }
    // The label got less room than the whole text needs: it is the one that gave way.
    auto* status = row->findChild<QLabel*>("StatusLabel");
    QVERIFY(status->width() < status->fontMetrics().horizontalAdvance(full));
}

void TestHistoryWidget::recordingRowButtonsSignalThePath() {
    auto store = openRecordings();
    QVERIFY(store);
    const QString a = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    const QString b = store->reserve(at(2024, 5, 2, 8, 0, 0)).filePath;
    store->setState(a, RecordingState::NotUploaded);
    store->setState(b, RecordingState::Recovered);
    QSignalSpy upload(window_.get(), &HistoryWidget::uploadAgainRequested);
    QSignalSpy save(window_.get(), &HistoryWidget::saveRequested);
    QSignalSpy remove(window_.get(), &HistoryWidget::deleteRequested);

    auto clickOn = [&](int row, const char* name) {
        auto* button = window_->recordingRows().at(row)->findChild<QPushButton*>(name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton);
    };
    clickOn(1, "UploadAgainButton");
    clickOn(0, "SaveButton");
    clickOn(1, "DeleteButton");
    QCOMPARE(upload.size(), 1);
    QCOMPARE(upload.at(0).at(0).toString(), a);
    QCOMPARE(save.size(), 1);
    QCOMPARE(save.at(0).at(0).toString(), b);
    QCOMPARE(remove.size(), 1);
    QCOMPARE(remove.at(0).at(0).toString(), a);
    // The window only asks: the files and the rows are all still there.
    QVERIFY(QFile::exists(a) && QFile::exists(b));
    QCOMPARE(window_->recordingRows().size(), 2);

    // Queued: no second upload of it from here, and no blank button in its place.
    store->setState(a, RecordingState::Queued);
    auto* again = window_->recordingRows().at(1)->findChild<QPushButton*>("UploadAgainButton");
    QVERIFY(!again->isVisible());
    QVERIFY(!again->isEnabled());
    QCOMPARE(label(window_->recordingRows().at(1), "StatusLabel"), QString("waiting to upload"));
    clickOn(1, "UploadAgainButton");
    QCOMPARE(upload.size(), 1);
    store->setState(a, RecordingState::UploadFailed, "timeout");
    clickOn(1, "UploadAgainButton");
    QCOMPARE(upload.size(), 2);
}

void TestHistoryWidget::recordingRowsSpeakTheLanguage() {
    auto store = openRecordings();
    QVERIFY(store);
    const QString a = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    store->setState(a, RecordingState::UploadFailed, "timeout");
    HistoryRecordingItem* row = window_->recordingRows().at(0);
    auto* upload = row->findChild<PushButtonWithTooltip*>("UploadAgainButton");
    QCOMPARE(upload->tooltipText, QString("Upload again"));
    QCOMPARE(row->findChild<PushButtonWithTooltip*>("SaveButton")->tooltipText, QString("Save"));
    QCOMPARE(row->findChild<PushButtonWithTooltip*>("DeleteButton")->tooltipText,
             QString("Delete"));

    QTranslator portuguese;
    QVERIFY(portuguese.load(":/Resources/locales/br.qm"));
    QApplication::installTranslator(&portuguese);
    QTRY_COMPARE(upload->tooltipText, QString("Enviar novamente"));
    QCOMPARE(label(row, "StatusLabel"), QString::fromUtf8("falha no envio: timeout"));
    // A row made while the language is installed speaks it at once.
    const QString b = store->reserve(at(2024, 5, 2, 8, 0, 0)).filePath;
    store->setState(b, RecordingState::NotUploaded);
    QCOMPARE(label(window_->recordingRows().at(0), "StatusLabel"),
             QString::fromUtf8("não enviada"));
    QApplication::removeTranslator(&portuguese);
    QTRY_COMPARE(upload->tooltipText, QString("Upload again"));
    QCOMPARE(label(row, "StatusLabel"), QString("upload failed: timeout"));
}

void TestHistoryWidget::linkOfAKeptUploadOffersSaveAndFolder() {
    auto store = openRecordings();
    QVERIFY(store);
    connect(store.get(), &RecordingStore::changed, window_.get(),
            [this, s = store.get()] { window_->setKeptUploads(s->kept()); });
    const QString path = store->reserve(at(2024, 5, 1, 8, 0, 0)).filePath;
    store->setState(path, RecordingState::NotUploaded);
    QVERIFY(store->queueUpload(path, QUrl("http://service.test/upload.php"), -1));
    const QDateTime when = at(2024, 5, 1, 8, 5, 0);
    const QUrl link("https://videos.test/v/kept");
    store->markUploaded(path, link.toString(), when);
    // Another link of the same moment that no kept recording belongs to.
    store_->add(HistoryRecord(when, QUrl("https://videos.test/v/other")));
    store_->add(HistoryRecord(when, link));
    store->markLinkTold(path);

    // The recording has no row of its own; its link's row offers Save and Open folder.
    QVERIFY(window_->recordingRows().isEmpty());
    QCOMPARE(window_->rows().size(), 2);
    HistoryWidgetItem* kept = rowAt(0);
    HistoryWidgetItem* other = rowAt(1);
    QCOMPARE(kept->getRecord().url, link);
    QCOMPARE(kept->keptRecording(), path);
    QVERIFY(kept->findChild<QPushButton*>("SaveRecordingButton")->isVisibleTo(kept));
    QVERIFY(kept->findChild<QPushButton*>("OpenFolderButton")->isVisibleTo(kept));
    QVERIFY(other->keptRecording().isEmpty());
    QVERIFY(!other->findChild<QPushButton*>("SaveRecordingButton")->isVisibleTo(other));
    QVERIFY(!other->findChild<QPushButton*>("OpenFolderButton")->isVisibleTo(other));

    QSignalSpy save(window_.get(), &HistoryWidget::saveRequested);
    QSignalSpy folder(window_.get(), &HistoryWidget::openFolderRequested);
    click(kept, "SaveRecordingButton");
    click(kept, "OpenFolderButton");
    QCOMPARE(save.size(), 1);
    QCOMPARE(save.first().first().toString(), path);
    QCOMPARE(folder.size(), 1);
    QCOMPARE(folder.first().first().toString(), path);

    // Once the recording is gone (saved away, let go), the link stays without them.
    QVERIFY(store->remove(path).isEmpty());
    QVERIFY(kept->keptRecording().isEmpty());
    QVERIFY(!kept->findChild<QPushButton*>("SaveRecordingButton")->isVisibleTo(kept));
    QCOMPARE(window_->rows().size(), 2);
}

QTEST_MAIN(TestHistoryWidget)
#include "tst_history_widget.moc"
