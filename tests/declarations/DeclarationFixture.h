#pragma once
// What the declaration window tests share: a program folder with dummy
// templates, a working folder, answers for the file dialogs, and the
// recording spreadsheet application.
#include "calc/Paths.h"
#include "GuiTest.h"
#include "RecordingSpreadsheet.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>

namespace orveltest {

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(content);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// A program folder with shablon/nds.xls and shablon/upr.xls (their content
// only has to be recognisable in the copies), and a folder for the targets.
class ProgramFolder {
public:
    ProgramFolder()
    {
        QDir(program.path()).mkdir(QStringLiteral("shablon"));
        writeFile(ndsTemplate(), "nds template");
        writeFile(uprTemplate(), "upr template");
        orvel::setProgramFolder(program.path());
    }
    ~ProgramFolder() { orvel::setProgramFolder(QString()); }

    QString ndsTemplate() const { return program.path() + QStringLiteral("/shablon/nds.xls"); }
    QString uprTemplate() const { return program.path() + QStringLiteral("/shablon/upr.xls"); }
    QString target(const QString &name) const { return work.path() + QLatin1Char('/') + name; }

    QTemporaryDir program;
    QTemporaryDir work;
};

// Answers the file dialogs in turn from `answers` (an empty answer cancels)
// and keeps every request.
class DialogAnswers {
public:
    DialogAnswers()
    {
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &r) {
            requests << r;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
    }
    ~DialogAnswers() { orvel::setFileDialogHook({}); }

    QStringList answers;
    QList<orvel::FileDialogRequest> requests;
};

// Writes the progress bar's steps into the transcript, where they happen
// between the automation calls.
inline QMetaObject::Connection recordProgress(QProgressBar *bar, SpreadsheetLog &log)
{
    return QObject::connect(bar, &QProgressBar::valueChanged,
                            [&log](int v) { log.calls << QStringLiteral("progress %1").arg(v); });
}

// The transcript lines of one placeholder group: prefix + i + "&" replaced
// by valuePrefix + character i of text.
inline QStringList groupLines(const QString &range, const QString &prefix, const QString &text,
                              const QString &valuePrefix)
{
    QStringList lines;
    for (int i = 1; i <= text.size(); ++i)
        lines << QStringLiteral("Range(%1).Replace(What:=\"%2%3&\", Replacement:=\"%4%5\")")
                     .arg(range, prefix)
                     .arg(i)
                     .arg(valuePrefix, text.mid(i - 1, 1));
    return lines;
}

} // namespace orveltest
