#pragma once

#include "history/HistoryRecord.h"

#include <QList>
#include <QString>

class QSettings;

// Reading and writing the history in a settings store: the array "History" whose
// elements hold "Date" (a date-time value), "Url" (a URL value) and, where known, "Recorded"
// (a date-time value), oldest first.
// Plain functions so that the format can be checked without a window or a singleton.
namespace HistoryStore {

// Every readable record of the array, oldest first, without duplicates. Elements with a
// missing or unusable date or link are skipped; the elements around them still load. A
// damaged or missing element count does not hide the numbered elements that are there.
QList<HistoryRecord> read(QSettings& settings);

// Replaces the stored array with the storable `records` (numbered without gaps) and
// flushes the store to disk. Returns an empty string on success, else a readable message.
QString write(QSettings& settings, const QList<HistoryRecord>& records);

} // namespace HistoryStore
