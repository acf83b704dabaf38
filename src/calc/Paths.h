#pragma once
#include <QString>

namespace orvel {
// The folder that holds what ships beside the program: the declaration
// templates (shablon/) and the skin. Ends without a separator.
QString programFolder();
// Tests and embedders may point it elsewhere; an empty text restores the default.
void setProgramFolder(const QString &folder);
} // namespace orvel
