#pragma once

#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

// Running the clipnest-rec tool from a test and reading what it said. The tool is defined
// under rec/; its path comes from the build.

// How a run of the tool ended: its exit, its output and the name=value figures it printed.
struct Run {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
    QMap<QString, QString> stats;
};

// Start-up of the tool, encoder flush and file finishing on a loaded two-core machine.
constexpr int kFinishTimeoutMs = 60000;

// The tool under test: the one built beside the tests, or the one CLIPNEST_REC names.
QString recorderProgram();
// The arguments for recording `r` for `seconds` into `out`, with sound or without.
QStringList recArgs(const QRect& r, int seconds, bool sound, const QString& out);
std::unique_ptr<QProcess> startRec(const QStringList& args);
// Waits for the tool, keeping the test's event loop turning (its windows keep painting).
Run finish(QProcess& p, int timeoutMs = kFinishTimeoutMs);
// The whole story of a run, for a failure message.
QString describe(const Run& r);
