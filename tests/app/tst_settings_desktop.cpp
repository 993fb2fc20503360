// The settings window in one process on the test desktop (X11, PulseAudio with a sine-wave
// microphone and a silent "speakers" sink, the reference upload service): opened from the real
// tray menu of a real MainWindow, each value changed through its widget and followed by the
// program; the connection test against real services; the level meter on real sound; the
// capture key that another X client holds; the hint of the first start. Settings live in a
// private folder.
#include "app/AppIdentity.h"
#include "app/CountdownMenu.h"
#include "app/MainWindow.h"
#include "history/SaveTarget.h"
#include "media/SoundLevelReader.h"
#include "platform/TrayHost.h"
#include "widgets/FirstRunHint.h"
#include "widgets/SettingsWindow.h"
#include "widgets/ShortcutDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <csignal>
#include <sys/prctl.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

namespace {

// Long enough for a busy machine to start nginx and php-fpm or to answer a request.
constexpr int kPatienceMs = 60000;

const QString ServerDir = QStringLiteral(CLIPNEST_SOURCE_DIR "/server");

struct ConnectionClose {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// Another X client holding a key on the root window, as a window manager holds Print.
class KeyHolder {
public:
    // 0 when held; the X error code when refused (BadAccess: another client holds it); -1
    // without a connection or a key.
    int grab(quint32 keysym, uint16_t modifiers) {
        connection_.reset(xcb_connect(nullptr, nullptr));
        if (xcb_connection_has_error(connection_.get()))
            return -1;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_.get());
        if (!symbols)
            return -1;
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        xcb_key_symbols_free(symbols);
        if (!codes || codes[0] == XCB_NO_SYMBOL) {
            std::free(codes);
            return -1;
        }
        const xcb_keycode_t code = codes[0];
        std::free(codes);
        const xcb_window_t root =
            xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
        xcb_generic_error_t* error = xcb_request_check(
            connection_.get(), xcb_grab_key_checked(connection_.get(), 1, root, modifiers, code,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const int refused = error ? error->error_code : 0;
        std::free(error);
        return refused;
    }

private:
    std::unique_ptr<xcb_connection_t, ConnectionClose> connection_;
};

// The reference service with its own settings, started by server/run-local.sh on a free
// loopback port, as the test desktop starts its own.
class Service {
public:
    ~Service() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(10000))
                process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool start(const QString& dir, const QStringList& options) {
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return false;
            port_ = probe.serverPort();
        }
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(QStringLiteral("bash"),
                       QStringList{ServerDir + QStringLiteral("/run-local.sh"),
                                   QStringLiteral("--dir"), dir + QStringLiteral("/run"),
                                   QStringLiteral("--listen"), host(), QStringLiteral("--storage"),
                                   dir + QStringLiteral("/storage")} +
                           options);
        if (!process_.waitForStarted(10000))
            return false;
        QByteArray output;
        while (!output.contains("ready")) {
            if (!process_.waitForReadyRead(kPatienceMs))
                return false;
            output += process_.readAll();
        }
        return true;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    QProcess process_;
    quint16 port_ = 0;
};

// A web server that is no upload service: every request gets a small HTML page.
class PageServer : public QTcpServer {
public:
    PageServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    const QByteArray page = "<html><body>Welcome</body></html>";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                  QByteArray::number(page.size()) +
                                  "\r\nConnection: close\r\n\r\n" + page);
                    socket->disconnectFromHost();
                });
            }
        });
    }
};

QList<FirstRunHint*> hints() {
    QList<FirstRunHint*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* hint = qobject_cast<FirstRunHint*>(window); hint && hint->isVisible())
            found << hint;
    }
    return found;
}

} // namespace

class SettingsDesktopTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window_;
    KeyHolder printHolder_;
    QTemporaryDir scratch_;

    QMenu* trayMenu() const { return window_->findChild<QMenu*>(QStringLiteral("TrayMenu")); }

    SettingsWindow* openFromTray() {
        QAction* entry = window_->findChild<QAction*>(QStringLiteral("SettingsAction"));
        if (!entry || !trayMenu()->actions().contains(entry))
            return nullptr;
        entry->trigger();
        auto* settings = window_->findChild<SettingsWindow*>(QStringLiteral("SettingsWindow"));
        if (!settings || !QTest::qWaitForWindowExposed(settings))
            return nullptr;
        return settings;
    }

    template <typename T> T* part(SettingsWindow* settings, const char* name) {
        return settings->findChild<T*>(QLatin1String(name));
    }

    // A check box takes clicks on its box and text only, not across the row it stretches over.
    static QPoint onBox(QCheckBox* box) { return QPoint(box->height() / 2, box->height() / 2); }

    // Types `text` into a line edit as the user does and leaves it with Tab.
    void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    QString testConnection(SettingsWindow* settings, const QString& host, const QString& token) {
        auto* button = part<QPushButton>(settings, "TestConnectionButton");
        auto* result = part<QLabel>(settings, "ConnectionResult");
        // Typed, not saved: the test uses what the fields hold.
        part<QLineEdit>(settings, "ServiceHostEdit")->setText(host);
        part<QLineEdit>(settings, "ServiceTokenEdit")->setText(token);
        QTest::mouseClick(button, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return button->isEnabled(); }, kPatienceMs))
            return QStringLiteral("no answer");
        return result->text();
    }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
        // The window manager's part: another program holds Print before Clipnest starts.
        // Should the window manager already hold it, that is the case itself.
        const int held = printHolder_.grab(XK_Print, 0);
        QVERIFY2(held == 0 || held == XCB_ACCESS, qPrintable(QString::number(held)));
        {
            QSettings settings;
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
            // Broken values, as a hand-edited or damaged file holds them.
            settings.setValue(QStringLiteral("Countdown seconds"), QStringLiteral("banana"));
            settings.setValue(QStringLiteral("Kept recordings limit MiB"), -3);
            settings.setValue(QStringLiteral("Sound source"), QStringLiteral("loud"));
            settings.setValue(QStringLiteral("Save folder"), QStringLiteral("/no/such/folder"));
            settings.setValue(QStringLiteral("Service host"), QStringLiteral("   "));
        }
        window_ = std::make_unique<MainWindow>();
    }

    void cleanupTestCase() { window_.reset(); }

    void theFirstStartSaysWhereTheProgramLives() {
        QVERIFY(QTest::qWaitFor([] { return hints().size() == 1; }, kPatienceMs));
        const QString text = hints().first()->text();
        // The test desktop has a tray; Print is held by the other client, so no key is in force.
        QVERIFY2(text.contains(QStringLiteral("system tray")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("No key combination starts a capture")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("record button")), qPrintable(text));
        hints().first()->close();
        QVERIFY(!QSettings().value(QStringLiteral("first")).toBool());
    }

    void theTrayMenuOpensTheSettingsWithDefaultsForBrokenValues() {
        SettingsWindow* settings = openFromTray();
        QVERIFY(settings);
        QCOMPARE(part<QSpinBox>(settings, "CountdownBox")->value(), 0);
        QCOMPARE(part<QSpinBox>(settings, "KeptRecordingsLimitBox")->value(), 0);
        QCOMPARE(part<QComboBox>(settings, "SoundSourceBox")->currentData().toString(),
                 QStringLiteral("microphone"));
        QCOMPARE(QDir::fromNativeSeparators(part<QLineEdit>(settings, "SaveFolderEdit")->text()),
                 SaveTarget::proposedFolder());
        QCOMPARE(part<QLineEdit>(settings, "ServiceHostEdit")->text(),
                 QStringLiteral("127.0.0.1:8080"));
        QVERIFY(part<QLineEdit>(settings, "ServiceTokenEdit")->text().isEmpty());
        // A second request brings the same window forward.
        QCOMPARE(openFromTray(), settings);
        QCOMPARE(window_->findChildren<SettingsWindow*>().size(), 1);
    }

    void eachChangeIsStoredAndFollowed() {
        SettingsWindow* settings = openFromTray();
        QVERIFY(settings);

        // Countdown: stored, and the tray's countdown menu shows it checked.
        part<QSpinBox>(settings, "CountdownBox")->setValue(5);
        QCOMPARE(QSettings().value(QStringLiteral("Countdown seconds")).toInt(), 5);
        auto* countdown = trayMenu()->findChild<CountdownMenu*>(QStringLiteral("CountdownMenu"));
        QVERIFY(countdown);
        emit countdown->aboutToShow();
        QAction* checked = nullptr;
        for (QAction* action : countdown->actions())
            if (action->isChecked())
                checked = action;
        QVERIFY(checked);
        QCOMPARE(checked->data().toInt(), 5);

        // The space kept recordings may take.
        part<QSpinBox>(settings, "KeptRecordingsLimitBox")->setValue(500);
        QCOMPARE(QSettings().value(QStringLiteral("Kept recordings limit MiB")).toInt(), 500);

        // The record button: the tray's switch follows.
        QAction* showHide = nullptr;
        for (QAction* action : trayMenu()->actions())
            if (action->text() == QStringLiteral("Show/hide record button"))
                showHide = action;
        QVERIFY(showHide);
        auto* recordButton = part<QCheckBox>(settings, "RecordButtonBox");
        const bool before = recordButton->isChecked();
        QTest::mouseClick(recordButton, Qt::LeftButton, {}, onBox(recordButton));
        QCOMPARE(QSettings().value(QStringLiteral("Show snap button")).toBool(), !before);
        QCOMPARE(showHide->isChecked(), !before);

        // Where recordings are saved: a folder is taken, a name that is none is refused.
        const QString folder = scratch_.filePath(QStringLiteral("Saved here"));
        QVERIFY(QDir().mkpath(folder));
        auto* folderEdit = part<QLineEdit>(settings, "SaveFolderEdit");
        typeInto(folderEdit, folder);
        QCOMPARE(QSettings().value(QStringLiteral("Save folder")).toString(), folder);
        QCOMPARE(SaveTarget::folderFor(QSettings().value(QStringLiteral("Save folder"))), folder);
        typeInto(folderEdit, QStringLiteral("/no/such/folder"));
        QVERIFY(part<QLabel>(settings, "SaveFolderProblem")->isVisible());
        QCOMPARE(QSettings().value(QStringLiteral("Save folder")).toString(), folder);
        QCOMPARE(QDir::fromNativeSeparators(folderEdit->text()), folder);

        // The service's address and token.
        typeInto(part<QLineEdit>(settings, "ServiceHostEdit"),
                 QStringLiteral("videos.example.org:8443"));
        QCOMPARE(QSettings().value(QStringLiteral("Service host")).toString(),
                 QStringLiteral("videos.example.org:8443"));
        typeInto(part<QLineEdit>(settings, "ServiceTokenEdit"), QStringLiteral("tok-123"));
        QCOMPARE(QSettings().value(QStringLiteral("Service token")).toString(),
                 QStringLiteral("tok-123"));
        typeInto(part<QLineEdit>(settings, "ServiceTokenEdit"), QStringLiteral("two words"));
        QCOMPARE(QSettings().value(QStringLiteral("Service token")).toString(),
                 QStringLiteral("tok-123"));
        QVERIFY(part<QLabel>(settings, "ConnectionResult")->isVisible());

        // The language: the window, and the tray menu, speak it at once.
        auto* language = part<QComboBox>(settings, "LanguageBox");
        const int spanish = language->findData(QStringLiteral("es"));
        QVERIFY(spanish >= 0);
        language->setCurrentIndex(spanish);
        emit language->activated(spanish);
        QTRY_COMPARE(settings->windowTitle(), QStringLiteral("Configuración de Clipnest"));
        QCOMPARE(QSettings().value(QStringLiteral("Language")).toString(), QStringLiteral("es"));
        QAction* entry = window_->findChild<QAction*>(QStringLiteral("SettingsAction"));
        QCOMPARE(entry->text(), QStringLiteral("Configuración..."));
        const int english = language->findData(QStringLiteral("en"));
        emit language->activated(english);
        QTRY_COMPARE(settings->windowTitle(), QStringLiteral("Clipnest settings"));
        settings->close();
    }

    void testConnectionSaysWhatTheServiceAnswered() {
        SettingsWindow* settings = openFromTray();
        QVERIFY(settings);
        const QString plain = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        QVERIFY(!plain.isEmpty());
        QString said = testConnection(settings, plain, QString());
        QVERIFY2(said.contains(QStringLiteral("accepts uploads")), qPrintable(said));

        QFile tokens(scratch_.filePath(QStringLiteral("tokens")));
        QVERIFY(tokens.open(QIODevice::WriteOnly));
        tokens.write("right-token-1234\n");
        tokens.close();
        Service guarded;
        QVERIFY(guarded.start(scratch_.filePath(QStringLiteral("guarded")),
                              {QStringLiteral("--token-file"), tokens.fileName()}));
        said = testConnection(settings, guarded.host(), QStringLiteral("wrong-token"));
        QVERIFY2(said.contains(QStringLiteral("refused the token")), qPrintable(said));
        said = testConnection(settings, guarded.host(), QString());
        QVERIFY2(said.contains(QStringLiteral("needs a token")), qPrintable(said));
        said = testConnection(settings, guarded.host(), QStringLiteral("right-token-1234"));
        QVERIFY2(said.contains(QStringLiteral("accepts uploads")), qPrintable(said));

        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        said = testConnection(settings, QStringLiteral("127.0.0.1:%1").arg(closedPort), QString());
        QVERIFY2(said.startsWith(QStringLiteral("Cannot connect")), qPrintable(said));

        PageServer page;
        QVERIFY(page.listen(QHostAddress::LocalHost));
        said = testConnection(settings, QStringLiteral("127.0.0.1:%1").arg(page.serverPort()),
                              QString());
        QVERIFY2(said.contains(QStringLiteral("not an upload service")), qPrintable(said));
        // Only tried, never stored.
        QCOMPARE(QSettings().value(QStringLiteral("Service host")).toString(),
                 QStringLiteral("videos.example.org:8443"));
        settings->close();
    }

    void theLevelMeterFollowsTheChosenSource() {
        SettingsWindow* settings = openFromTray();
        QVERIFY(settings);
        auto* source = part<QComboBox>(settings, "SoundSourceBox");
        auto* microphone = part<QProgressBar>(settings, "MicrophoneLevel");
        auto* computer = part<QProgressBar>(settings, "ComputerSoundLevel");
        const auto choose = [&](const QString& value) {
            const int index = source->findData(value);
            source->setCurrentIndex(index);
            emit source->activated(index);
        };
        choose(QStringLiteral("microphone"));
        QCOMPARE(QSettings().value(QStringLiteral("Sound source")).toString(),
                 QStringLiteral("microphone"));
        QVERIFY(microphone->isVisible());
        QVERIFY(!computer->isVisible());
        // The sine wave lifts the meter.
        QTRY_VERIFY_WITH_TIMEOUT(microphone->value() > 5, kPatienceMs);

        // Nothing plays on the speakers: the computer's sound stays silent.
        choose(QStringLiteral("computer"));
        QVERIFY(computer->isVisible());
        QVERIFY(!microphone->isVisible());
        auto* reader = settings->findChild<SoundLevelReader*>();
        QVERIFY(reader);
        QCOMPARE(reader->source(), SoundLevelReader::Source::ComputerSound);
        QSignalSpy levels(reader, &SoundLevelReader::levelRead);
        QVERIFY(QTest::qWaitFor([&] { return levels.size() >= 20; }, kPatienceMs));
        for (const QList<QVariant>& level : std::as_const(levels))
            QCOMPARE(level.first().toDouble(), 0.0);
        QCOMPARE(computer->value(), 0);
        QVERIFY(!part<QLabel>(settings, "SoundProblem")->isVisible());

        // Closed, the window reads no sound.
        settings->close();
        QVERIFY(settings->findChildren<SoundLevelReader*>().isEmpty());
        choose(QStringLiteral("microphone"));
    }

    void aCaptureKeyHeldByAnotherProgramIsSaidAndReplacedInOneClick() {
        SettingsWindow* settings = openFromTray();
        QVERIFY(settings);
        const QString heldText = QStringLiteral(
            "Print is taken by another program (the window manager?). Choose another "
            "combination.");
        auto* problem = part<QLabel>(settings, "ShortcutProblem");
        QVERIFY(problem->isVisible());
        QCOMPARE(problem->text(), heldText);
        QCOMPARE(part<QLabel>(settings, "CaptureShortcutText")->text(), QStringLiteral("None"));

        QTest::mouseClick(part<QPushButton>(settings, "ChangeShortcutsButton"), Qt::LeftButton);
        ShortcutDialog* dialog = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<ShortcutDialog*>(window); d && d->isVisible())
                    dialog = d;
            return dialog != nullptr;
        }));
        auto* held = dialog->findChild<QLabel*>(QStringLiteral("ShortcutHeldByOther"));
        QVERIFY(held && held->isVisible());
        QCOMPARE(held->text(), heldText);
        auto* suggestion =
            dialog->findChild<QPushButton*>(QStringLiteral("SuggestedShortcutButton"));
        QVERIFY(suggestion && suggestion->isVisible());
        QCOMPARE(suggestion->text(), QStringLiteral("Use Ctrl+Shift+R"));
        QTest::mouseClick(suggestion, Qt::LeftButton);
        QTRY_VERIFY(!dialog->isVisible());

        QCOMPARE(QSettings().value(QStringLiteral("Capture shortcut")).toString(),
                 QStringLiteral("Ctrl+Shift+R"));
        QCOMPARE(part<QLabel>(settings, "CaptureShortcutText")->text(),
                 QStringLiteral("Ctrl+Shift+R"));
        QVERIFY(!problem->isVisible());
        // Really held by the program now: another client cannot have it.
        KeyHolder other;
        QCOMPARE(other.grab(XK_r, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT), int(XCB_ACCESS));
        settings->close();
    }

    void aLaterStartShowsNoHint() {
        window_.reset();
        window_ = std::make_unique<MainWindow>();
        // The hint waits for the tray host's answer; once it is in, nothing came.
        auto* host = window_->findChild<platform::TrayHost*>();
        QVERIFY(host);
        QSignalSpy answered(host, &platform::TrayHost::answered);
        QVERIFY(answered.wait(kPatienceMs));
        QCoreApplication::processEvents();
        QVERIFY(hints().isEmpty());
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
    SettingsDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_desktop.moc"
