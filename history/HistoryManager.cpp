#include "history/HistoryManager.h"

#include "history/HistoryStore.h"

HistoryManager* HistoryManager::instance() {
    // Deliberately leaked: records may still be added while other singletons go away at
    // exit, and the store is flushed after every change anyway.
    static HistoryManager* const kManager = new HistoryManager();
    return kManager;
}

HistoryManager::HistoryManager(QObject* parent)
    : HistoryManager(std::make_unique<QSettings>(), parent) {}

HistoryManager::HistoryManager(std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
    , settings_(std::move(settings)) {}

HistoryManager::~HistoryManager() = default;

void HistoryManager::load() {
    records_.clear();
    const QList<HistoryRecord> stored = HistoryStore::read(*settings_);
    for (const HistoryRecord& record : stored) {
        records_.append(record);
        emit itemAdded(record);
    }
}

bool HistoryManager::save() {
    const QString error = HistoryStore::write(*settings_, records_);
    if (error.isEmpty())
        return true;
    emit storeFailed(error);
    return false;
}

void HistoryManager::add(const HistoryRecord& record) {
    if (records_.contains(record))
        return;
    records_.append(record);
    emit itemAdded(record);
    save();
}

bool HistoryManager::ensure(const HistoryRecord& record) {
    if (records_.contains(record))
        return true;
    if (!record.isStorable())
        return false;
    records_.append(record);
    emit itemAdded(record);
    return save();
}

void HistoryManager::remove(const HistoryRecord& record) {
    const qsizetype at = records_.indexOf(record);
    if (at < 0)
        return;
    records_.removeAt(at);
    emit itemRemoved(record);
    save();
}
