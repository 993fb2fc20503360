// Every picture the interface names must be in the compiled resources at the size the
// layouts rely on, and each catalogue must load and translate entries of every context.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void imagesHaveTheirSizes_data();
    void imagesHaveTheirSizes();
    void catalogues_data();
    void catalogues();
    void compiledCataloguesHoldEveryEntry_data();
    void compiledCataloguesHoldEveryEntry();
    void missingCatalogueIsAbsent();
};

void TestResources::imagesHaveTheirSizes_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    auto add = [](const QString& path, int w, int h) {
        QTest::newRow(qPrintable(path)) << path << QSize(w, h);
    };
    add(":/Resources/windowIcon.png", 128, 128);
    for (const char* flag : {"br", "es", "us"})
        add(QString(":/Resources/Flags/%1.png").arg(flag), 16, 16);
    for (const char* name : {"record", "record_grey", "checked", "unchecked"})
        add(QString(":/Resources/Buttons/%1.png").arg(name), 22, 22);
    add(":/Resources/Buttons/record_stop.png", 18, 18);
    for (const char* name : {"close", "save", "upload", "share"}) {
        add(QString(":/Resources/Buttons/%1.png").arg(name), 26, 25);
        add(QString(":/Resources/Buttons/%1_hover.png").arg(name), 26, 25);
    }
    add(":/Resources/Buttons/imageSize.png", 26, 26);
    add(":/Resources/Buttons/history_close.png", 14, 14);
    for (const char* name : {"clipboard", "web", "recycle", "row_upload", "row_save"})
        add(QString(":/Resources/Buttons/%1.png").arg(name), 16, 17);
    for (const char* name : {"facebook", "twitter", "reddit"})
        add(QString(":/Resources/Social/%1.png").arg(name), 24, 24);
    for (const char* name : {"top", "top_pressed", "bottom", "bottom_pressed"})
        add(QString(":/Resources/SnapButton/%1.png").arg(name), 80, 140);
    for (const char* name : {"left", "left_pressed", "right", "right_pressed"})
        add(QString(":/Resources/SnapButton/%1.png").arg(name), 140, 80);
    add(":/Resources/SnapButton/moving.png", 80, 80);
}

void TestResources::imagesHaveTheirSizes() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path + " does not load"));
    QCOMPARE(image.size(), size);
    // A blank picture would pass the size check; every picture draws something.
    bool painted = false;
    for (int y = 0; y < image.height() && !painted; ++y)
        for (int x = 0; x < image.width() && !painted; ++x)
            painted = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY2(painted, qPrintable(path + " is fully transparent"));
}

void TestResources::catalogues_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    auto add = [](const char* code, const char* context, const char* source,
                  const QString& expected) {
        QTest::addRow("%s %s %s", code, context, source) << code << context << source << expected;
    };
    add("en", "MainWindow", "Languages", "Interface language");
    add("en", "CropCtrl", "Share to facebook", "Share to Facebook");
    add("en", "CropCtrl", "Share to Reddit", "Share to Reddit");
    add("en", "CropCtrl", "Share to twitter", "Share to Twitter");
    add("en", "HistoryWidget", "There are no items", "There are no items");
    add("en", "HistoryWidgetItem", "Open link in browser", "Open link in browser");
    add("en", "ProgressWidget", "Loading, please wait...", "Loading, please wait...");
    add("en", "SnapshotButton", "Press to record video", "Press to record video");
    add("es", "CropCtrl", "Stop recording", QString::fromUtf8("Detener la grabación"));
    add("es", "HistoryWidget", "History", "Historial");
    add("es", "HistoryWidgetItem", "Remove record", "Quitar del historial");
    add("es", "UploadController", "Upload error", "Error al subir");
    add("es", "ProgressWidget", "Loading, please wait...", "Subiendo, espera un momento...");
    add("es", "SnapshotButton", "Press to record video", "Haz clic para grabar un video");
    add("br", "CropCtrl", "Error", "Erro");
    add("br", "HistoryWidget", "There are no items", QString::fromUtf8("Não há itens"));
    add("br", "HistoryWidgetItem", "Copy to clipboard",
        QString::fromUtf8("Copiar para a área de transferência"));
    add("br", "MainWindow", "Languages", "Idioma da interface");
    add("br", "MainWindow", "Close", "Fechar");
    add("br", "ProgressWidget", "Loading, please wait...", "Enviando, aguarde um momento...");
    add("br", "SnapshotButton", "Show/hide record button", "Mostrar/ocultar o botão de gravação");
}

void TestResources::catalogues() {
    QFETCH(QString, code);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, expected);
    const QString path = QString(":/Resources/locales/%1.qm").arg(code);
    QVERIFY2(QFile::exists(path), qPrintable(path + " is missing"));
    QTranslator translator;
    QVERIFY(translator.load(path));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    const QString got = QCoreApplication::translate(qPrintable(context), qPrintable(source));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(got, expected);
}

void TestResources::compiledCataloguesHoldEveryEntry_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("br") << "br";
    QTest::newRow("es") << "es";
    QTest::newRow("en") << "en";
}

// Every message of the catalogue source must come out of the compiled catalogue, also the
// English ones that repeat their source text (a compiler may drop those).
void TestResources::compiledCataloguesHoldEveryEntry() {
    QFETCH(QString, code);
    QFile source(QString(CLIPNEST_SOURCE_DIR "/Resources/locales/%1.ts").arg(code));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QTranslator translator;
    QVERIFY(translator.load(QString(":/Resources/locales/%1.qm").arg(code)));

    QXmlStreamReader xml(&source);
    QString context, text;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            text = xml.readElementText();
        else if (xml.name() == u"translation") {
            const QString expected = xml.readElementText();
            const QString got =
                translator.translate(context.toUtf8().constData(), text.toUtf8().constData());
            QVERIFY2(
                got == expected,
                qPrintable(QString("%1 / %2: '%3', want '%4'").arg(context, text, got, expected)));
            ++messages;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // Texts are added over time; fewer than the first release held means a truncated source.
    QVERIFY2(messages >= 32, qPrintable(QString::number(messages)));
}

void TestResources::missingCatalogueIsAbsent() {
    // The language menu disables entries whose catalogue does not exist; the resource
    // system must say so rather than hand out an empty file.
    QVERIFY(!QFile::exists(":/Resources/locales/de.qm"));
    QTranslator translator;
    QVERIFY(!translator.load(":/Resources/locales/de.qm"));
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
