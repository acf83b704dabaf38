#pragma once
// Helpers for tests and benchmarks that run the real LibreOffice Calc: small
// workbooks written as flat OpenDocument files, the office processes this
// program has started, the office of a run kept for reading it back, and
// writes the office refuses.
#include "office/LibreOfficeTesting.h"
#include "office/Spreadsheet.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QStringList>

#include <signal.h>
#include <unistd.h>

namespace orveltest {

// One sheet: its name and its rows of texts (a cell per text, empty texts
// leave the cell empty).
struct FlatSheet {
    QString name;
    QList<QStringList> rows;
};

// Writes a flat OpenDocument spreadsheet (.fods), which LibreOffice opens
// like any workbook; saving it from there gives workbooks of other formats.
inline bool writeFlatSpreadsheet(const QString &path, const QList<FlatSheet> &sheets)
{
    auto esc = [](QString s) { return s.toHtmlEscaped(); };
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
        " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
        " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
        " office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n"
        "<office:body><office:spreadsheet>\n");
    for (const FlatSheet &sheet : sheets) {
        xml += QStringLiteral("<table:table table:name=\"%1\">\n").arg(esc(sheet.name));
        for (const QStringList &row : sheet.rows) {
            xml += QStringLiteral("<table:table-row>");
            for (const QString &cell : row) {
                if (cell.isEmpty())
                    xml += QStringLiteral("<table:table-cell/>");
                else
                    xml += QStringLiteral("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p>"
                                          "</table:table-cell>")
                               .arg(esc(cell));
            }
            xml += QStringLiteral("</table:table-row>\n");
        }
        xml += QStringLiteral("</table:table>\n");
    }
    xml += QStringLiteral("</office:spreadsheet></office:body></office:document>\n");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(xml.toUtf8());
    return true;
}

// The processes whose parent is this process (the offices it started and
// has not reaped yet).
inline QList<int> childProcesses()
{
    QList<int> children;
    const QString self = QString::number(::getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and brackets.
        const QString text = QString::fromLocal8Bit(stat.readAll());
        const QStringList rest = text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
        if (rest.size() > 1 && rest[1] == self)
            children << pid;
    }
    return children;
}

inline bool processAlive(long long pid) { return pid > 0 && ::kill(pid_t(pid), 0) == 0; }

// While it lives, the program's application objects are real offices, and
// the last one stays reachable: a test reads what a run left in it (the
// window that made it owns it until its next run).
class KeptOffice {
public:
    explicit KeptOffice(bool onePass = true)
    {
        orvel::setSpreadsheetFactory([this, onePass](const QString &) -> std::unique_ptr<orvel::SpreadsheetApp> {
            auto calc = orvel::LibreOfficeCalc::start();
            setOnePassReplace(*calc, onePass);
            last = calc.get();
            return calc;
        });
    }
    ~KeptOffice() { orvel::setSpreadsheetFactory({}); }
    KeptOffice(const KeptOffice &) = delete;
    KeptOffice &operator=(const KeptOffice &) = delete;

    orvel::LibreOfficeCalc *last = nullptr;
};

// While it lives, every write into the cell fails as one the office refuses.
class RefusedCell {
public:
    explicit RefusedCell(const QString &cell) { orvel::refuseWritesTo(cell); }
    ~RefusedCell() { orvel::refuseWritesTo(QString()); }
    RefusedCell(const RefusedCell &) = delete;
    RefusedCell &operator=(const RefusedCell &) = delete;
};

} // namespace orveltest
