// The recordings folder's index and the pending-uploads file of earlier versions, as a broken
// disk, a crash between writes or a hand edit may leave them.
#include "FuzzCheck.h"
#include "history/RecordingStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

const char* const kRecordings[] = {"clipnest-2026-01-01_10-00-00.mp4",
                                   "clipnest-2026-01-02_11-30-00.mp4"};

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
}

// Every recording file of the folder, whatever the index says.
QSet<QString> offered(const RecordingStore& store) {
    QSet<QString> paths;
    for (const RecordingEntry& e : store.list())
        paths.insert(e.filePath);
    for (const RecordingEntry& e : store.pendingUploads())
        paths.insert(e.filePath);
    for (const RecordingEntry& e : store.uploaded())
        paths.insert(e.filePath);
    return paths;
}

QStringList listed(const RecordingStore& store) {
    QStringList paths;
    for (const RecordingEntry& e : store.list())
        paths.append(e.filePath);
    return paths;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    fuzz::clearScratch();
    const QString folder = fuzz::scratchFolder() + QStringLiteral("/recordings");
    {
        RecordingStore maker(folder);
        FUZZ_CHECK(maker.open().isEmpty());
        for (const char* name : kRecordings)
            writeFile(folder + QLatin1Char('/') + QLatin1String(name), "video");
        // The damaged file: the index, or the pending uploads of an earlier version.
        writeFile(data[0] % 2 ? maker.oldUploadsPath() : maker.indexPath(),
                  fuzz::bytes(data + 1, size - 1));
    }
    RecordingStore store(folder);
    FUZZ_CHECK(store.open().isEmpty());
    const QSet<QString> paths = offered(store);
    for (const char* name : kRecordings) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        // A damaged index never hides a recording, nor deletes one.
        FUZZ_CHECK(QFileInfo::exists(path));
        FUZZ_CHECK(paths.contains(path));
    }
    const QStringList kept = listed(store);
    FUZZ_CHECK(QSet<QString>(kept.cbegin(), kept.cend()).size() == kept.size());
    for (const QString& path : kept) {
        FUZZ_CHECK(QFileInfo(path).absolutePath() == QFileInfo(folder).absoluteFilePath());
        FUZZ_CHECK(store.isKept(path));
    }
    // What the store wrote back reads the same.
    RecordingStore again(folder);
    FUZZ_CHECK(again.open().isEmpty());
    FUZZ_CHECK(listed(again) == kept);
    FUZZ_CHECK(offered(again) == paths);
    return 0;
}
