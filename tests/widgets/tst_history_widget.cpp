// The history window with its rows, driven through the store as the program wires them:
// order, colours (read from the rendered rows), deletion, the row buttons and languages.
#include "history/HistoryManager.h"
#include "history/HistoryStore.h"
#include "widgets/HistoryWidget.h"
#include "widgets/HistoryWidgetItem.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QScrollArea>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
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

} // namespace

class TestHistoryWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void freshWindowSaysThereAreNoItems();
    void rowsAreNewestFirstWithAlternatingColours();
    void deletingRowsRecoloursAndUpdatesTheStore();
    void rowShowsTimeAndDate();
    void copyButtonFillsTheClipboardAfterTheSignal();
    void openButtonOpensTheLink();
    void tooltipsAndTextsFollowTheLanguage();

private:
    HistoryWidgetItem* rowAt(int i) const { return window_->rows().at(i); }
    void click(HistoryWidgetItem* row, const char* button);

    QTemporaryDir dir_;
    int fileNumber_ = 0;
    QString path_;
    std::unique_ptr<HistoryManager> store_;
    std::unique_ptr<HistoryWidget> window_;
};

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
    click(older, "DeleteButton");
    QTRY_VERIFY(older.isNull());
    QCOMPARE(window_->rows().size(), 1);
    QCOMPARE(rowAt(0)->getRecord(), record(2));
    QTRY_COMPARE(renderedColors(rowAt(0)).left, QString("#e0e0e0"));
    QCOMPARE(renderedColors(rowAt(0)).right, QString("#ebebeb"));
    QCOMPARE(store_->list(), QList<HistoryRecord>{record(2)});

    click(rowAt(0), "DeleteButton");
    QTRY_COMPARE(window_->rows().size(), 0);
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

void TestHistoryWidget::rowShowsTimeAndDate() {
    store_->add({at(2024, 3, 5, 9, 7, 3), QUrl("https://videos.example.org/v/x")});
    QCOMPARE(rowAt(0)->findChild<QLabel*>("TimeLabel")->text(), QString("09:07:03"));
    QCOMPARE(rowAt(0)->findChild<QLabel*>("DateLabel")->text(), QString("05/03/2024"));
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
             QString("Remove record"));
    QTest::mouseMove(copy, QPoint(5, 5));
    QTest::mouseMove(copy, QPoint(6, 6));
    QTRY_COMPARE(QToolTip::text(), QString("Copy to clipboard"));

    QTranslator spanish;
    QVERIFY(spanish.load(":/Resources/locales/es.qm"));
    QApplication::installTranslator(&spanish);
    QTRY_COMPARE(copy->tooltipText, QString("Copiar al portapapeles"));
    QCOMPARE(rowAt(0)->findChild<PushButtonWithTooltip*>("OpenButton")->tooltipText,
             QString("Abrir el enlace en el navegador"));
    QCOMPARE(window_->findChild<QLabel*>("TitleLabel")->text(), QString("Historia"));
    QCOMPARE(window_->findChild<QLabel*>("NoItemLabel")->text(), QString::fromUtf8("No hay ítems"));
    QApplication::removeTranslator(&spanish);
    QTRY_COMPARE(window_->findChild<QLabel*>("TitleLabel")->text(), QString("History"));
}

QTEST_MAIN(TestHistoryWidget)
#include "tst_history_widget.moc"
