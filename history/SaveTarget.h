#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// Where a recording the user saves goes, decided without any window: the folder the save
// dialog opens in, the name it proposes, what becomes of the name the user typed, and the
// sentence that tells why writing there failed. Any thread; the functions that look at the
// disk say so.
namespace SaveTarget {

// Recordings are MP4 files, whatever name the user gives them.
inline constexpr char kExtension[] = "mp4";

// The user's videos folder (the XDG user directory, ~/Videos when none is set), made when it
// is missing; the home folder when it can not be made. Looks at the disk and may create a
// folder.
QString proposedFolder();

// The folder the user chose for saving (the stored "Save folder" value) when it names an existing
// folder, else proposedFolder(). Looks at the disk.
QString folderFor(const QVariant& stored);

// "record-<time>.mp4" in `folder`, named after the time the recording was made, so that
// saving it later still names it after what it holds.
QString proposedPath(const QString& folder, const QDateTime& recorded);

// The file to write for what the save dialog gave back: "~" and "~/..." are the home folder,
// a relative name lies in `folder`, and a name not ending in ".mp4" gets it. Pure.
QString resolve(const QString& chosen, const QString& folder);

// Whether writing the resolved path would replace a file the dialog did not ask about: the
// name was changed after the dialog (an extension added, "~" expanded) and that file exists.
// Looks at the disk.
bool replacesUnasked(const QString& chosen, const QString& resolved);

// Why a file could not be written at `target`, in the program's words: one sentence that
// names the target once. `code` is the errno the system gave; its own text (in the system's
// language) is for systemText(), to show as a detail.
QString cannotWrite(const QString& target, int code);
QString systemText(int code);

} // namespace SaveTarget
