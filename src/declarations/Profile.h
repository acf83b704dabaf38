#pragma once
// Declaration profiles: INI files read and written one value at a time, with
// the semantics of the private-profile functions of Windows, so profiles move
// between this program and Windows installations.
//
// A profile is lines of "[section]" headers and "key=value" lines; anything
// else (comments, blank lines) is kept and ignored. Section and key names
// match without regard to letter case (Cyrillic included); the first section
// and the first key of a name count. Encodings: a file that starts with a
// UTF-16 byte-order mark is UTF-16 (LE as Windows writes it, or BE), one that
// starts with a UTF-8 mark is UTF-8, any other file is Windows-1251, and so is
// a file created by a write. A file keeps its encoding and its mark.
#include "calc/OrvelError.h"

#include <QString>

namespace orvel {

// The value of key in section, blanks around it dropped, at most 2047
// characters, ending at a NUL if it holds one; `fallback` when the file (or a
// file that cannot be read), the section or the key is missing. Bytes the
// file's encoding does not define read as U+FFFD. Throws "Unable to read %s"
// only when the system cannot convert the file's encoding at all.
QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &fallback = QString());

// Sets key in section to value: replaces the value when both exist, otherwise
// adds them (a new key after the last key line of its section, a new section
// at the end of the file). Every other byte of the file stays as it was; added
// lines end as the nearest line before them that has a line end (CRLF in a new
// file). A character the file's encoding cannot hold is written as "?", a line
// break or NUL in the value as a blank. Names must not hold line breaks, "]"
// (section) or "=" (key). The file is replaced atomically, through a temporary
// file beside it, keeping its permissions. A file or folder without any write
// permission counts as read-only. A failure throws "Unable to write to %s"
// with the path and leaves the file as it was.
void writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value);

} // namespace orvel
