#include "app/DiagnosticLog.h"

#include <QMutexLocker>

DiagnosticLog* DiagnosticLog::instance() {
    // Deliberately leaked: it must outlive every object that might still log at exit.
    static DiagnosticLog* log = new DiagnosticLog;
    return log;
}

void DiagnosticLog::setFileName(const QString& fileName) {
    QMutexLocker locker(&mutex);
    name = fileName;
}

QString DiagnosticLog::fileName() const {
    QMutexLocker locker(&mutex);
    return name;
}
