#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace CommandLine {

namespace {

const char* const CaptureOption = "capture";
const char* const StopOption = "stop";

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
    request.help = parser.isSet(QStringLiteral("help"));
    request.version = parser.isSet(QStringLiteral("version"));
    return request;
}

} // namespace CommandLine
