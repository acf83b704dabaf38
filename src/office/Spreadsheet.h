#pragma once
// The contract with the spreadsheet application: one small automation
// interface, one method per member path the program uses. The program drives
// LibreOffice Calc through it; tests install a recording fake.
//
// Every method either does what it says or throws OrvelError with the message
// the error box shows.
#include "calc/OrvelError.h"

#include <QString>

#include <functional>
#include <memory>

namespace orvel {

class SpreadsheetApp {
public:
    virtual ~SpreadsheetApp() = default;

    // Workbooks.Open(path): the workbook becomes active, on its saved active sheet.
    virtual void workbooksOpen(const QString &path) = 0;
    // Workbooks.Add: a new, empty, active workbook.
    virtual void workbooksAdd() = 0;
    // ActiveWorkBook.Worksheets.Item(name).activate
    virtual void activateSheet(const QString &name) = 0;
    // Range(range).Replace(What:=what, Replacement:=replacement) on the active sheet.
    virtual void rangeReplace(const QString &range, const QString &what, const QString &replacement) = 0;
    // Range(cell) := text, taken as if typed ("'" keeps text, "=" makes a formula).
    virtual void setRangeText(const QString &cell, const QString &text) = 0;
    // Range(cell) := integer
    virtual void setRangeInt(const QString &cell, int value) = 0;
    // Range(range).Select
    virtual void rangeSelect(const QString &range) = 0;
    // Selection.MergeCells := true
    virtual void selectionMergeCells() = 0;
    // Selection.WrapText := true
    virtual void selectionWrapText() = 0;
    // ActiveWorkbook.Close(SaveChanges:=saveChanges): saved to its own file in its own format.
    virtual void activeWorkbookClose(bool saveChanges) = 0;
    // Application.Quit
    virtual void quit() = 0;

    // Whether the active workbook has changes that were never saved to a file
    // (a workbook from workbooksAdd that was never stored counts as unsaved).
    virtual bool activeWorkbookUnsaved() = 0;
    // Stores the active workbook at path as an Excel 97-2003 workbook.
    virtual void activeWorkbookSaveAs(const QString &path) = 0;
};

// The program identifier callers ask for.
inline const char *const kExcelProgId = "Excel.Application";

using SpreadsheetFactory = std::function<std::unique_ptr<SpreadsheetApp>(const QString &progId)>;

// Creates a running, invisible application. Failure: "%s, ProgID: "%s"".
std::unique_ptr<SpreadsheetApp> createSpreadsheetApp(const QString &progId = QString::fromLatin1(kExcelProgId));

// Replaces the factory (tests install the recording fake); an empty function
// restores the LibreOffice one.
void setSpreadsheetFactory(SpreadsheetFactory factory);

// The program's own application, whatever factory is installed: the spare
// office when there is one (see SpareOffice.h), else a new office. Factories
// that wrap the program's application call it.
std::unique_ptr<SpreadsheetApp> officeSpreadsheetApp(const QString &progId);

// The windows that ask for a spare office while they may start a run soon.
enum class SpareAsker { VatWindow, SimplifiedWindow, DifferentiatedSchedule };

// An asker starts or stops asking (a window shown or hidden, the
// differentiated payments chosen or not).
void spareOfficeWanted(SpareAsker asker, bool wanted);
// Spare offices are off until the program switches them on; tests that
// don't ask for them start none.
void enableSpareOffices(bool on);
// A spare is started and answering (benchmarks wait for it).
bool spareOfficeReady();

} // namespace orvel
