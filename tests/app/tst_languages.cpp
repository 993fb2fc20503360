// Interface language choice with a real settings file. Every case runs the shell
// in a child process (this binary again) with its own HOME, XDG_CONFIG_HOME and
// locale, because the system locale and the settings location are fixed per process.
#include "app/AppIdentity.h"
#include "app/Languages.h"
#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cstdio>

namespace {

// What the child reports: the tray entries' texts and the language actions' state.
void dumpState(MainWindow& window, const char* tag) {
    auto* tray = window.findChild<QMenu*>(QStringLiteral("TrayMenu"));
    QStringList texts;
    QStringList languages;
    for (QAction* action : tray->actions()) {
        // What the user sees: the recording's entries are hidden between recordings.
        if (!action->isVisible())
            continue;
        texts << (action->menu() ? action->menu()->title() : action->text());
        if (action->menu() && action->menu()->objectName() == QLatin1String("LanguagesMenu")) {
            for (QAction* language : action->menu()->actions()) {
                languages << QStringLiteral("%1:%2%3%4")
                                 .arg(language->data().toString(),
                                      language->isChecked() ? "checked" : "unchecked",
                                      language->isIconVisibleInMenu() ? ",flag" : ",noflag",
                                      language->isEnabled() ? "" : ",disabled");
            }
        }
    }
    std::printf("%s.current=%s\n", tag, qPrintable(Languages::current()));
    std::printf("%s.locale=%s\n", tag, qPrintable(QLocale().name()));
    std::printf("%s.menu=%s\n", tag, qPrintable(texts.join(QLatin1Char('|'))));
    std::printf("%s.languages=%s\n", tag, qPrintable(languages.join(QLatin1Char(' '))));
    // Qt's own buttons, as any of its dialogs (a question, the file chooser) would show them.
    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    std::printf("%s.qt=%s|%s\n", tag, qPrintable(buttons.button(QDialogButtonBox::Yes)->text()),
                qPrintable(buttons.button(QDialogButtonBox::Cancel)->text()));
}

class LanguageChangeCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::LanguageChange)
            ++count;
        return false;
    }
};

int runChild(int argc, char** argv) {
    AppIdentity::apply();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    {
        MainWindow window;
        QCoreApplication::processEvents();
        dumpState(window, "start");

        const QString choose = qEnvironmentVariable("CLIPNEST_TEST_CHOOSE");
        if (!choose.isEmpty()) {
            auto* languagesMenu = window.findChild<QMenu*>(QStringLiteral("LanguagesMenu"));
            for (QAction* action : languagesMenu->actions()) {
                if (action->data().toString() == choose)
                    action->trigger();
            }
            QCoreApplication::processEvents();
            dumpState(window, "chosen");

            // The same entry again must not reload anything.
            LanguageChangeCounter counter;
            window.installEventFilter(&counter);
            for (QAction* action : languagesMenu->actions()) {
                if (action->data().toString() == choose)
                    action->trigger();
            }
            QCoreApplication::processEvents();
            std::printf("again.events=%d\n", counter.count);
        }
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

class LanguagesTest : public QObject {
    Q_OBJECT

private:
    // Runs one start of the shell; returns the child's key=value report.
    QMap<QString, QString> runShell(const QTemporaryDir& home, const QString& lang,
                                    const QString& choose = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANGUAGE", "LC_CTYPE"})
            env.remove(QString::fromLatin1(var));
        env.insert(QStringLiteral("LANG"), lang);
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("CLIPNEST_TEST_CHILD"), QStringLiteral("1"));
        if (!choose.isEmpty())
            env.insert(QStringLiteral("CLIPNEST_TEST_CHOOSE"), choose);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0) {
            qWarning() << child.readAllStandardError();
            return {};
        }
        QMap<QString, QString> report;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const int eq = line.indexOf('=');
            if (eq > 0)
                report.insert(QString::fromUtf8(line.left(eq)),
                              QString::fromUtf8(line.mid(eq + 1)));
        }
        return report;
    }

    static QString settingsPath(const QTemporaryDir& home) {
        return home.filePath(QStringLiteral(".config/clipnest.invalid/Clipnest.conf"));
    }

    static QVariant storedLanguage(const QTemporaryDir& home) {
        QSettings stored(settingsPath(home), QSettings::IniFormat);
        return stored.value(QStringLiteral("Language"));
    }

    static void writeLanguage(const QTemporaryDir& home, const QString& code) {
        QSettings stored(settingsPath(home), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Language"), code);
        stored.sync();
    }

    static void requireCatalogues() {
        if (!QFile::exists(QStringLiteral(":/Resources/locales/es.qm")))
            QSKIP("the translation catalogues are not built into this tree yet");
    }

private slots:
    void firstStartPicksTheSystemLanguage_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("firstEntry");
        QTest::newRow("Spanish system") << "es_ES.UTF-8"
                                        << "es" << QStringLiteral("Grabar video");
        QTest::newRow("German system") << "de_DE.UTF-8"
                                       << "en"
                                       << "Record video";
        QTest::newRow("Portuguese system") << "pt_BR.UTF-8"
                                           << "en"
                                           << "Record video";
    }

    void firstStartPicksTheSystemLanguage() {
        requireCatalogues();
        QFETCH(QString, lang);
        QFETCH(QString, expected);
        QFETCH(QString, firstEntry);
        QTemporaryDir home;
        const auto report = runShell(home, lang);
        QCOMPARE(report.value("start.current"), expected);
        QCOMPARE(report.value("start.menu").section(QLatin1Char('|'), 0, 0), firstEntry);
        QCOMPARE(storedLanguage(home).toString(), expected);
        // The current language shows a check mark and no flag; the others their flags.
        const QStringList states = report.value("start.languages").split(QLatin1Char(' '));
        QCOMPARE(states.size(), 3);
        for (const QString& state : states) {
            if (state.startsWith(expected + QLatin1Char(':')))
                QCOMPARE(state, expected + QStringLiteral(":checked,noflag"));
            else
                QVERIFY2(state.endsWith(QLatin1String(":unchecked,flag")), qPrintable(state));
        }
    }

    void storedLanguageWinsOverTheSystem() {
        requireCatalogues();
        QTemporaryDir home;
        writeLanguage(home, QStringLiteral("es"));
        const auto report = runShell(home, QStringLiteral("de_DE.UTF-8"));
        QCOMPARE(report.value("start.current"), QStringLiteral("es"));
        QCOMPARE(report.value("start.menu"),
                 QStringLiteral("Grabar video|Historial|Mostrar u ocultar el botón de grabar|"
                                "Atajos de teclado...|Cuenta regresiva|Idioma de la interfaz|"
                                "Configuración...|Preguntas frecuentes|Cerrar"));
        QCOMPARE(report.value("start.qt"), QStringLiteral("&Sí|Cancelar"));
        QCOMPARE(storedLanguage(home).toString(), QStringLiteral("es"));
    }

    void englishCatalogueRenamesTheSubmenu() {
        requireCatalogues();
        QTemporaryDir home;
        const auto report = runShell(home, QStringLiteral("en_US.UTF-8"));
        QCOMPARE(
            report.value("start.menu"),
            QStringLiteral("Record video|History|Show/hide record button|Keyboard shortcuts...|"
                           "Countdown|Interface language|"
                           "Settings...|FAQ|Close"));
        QCOMPARE(report.value("start.qt"), QStringLiteral("&Yes|Cancel"));
    }

    void switchingLanguageRetranslatesAndPersists() {
        requireCatalogues();
        QTemporaryDir home;
        const auto report = runShell(home, QStringLiteral("en_US.UTF-8"), QStringLiteral("br"));
        QCOMPARE(report.value("start.current"), QStringLiteral("en"));
        QCOMPARE(report.value("chosen.current"), QStringLiteral("br"));
        // Dates and times are written as the chosen language writes them.
        QCOMPARE(report.value("start.locale"), QStringLiteral("en_US"));
        QCOMPARE(report.value("chosen.locale"), QStringLiteral("pt_BR"));
        QCOMPARE(report.value("chosen.menu"),
                 QStringLiteral("Gravar vídeo|Histórico|Mostrar/ocultar o botão de gravação|"
                                "Atalhos de teclado...|Contagem regressiva|Idioma da interface|"
                                "Configurações...|Perguntas frequentes|Fechar"));
        QCOMPARE(report.value("chosen.qt"), QStringLiteral("&Sim|Cancelar"));
        QCOMPARE(report.value("again.events"), QStringLiteral("0"));
        QCOMPARE(storedLanguage(home).toString(), QStringLiteral("br"));

        // The next start installs it without looking at the system locale.
        const auto restarted = runShell(home, QStringLiteral("es_ES.UTF-8"));
        QCOMPARE(restarted.value("start.current"), QStringLiteral("br"));
        QCOMPARE(restarted.value("start.locale"), QStringLiteral("pt_BR"));
    }

    void englishWritesAmericanDatesWhateverTheSystem() {
        requireCatalogues();
        // A British system writes day/month; the interface says English (US).
        QTemporaryDir home;
        writeLanguage(home, QStringLiteral("en"));
        const auto report = runShell(home, QStringLiteral("en_GB.UTF-8"));
        QCOMPARE(report.value("start.current"), QStringLiteral("en"));
        QCOMPARE(report.value("start.locale"), QStringLiteral("en_US"));
        // Spanish is the Latin American one, whatever Spain's system says.
        QTemporaryDir spanishHome;
        writeLanguage(spanishHome, QStringLiteral("es"));
        const auto spanish = runShell(spanishHome, QStringLiteral("es_ES.UTF-8"));
        QCOMPARE(spanish.value("start.current"), QStringLiteral("es"));
        QCOMPARE(spanish.value("start.locale"), QStringLiteral("es_419"));
    }

    // Back to English, Qt's buttons go back with the rest rather than keep the last language.
    void backToEnglishTakesQtsTextsBack() {
        requireCatalogues();
        QTemporaryDir home;
        writeLanguage(home, QStringLiteral("br"));
        const auto report = runShell(home, QStringLiteral("pt_BR.UTF-8"), QStringLiteral("en"));
        QCOMPARE(report.value("start.qt"), QStringLiteral("&Sim|Cancelar"));
        QCOMPARE(report.value("chosen.current"), QStringLiteral("en"));
        QCOMPARE(report.value("chosen.qt"), QStringLiteral("&Yes|Cancel"));
    }

    // Qt's catalogues come from the distribution (qt6-translations-l10n): one for each of our
    // languages but English, and each holds the standard buttons' texts.
    void qtCatalogueLoadsForEachLanguage_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("es") << "es" << QStringLiteral("&Sí") << QStringLiteral("Cancelar");
        QTest::newRow("br") << "br" << QStringLiteral("&Sim") << QStringLiteral("Cancelar");
    }

    void qtCatalogueLoadsForEachLanguage() {
        QFETCH(QString, code);
        QFETCH(QString, yes);
        QFETCH(QString, cancel);
        QTranslator translator;
        QVERIFY2(
            Languages::loadQtCatalog(translator, code),
            qPrintable(Languages::qtCatalogName(code) + " not in " + Languages::qtCatalogFolder()));
        QCOMPARE(translator.translate("QPlatformTheme", "&Yes"), yes);
        QCOMPARE(translator.translate("QPlatformTheme", "Cancel"), cancel);
        QTranslator english;
        QVERIFY(!Languages::loadQtCatalog(english, QStringLiteral("en")));
    }

    void unknownStoredLanguageShowsSourceTexts() {
        QTemporaryDir home;
        writeLanguage(home, QStringLiteral("tlh"));
        const auto report = runShell(home, QStringLiteral("es_ES.UTF-8"));
        QVERIFY2(!report.isEmpty(), "the shell did not start");
        QCOMPARE(report.value("start.current"), QString());
        QCOMPARE(
            report.value("start.menu"),
            QStringLiteral("Record video|History|Show/hide record button|Keyboard shortcuts...|"
                           "Countdown|Languages|Settings...|FAQ|Close"));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("CLIPNEST_TEST_CHILD"))
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
    LanguagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_languages.moc"
