// Every text the code hands to the translation system has a finished Spanish and
// Brazilian-Portuguese translation in the catalogues. The texts are read from the sources
// the way a translator's tool would: tr("..."), kTr.tr("...") through a TranslationContext,
// and QCoreApplication::translate("Context", "..."), with adjacent literals joined.
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Text {
    QString context;
    QString source;
    QString where; // file:line, for the failure message
};

// Reads one C++ string literal sequence ("a" "b" with whitespace or comments between)
// starting at `pos`, which must point at the first quote. Returns the joined text and
// moves `pos` past the last literal; an empty optional when no literal starts there.
std::optional<QString> readLiterals(const QString& code, qsizetype& pos) {
    auto skipSpace = [&](qsizetype p) {
        for (;;) {
            while (p < code.size() && code.at(p).isSpace())
                ++p;
            if (code.mid(p, 2) == QLatin1String("//")) {
                while (p < code.size() && code.at(p) != QLatin1Char('\n'))
                    ++p;
            } else if (code.mid(p, 2) == QLatin1String("/*")) {
                const qsizetype end = code.indexOf(QLatin1String("*/"), p + 2);
                p = end < 0 ? code.size() : end + 2;
            } else {
                return p;
            }
        }
    };
    qsizetype p = skipSpace(pos);
    if (p >= code.size() || code.at(p) != QLatin1Char('"'))
        return std::nullopt;
    QString text;
    while (p < code.size() && code.at(p) == QLatin1Char('"')) {
        ++p;
        while (p < code.size() && code.at(p) != QLatin1Char('"')) {
            QChar c = code.at(p);
            if (c == QLatin1Char('\\') && p + 1 < code.size()) {
                const QChar e = code.at(++p);
                c = e == QLatin1Char('n')   ? QChar(QLatin1Char('\n'))
                    : e == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
                                            : e; // \" \\ \'
            }
            text += c;
            ++p;
        }
        ++p; // closing quote
        const qsizetype next = skipSpace(p);
        if (next < code.size() && code.at(next) == QLatin1Char('"'))
            p = next;
        else {
            pos = p;
            return text;
        }
    }
    pos = p;
    return text;
}

int lineOf(const QString& code, qsizetype pos) {
    return int(code.left(pos).count(QLatin1Char('\n'))) + 1;
}

// The translatable texts of one source file. A plain tr() belongs to the class whose
// member function (a definition starting at the line's first column) or class body
// surrounds it.
QList<Text> textsIn(const QString& code, const QString& fileName) {
    QList<Text> texts;

    // Where each class context starts.
    QList<QPair<qsizetype, QString>> classAt;
    static const QRegularExpression definition(
        QStringLiteral("^(?:[^\\s#/][^\\n;]*?\\s)?(?:\\w+::)*?(\\w+)::~?\\w+\\s*\\("),
        QRegularExpression::MultilineOption);
    static const QRegularExpression classBody(
        QStringLiteral("^\\s*(?:class|struct)\\s+(\\w+)[^;\\n]*\\{?\\s*$"),
        QRegularExpression::MultilineOption);
    for (const QRegularExpression* re : {&definition, &classBody}) {
        auto it = re->globalMatch(code);
        while (it.hasNext()) {
            const auto m = it.next();
            classAt.append({m.capturedStart(), m.captured(1)});
        }
    }
    std::sort(classAt.begin(), classAt.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    auto classBefore = [&](qsizetype pos) {
        QString name;
        for (const auto& [at, cls] : std::as_const(classAt)) {
            if (at > pos)
                break;
            name = cls;
        }
        return name;
    };

    // Contexts declared for code outside QObjects: constexpr TranslationContext kTr{"Encoder"};
    QHash<QString, QString> declared;
    static const QRegularExpression declaration(
        QStringLiteral("TranslationContext\\s+(\\w+)\\s*\\{\\s*\"([^\"]+)\"\\s*\\}"));
    for (auto it = declaration.globalMatch(code); it.hasNext();) {
        const auto m = it.next();
        declared.insert(m.captured(1), m.captured(2));
    }

    // tr( preceded by nothing that makes it another function (a member of another object
    // than a declared context, or part of a longer name).
    static const QRegularExpression call(
        QStringLiteral("(?:\\b(\\w+)\\s*\\.\\s*)?(?<![\\w:>])tr\\s*\\(|"
                       "QCoreApplication::translate\\s*\\(|\\btranslate\\s*\\(\\s*\"(?=[A-Z])"));
    for (auto it = call.globalMatch(code); it.hasNext();) {
        const auto m = it.next();
        // Skip comments: a // before the call on its line.
        const qsizetype lineStart = code.lastIndexOf(QLatin1Char('\n'), m.capturedStart()) + 1;
        if (code.mid(lineStart, m.capturedStart() - lineStart).contains(QLatin1String("//")))
            continue;
        qsizetype pos = m.capturedEnd();
        QString context;
        const QString matched = m.captured(0);
        if (matched.contains(QLatin1String("translate"))) {
            if (matched.endsWith(QLatin1Char('"')))
                pos -= 1; // the pattern's lookahead consumed the opening quote
            const auto ctx = readLiterals(code, pos);
            if (!ctx)
                continue; // a context from a variable: not ours to check here
            while (pos < code.size() && code.at(pos).isSpace())
                ++pos;
            if (pos >= code.size() || code.at(pos) != QLatin1Char(','))
                continue;
            ++pos;
            context = *ctx;
        } else if (!m.captured(1).isEmpty()) {
            context = declared.value(m.captured(1));
            if (context.isEmpty())
                continue; // some other object's tr(), e.g. a QObject pointer's
        } else {
            context = classBefore(m.capturedStart());
        }
        const auto source = readLiterals(code, pos);
        if (!source)
            continue; // tr(variable): nothing to look up
        texts.append({context, *source,
                      QStringLiteral("%1:%2").arg(fileName).arg(lineOf(code, m.capturedStart()))});
    }
    return texts;
}

// context + '\x1f' + source -> translation; unfinished entries are left out.
QHash<QString, QString> finishedTranslations(const QString& path, QString* error) {
    QHash<QString, QString> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return out;
    }
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText();
            if (type != QLatin1String("unfinished") && type != QLatin1String("obsolete") &&
                type != QLatin1String("vanished") && !text.trimmed().isEmpty())
                out.insert(context + QChar(0x1f) + source, text);
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return out;
}

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // "unfinished", "obsolete", "vanished" or empty for a finished one
};

QList<Message> messagesOf(const QString& path, QString* error) {
    QList<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return out;
    }
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            out.append({context, source, xml.readElementText(), type});
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return out;
}

QString keyOf(const QString& context, const QString& source) {
    return context + QChar(0x1f) + source;
}

QString catalogueFile(const QString& code) {
    return QStringLiteral(CLIPNEST_SOURCE_DIR "/Resources/locales/%1.ts").arg(code);
}

// The %1 ... %99 markers of a text, sorted: a translation that drops or invents one shows a
// sentence with a hole or a raw "%2" in it.
QStringList placeholders(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%L?(\\d{1,2})"));
    QStringList out;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        out.append(it.next().captured(1));
    out.sort();
    return out;
}

QList<Text> textsOfTheProgram() {
    QList<Text> texts;
    for (const char* folder :
         {"app", "capture", "media", "upload", "history", "widgets", "platform", "core"}) {
        const QString root = QStringLiteral(CLIPNEST_SOURCE_DIR "/") + QLatin1String(folder);
        QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            texts += textsIn(QString::fromUtf8(f.readAll()),
                             path.mid(int(qstrlen(CLIPNEST_SOURCE_DIR)) + 1));
        }
    }
    return texts;
}

} // namespace

class TestTranslationCoverage : public QObject {
    Q_OBJECT

private slots:
    // The reader itself, on code written the ways the program writes it.
    void readerFindsEveryFormOfTranslatableText() {
        const QString code =
            QStringLiteral("constexpr TranslationContext kTr{\"Encoder\"};\n"
                           "constexpr TranslationContext kMainTr{\"MainWindow\"};\n"
                           "class Inline : public QObject {\n"
                           "    QString a() const { return tr(\"In the header\"); }\n"
                           "};\n"
                           "void CropCtrl::retranslate() {\n"
                           "    button->setText(tr(\"Record\"));\n"
                           "    // tr(\"Commented out\")\n"
                           "    label->setText(tr(\"Two \"\n"
                           "                      \"lines, \\\"quoted\\\"\"));\n"
                           "    auto f = [this] { return tr(\"In a lambda\"); };\n"
                           "    other->tr(\"Not ours\");\n"
                           "    widget.tr(\"Not ours either\");\n"
                           "    tr(name);\n"
                           "}\n"
                           "QString ScreenGrabber::Private::message() const {\n"
                           "    return kTr.tr(\"Encoder text\") + kMainTr.tr(\"Main text\");\n"
                           "}\n"
                           "static QString helper() {\n"
                           "    return QCoreApplication::translate(\"HistoryManager\",\n"
                           "                                       \"Translated \" \"apart\");\n"
                           "}\n");
        const QList<Text> texts = textsIn(code, QStringLiteral("sample.cpp"));
        QStringList got;
        for (const Text& t : texts)
            got.append(t.context + QLatin1Char('/') + t.source);
        const QStringList want{QStringLiteral("Inline/In the header"),
                               QStringLiteral("CropCtrl/Record"),
                               QStringLiteral("CropCtrl/Two lines, \"quoted\""),
                               QStringLiteral("CropCtrl/In a lambda"),
                               QStringLiteral("Encoder/Encoder text"),
                               QStringLiteral("MainWindow/Main text"),
                               QStringLiteral("HistoryManager/Translated apart")};
        QCOMPARE(got, want);
    }

    void everyTextHasAFinishedTranslation_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("Spanish") << QStringLiteral("es");
        QTest::newRow("Brazilian Portuguese") << QStringLiteral("br");
    }

    void everyTextHasAFinishedTranslation() {
        QFETCH(QString, code);
        QString error;
        const QHash<QString, QString> catalogue = finishedTranslations(
            QStringLiteral(CLIPNEST_SOURCE_DIR "/Resources/locales/%1.ts").arg(code), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        const QList<Text> texts = textsOfTheProgram();
        // The program has far more texts than this; fewer means the reader lost its way.
        QVERIFY2(texts.size() > 60, qPrintable(QString::number(texts.size())));
        QStringList missing;
        QSet<QString> seen;
        for (const Text& t : texts) {
            const QString key = t.context + QChar(0x1f) + t.source;
            if (catalogue.contains(key) || seen.contains(key))
                continue;
            seen.insert(key);
            missing.append(QStringLiteral("%1: %2 / \"%3\"").arg(t.where, t.context, t.source));
        }
        // One line each: a long failure message would be cut short.
        for (const QString& line : std::as_const(missing))
            qWarning().noquote() << "untranslated:" << line;
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 text(s) without a finished translation in %2.ts; "
                                           "add them through the translation JSON files")
                                .arg(missing.size())
                                .arg(code)));
    }

    // Every message of the English catalogue, in every context, is in the Spanish and the
    // Portuguese one too, finished, and in words of that language: a row left in English, or
    // with a %N lost, is what a user of that language would see.
    void everyMessageIsTranslated_data() { everyTextHasAFinishedTranslation_data(); }

    void everyMessageIsTranslated() {
        QFETCH(QString, code);
        QString error;
        const QList<Message> english = messagesOf(catalogueFile(QStringLiteral("en")), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QList<Message> translated = messagesOf(catalogueFile(code), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(english.size() > 60, qPrintable(QString::number(english.size())));

        // Texts that are the same words in the other language.
        static const QHash<QString, QSet<QString>> sameInLanguage = {
            {QStringLiteral("es"),
             {keyOf("CountdownMenu", "%1 s"), keyOf("CropCtrl", "Error"),
              keyOf("SaveRecordingFlow", "Error"), keyOf("HistoryRecordingItem", "%1 s"),
              keyOf("HistoryRecordingItem", "%1 min %2 s"), keyOf("SettingsWindow", "Token:")}},
            {QStringLiteral("br"),
             {keyOf("CountdownMenu", "%1 s"), keyOf("ShortcutDialog", "OK"),
              keyOf("FirstRunHint", "OK"), keyOf("HistoryRecordingItem", "%1 s"),
              keyOf("HistoryRecordingItem", "%1 min %2 s"), keyOf("SettingsWindow", "Token:")}},
        };
        QHash<QString, Message> byKey;
        for (const Message& m : translated)
            byKey.insert(m.context + QChar(0x1f) + m.source, m);

        QStringList faults;
        QSet<QString> englishKeys;
        for (const Message& m : english) {
            const QString key = m.context + QChar(0x1f) + m.source;
            englishKeys.insert(key);
            const QString where = QStringLiteral("%1 / \"%2\"").arg(m.context, m.source);
            if (!byKey.contains(key)) {
                faults.append(QStringLiteral("missing: ") + where);
                continue;
            }
            const Message& t = byKey.value(key);
            if (!t.type.isEmpty())
                faults.append(QStringLiteral("%1: %2").arg(t.type, where));
            else if (t.translation.trimmed().isEmpty())
                faults.append(QStringLiteral("empty: ") + where);
            else if ((t.translation == m.source || t.translation == m.translation) &&
                     !sameInLanguage.value(code).contains(key))
                faults.append(QStringLiteral("left in English: ") + where);
            else if (placeholders(t.translation) != placeholders(m.source))
                faults.append(QStringLiteral("markers %1 instead of %2: %3")
                                  .arg(placeholders(t.translation).join(QLatin1Char(',')),
                                       placeholders(m.source).join(QLatin1Char(',')), where));
        }
        // And nothing only in this catalogue: the English one is the list of the program's texts.
        for (const Message& m : translated) {
            if (!englishKeys.contains(m.context + QChar(0x1f) + m.source))
                faults.append(QStringLiteral("not in en.ts: %1 / \"%2\"").arg(m.context, m.source));
        }
        for (const QString& line : std::as_const(faults))
            qWarning().noquote() << line;
        QVERIFY2(faults.isEmpty(),
                 qPrintable(QStringLiteral("%1 fault(s) in %2.ts").arg(faults.size()).arg(code)));
    }

    // The catalogues are Latin American Spanish and Brazilian Portuguese. These are the forms
    // of Spain and of Portugal (or plain mistakes) the catalogues once held; a row added later
    // in those words reads as foreign to the people the language is for.
    void wordsOfTheRightCountry_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("foreign");
        QTest::newRow("Spanish") << QStringLiteral("es")
                                 << QStringList{
                                        QStringLiteral("\\bordenador"),   // computadora
                                        QStringLiteral("\\bparar\\b"),    // Detener, throughout
                                        QStringLiteral("\\bhistoria\\b"), // Historial
                                        QStringLiteral("cuenta atrás"),   // cuenta regresiva
                                        QStringLiteral("\\bpulse\\b"),    // tú, not usted
                                        QStringLiteral("\\bespere\\b"),
                                        QStringLiteral("\\bdescarga"), // an upload is a subida
                                    };
        QTest::newRow("Brazilian Portuguese")
            << QStringLiteral("br")
            << QStringList{
                   QStringLiteral("\\bpartilh"),    // compartilhar
                   QStringLiteral("\\bguardar\\b"), // salvar
                   QStringLiteral("\\bcarreg"),     // an upload is an envio
                   QStringLiteral("descarreg"),
                   QStringLiteral("hiperligaç"),    // link
                   QStringLiteral("\\bficheiro"),   // arquivo
                   QStringLiteral("\\becrã"),       // tela
                   QStringLiteral("\\butilizador"), // usuário
                   QStringLiteral("\\blingua\\b"),  // língua, idioma
                   QStringLiteral("^falta$"),       // erro
               };
    }

    void wordsOfTheRightCountry() {
        QFETCH(QString, code);
        QFETCH(QStringList, foreign);
        QString error;
        const QList<Message> messages = messagesOf(catalogueFile(code), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList faults;
        for (const QString& pattern : std::as_const(foreign)) {
            const QRegularExpression re(pattern,
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::UseUnicodePropertiesOption);
            QVERIFY2(re.isValid(), qPrintable(pattern));
            for (const Message& m : messages) {
                if (re.match(m.translation).hasMatch())
                    faults.append(QStringLiteral("%1: %2 / \"%3\" -> \"%4\"")
                                      .arg(pattern, m.context, m.source, m.translation));
            }
        }
        for (const QString& line : std::as_const(faults))
            qWarning().noquote() << line;
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 row(s) in words of another "
                                                             "country in %2.ts")
                                                  .arg(faults.size())
                                                  .arg(code)));
    }
};

QTEST_GUILESS_MAIN(TestTranslationCoverage)
#include "tst_translation_coverage.moc"
