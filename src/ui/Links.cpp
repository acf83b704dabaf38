#include "ui/Links.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvel {

void openLink(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace orvel
