#pragma once
// Replacing a file without ever leaving a half-written one behind: the one
// writer of the program's files (profiles, the rate cache, the exports).

#include <QByteArray>
#include <QString>

namespace orvel {

// Writes bytes to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`, so `path` is either the old file or the new one;
// the rename is then made durable with the folder. The new file keeps the old
// one's permissions and, where the system allows, its owner; a file that did
// not exist gets the permissions any new file gets. Through a symbolic link
// the file it points to is replaced, not the link.
//
// A file or folder that nobody may write to counts as read-only even for the
// superuser, who would pass the permission check: the user's protection
// wins. Something other than a regular file at `path` is not replaced.
//
// Returns an empty text on success, otherwise the system's reason; on any
// failure the temporary file is removed and `path` stays as it was.
QString replaceFileContents(const QString &path, const QByteArray &bytes);

// The same for a file the user chose to save (a schedule, a rate history):
// a failure is an OrvelError that names the file and gives the reason in
// Russian (saveFailureReason()).
void saveFileAtomically(const QString &path, const QByteArray &bytes);

// The reason a save failed with the error number `error`, for a Russian
// sentence: the common ones (no space, no permission, no such folder, a
// read-only disk) in Russian, any other as the system words it.
QString saveFailureReason(int error);

} // namespace orvel
