#include "history/HistoryStore.h"

#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QSettings>

#include <algorithm>

namespace HistoryStore {

namespace {

// Beside "Date" and "Url" in an element; absent in files of earlier versions and for services
// that give neither.
const char* const kDeleteUrlKey = "DeleteUrl";
const char* const kExpiresKey = "Expires";

// The element numbers present under the array, in ascending order. The stored element
// count is not trusted: a hand-edited or truncated file may hold elements it does not
// cover, or claim elements that are not there (a huge count must not stall the load).
QList<int> elementNumbers(QSettings& settings) {
    QList<int> numbers;
    settings.beginGroup(AppSettings::kHistoryArray);
    const QStringList groups = settings.childGroups();
    settings.endGroup();
    for (const QString& group : groups) {
        bool ok = false;
        const int n = group.toInt(&ok);
        if (ok && n > 0)
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QDateTime toDateTime(const QVariant& value) {
    // A date-time value, or text in ISO form such as a hand-edited file holds.
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QString)
        return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return {};
}

QUrl toUrl(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QUrl)
        return value.toUrl();
    if (value.metaType().id() == QMetaType::QString)
        return QUrl(value.toString(), QUrl::StrictMode);
    return {};
}

} // namespace

QList<HistoryRecord> read(QSettings& settings) {
    QList<HistoryRecord> records;
    for (const int n : elementNumbers(settings)) {
        settings.beginGroup(QString(AppSettings::kHistoryArray) + QLatin1Char('/') +
                            QString::number(n));
        const QDateTime date = toDateTime(settings.value(AppSettings::kHistoryDate));
        const QUrl url = date.isValid() ? toUrl(settings.value(AppSettings::kHistoryUrl)) : QUrl();
        // Unreadable, it is as if unknown: the row shows the upload's moment instead.
        const QDateTime recorded = toDateTime(settings.value(AppSettings::kHistoryRecorded));
        HistoryRecord record(date, url, recorded);
        const QUrl deleteUrl = toUrl(settings.value(kDeleteUrlKey));
        // Only an absolute web address is ever opened or posted to.
        if (deleteUrl.isValid() && (deleteUrl.scheme() == QLatin1String("https") ||
                                    deleteUrl.scheme() == QLatin1String("http")))
            record.deleteUrl = deleteUrl;
        record.expires = toDateTime(settings.value(kExpiresKey));
        settings.endGroup();
        if (!record.isStorable() || records.contains(record))
            continue;
        records.append(record);
    }
    return records;
}

QString write(QSettings& settings, const QList<HistoryRecord>& records) {
    settings.remove(AppSettings::kHistoryArray);
    int j = 0;
    for (const HistoryRecord& record : records) {
        if (!record.isStorable())
            continue;
        if (j == 0)
            settings.beginWriteArray(AppSettings::kHistoryArray);
        settings.setArrayIndex(j++);
        settings.setValue(AppSettings::kHistoryDate, record.date);
        settings.setValue(AppSettings::kHistoryUrl, record.url);
        if (record.recorded.isValid())
            settings.setValue(AppSettings::kHistoryRecorded, record.recorded);
        if (!record.deleteUrl.isEmpty())
            settings.setValue(kDeleteUrlKey, record.deleteUrl);
        if (record.expires.isValid())
            settings.setValue(kExpiresKey, record.expires);
    }
    if (j > 0)
        settings.endArray();
    // Flush even when the list is empty: removing the last record must reach the disk.
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        return QCoreApplication::translate("HistoryManager",
                                           "The upload history could not be written to %1. Check "
                                           "that the folder exists and that you may write to it.")
            .arg(settings.fileName());
    // FormatError only says that unreadable lines were met while reading; they are gone
    // now, and everything readable has been written back.
    return {};
}

} // namespace HistoryStore
