#pragma once
// Declaration profiles: INI files read and written one value at a time, with
// the semantics of the private-profile functions of Windows, so profiles move
// between this program and Windows installations.
#include "OrvelError.h"

#include <QString>

namespace orvel {

// The value of key in section, blanks around it dropped, at most 2047
// characters; `fallback` when the file, the section or the key is missing.
// Section and key names match without regard to letter case.
QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &fallback = QString());

// Sets key in section to value: replaces the value when both exist, otherwise
// adds them (a new section at the end of the file). Nothing else in the file
// changes. The file is replaced atomically; a failure throws
// "Unable to write to %s" with the path and leaves the file as it was.
void writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value);

} // namespace orvel
