// A recording left behind by a killed run, cut or damaged anywhere: recovery must keep the
// file, never crash, and whatever it calls playable must be an ordinary MP4 again.
#include "FuzzCheck.h"
#include "media/RecordingRecovery.h"

#include <QFile>
#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    const QString path = fuzz::scratchFolder() + QStringLiteral("/clipnest-left.mp4");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    const RecoveryReport report = recoverRecording(path);
    // Nothing is ever deleted, and nothing half-written is left beside it.
    FUZZ_CHECK(QFileInfo::exists(path));
    FUZZ_CHECK(!QFileInfo::exists(finishingPath(path)));
    switch (report.outcome) {
    case RecoveryReport::Finished:
    case RecoveryReport::AlreadyFinished:
        FUZZ_CHECK(report.message.isEmpty());
        FUZZ_CHECK(report.seconds >= 0);
        break;
    case RecoveryReport::KeptAsItWas:
    case RecoveryReport::Unplayable: {
        FUZZ_CHECK(!report.message.isEmpty());
        FUZZ_CHECK(fuzz::isShowable(report.message));
        // Left as it was: the same bytes.
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        FUZZ_CHECK(file.readAll() == fuzz::bytes(data, size));
        break;
    }
    }
    if (report.outcome == RecoveryReport::Finished) {
        // A second look finds the ordinary file it now is.
        const RecoveryReport again = recoverRecording(path);
        FUZZ_CHECK(again.outcome == RecoveryReport::AlreadyFinished);
    }
    return 0;
}
