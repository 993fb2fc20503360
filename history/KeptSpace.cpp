#include "history/KeptSpace.h"

#include <algorithm>

namespace KeptSpace {

qint64 boundBytes(int mib) {
    return mib > 0 ? qint64(mib) * 1024 * 1024 : 0;
}

bool mayGo(const RecordingEntry& e) {
    // A link still only in the index would be lost with the entry.
    return e.state == RecordingState::Uploaded && e.linkTold;
}

Plan plan(const QList<RecordingEntry>& kept, qint64 bound) {
    Plan result;
    for (const RecordingEntry& e : kept)
        result.totalBytes += std::max<qint64>(0, e.size);
    if (bound <= 0 || result.totalBytes <= bound)
        return result;

    QList<RecordingEntry> candidates;
    for (const RecordingEntry& e : kept) {
        if (mayGo(e))
            candidates.append(e);
    }
    // Oldest recording first; among equals, the one uploaded first.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const RecordingEntry& a, const RecordingEntry& b) {
                         if (a.created != b.created)
                             return a.created < b.created;
                         return a.uploadedAt < b.uploadedAt;
                     });
    for (const RecordingEntry& e : std::as_const(candidates)) {
        if (result.totalBytes - result.freedBytes <= bound)
            break;
        const qint64 size = std::max<qint64>(0, e.size);
        result.freedBytes += size;
        if (e.saved) {
            result.goQuietly.append(e.filePath);
        } else {
            result.askFirst.append(e.filePath);
            result.askBytes += size;
        }
    }
    return result;
}

} // namespace KeptSpace
