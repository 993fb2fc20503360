#include "history/FreeSpace.h"

#include "core/Translate.h"

#include <QLocale>
#include <QStorageInfo>

namespace FreeSpace {

namespace {
constexpr TranslationContext kTr{"RecordingStore"};
} // namespace

Level classify(qint64 availableBytes) {
    if (availableBytes < 0)
        return Level::Enough;
    if (availableBytes < kRefuseBelowBytes)
        return Level::TooLow;
    if (availableBytes < kWarnBelowBytes)
        return Level::Low;
    return Level::Enough;
}

Check checkAmount(const QString& folder, qint64 availableBytes) {
    Check c;
    c.availableBytes = availableBytes;
    c.level = classify(availableBytes);
    const QString amount = QLocale().formattedDataSize(std::max<qint64>(availableBytes, 0));
    if (c.level == Level::TooLow) {
        c.message = kTr.tr("Only %1 is free for recordings in %2. Free some space there and try "
                           "again.")
                        .arg(amount, folder);
    } else if (c.level == Level::Low) {
        c.message = kTr.tr("Only %1 is free for recordings in %2. A long recording may not fit.")
                        .arg(amount, folder);
    }
    return c;
}

Check check(const QString& folder) {
    QStorageInfo storage(folder);
    storage.refresh();
    const qint64 available = storage.isValid() ? storage.bytesAvailable() : -1;
    return checkAmount(folder, available);
}

} // namespace FreeSpace
