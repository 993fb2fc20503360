#include "history/HistoryManager.h"

#include "history/HistoryStore.h"

HistoryManager* HistoryManager::instance() {
    // Deliberately leaked: records may still be added while other singletons go away at
    // exit, and the store is flushed after every change anyway.
    static HistoryManager* const manager = new HistoryManager();
    return manager;
}

HistoryManager::HistoryManager(QObject* parent)
    : HistoryManager(std::make_unique<QSettings>(), parent) {}

HistoryManager::HistoryManager(std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
    , settings(std::move(settings)) {}

HistoryManager::~HistoryManager() = default;

void HistoryManager::load() {
    records.clear();
    const QList<HistoryRecord> stored = HistoryStore::read(*settings);
    for (const HistoryRecord& record : stored) {
        records.append(record);
        emit itemAdded(record);
    }
}

void HistoryManager::save() {
    const QString error = HistoryStore::write(*settings, records);
    if (!error.isEmpty())
        emit storeFailed(error);
}

void HistoryManager::add(const HistoryRecord& record) {
    if (records.contains(record))
        return;
    records.append(record);
    emit itemAdded(record);
    save();
}

void HistoryManager::remove(const HistoryRecord& record) {
    const qsizetype at = records.indexOf(record);
    if (at < 0)
        return;
    records.removeAt(at);
    emit itemRemoved(record);
    save();
}
