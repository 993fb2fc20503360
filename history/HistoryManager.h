#pragma once

#include "history/HistoryRecord.h"

#include <QList>
#include <QObject>
#include <QSettings>

#include <memory>

// The list of uploaded links, oldest first, kept in the settings store.
//
// The program uses one process-wide instance (instance()), which works on the default
// settings store. Every change is written to the store at once, so a crash or a killed
// session loses no link. GUI thread only.
class HistoryManager : public QObject {
    Q_OBJECT
public:
    // The process-wide instance on the default settings store, created on first use and
    // never destroyed. The application name and organization domain must be set first.
    static HistoryManager* instance();

    // A manager on the default settings store. Reads nothing.
    explicit HistoryManager(QObject* parent = nullptr);
    // A manager on the given store (tests point it at a file of their own). Reads nothing.
    explicit HistoryManager(std::unique_ptr<QSettings> settings, QObject* parent = nullptr);
    ~HistoryManager() override;

    // Replaces the list with the stored one and announces each record with itemAdded().
    void load();
    // Replaces the stored list with the one held. Returns whether it reached the store.
    bool save();
    // Appends `record` and announces it, unless an equal record is held already. Saves.
    void add(const HistoryRecord& record);
    // Like add(), and says whether the record is in the store now: true also when it was
    // held already (nothing is written then).
    bool ensure(const HistoryRecord& record);
    // Removes the first record equal to `record`, if any, and announces it. Saves.
    void remove(const HistoryRecord& record);

    int count() const { return records_.size(); }
    const QList<HistoryRecord>& list() const { return records_; }

signals:
    void itemAdded(const HistoryRecord& record);
    void itemRemoved(const HistoryRecord& record);
    // The store could not be written; `message` says where and what the user can do.
    void storeFailed(const QString& message);

private:
    std::unique_ptr<QSettings> settings_;
    QList<HistoryRecord> records_;
};
