#include "calc/AtomicFile.h"

#include "calc/OrvelError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace orvel {

QString replaceFileContents(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A short write (the disk filled part way) is followed by another one
    // for the rest, which fails with the system's reason.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

void saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QString why = replaceFileContents(path, bytes);
    if (!why.isEmpty())
        throw OrvelError(QStringLiteral("Не удалось сохранить файл \"%1\": %2")
                             .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), why));
}

} // namespace orvel
