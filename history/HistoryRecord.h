#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QUrl>

// One uploaded video: the local moment the service accepted it and the link it answered, and
// when the video was recorded where that is known (links kept by earlier versions lack it).
// Two records are the same record only when both the moment of the upload and the link match;
// the same link uploaded twice gives two records.
class HistoryRecord {
public:
    HistoryRecord() = default;
    HistoryRecord(const QDateTime& when, const QUrl& link, const QDateTime& recordedAt = {})
        : date(when)
        , url(link)
        , recorded(recordedAt) {}

    // The moment the user knows the video by: when it was recorded, as its row showed while it
    // was only on this computer; the upload's moment for a record that does not know that.
    QDateTime shownTime() const { return recorded.isValid() ? recorded : date; }

    // Only records with a real moment and an absolute link are worth keeping: anything
    // else cannot be shown as a row or opened in a browser. A moment before 1970 cannot
    // be an upload; it is what a cut-short stored value reads back as.
    bool isStorable() const {
        return !date.isNull() && date.isValid() && date.toSecsSinceEpoch() >= 0 && !url.isEmpty() &&
               url.isValid() && !url.isRelative();
    }

    bool operator==(const HistoryRecord& other) const {
        return date == other.date && url == other.url;
    }
    bool operator!=(const HistoryRecord& other) const { return !(*this == other); }

    QDateTime date;
    QUrl url;
    QDateTime recorded;
    // What the service said with the link, when it said it: the video's secret deletion
    // address, and when the service drops the video (invalid: never). Not part of a record's
    // identity: the same upload read from an older file without them is the same record.
    QUrl deleteUrl;
    QDateTime expires;
};

Q_DECLARE_METATYPE(HistoryRecord)
