#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

class Recorder;

namespace enginetest {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program to its end (at most `timeoutMs`).
Run run(const QString& program, const QStringList& args, int timeoutMs = 60000);

} // namespace enginetest
