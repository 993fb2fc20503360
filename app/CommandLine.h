#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// The program's command line: `--capture`, `--stop`, `--session`, `--help`, `--version`.
namespace CommandLine {

struct Request {
    bool capture = false; // open the capture (of the running instance, if one runs)
    bool stop = false;    // stop the running instance's recording
    // The desktop session to run as, "x11" or "wayland"; empty: the environment's.
    QString session;
    bool help = false;
    bool version = false;
    bool valid = true; // false: an unknown option or stray argument (error says which)
    QString error;
};

// Declares the options (their descriptions in the current language).
void setUp(QCommandLineParser& parser);

// Reads arguments (the program's name first) without needing an application
// object, so the decision whether to start the GUI comes before any display is
// opened.
Request parse(const QStringList& arguments);

} // namespace CommandLine
