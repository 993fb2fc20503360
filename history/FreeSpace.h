#pragma once

#include <QString>
#include <QtGlobal>

// Whether the recordings folder has room for another recording.
namespace FreeSpace {

// A few minutes of a full-screen recording with sound, plus the room finishing it needs:
// below this the user is warned but may still record.
inline constexpr qint64 kWarnBelowBytes = qint64(1024) * 1024 * 1024;
// Below this a recording would fill the disk within a minute or so and then fail; refusing
// at once is kinder than a broken recording.
inline constexpr qint64 kRefuseBelowBytes = qint64(100) * 1024 * 1024;

enum class Level { Enough, Low, TooLow };

// The level for `availableBytes` free (negative: unknown, treated as enough).
Level classify(qint64 availableBytes);

struct Check {
    Level level = Level::Enough;
    qint64 availableBytes = -1;
    QString message; // for Low and TooLow: a readable text naming the folder
};

// Looks at the file system holding `folder` (which must exist).
Check check(const QString& folder);
// The same for a known amount, so the texts can be checked without filling a disk.
Check checkAmount(const QString& folder, qint64 availableBytes);

} // namespace FreeSpace
