#include "declarations/DeclarationTemplate.h"

#include "calc/OrvelError.h"
#include "calc/Paths.h"

#include <QFile>
#include <QFileInfo>

namespace orvel {

QString declarationTemplatePath(const QString &fileName)
{
    return programFolder() + QStringLiteral("/shablon/") + fileName;
}

void copyDeclarationTemplate(const QString &templatePath, const QString &target)
{
    const QFileInfo source(templatePath);
    if (!source.isFile())
        throw OrvelError(QStringLiteral("Не найден шаблон декларации: ") + templatePath);
    const OrvelError cannotCopy(QStringLiteral("Не удалось скопировать шаблон декларации в файл ") + target);
    const QFileInfo existing(target);
    if (existing.exists()) {
        // Choosing the template itself must not destroy it.
        if (existing.canonicalFilePath() == source.canonicalFilePath())
            throw cannotCopy;
        if (!QFile::remove(target))
            throw cannotCopy;
    }
    if (!QFile::copy(templatePath, target))
        throw cannotCopy;
    // A copy of a read-only template would be read-only as well.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
}

} // namespace orvel
