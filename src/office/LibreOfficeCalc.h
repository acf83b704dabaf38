#pragma once
// LibreOffice Calc as the spreadsheet application.
//
// Each application object starts its own headless office process with a
// private profile in a temporary folder (a LibreOffice the user has open is
// never touched) and talks to it over a named pipe with UNO. Quitting ends
// the process; releasing an object that was not asked to quit ends it too.
// Orvel ending, even by a crash, takes the process with it.
#include "office/LibreOfficeInstall.h"
#include "office/Spreadsheet.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace orvel {

#ifdef ORVEL_HAVE_LIBREOFFICE

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

    // Reading the active sheet back (checks of written workbooks, benchmarks).
    enum class CellKind { Empty, Value, Text, Formula };
    CellKind cellKind(const QString &cell);
    QString cellFormula(const QString &cell); // the cell's input text ("=C2/C3", "12", text)
    QString cellString(const QString &cell);  // the text the cell shows
    double cellValue(const QString &cell);
    bool isMerged(const QString &range); // the range is one merged area
    bool isWrapped(const QString &cell);
    QString activeSheetName();
    // The cells of the range whose text contains `text` (any case), as "B7".
    QStringList findCells(const QString &range, const QString &text);
    // Every cell of the range, row by row: its kind and its input text.
    struct CellContent {
        CellKind kind = CellKind::Empty;
        QString formula;
        bool operator==(const CellContent &o) const { return kind == o.kind && formula == o.formula; }
    };
    QVector<CellContent> cellContents(const QString &range);

    // Replacements in one range are carried out in one pass (the default)
    // or by one office search each, as the pass's reference and fallback.
    void setOnePassReplace(bool onePass);
    // Replace calls carried out so far, in one pass and one by one.
    struct ReplaceCounts {
        int onePass = 0, eachCall = 0;
    };
    ReplaceCounts replaceCounts() const;

    // Fault tests: from now on every write into this cell of any sheet
    // fails as a write the office refuses (an empty text ends that).
    static void refuseWritesTo(const QString &cell);

    // The process that watches over the office; its process group holds the
    // office (0 once it has ended).
    long long processId() const;

    // Called when quit() has ended the office.
    void setQuitHook(std::function<void()> hook);

private:
    friend class LibreOfficeCalcStart;
    LibreOfficeCalc();
    // Everything of a start that reads this program's state: on the
    // caller's thread. The office itself is launched afterwards.
    static std::unique_ptr<LibreOfficeCalc> prepare();
    struct Impl;
    std::unique_ptr<Impl> d;
};

// An office started on a thread of its own, so that nobody waits for it.
// Destroying the object gives it up: an office still starting, or started
// and never taken, is killed at once.
class LibreOfficeCalcStart {
public:
    // Prepares on this thread (the office missing fails here) and launches.
    LibreOfficeCalcStart();
    ~LibreOfficeCalcStart();
    LibreOfficeCalcStart(const LibreOfficeCalcStart &) = delete;
    LibreOfficeCalcStart &operator=(const LibreOfficeCalcStart &) = delete;

    // Started and answering, and not taken yet.
    bool ready() const;
    // Waits for the rest of the start and hands the office out. Null when
    // it ended on its way (killed, or dead since it started): a new one has
    // to be started. Any other failure of the start is thrown.
    std::unique_ptr<LibreOfficeCalc> take();
    // The guard process while the office starts or waits (0 after).
    long long processId() const;

private:
    struct State;
    std::unique_ptr<State> s;
};

#endif

} // namespace orvel
