#pragma once
// Replacing a file without ever leaving a half-written one behind.

#include <QByteArray>
#include <QString>

namespace orvel {

// Writes bytes to a temporary file beside `path` and renames it over `path`
// (QSaveFile). The write is unbuffered, so a full disk fails the write itself
// with its reason instead of going unnoticed until the file is closed. On any
// failure the temporary file is removed and `path` stays as it was. Returns
// an empty text on success, otherwise the system's reason.
QString replaceFileContents(const QString &path, const QByteArray &bytes);

// The same for a file the user chose to save (a schedule, a rate history):
// a failure is an OrvelError that names the file and gives the reason.
void saveFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace orvel
