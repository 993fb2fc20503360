#pragma once

#include <QString>

// Where the recording in progress is written. A fixed name in the shared temporary folder
// would let another user plant a link the recorder writes through, or read the video, so
// the file lives in a folder that only this user can enter.
struct RecordingPath {
    QString filePath; // empty when no safe place could be made
    QString error;    // what went wrong and what the user can do, when filePath is empty
};

// File name of the recording in progress; each recording overwrites the previous one.
inline constexpr const char* kRecordingFileName = "readyOrNot.mp4";

// Makes (mode 0700) or checks the private folder and returns the recording's path in it:
// "<runtimeDir>/clipnest" when runtimeDir is given, else "<tempDir>/clipnest-<uid>".
// The folder must be a real directory (not a link) owned by this user with no group or
// other access. A link or other non-file found at the file's path is removed, so the
// recorder never writes through it.
RecordingPath prepareRecordingPath(const QString& runtimeDir, const QString& tempDir);

// The same for this process: XDG_RUNTIME_DIR when set, else the temporary folder.
RecordingPath prepareRecordingPath();

// Copies the finished recording `source` to `target`, the path the user chose. The copy is
// written beside the target and renamed over it only when complete, so an existing target
// (which the user agreed to replace) is either replaced whole or left as it was. Returns
// whether the copy is in place; `source` is never touched.
bool saveRecordingCopy(const QString& source, const QString& target);
