#include "app/AppIdentity.h"
#include "app/CommandLine.h"
#include "app/InstanceChannel.h"
#include "app/InstanceGuard.h"
#include "app/Languages.h"
#include "app/MainWindow.h"
#include "platform/DesktopSession.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QSettings>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// --help, --version and mistakes on the command line: answered on the terminal
// without a display, in the language the user chose for the program.
[[noreturn]] void answerOnTerminal(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTranslator qtTranslator, translator;
    const QString code = QSettings().value(AppSettings::kLanguage).toString();
    if (!code.isEmpty() && translator.load(Languages::catalogPath(code))) {
        // Qt's own: the parser's --help and --version texts.
        if (Languages::loadQtCatalog(qtTranslator, code))
            QCoreApplication::installTranslator(&qtTranslator);
        QCoreApplication::installTranslator(&translator);
    }
    QCommandLineParser parser;
    CommandLine::setUp(parser);
    parser.process(app); // prints and exits for --help, --version and unknown options
    // What is left is a mistake parse() found: a stray argument or a bad value.
    std::fprintf(stderr, "%s\n\n%s", qPrintable(CommandLine::parse(app.arguments()).error),
                 qPrintable(parser.helpText()));
    std::exit(1);
}

// Qt's platform plugin is read from the environment when the application object is made.
// A session the user forced is the only one tried; otherwise the session's own comes first
// and X11 (through Xwayland) is the fallback should Qt's Wayland plugin be missing. A
// plugin the user named himself is left alone.
void chooseQtPlatform(const QString& forcedSession) {
    const std::optional<DesktopSession::Kind> forced = DesktopSession::kindNamed(forcedSession);
    if (!forced && qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    const DesktopSession::Kind kind = DesktopSession::choose(
        forced, qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_SESSION_TYPE"));
    QByteArray plugins = DesktopSession::qtPlatformOf(kind);
    if (!forced && kind == DesktopSession::Kind::Wayland)
        plugins += ';' + DesktopSession::qtPlatformOf(DesktopSession::Kind::X11);
    qputenv("QT_QPA_PLATFORM", plugins);
}

} // namespace

int main(int argc, char* argv[]) {
    // Identity first: it decides where every settings object reads and writes.
    AppIdentity::apply();

    const CommandLine::Request request = CommandLine::parse(argumentsOf(argc, argv));
    if (!request.valid || request.help || request.version)
        answerOnTerminal(argc, argv);

    InstanceGuard guard(QCoreApplication::applicationName());
    if (!guard.acquire()) {
        if (request.capture || request.stop) {
            // The user asked for the capture or the stop: the running instance does it.
            QString error;
            if (InstanceChannel::request(request.stop ? InstanceChannel::Request::Stop
                                                      : InstanceChannel::Request::Capture,
                                         &error))
                return 0;
            std::fprintf(stderr, "Clipnest: %s\n", qPrintable(error));
            return 1;
        }
        // Nothing is shown: the running instance stays the only one on screen.
        std::fprintf(stderr, "Clipnest: %s\n", qPrintable(guard.errorString()));
        return 1;
    }

    if (request.stop) {
        // Starting the program only to stop nothing would leave it running.
        guard.release();
        std::fprintf(stderr, "Clipnest: the program is not running, so no recording is.\n");
        return 1;
    }

    chooseQtPlatform(request.session);
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/Resources/windowIcon.png")));
        // Once, before anything asks the desktop for a thing.
        platform::Platform::install(platform::Platform::forEnvironment());

        MainWindow window;
        QObject::connect(&window, &MainWindow::closed, &app, &QCoreApplication::quit);

        // Opened once the window is ready, so every request finds a working program.
        InstanceChannel channel;
        QObject::connect(&channel, &InstanceChannel::captureRequested, &window,
                         &MainWindow::openCapture);
        QObject::connect(&channel, &InstanceChannel::stopRequested, &window,
                         &MainWindow::stopRecording);
        channel.listen();
        if (request.capture)
            QTimer::singleShot(0, &window, &MainWindow::openCapture);
        result = app.exec();
    }
    guard.release();
    return result;
}
