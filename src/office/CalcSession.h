#pragma once
// One private headless office and the UNO connection to it: prepared on
// the caller's thread, launched (on a thread of its own when nobody waits
// for it), called, and ended. What LibreOfficeCalc and LibreOfficeCalcStart
// are made of.
#include "calc/OrvelError.h"
#include "office/ColumnBatch.h"
#include "office/ReplaceBatch.h"
#include "office/UnoHelpers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <memory>
#include <utility>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>

namespace orvel {

class StartControl;

class CalcSession {
public:
    // Everything of a start that reads this program's state: on the
    // caller's thread. The office itself is launched afterwards.
    static std::unique_ptr<CalcSession> prepare();
    ~CalcSession();
    CalcSession(const CalcSession &) = delete;
    CalcSession &operator=(const CalcSession &) = delete;

    // Starts the office and connects to it. With a control, another thread
    // may abandon the start meanwhile.
    void launch(StartControl *control);
    // Loads what the first workbook of an office needs (the spreadsheet
    // module, the Excel 97-2003 filters): a new workbook stored as one in
    // the private folder and opened again. For an office nobody waits for.
    void warmUp();
    // Asks the office to end and makes sure it does: it is killed when it
    // has not ended in time.
    void shutDown();
    // Ends the office at once, whatever it is doing (an office nobody
    // needs: a spare given up).
    void abandon();
    // After the office has ended and been reaped.
    void ended();

    bool running() const { return pid != 0; }

    // Runs one call into the office; its errors become the message `what`
    // (with the office's reason when that reads well). The writes that wait
    // go first, and report their own failures; replacements that wait are
    // kept when the call is one more of them.
    enum class Pending { Write, KeepReplacements };
    template <typename F>
    auto call(const QString &what, F &&f, Pending pending = Pending::Write) -> decltype(f())
    {
        if (!running())
            throw OrvelError(QStringLiteral("LibreOffice Calc is no longer running"));
        column.flush(*this);
        if (pending == Pending::Write)
            replacements.flush(*this);
        return guarded(what, std::forward<F>(f));
    }

    // f's office errors as the message `what`; a dead office says so.
    template <typename F>
    auto guarded(const QString &what, F &&f) -> decltype(f())
    {
        if (!running())
            throw OrvelError(QStringLiteral("LibreOffice Calc is no longer running"));
        try {
            return f();
        } catch (const css::lang::DisposedException &) {
            throw OrvelError(QStringLiteral("LibreOffice Calc is no longer running"));
        } catch (const css::uno::Exception &e) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                ended();
                throw OrvelError(QStringLiteral("LibreOffice Calc is no longer running"));
            }
            const QString reason = officeReason(e);
            throw OrvelError(description(reason.isEmpty() ? what : what + QStringLiteral(": ") + reason));
        }
    }

    static QString cannotWrite(const QString &cell);

    Reference<css::frame::XModel> active() const;
    // The active sheet changes only through this object (opening, adding,
    // activating, closing), so it is asked for once after each change.
    void sheetChanged();
    Reference<css::sheet::XSpreadsheet> activeSheet();
    Reference<css::table::XCellRange> cells();
    // Range(address) of the active sheet.
    Reference<css::table::XCellRange> range(const QString &address);
    Reference<css::view::XSelectionSupplier> selectionSupplier() const;
    Reference<css::uno::XInterface> selection() const;

    bool endedWhileStarting = false; // the office ended (or was killed) before it answered
    pid_t pid = 0;                   // the office's guard process (see spawn)
    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;
    std::vector<Reference<css::frame::XModel>> workbooks; // open ones; the last is active

    ColumnBatch column;
    ReplaceBatch replacements;

private:
    CalcSession() = default;

    void connect(StartControl *control);
    [[noreturn]] void giveUp(StartControl *control);
    void startAgainOrFail(StartControl *control, int status, int &restarts);
    bool reaped(StartControl *control, int &status);
    // The socket of the pipe; the office removes it when it ends by itself.
    QString pipeSocket() const;
    // The private folder, once its office has ended.
    void removeHome();

    // What prepare() makes on the caller's thread and launch() uses.
    QString program, log;
    QStringList args, leftovers;
    std::vector<QByteArray> environment;

    int lifeline = -1; // closing it ends the office
    QString pipe;      // the name the office accepts connections on
    std::unique_ptr<QTemporaryDir> home; // profile, temporary files, output

    Reference<css::sheet::XSpreadsheet> sheetCache;
    Reference<css::table::XCellRange> sheetCells;
};

} // namespace orvel
