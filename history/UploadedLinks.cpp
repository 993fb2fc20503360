#include "history/UploadedLinks.h"

#include "history/HistoryManager.h"
#include "history/RecordingStore.h"

#include <QtDebug>

namespace UploadedLinks {

int settle(RecordingStore& store, HistoryManager& history) {
    int settled = 0;
    for (const RecordingEntry& e : store.uploaded()) {
        HistoryRecord record(e.uploadedAt, QUrl(e.link));
        record.deleteUrl = e.deleteUrl;
        record.expires = e.expires;
        // Not in the history's file: the link stays in the index for the next try. (A link
        // that is no usable address has nothing to tell and just goes.)
        if (record.isStorable() && !history.ensure(record))
            return settled;
        ++settled;
        if (!store.isKept(e.filePath)) {
            store.forget(e.filePath);
            continue;
        }
        // The service has the video now: the recording has done its job.
        const QString error = store.remove(e.filePath);
        if (!error.isEmpty())
            qWarning() << error;
    }
    return settled;
}

} // namespace UploadedLinks
