// The tray's language menu on its own, with the real catalogues and a settings file of the
// test's own: what an installed language leaves in the menu, in the settings and in the
// application, and what a code without a catalogue leaves alone.
#include "app/LanguageMenu.h"
#include "app/Languages.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Counts the language-change events the application sends its windows.
class LanguageChangeCounter : public QWidget {
public:
    int count = 0;

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LanguageChange)
            ++count;
        QWidget::changeEvent(event);
    }
};

// Each entry as "<code>:<checked|unchecked>,<flag|noflag>[,disabled]", in menu order.
QStringList states(const LanguageMenu& menu) {
    QStringList out;
    for (QAction* action : menu.entries()) {
        out << QStringLiteral("%1:%2,%3%4")
                   .arg(action->data().toString(), action->isChecked() ? "checked" : "unchecked",
                        action->isIconVisibleInMenu() ? "flag" : "noflag",
                        action->isEnabled() ? "" : ",disabled");
    }
    return out;
}

QAction* entry(const LanguageMenu& menu, const QString& code) {
    for (QAction* action : menu.entries()) {
        if (action->data().toString() == code)
            return action;
    }
    return nullptr;
}

} // namespace

class LanguageMenuTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<LanguageMenu> menu_;

    QVariant stored() const {
        return QSettings(settings_->fileName(), QSettings::IniFormat)
            .value(QStringLiteral("Language"));
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(Languages::catalogPath(QStringLiteral("es"))))
            QSKIP("the translation catalogues are not built into this tree yet");
    }

    void init() {
        settings_ = std::make_unique<QSettings>(dir_.filePath(QStringLiteral("settings.ini")),
                                                QSettings::IniFormat);
        settings_->clear();
        settings_->sync();
        menu_ = std::make_unique<LanguageMenu>(*settings_, nullptr);
    }

    void cleanup() {
        menu_.reset();
        settings_.reset();
    }

    void entriesFollowTheTableWithFlags() {
        QCOMPARE(menu_->objectName(), QStringLiteral("LanguagesMenu"));
        QCOMPARE(menu_->actions(), menu_->entries());
        QStringList texts;
        for (QAction* action : menu_->entries()) {
            texts << action->text();
            QVERIFY(!action->icon().isNull());
        }
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("Português (BR)"), QStringLiteral("Español (ES)"),
                              QStringLiteral("English (US)")}));
    }

    void choosingAnEntryInstallsMarksAndStoresIt() {
        LanguageChangeCounter window;
        entry(*menu_, QStringLiteral("es"))->trigger();
        QCOMPARE(Languages::current(), QStringLiteral("es"));
        QCOMPARE(stored().toString(), QStringLiteral("es"));
        QCOMPARE(states(*menu_),
                 (QStringList{"br:unchecked,flag", "es:checked,noflag", "en:unchecked,flag"}));
        QCoreApplication::processEvents();
        QVERIFY(window.count > 0);
        QCOMPARE(QCoreApplication::translate("MainWindow", "Record video"),
                 QStringLiteral("Grabar video"));

        // Another entry moves the mark and the flag with it.
        entry(*menu_, QStringLiteral("br"))->trigger();
        QCOMPARE(Languages::current(), QStringLiteral("br"));
        QCOMPARE(stored().toString(), QStringLiteral("br"));
        QCOMPARE(states(*menu_),
                 (QStringList{"br:checked,noflag", "es:unchecked,flag", "en:unchecked,flag"}));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Record video"),
                 QStringLiteral("Gravar vídeo"));

        // The current entry again reloads nothing.
        QCoreApplication::processEvents();
        window.count = 0;
        entry(*menu_, QStringLiteral("br"))->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(window.count, 0);
    }

    // Qt's dialogs and standard buttons speak the interface language too. (Going back to
    // English is seen in tst_languages, in a process of its own: here the earlier cases' menus
    // leave their translators installed in the application, as the program's one menu does.)
    void qtButtonsFollowTheLanguage() {
        auto yesCancel = [] {
            QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
            return buttons.button(QDialogButtonBox::Yes)->text() + QLatin1Char('|') +
                   buttons.button(QDialogButtonBox::Cancel)->text();
        };
        QVERIFY(menu_->load(QStringLiteral("es")));
        QCOMPARE(yesCancel(), QStringLiteral("&Sí|Cancelar"));
        QVERIFY(menu_->load(QStringLiteral("br")));
        QCOMPARE(yesCancel(), QStringLiteral("&Sim|Cancelar"));
    }

    void codeWithoutCatalogueChangesNothing() {
        QVERIFY(menu_->load(QStringLiteral("es")));
        QVERIFY(!menu_->load(QStringLiteral("tlh")));
        QCOMPARE(Languages::current(), QStringLiteral("es"));
        QCOMPARE(stored().toString(), QStringLiteral("es"));
        QCOMPARE(states(*menu_),
                 (QStringList{"br:unchecked,flag", "es:checked,noflag", "en:unchecked,flag"}));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Record video"),
                 QStringLiteral("Grabar video"));
    }

    void restoreInstallsTheStoredLanguage() {
        settings_->setValue(QStringLiteral("Language"), QStringLiteral("br"));
        QVERIFY(menu_->restore());
        QCOMPARE(Languages::current(), QStringLiteral("br"));
        QVERIFY(entry(*menu_, QStringLiteral("br"))->isChecked());
        QCOMPARE(stored().toString(), QStringLiteral("br"));
    }

    void restoreOfAnUnknownCodeSaysNothingIsInstalled() {
        // A fresh process: no catalogue installed yet, and a stored code we have none for.
        settings_->setValue(QStringLiteral("Language"), QStringLiteral("tlh"));
        LanguageMenu fresh(*settings_, nullptr);
        const QString before = Languages::current();
        // The earlier cases' translator belongs to the other menu; this one has none.
        QVERIFY(!fresh.restore());
        QCOMPARE(Languages::current(), before);
        for (QAction* action : fresh.entries())
            QVERIFY(!action->isChecked());
        QCOMPARE(stored().toString(), QStringLiteral("tlh"));
    }

    void storeWritesTheCurrentLanguage() {
        QVERIFY(menu_->load(QStringLiteral("en")));
        settings_->setValue(QStringLiteral("Language"), QStringLiteral("es"));
        menu_->store();
        QCOMPARE(stored().toString(), QStringLiteral("en"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LanguageMenuTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language_menu.moc"
