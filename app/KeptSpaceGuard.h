#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;
class RecordingStore;

// Keeps the space the kept recordings take within the bound the user set (settings key
// "Kept recordings limit MiB"; 0: no bound). Checked after each change of the recordings
// (a recording kept, an upload done) and when the bound changes: uploaded recordings go,
// oldest first (see KeptSpace); those never saved elsewhere only after one question that
// says how many and how much space. Recordings the user chose to keep are not asked about
// again until the bound changes. GUI thread only.
class KeptSpaceGuard : public QObject {
    Q_OBJECT
public:
    // `store` must outlive the guard; questions and messages belong to `dialogParent`.
    KeptSpaceGuard(RecordingStore* store, QWidget* dialogParent, QObject* parent = nullptr);

    // The question: true lets the recordings go. Tests answer it themselves.
    using Ask = std::function<bool(int count, qint64 bytes, qint64 bound)>;
    void setAsk(Ask ask) { ask_ = std::move(ask); }

public slots:
    // The settings window changed the bound: asks again about every candidate.
    void boundChanged();
    // Checks now against the stored bound.
    void check();

signals:
    // After each check that let recordings go: their paths.
    void letGo(const QStringList& filePaths);

private:
    void scheduleCheck();
    bool askUser(int count, qint64 bytes, qint64 bound) const;

    RecordingStore* store_;
    QWidget* dialogParent_;
    Ask ask_;
    bool scheduled_ = false;
    bool checking_ = false;
    // The recordings the user chose to keep at the last question.
    QStringList keptByChoice_;
};
