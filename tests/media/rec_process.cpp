#include "rec_process.h"

#include <QSignalSpy>

QString recorderProgram() {
    // CLIPNEST_REC lets the same checks run against another build of the tool.
    const QString env = qEnvironmentVariable("CLIPNEST_REC");
    return env.isEmpty() ? QStringLiteral(CLIPNEST_REC_PROGRAM) : env;
}

QStringList recArgs(const QRect& r, int seconds, bool sound, const QString& out) {
    QStringList args{
        "--rect",
        QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()),
        "--seconds", QString::number(seconds)};
    if (sound)
        args << "--sound";
    return args << out;
}

Run finish(QProcess& p, int timeoutMs) {
    Run run;
    if (p.state() != QProcess::NotRunning) {
        QSignalSpy spy(&p, &QProcess::finished);
        if (!spy.wait(timeoutMs) && p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
            run.err = QStringLiteral("did not finish within %1 ms; ").arg(timeoutMs);
        }
    }
    run.finished = true;
    run.status = p.exitStatus();
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err += QString::fromUtf8(p.readAllStandardError());
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            run.stats.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return run;
}

std::unique_ptr<QProcess> startRec(const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProgram(recorderProgram());
    p->setArguments(args);
    p->start();
    return p;
}

QString describe(const Run& r) {
    return QStringLiteral("exit status %1, code %2, stdout [%3], stderr [%4]")
        .arg(r.status == QProcess::NormalExit ? "normal" : "crash")
        .arg(r.exitCode)
        .arg(r.out.trimmed(), r.err.trimmed());
}
