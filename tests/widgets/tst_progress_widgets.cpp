// The "link copied" popup and the upload progress window, on the offscreen platform.
#include "widgets/PopupNotify.h"
#include "widgets/ProgressBar.h"
#include "widgets/ProgressWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <climits>

namespace {

// The bar's two oranges, with room for antialiasing at the ends.
bool isOrange(QRgb pixel) {
    return qRed(pixel) >= 200 && qGreen(pixel) >= 120 && qGreen(pixel) <= 175 &&
           qBlue(pixel) <= 100;
}

// Orange columns along the row through the middle of the upper half of the bar.
int orangeColumns(ProgressBar& bar) {
    QImage image(bar.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    bar.render(&image);
    const int row = bar.height() / 2 - 3;
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += isOrange(image.pixel(x, row)) ? 1 : 0;
    return count;
}

} // namespace

class ProgressWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void popupFitsItsText();
    void popupHidesAfterTwoSeconds();
    void popupShownAgainRestartsFadeAndTime();
    void progressShowsPercent();
    void progressIgnoresOutOfRangeAndRepeatedValues();
    void progressTitleComesWithLanguageChange();
    void progressWindowIsAFramelessTopLevel();
    void barPaintsFilledWidth_data();
    void barPaintsFilledWidth();
};

void ProgressWidgetsTest::popupFitsItsText() {
    PopupNotify popup;
    const QString shortText = "Video link copied to clipboard";
    popup.setText(shortText);
    QCOMPARE(popup.text(), shortText);
    QCOMPARE(popup.minimumSize(), popup.maximumSize());
    // The whole text fits on one line inside the window.
    auto* label = popup.findChild<QLabel*>();
    const QFontMetrics metrics(label->font());
    QVERIFY(popup.width() > metrics.horizontalAdvance(shortText));
    QVERIFY(popup.height() > metrics.height());
    const int shortWidth = popup.width();

    const QString longText =
        QString::fromUtf8("Link do vídeo copiado para a área de transferência");
    popup.setText(longText);
    QVERIFY(popup.width() > metrics.horizontalAdvance(longText));
    QVERIFY(popup.width() > shortWidth);
    QCOMPARE(popup.findChild<QLabel*>()->font().pointSize(), 13);
}

void ProgressWidgetsTest::popupHidesAfterTwoSeconds() {
    PopupNotify popup;
    popup.setText("Video link copied to clipboard");
    QVERIFY(popup.isWindow());
    QElapsedTimer clock;
    clock.start();
    popup.show();
    QVERIFY(popup.isVisible());
    QVERIFY(popup.windowOpacity() < 0.1);
    QTRY_COMPARE_WITH_TIMEOUT(popup.windowOpacity(), 1.0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!popup.isVisible(), 10000);
    // Qt's coarse timers may fire up to 5 % early.
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
}

void ProgressWidgetsTest::popupShownAgainRestartsFadeAndTime() {
    PopupNotify popup;
    popup.setText("Video link copied to clipboard");
    popup.show();
    // Wait until the first showing is fading out, i.e. past 1.6 of its 2 seconds.
    QTRY_COMPARE_WITH_TIMEOUT(popup.windowOpacity(), 1.0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(popup.windowOpacity() < 1.0, 5000);
    QVERIFY(popup.isVisible());

    QElapsedTimer clock;
    clock.start();
    popup.show();
    QVERIFY(popup.windowOpacity() < 0.1);
    // Had the first two seconds gone on running, the popup would vanish within 0.4 s.
    QTRY_VERIFY_WITH_TIMEOUT(!popup.isVisible(), 10000);
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
}

void ProgressWidgetsTest::progressShowsPercent() {
    ProgressWidget window;
    QCOMPARE(window.percentText(), QString());
    window.setValue(42);
    QCOMPARE(window.percentText(), QString("42%"));
    QCOMPARE(window.progressBar()->value(), 42);
    window.setValue(0);
    QCOMPARE(window.percentText(), QString("0%"));
    window.setValue(100);
    QCOMPARE(window.percentText(), QString("100%"));
}

void ProgressWidgetsTest::progressIgnoresOutOfRangeAndRepeatedValues() {
    ProgressWidget window;
    window.setValue(42);
    QSignalSpy changes(window.progressBar(), &QProgressBar::valueChanged);
    window.setValue(INT_MIN);
    window.setValue(150);
    window.setValue(-1);
    window.setValue(101);
    window.setValue(42);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(window.percentText(), QString("42%"));
    QCOMPARE(window.progressBar()->value(), 42);
}

void ProgressWidgetsTest::progressTitleComesWithLanguageChange() {
    ProgressWidget window;
    QCOMPARE(window.titleText(), QString());
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(&window, &change);
    QCOMPARE(window.titleText(), QString("Loading, please wait..."));
}

void ProgressWidgetsTest::progressWindowIsAFramelessTopLevel() {
    QWidget owner;
    ProgressWidget window(&owner);
    QVERIFY(window.parentWidget() == nullptr);
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
}

void ProgressWidgetsTest::barPaintsFilledWidth_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("42") << 42;
    QTest::newRow("57") << 57;
    QTest::newRow("100") << 100;
}

void ProgressWidgetsTest::barPaintsFilledWidth() {
    QFETCH(int, value);
    ProgressBar bar;
    bar.resize(300, 30);
    bar.setValue(value);
    // The inner rectangle runs from x = 3 to x = 296: 294 pixels.
    const int expected = int(double(value) / 100.0 * 294);
    QCOMPARE(bar.filledWidth(294), expected);
    const int counted = orangeColumns(bar);
    QVERIFY2(qAbs(counted - expected) <= 2,
             qPrintable(QString("%1 orange columns, expected %2").arg(counted).arg(expected)));
}

QTEST_MAIN(ProgressWidgetsTest)
#include "tst_progress_widgets.moc"
