// The settings file as a hand edit, another version or a broken disk may leave it: every value
// the program reads from it goes through its reader, and the upload history is read back.
#include "FuzzCheck.h"
#include "history/HistoryStore.h"
#include "settings/AppSettings.h"
#include "upload/ServiceUrls.h"
#include "widgets/KeyCombination.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QSettings>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Key sequences and settings look for the application; one is made once, as the program has.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    const QString path = fuzz::scratchFolder() + QStringLiteral("/clipnest.conf");
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    QSettings settings(path, QSettings::IniFormat);

    const int countdown = AppSettings::countdownSeconds(settings);
    FUZZ_CHECK(countdown >= 0 && countdown <= AppSettings::kMaxCountdownSeconds);
    const QString source = AppSettings::soundSource(settings);
    FUZZ_CHECK(source == AppSettings::kSoundSourceMicrophone ||
               source == AppSettings::kSoundSourceComputer ||
               source == AppSettings::kSoundSourceBoth);
    FUZZ_CHECK(AppSettings::keptRecordingsLimitMiB(settings) >= 0);
    AppSettings::uploadWhileRecording(settings);
    AppSettings::showSnapButton(settings);
    AppSettings::isFirstRun(settings);

    const QString host = AppSettings::serviceHost(settings);
    FUZZ_CHECK(!host.isEmpty());
    const QUrl upload = ServiceUrls::uploadUrl(host, 1280, 720);
    FUZZ_CHECK(upload.isEmpty() || upload.scheme() == QLatin1String("http") ||
               upload.scheme() == QLatin1String("https"));
    const QString token = AppSettings::serviceToken(settings);
    FUZZ_CHECK(token == token.trimmed());

    for (const QLatin1String key : {AppSettings::kCaptureShortcut, AppSettings::kStopShortcut}) {
        const QKeySequence fallback(QStringLiteral("Print"));
        bool broken = false;
        const QKeySequence stored =
            KeyCombination::fromStored(settings.value(key), fallback, &broken);
        // Only none, the fallback or one combination the desktop can be asked for.
        FUZZ_CHECK(stored.count() <= 1);
        if (stored.count() == 1 && stored != fallback)
            FUZZ_CHECK(KeyCombination::judge(stored[0]) == KeyCombination::Verdict::Accepted);
    }

    const QList<HistoryRecord> records = HistoryStore::read(settings);
    QSet<QString> seen;
    for (const HistoryRecord& r : records) {
        FUZZ_CHECK(r.isStorable());
        const QString key =
            r.date.toString(Qt::ISODateWithMs) + QLatin1Char(' ') + r.url.toString();
        FUZZ_CHECK(!seen.contains(key));
        seen.insert(key);
    }
    return 0;
}
