#include "history/UploadedLinks.h"

#include "history/HistoryManager.h"
#include "history/RecordingStore.h"

namespace UploadedLinks {

int settle(RecordingStore& store, HistoryManager& history) {
    int settled = 0;
    for (const RecordingEntry& e : store.uploaded()) {
        HistoryRecord record(e.uploadedAt, QUrl(e.link), e.created);
        record.deleteUrl = e.deleteUrl;
        record.expires = e.expires;
        // Not in the history's file: the link stays in the index for the next try. (A link
        // that is no usable address has nothing to tell and just goes.)
        if (record.isStorable() && !history.ensure(record))
            return settled;
        ++settled;
        // An upload is no choice to delete: the recording stays, told apart by its link.
        store.markLinkTold(e.filePath);
    }
    return settled;
}

} // namespace UploadedLinks
