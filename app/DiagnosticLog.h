#pragma once

#include <QMutex>
#include <QString>

// Process-wide holder of the diagnostics file name. Created on first use on the
// start-up path (before any other thread exists) and never destroyed.
// Any thread may call fileName()/setFileName(); the mutex guards the name.
class DiagnosticLog {
public:
    static DiagnosticLog* instance();

    void setFileName(const QString& name);
    QString fileName() const;

private:
    DiagnosticLog() = default;

    mutable QMutex mutex;
    QString name;
};
