#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvel {

namespace {
QString &overrideFolder()
{
    static QString f;
    return f;
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    const QString appDir = QCoreApplication::applicationDirPath();
    // Installed layout: <prefix>/bin/orvel with the data in <prefix>/share/orvel.
    const QString installed = QDir::cleanPath(appDir + QStringLiteral("/../share/orvel"));
    if (!QFileInfo::exists(appDir + QStringLiteral("/shablon")) && QFileInfo::exists(installed))
        return installed;
    return appDir;
}

void setProgramFolder(const QString &folder) { overrideFolder() = folder; }

} // namespace orvel
