#include "app/CommandLine.h"

#include "platform/DesktopSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace CommandLine {

namespace {

const char* const CaptureOption = "capture";
const char* const StopOption = "stop";
const char* const SessionOption = "session";

} // namespace

void setUp(QCommandLineParser& parser) {
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Records an area of the screen to a video and shares the video's link."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(CaptureOption),
        QCoreApplication::translate("CommandLine", "Open the capture in the running program, "
                                                   "starting the program first if it is not "
                                                   "running.")));
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(StopOption),
        QCoreApplication::translate("CommandLine", "Stop the recording of the running program.")));
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(SessionOption),
        QCoreApplication::translate("CommandLine",
                                    "Run as a program of this kind of desktop session, x11 or "
                                    "wayland, instead of the one the session says it is."),
        QStringLiteral("x11|wayland")));
}

Request parse(const QStringList& arguments) {
    QCommandLineParser parser;
    setUp(parser);
    Request request;
    if (!parser.parse(arguments)) {
        request.valid = false;
        request.error = parser.errorText();
        return request;
    }
    if (!parser.positionalArguments().isEmpty()) {
        request.valid = false;
        request.error = QStringLiteral("Unexpected argument '%1'.")
                            .arg(parser.positionalArguments().constFirst());
        return request;
    }
    request.capture = parser.isSet(QString::fromLatin1(CaptureOption));
    request.stop = parser.isSet(QString::fromLatin1(StopOption));
    if (request.capture && request.stop) {
        request.valid = false;
        request.error =
            QCoreApplication::translate("CommandLine", "--capture and --stop cannot go together.");
        return request;
    }
    if (parser.isSet(QString::fromLatin1(SessionOption))) {
        request.session = parser.value(QString::fromLatin1(SessionOption)).trimmed().toLower();
        if (!DesktopSession::kindNamed(request.session)) {
            request.valid = false;
            request.error = QCoreApplication::translate("CommandLine",
                                                        "--session takes x11 or wayland, not '%1'.")
                                .arg(request.session);
            return request;
        }
    }
    request.help = parser.isSet(QStringLiteral("help"));
    request.version = parser.isSet(QStringLiteral("version"));
    return request;
}

} // namespace CommandLine
