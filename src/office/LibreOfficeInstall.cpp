#include "office/LibreOfficeInstall.h"

#include <QDir>
#include <QFileInfo>

#ifndef ORVEL_LO_PROGRAM_DIR
#define ORVEL_LO_PROGRAM_DIR "/usr/lib/libreoffice/program"
#endif

namespace orvel {

QString libreOfficeProgramDir()
{
    const QString over = qEnvironmentVariable("ORVEL_LIBREOFFICE_PROGRAM");
    return over.isEmpty() ? QString::fromUtf8(ORVEL_LO_PROGRAM_DIR) : over;
}

QString libreOfficeUnavailableReason()
{
    const QDir dir(libreOfficeProgramDir());
    // The office itself, and the spreadsheet module of it.
    if (!QFileInfo(dir.filePath(QStringLiteral("soffice.bin"))).isExecutable()
        || !QFileInfo::exists(dir.filePath(QStringLiteral("libsclo.so"))))
        return QStringLiteral("LibreOffice Calc is not installed");
#ifndef ORVEL_HAVE_LIBREOFFICE
    return QStringLiteral("This build of Orvel has no LibreOffice Calc support");
#else
    return QString();
#endif
}

} // namespace orvel
