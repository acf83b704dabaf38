#pragma once
// LibreOffice Calc as the spreadsheet application.
//
// Each application object starts its own headless office process with a
// private profile in a temporary folder (a LibreOffice the user has open is
// never touched) and talks to it over a named pipe with UNO. Quitting ends
// the process; releasing an object that was not asked to quit ends it too.
// Orvel ending, even by a crash, takes the process with it.
//
// Reading a sheet back and the hooks of the fault tests are in
// office/LibreOfficeTesting.h.
#include "office/LibreOfficeInstall.h"
#include "office/Spreadsheet.h"

#include <QString>

#include <functional>
#include <memory>

namespace orvel {

#ifdef ORVEL_HAVE_LIBREOFFICE

class CalcSession;

class LibreOfficeCalc : public SpreadsheetApp {
public:
    // Starts an office and connects to it. Failure: OrvelError with the
    // reason only (the factory adds the program identifier).
    static std::unique_ptr<LibreOfficeCalc> start();
    ~LibreOfficeCalc() override;

    void workbooksOpen(const QString &path) override;
    void workbooksAdd() override;
    void activateSheet(const QString &name) override;
    void rangeReplace(const QString &range, const QString &what, const QString &replacement) override;
    void setRangeText(const QString &cell, const QString &text) override;
    void setRangeInt(const QString &cell, int value) override;
    void rangeSelect(const QString &range) override;
    void selectionMergeCells() override;
    void selectionWrapText() override;
    void activeWorkbookClose(bool saveChanges) override;
    void quit() override;
    bool activeWorkbookUnsaved() override;
    void activeWorkbookSaveAs(const QString &path) override;

    // Called when quit() has ended the office.
    void setQuitHook(std::function<void()> hook);

private:
    friend class LibreOfficeCalcStart;
    // The tests' way in (office/LibreOfficeTesting.h).
    friend CalcSession &testedSession(const LibreOfficeCalc &calc);
    explicit LibreOfficeCalc(std::unique_ptr<CalcSession> session);
    std::unique_ptr<CalcSession> d;
    std::function<void()> m_quitHook;
};

#endif

} // namespace orvel
