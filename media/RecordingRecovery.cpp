#include "media/RecordingRecovery.h"

#include "core/Translate.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/Remux.h"

#include <QFileInfo>

namespace {
constexpr TranslationContext kTr{"Encoder"};
} // namespace

QString finishingPath(const QString& path) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".finishing");
}

RecoveryReport recoverRecording(const QString& path) {
    engine::quietenFfmpegLog();
    RecoveryReport report;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        report.message = kTr.tr("The recording %1 cannot be read.").arg(path);
        return report;
    }
    QString playError;
    if (!engine::isFragmented(path)) {
        report.seconds = engine::playableSeconds(path, &playError);
        if (report.seconds < 0) {
            report.seconds = 0;
            report.message = playError;
            return report;
        }
        report.outcome = RecoveryReport::AlreadyFinished;
        return report;
    }
    QString finishError;
    double seconds = 0;
    if (engine::remuxToFastStart(path, &seconds, &finishError)) {
        report.outcome = RecoveryReport::Finished;
        report.seconds = seconds;
        return report;
    }
    // Not rewritten: the fragmented file is still there, as it was.
    report.seconds = engine::playableSeconds(path, &playError);
    if (report.seconds < 0) {
        report.seconds = 0;
        report.message = playError;
        return report;
    }
    report.outcome = RecoveryReport::KeptAsItWas;
    report.message = finishError;
    return report;
}
