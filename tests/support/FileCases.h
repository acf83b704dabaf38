#pragma once
// What the file-system tests share: whole files read and written, a folder's
// entries, and a fresh folder for each case.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace orveltest {

// The file's bytes, or "<unreadable>".
inline QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Writes the whole file; a test that cannot stops.
inline void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Every entry of the folder, hidden ones included, by name.
inline QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Folders case1, case2, ... in a temporary folder of their own.
class CaseFolders {
public:
    bool isValid() const { return m_dir.isValid(); }
    QString next()
    {
        const QString dir = m_dir.filePath(QStringLiteral("case%1").arg(++m_cases));
        if (!QDir().mkpath(dir))
            qFatal("cannot make %s", qPrintable(dir));
        return dir;
    }

private:
    QTemporaryDir m_dir;
    int m_cases = 0;
};

} // namespace orveltest
