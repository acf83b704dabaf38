#pragma once
// Web and mail links: the address goes to the desktop's browser or mail
// program; when none can open it, nothing is reported.
#include <QString>

namespace orvel {
void openLink(const QString &url);
} // namespace orvel
