#pragma once
// Files made by the tests read back by the programs a user's computer has:
// workbooks by openpyxl (read_xlsx.py beside this file), PDFs by pdftotext.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace orveltest {

inline void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A program's standard output; empty (and a warning) when it does not run cleanly.
inline QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s: %s", qPrintable(program), p.readAllStandardError().constData());
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

// What read_xlsx.py tells of a workbook; empty when openpyxl could not read it.
inline QJsonObject readWorkbook(const QString &path)
{
    const QString python = qEnvironmentVariable("ORVEL_PYTHON3", QStringLiteral("python3"));
    const QString script = qEnvironmentVariable("ORVEL_SOURCE_DIR") + QStringLiteral("/tests/calc/read_xlsx.py");
    return QJsonDocument::fromJson(run(python, {script, path})).object();
}

} // namespace orveltest
