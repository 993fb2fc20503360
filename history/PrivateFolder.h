#pragma once

#include <QString>

// A folder only this user can enter. Recordings are private until the user shares them; a
// folder others can enter or a link planted in their place would let another account read
// them or make the recorder write through the link.
namespace PrivateFolder {

// Makes `folder` (mode 0700, missing parents 0700 too) or checks the one there: it must be a
// real directory (not a link) owned by this user with no group or other access. Returns an
// empty string when it is usable, else a readable message that names the folder.
QString ensure(const QString& folder);

// Removes whatever non-file (link, directory, socket) sits at `path`, so that nothing is
// written through it. Only this user can enter a private folder, so once it is gone nothing
// can replace it. Returns an empty string on success or when a regular file (or nothing) is
// there, else a readable message.
QString clearNonFile(const QString& path);

} // namespace PrivateFolder
