#pragma once

#include "history/RecordingStore.h"

#include <QList>
#include <QStringList>

// Which kept recordings go when together they take more space than the user allows.
//
// Only uploaded recordings whose link is in the upload history may go: the service has the
// video and the history row leads to it. The oldest go first, until the rest fit. A
// recording the user never saved elsewhere goes only if the user agrees, so the rule sorts
// them apart; a recording that is not uploaded never goes, even when the bound stays passed.
// Plain functions on values: any thread.
namespace KeptSpace {

struct Plan {
    QStringList goQuietly; // saved elsewhere too: nothing is lost
    QStringList askFirst;  // the only copy on this computer
    qint64 askBytes = 0;   // what askFirst frees
    qint64 totalBytes = 0; // what every kept recording takes now
    qint64 freedBytes = 0; // what the whole plan frees
    bool isEmpty() const { return goQuietly.isEmpty() && askFirst.isEmpty(); }
};

// A bound in MiB as bytes; 0 or less: no bound.
qint64 boundBytes(int mib);

// `kept`: every recording in the folder, in any order. `bound` in bytes; 0 or less: no bound.
Plan plan(const QList<RecordingEntry>& kept, qint64 bound);

// Whether `e` may go to make room at all.
bool mayGo(const RecordingEntry& e);

} // namespace KeptSpace
