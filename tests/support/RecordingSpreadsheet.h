#pragma once
// The recording fake of the spreadsheet application: every call becomes one
// line of a transcript, written the way the automation member path reads, so
// a test compares the whole sequence with one reviewed list. A call can be
// made to fail, to see what the caller did before and after the error.
#include "office/Spreadsheet.h"

#include <QFileInfo>
#include <QStringList>

#include <memory>
#include <set>

namespace orveltest {

struct SpreadsheetLog {
    // A window keeps its application object until its next run or the end of
    // the program, so a fake may outlive the log of the test that made it:
    // the fake then touches the log only while it still exists.
    static std::set<const SpreadsheetLog *> &alive()
    {
        static std::set<const SpreadsheetLog *> logs;
        return logs;
    }
    SpreadsheetLog() { alive().insert(this); }
    SpreadsheetLog(const SpreadsheetLog &other)
        : calls(other.calls), failOn(other.failOn), failMessage(other.failMessage), created(other.created),
          destroyed(other.destroyed), unsaved(other.unsaved)
    {
        alive().insert(this);
    }
    SpreadsheetLog &operator=(const SpreadsheetLog &) = default;
    ~SpreadsheetLog() { alive().erase(this); }

    QStringList calls;
    // The first call whose transcript line starts with failOn throws
    // OrvelError(failMessage). "create" makes the creation itself fail.
    QString failOn;
    QString failMessage = QStringLiteral("Fake failure");
    int created = 0;   // application objects created
    int destroyed = 0; // application objects released
    bool unsaved = true; // what activeWorkbookUnsaved() answers

    void record(const QString &line)
    {
        calls << line;
        if (!failOn.isEmpty() && line.startsWith(failOn)) {
            failOn.clear();
            throw OrvelError(failMessage);
        }
    }
};

class RecordingSpreadsheet : public orvel::SpreadsheetApp {
public:
    explicit RecordingSpreadsheet(SpreadsheetLog &log) : m_log(log) { ++m_log.created; }
    ~RecordingSpreadsheet() override
    {
        if (SpreadsheetLog::alive().count(&m_log))
            ++m_log.destroyed;
    }

    void workbooksOpen(const QString &path) override { m_log.record(QStringLiteral("Workbooks.Open(%1)").arg(path)); }
    void workbooksAdd() override { m_log.record(QStringLiteral("Workbooks.Add")); }
    void activateSheet(const QString &name) override
    {
        m_log.record(QStringLiteral("ActiveWorkBook.Worksheets.Item(%1).activate").arg(name));
    }
    void rangeReplace(const QString &range, const QString &what, const QString &replacement) override
    {
        m_log.record(QStringLiteral("Range(%1).Replace(What:=\"%2\", Replacement:=\"%3\")")
                         .arg(range, what, replacement));
    }
    void setRangeText(const QString &cell, const QString &text) override
    {
        m_log.record(QStringLiteral("Range(%1) := \"%2\"").arg(cell, text));
    }
    void setRangeInt(const QString &cell, int value) override
    {
        m_log.record(QStringLiteral("Range(%1) := %2").arg(cell).arg(value));
    }
    void rangeSelect(const QString &range) override { m_log.record(QStringLiteral("Range(%1).Select").arg(range)); }
    void selectionMergeCells() override { m_log.record(QStringLiteral("Selection.MergeCells := True")); }
    void selectionWrapText() override { m_log.record(QStringLiteral("Selection.WrapText := True")); }
    void activeWorkbookClose(bool saveChanges) override
    {
        m_log.record(QStringLiteral("ActiveWorkbook.Close(SaveChanges:=%1)")
                         .arg(saveChanges ? QStringLiteral("True") : QStringLiteral("False")));
    }
    void quit() override { m_log.record(QStringLiteral("Application.Quit")); }
    bool activeWorkbookUnsaved() override { return m_log.unsaved; }
    void activeWorkbookSaveAs(const QString &path) override
    {
        m_log.record(QStringLiteral("ActiveWorkbook.SaveAs(%1)").arg(path));
        m_log.unsaved = false;
    }

private:
    SpreadsheetLog &m_log;
};

// Makes every application object the program creates a recording one, for
// the lifetime of this object.
class RecordingScope {
public:
    explicit RecordingScope(SpreadsheetLog &log)
    {
        orvel::setSpreadsheetFactory([&log](const QString &progId) -> std::unique_ptr<orvel::SpreadsheetApp> {
            log.record(QStringLiteral("create %1").arg(progId));
            return std::make_unique<RecordingSpreadsheet>(log);
        });
    }
    ~RecordingScope() { orvel::setSpreadsheetFactory({}); }
};

} // namespace orveltest
