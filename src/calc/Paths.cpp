#include "calc/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Where the installed data sits, seen from the installed program's folder:
// <prefix>/bin/orvel reads <prefix>/share/orvel. The build passes the path
// that follows from its install folders; this default matches the usual ones.
#ifndef ORVEL_INSTALLED_DATA_DIR
#define ORVEL_INSTALLED_DATA_DIR "../share/orvel"
#endif

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
    // Run from the build tree: the templates and the skin sit beside the program.
    if (QFileInfo::exists(appDir + QStringLiteral("/shablon")))
        return appDir;
    // Installed: the program in <prefix>/bin, the data in <prefix>/share/orvel.
    const QString installed =
        QDir::cleanPath(QDir(appDir).absoluteFilePath(QStringLiteral(ORVEL_INSTALLED_DATA_DIR)));
    if (QFileInfo(installed).isDir())
        return installed;
    // Neither layout found: fall back to the program's own folder.
    return appDir;
}

void setProgramFolder(const QString &folder) { overrideFolder() = folder; }

} // namespace orvel
