// LibreOffice Calc driven over UNO: one private headless office per
// application object.
#include "office/LibreOfficeCalc.h"

#include "office/CellAddress.h"
#include "office/OfficeProcess.h"
#include "office/PlaceholderPass.h"
#include "office/ProfileSeed.h"
#include "office/StartControl.h"
#include "office/UnoHelpers.h"
#include "office/Watchdog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace css = com::sun::star;
using css::uno::Any;
using rtl::OUString;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kConnectLimit = 30s; // a cold office start takes a few seconds
constexpr auto kQuitLimit = 15s;    // after that a quitting office is killed
constexpr int kRestartRequested = 81; // the office's exit code asking for a new start

} // namespace

struct LibreOfficeCalc::Impl {
    // What start() prepares on the caller's thread and launch() uses.
    QString program, log;
    QStringList args, leftovers;
    std::vector<QByteArray> environment;
    bool endedWhileStarting = false; // the office ended (or was killed) before it answered
    std::function<void()> quitHook;

    pid_t pid = 0;      // the office's guard process (see spawn)
    int lifeline = -1;  // closing it ends the office
    QString pipe; // the name the office accepts connections on
    std::unique_ptr<QTemporaryDir> home; // profile, temporary files, output
    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;
    std::vector<Reference<css::frame::XModel>> workbooks; // open ones; the last is active

    bool running() const { return pid != 0; }

    // The socket of the pipe; the office removes it when it ends by itself.
    QString pipeSocket() const { return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(pipe); }

    // After the office has ended and been reaped.
    void ended()
    {
        officeReaped(pid);
        if (lifeline >= 0)
            ::close(lifeline);
        lifeline = -1;
        QFile::remove(pipeSocket()); // left behind when it did not end by itself
        pid = 0;
    }

    ~Impl()
    {
        if (lifeline >= 0)
            ::close(lifeline);
    }

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
        flushColumn();
        if (pending == Pending::Write)
            flushReplacements();
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

    static QString cannotWrite(const QString &cell)
    {
        return QStringLiteral("Cannot write to the range \"%1\"").arg(cell);
    }

    Reference<css::frame::XModel> active() const
    {
        if (workbooks.empty())
            throw OrvelError(QStringLiteral("There is no active workbook"));
        return workbooks.back();
    }

    // The active sheet changes only through this object (opening, adding,
    // activating, closing), so it is asked for once after each change.
    Reference<css::sheet::XSpreadsheet> sheetCache;
    Reference<css::table::XCellRange> sheetCells;

    void sheetChanged()
    {
        sheetCache.clear();
        sheetCells.clear();
        lastText = {-1, -1};
    }

    Reference<css::sheet::XSpreadsheet> activeSheet()
    {
        if (!sheetCache.is()) {
            Reference<css::sheet::XSpreadsheetView> view(active()->getCurrentController(), UNO_QUERY_THROW);
            sheetCache = view->getActiveSheet();
            sheetCells.set(sheetCache, UNO_QUERY_THROW);
        }
        return sheetCache;
    }

    Reference<css::table::XCellRange> cells()
    {
        activeSheet();
        return sheetCells;
    }

    // Range(address) of the active sheet.
    Reference<css::table::XCellRange> range(const QString &address)
    {
        int col = 0, row = 0;
        if (singleCell(address, col, row))
            return Reference<css::table::XCellRange>(cells()->getCellByPosition(col, row), UNO_QUERY_THROW);
        try {
            return cells()->getCellRangeByName(ou(address.trimmed()));
        } catch (const css::uno::RuntimeException &) {
            // An office that has died fails every call this way: that is
            // for call() to report, not a wrong address.
            siginfo_t info = {};
            if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                throw;
            throw OrvelError(QStringLiteral("\"%1\" is not a valid cell range").arg(address));
        }
    }

    // Texts written down one column (the schedule's month rows) reach the
    // office in one call: the first cell is written at once, the ones that
    // follow it directly below wait here until a call that is not one more
    // of them. The sheet is the same as with one call per cell. Writes that
    // do not continue a column, as all of the declarations', are never held
    // back, so each is reported at the step that made it.
    struct Column {
        int col = -1, firstRow = 0;
        QStringList texts;
    } column;
    struct Cell {
        int col, row;
    } lastText{-1, -1}; // the last text written on its own

    void flushColumn()
    {
        if (column.texts.isEmpty())
            return;
        const Column p = std::move(column);
        column = Column();
        const int lastRow = p.firstRow + int(p.texts.size()) - 1;
        try {
            if (p.texts.size() > 1) {
                refuseIfAsked(p.col, p.firstRow, p.col, lastRow);
                Reference<css::sheet::XCellRangeFormula> range(
                    cells()->getCellRangeByPosition(p.col, p.firstRow, p.col, lastRow), UNO_QUERY_THROW);
                Sequence<Sequence<OUString>> rows(sal_Int32(p.texts.size()));
                for (int i = 0; i < p.texts.size(); ++i) {
                    const OUString text = ou(p.texts[i]);
                    rows[i] = Sequence<OUString>(&text, 1);
                }
                range->setFormulaArray(rows);
                lastText = {p.col, lastRow};
                return;
            }
        } catch (const css::uno::Exception &) {
            // The office may refuse the whole column (a protected sheet)
            // where it takes the cells one by one: they go one by one, and
            // the first that fails is the one reported.
        }
        for (int i = 0; i < p.texts.size(); ++i) {
            const int row = p.firstRow + i;
            guarded(cannotWrite(cellName(p.col, row)), [&] {
                refuseIfAsked(p.col, row, p.col, row);
                typeInto(cells()->getCellByPosition(p.col, row), p.texts[i]);
            });
            lastText = {p.col, row};
        }
    }

    // Holds the text back when it continues the column of the last text;
    // false when it has to be written now.
    bool holdBack(const QString &address, const QString &text)
    {
        int col = 0, row = 0;
        // The apostrophe rule needs the cell's own text call.
        if (text.startsWith(QLatin1Char('\'')) || !singleCell(address, col, row))
            return false;
        const Cell last = column.texts.isEmpty() ? lastText
                                                 : Cell{column.col, column.firstRow + int(column.texts.size()) - 1};
        if (col != last.col || row != last.row + 1)
            return false;
        if (column.texts.isEmpty()) {
            flushReplacements();
            column.col = col;
            column.firstRow = row;
        }
        column.texts << text;
        return true;
    }

    // ---- placeholder replacements ----

    // Replacements in one range of the active sheet wait here, in the order
    // of their calls, and are carried out together by the next other call:
    // the range is read once, and only the cells they change are written
    // (see PlaceholderPass.h).
    struct Replacements {
        QString range;
        Reference<css::table::XCellRange> cells;
        css::table::CellRangeAddress address;
        QList<Replacement> list;
    } replacements;
    bool onePass = true;
    ReplaceCounts counts;

    void flushReplacements()
    {
        if (replacements.list.isEmpty())
            return;
        const Replacements r = std::move(replacements);
        replacements = Replacements();
        if (onePass) {
            try {
                if (replaceInOnePass(r)) {
                    counts.onePass += int(r.list.size());
                    return;
                }
            } catch (const css::uno::Exception &) {
                // Written in part or not at all: the calls one by one do
                // what is left (the plan makes sure they find nothing in the
                // cells already written).
            } catch (const OrvelError &) {
            }
        }
        counts.eachCall += int(r.list.size());
        for (const Replacement &one : r.list) {
            try {
                guarded(QString(), [&] { replaceEach(r.cells, one.first, one.second); });
            } catch (const OrvelError &) {
                // As for a Replace call of its own: the placeholder stays.
            }
        }
    }

    // The cells of the range: kinds, texts and comments, in five calls.
    QVector<PlaceholderCell> readForReplacing(const Replacements &r)
    {
        const css::table::CellRangeAddress &a = r.address;
        const int columns = a.EndColumn - a.StartColumn + 1;
        const int rows = a.EndRow - a.StartRow + 1;
        QVector<PlaceholderCell> cells(rows * columns);
        const Sequence<Sequence<OUString>> formulas =
            Reference<css::sheet::XCellRangeFormula>(r.cells, UNO_QUERY_THROW)->getFormulaArray();
        Reference<css::sheet::XCellRangesQuery> query(r.cells, UNO_QUERY_THROW);
        auto mark = [&](sal_Int16 flags, const std::function<void(PlaceholderCell &)> &f) {
            Reference<css::sheet::XSheetCellRanges> found = query->queryContentCells(flags);
            if (!found.is())
                return;
            for (const css::table::CellRangeAddress &part : found->getRangeAddresses())
                for (sal_Int32 row = part.StartRow; row <= part.EndRow; ++row)
                    for (sal_Int32 col = part.StartColumn; col <= part.EndColumn; ++col)
                        f(cells[(row - a.StartRow) * columns + (col - a.StartColumn)]);
        };
        for (int row = 0; row < rows && row < formulas.getLength(); ++row)
            for (int col = 0; col < columns && col < formulas[row].getLength(); ++col) {
                PlaceholderCell &c = cells[row * columns + col];
                c.text = qs(formulas[row][col]);
                c.kind = c.text.isEmpty() ? PlaceholderCell::Empty : PlaceholderCell::Other;
            }
        mark(css::sheet::CellFlags::STRING, [](PlaceholderCell &c) {
            // The input text of a text that would read as a number, or that
            // starts with an apostrophe, has one in front.
            c.kind = PlaceholderCell::Text;
            if (c.text.startsWith(QLatin1Char('\'')))
                c.text.remove(0, 1);
        });
        mark(css::sheet::CellFlags::ANNOTATION, [](PlaceholderCell &c) { c.note = true; });
        return cells;
    }

    // False when the pass can't promise the result of the calls one by one.
    bool replaceInOnePass(const Replacements &r)
    {
        const css::table::CellRangeAddress &a = r.address;
        const PlaceholderPlan plan =
            planPlaceholderPass(readForReplacing(r), a.EndColumn - a.StartColumn + 1, r.list);
        if (!plan.onePass)
            return false;
        for (const PlaceholderRun &run : plan.runs) {
            const int col = a.StartColumn + run.firstColumn, row = a.StartRow + run.row;
            const int last = col + int(run.inputs.size()) - 1;
            refuseIfAsked(col, row, last, row);
            Reference<css::sheet::XCellRangeFormula> part(cells()->getCellRangeByPosition(col, row, last, row),
                                                          UNO_QUERY_THROW);
            Sequence<OUString> inputs(sal_Int32(run.inputs.size()));
            for (int i = 0; i < run.inputs.size(); ++i)
                inputs[i] = ou(run.inputs[i]);
            part->setFormulaArray(Sequence<Sequence<OUString>>(&inputs, 1));
        }
        for (const PlaceholderCellWrite &w : plan.single) {
            refuseIfAsked(a.StartColumn + w.column, a.StartRow + w.row, a.StartColumn + w.column, a.StartRow + w.row);
            typeInto(cells()->getCellByPosition(a.StartColumn + w.column, a.StartRow + w.row), w.text);
        }
        return true;
    }

    // One Replace call: the office finds the cells, and the replaced text of
    // each is typed into it again, so it follows the same rules as a text
    // assigned to a cell (the office's own replace would keep a leading
    // apostrophe).
    void replaceEach(const Reference<css::table::XCellRange> &range, const QString &what, const QString &replacement)
    {
        Reference<css::util::XReplaceable> replaceable(range, UNO_QUERY_THROW);
        Reference<css::util::XReplaceDescriptor> search = replaceable->createReplaceDescriptor();
        search->setSearchString(ou(what));
        Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
        options->setPropertyValue(OUString("SearchCaseSensitive"), Any(false));
        options->setPropertyValue(OUString("SearchRegularExpression"), Any(false));
        options->setPropertyValue(OUString("SearchWords"), Any(false));
        Reference<css::container::XIndexAccess> found =
            replaceable->findAll(Reference<css::util::XSearchDescriptor>(search, UNO_QUERY_THROW));
        if (!found.is())
            return;
        for (sal_Int32 i = 0; i < found->getCount(); ++i) {
            Reference<css::table::XCellRange> part(found->getByIndex(i), UNO_QUERY_THROW);
            forEachCell(part, [&](const Reference<css::table::XCell> &cell, int col, int row) {
                const bool text = cell->getType() == css::table::CellContentType_TEXT;
                const QString before = text ? qs(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString())
                                            : qs(cell->getFormula());
                QString after = before;
                after.replace(what, replacement, Qt::CaseInsensitive);
                if (after != before) {
                    refuseIfAsked(col, row, col, row);
                    typeInto(cell, after);
                }
            });
        }
    }

    // ---- refused writes, for the fault tests ----

    static std::mutex &refusedMutex()
    {
        static std::mutex m;
        return m;
    }
    static QString &refusedCell()
    {
        static QString cell;
        return cell;
    }

    // A write that reaches the refused cell fails as the office fails one.
    static void refuseIfAsked(int firstCol, int firstRow, int lastCol, int lastRow)
    {
        std::lock_guard<std::mutex> lock(refusedMutex());
        int col = 0, row = 0;
        if (!refusedCell().isEmpty() && singleCell(refusedCell(), col, row) && col >= firstCol && col <= lastCol
            && row >= firstRow && row <= lastRow)
            throw css::uno::RuntimeException(OUString());
    }

    Reference<css::view::XSelectionSupplier> selectionSupplier() const
    {
        return Reference<css::view::XSelectionSupplier>(active()->getCurrentController(), UNO_QUERY_THROW);
    }

    Reference<css::uno::XInterface> selection() const
    {
        Reference<css::uno::XInterface> s(selectionSupplier()->getSelection(), UNO_QUERY);
        if (!s.is())
            throw OrvelError(QStringLiteral("Nothing is selected"));
        return s;
    }

    // Asks the office to end and makes sure it does: it is killed when it
    // has not ended in time.
    void shutDown()
    {
        if (!running())
            return;
        bool terminating = false;
        {
            Watchdog dog(pid, kQuitLimit);
            // An office that ends with documents open leaves their lock
            // files behind: close them first (unsaved changes are dropped,
            // as they would be by the ending itself).
            for (auto it = workbooks.rbegin(); it != workbooks.rend(); ++it) {
                try {
                    Reference<css::util::XCloseable>(*it, UNO_QUERY_THROW)->close(true);
                } catch (const css::uno::Exception &) {
                }
            }
            try {
                if (desktop.is())
                    terminating = desktop->terminate();
            } catch (const css::uno::Exception &) {
                // The connection ends with the process: a quit answered by
                // the bridge going away has done its work.
                terminating = true;
            }
        }
        column = Column();
        replacements = Replacements();
        sheetChanged();
        workbooks.clear();
        desktop.clear();
        remote.clear();
        // An office that has agreed to end has nothing left to do for this
        // program (its workbooks are closed, its profile is thrown away): it
        // is ended at once instead of being waited for while it tidies up.
        if (terminating)
            killOffice(pid);
        endProcess(pid, terminating ? std::chrono::milliseconds(kQuitLimit) : 1000ms);
        ended();
        removeHome();
    }

    // Loads what the first workbook of an office needs (the spreadsheet
    // module, the Excel 97-2003 filters): a new workbook stored as one in
    // the private folder and opened again. For an office nobody waits for.
    void warmUp()
    {
        try {
            Reference<css::frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
            const Sequence<css::beans::PropertyValue> hidden = props({prop("Hidden", Any(true))});
            Reference<css::frame::XStorable> made(
                loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0, hidden),
                UNO_QUERY_THROW);
            const OUString url = ou(fileUrl(home->filePath(QStringLiteral("tmp/warm-up.xls"))));
            made->storeToURL(url, props({prop("FilterName", Any(OUString("MS Excel 97")))}));
            Reference<css::util::XCloseable>(made, UNO_QUERY_THROW)->close(true);
            Reference<css::util::XCloseable> loaded(loader->loadComponentFromURL(url, OUString("_blank"), 0, hidden),
                                                    UNO_QUERY_THROW);
            loaded->close(true);
        } catch (const css::uno::Exception &) {
            // Only the first run is slower; a dead office is found when the
            // spare is taken.
        }
    }

    void launch(StartControl *control);

    // Ends the office at once, whatever it is doing (an office nobody
    // needs: a spare given up).
    void abandon()
    {
        if (running()) {
            killOffice(pid);
            waitForExit(pid, 5000ms);
            ended();
        }
        workbooks.clear();
        desktop.clear();
        remote.clear();
        removeHome();
    }

    // The private folder, once its office has ended.
    void removeHome()
    {
        if (!home)
            return;
        home->setAutoRemove(false);
        removeInBackground({home->path()});
        home.reset();
    }
};

LibreOfficeCalc::LibreOfficeCalc() : d(std::make_unique<Impl>()) {}

LibreOfficeCalc::~LibreOfficeCalc()
{
    try {
        d->shutDown();
    } catch (...) {
        // Nothing may leave a destructor; the process is gone either way.
    }
}

std::unique_ptr<LibreOfficeCalc> LibreOfficeCalc::prepare()
{
    const QString unavailable = libreOfficeUnavailableReason();
    if (!unavailable.isEmpty())
        throw OrvelError(unavailable);

    prepareForOffices();

    std::unique_ptr<LibreOfficeCalc> app(new LibreOfficeCalc);
    Impl &d = *app->d;
    d.home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/orvel-calc-XXXXXX"));
    if (!d.home->isValid())
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started: no temporary folder"));
    const QDir home(d.home->path());
    home.mkpath(QStringLiteral("tmp"));

    d.pipe = QStringLiteral("orvel_calc_%1_%2")
                 .arg(::getpid())
                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
    d.args = QStringList{
        QStringLiteral("--headless"),
        QStringLiteral("--invisible"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("-env:UserInstallation=") + fileUrl(home.filePath(QStringLiteral("profile"))),
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(d.pipe),
    };
    d.environment = environmentWith({
        QStringLiteral("TMPDIR=") + home.filePath(QStringLiteral("tmp")),
        QStringLiteral("SAL_USE_VCLPLUGIN=svp"),
    });
    d.program = QDir(libreOfficeProgramDir()).filePath(QStringLiteral("soffice.bin"));
    d.log = home.filePath(QStringLiteral("office.log"));
    d.leftovers = QStringList{home.path(), d.pipeSocket()};
    return app;
}

std::unique_ptr<LibreOfficeCalc> LibreOfficeCalc::start()
{
    std::unique_ptr<LibreOfficeCalc> app = prepare();
    app->d->launch(nullptr);
    return app;
}

void LibreOfficeCalc::Impl::launch(StartControl *control)
{
    // From here on the start may run on a thread of its own: nothing of
    // this program's environment or settings is read any more.
    seedProfile(QDir(home->filePath(QStringLiteral("profile"))), profileSeed(QFileInfo(program).path()));
    auto publish = [&](pid_t guard) {
        if (control) {
            std::lock_guard<std::mutex> lock(control->mutex);
            control->guard = guard;
        }
    };
    // Whether the guard has ended; reaped with the control's mutex held.
    auto reaped = [&](int &status) {
        std::unique_lock<std::mutex> lock;
        if (control)
            lock = std::unique_lock<std::mutex>(control->mutex);
        if (::waitpid(pid, &status, WNOHANG) != pid)
            return false;
        if (control)
            control->guard = 0;
        return true;
    };
    struct Unpublish {
        std::function<void()> f;
        ~Unpublish() { f(); }
    } unpublish{[&] { publish(0); }};

    pid = spawn(program, args, environment, log, leftovers, lifeline);
    if (!pid)
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
    publish(pid);
    int restarts = 0;

    try {
        const Reference<css::bridge::XUnoUrlResolver> resolver =
            css::bridge::UnoUrlResolver::create(localContext());
        const OUString url = ou(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe));
        const auto deadline = Clock::now() + kConnectLimit;
        const QByteArray socket = QFile::encodeName(pipeSocket());
        while (!remote.is()) {
            if (control && control->abandoned) {
                publish(0);
                killOffice(pid);
                waitForExit(pid, 5000ms);
                ended();
                throw OrvelError(QStringLiteral("LibreOffice Calc was not needed any more"));
            }
            // The office makes its pipe when it starts to accept connections:
            // until then a look at the file system is all a try costs, so
            // the office is tried often and answers as soon as it can.
            struct stat info;
            if (::stat(socket.constData(), &info) == 0) {
                try {
                    remote.set(resolver->resolve(url), UNO_QUERY_THROW);
                    break;
                } catch (const css::connection::NoConnectException &) {
                }
            }
            int status = 0;
            if (reaped(status)) {
                ended();
                // A start with a profile it has to set up first asks to be
                // started again.
                if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartRequested && ++restarts <= 2) {
                    pid = spawn(program, args, environment, log, leftovers, lifeline);
                    publish(pid);
                }
                if (!pid) {
                    endedWhileStarting = true;
                    throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
                }
            }
            if (Clock::now() >= deadline)
                throw OrvelError(QStringLiteral("LibreOffice Calc did not answer in 30 seconds"));
            std::this_thread::sleep_for(2ms);
        }
        desktop = css::frame::Desktop::create(remote);
    } catch (const css::uno::Exception &) {
        int status = 0;
        if (reaped(status)) {
            ended();
            endedWhileStarting = true;
        }
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
    } catch (const cppu::BootstrapException &) {
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started: its UNO runtime is missing"));
    }
}

void LibreOfficeCalc::setQuitHook(std::function<void()> hook) { d->quitHook = std::move(hook); }

long long LibreOfficeCalc::processId() const { return d->pid; }

void LibreOfficeCalc::workbooksOpen(const QString &path)
{
    d->call(QStringLiteral("Cannot open the workbook \"%1\"").arg(path), [&] {
        if (!QFileInfo::exists(path))
            throw OrvelError(QStringLiteral("The file \"%1\" could not be found").arg(path));
        Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({
            prop("Hidden", Any(true)),
            prop("MacroExecutionMode", Any(sal_Int16(0))), // never run macros of the file
        });
        Reference<css::frame::XModel> model(
            loader->loadComponentFromURL(ou(fileUrl(path)), OUString("_blank"), 0, options), UNO_QUERY);
        if (!model.is() || !Reference<css::sheet::XSpreadsheetDocument>(model, UNO_QUERY).is())
            throw OrvelError(QStringLiteral("Cannot open the workbook \"%1\"").arg(path));
        d->workbooks.push_back(model);
        d->sheetChanged();
    });
}

void LibreOfficeCalc::workbooksAdd()
{
    d->call(QStringLiteral("Cannot create a new workbook"), [&] {
        Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({prop("Hidden", Any(true))});
        Reference<css::frame::XModel> model(
            loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0, options), UNO_QUERY_THROW);
        d->workbooks.push_back(model);
        d->sheetChanged();
    });
}

void LibreOfficeCalc::activateSheet(const QString &name)
{
    d->call(QStringLiteral("Cannot activate the sheet \"%1\"").arg(name), [&] {
        Reference<css::sheet::XSpreadsheetDocument> doc(d->active(), UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        // Sheet names match regardless of case, as a spreadsheet user expects.
        OUString found;
        for (const OUString &n : sheets->getElementNames())
            if (qs(n).compare(name, Qt::CaseInsensitive) == 0) {
                found = n;
                break;
            }
        if (found.isEmpty())
            throw OrvelError(QStringLiteral("Invalid index"));
        Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(found), UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheetView> view(d->active()->getCurrentController(), UNO_QUERY_THROW);
        d->sheetChanged();
        view->setActiveSheet(sheet);
    });
}

void LibreOfficeCalc::rangeReplace(const QString &range, const QString &what, const QString &replacement)
{
    d->call(QStringLiteral("Cannot replace in the range \"%1\"").arg(range), [&] {
        if (what.isEmpty())
            return;
        // Waits for the next other call, with the replacements in the same
        // range before it (see flushReplacements).
        Impl::Replacements &r = d->replacements;
        if (!r.list.isEmpty() && r.range != range)
            d->flushReplacements();
        if (r.list.isEmpty()) {
            r.cells = d->range(range);
            r.address = Reference<css::sheet::XCellRangeAddressable>(r.cells, UNO_QUERY_THROW)->getRangeAddress();
            r.range = range;
        }
        r.list << Replacement(what, replacement);
    }, Impl::Pending::KeepReplacements);
}

void LibreOfficeCalc::setRangeText(const QString &cell, const QString &text)
{
    if (d->running() && !d->workbooks.empty() && d->holdBack(cell, text))
        return;
    d->call(Impl::cannotWrite(cell), [&] {
        int col = 0, row = 0;
        if (singleCell(cell, col, row)) {
            Impl::refuseIfAsked(col, row, col, row);
            typeInto(d->cells()->getCellByPosition(col, row), text);
            d->lastText = {col, row};
            return;
        }
        forEachCell(d->range(cell), [&](const Reference<css::table::XCell> &c, int x, int y) {
            Impl::refuseIfAsked(x, y, x, y);
            typeInto(c, text);
        });
    });
}

void LibreOfficeCalc::setRangeInt(const QString &cell, int value)
{
    d->call(Impl::cannotWrite(cell), [&] {
        int col = 0, row = 0;
        if (singleCell(cell, col, row)) {
            Impl::refuseIfAsked(col, row, col, row);
            d->cells()->getCellByPosition(col, row)->setValue(value);
            return;
        }
        forEachCell(d->range(cell), [&](const Reference<css::table::XCell> &c, int x, int y) {
            Impl::refuseIfAsked(x, y, x, y);
            c->setValue(value);
        });
    });
}

void LibreOfficeCalc::rangeSelect(const QString &range)
{
    d->call(QStringLiteral("Cannot select the range \"%1\"").arg(range), [&] {
        d->selectionSupplier()->select(Any(d->range(range)));
    });
}

void LibreOfficeCalc::selectionMergeCells()
{
    d->call(QStringLiteral("Cannot merge the selected cells"), [&] {
        Reference<css::util::XMergeable> merge(d->selection(), UNO_QUERY_THROW);
        merge->merge(true);
    });
}

void LibreOfficeCalc::selectionWrapText()
{
    d->call(QStringLiteral("Cannot wrap the text of the selected cells"), [&] {
        Reference<css::beans::XPropertySet> props(d->selection(), UNO_QUERY_THROW);
        props->setPropertyValue(OUString("IsTextWrapped"), Any(true));
    });
}

void LibreOfficeCalc::activeWorkbookClose(bool saveChanges)
{
    d->call(QStringLiteral("Cannot close the workbook"), [&] {
        Reference<css::frame::XModel> model = d->active();
        if (saveChanges) {
            Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
            if (!storable->hasLocation())
                throw OrvelError(QStringLiteral("The workbook has no file to be saved to"));
            // Into its own file, in the format it was loaded from.
            d->call(QStringLiteral("Cannot save the workbook \"%1\"").arg(QUrl(qs(storable->getLocation())).toLocalFile()),
                    [&] { storable->store(); });
        }
        Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
        d->workbooks.pop_back();
        d->sheetChanged();
    });
}

void LibreOfficeCalc::quit()
{
    d->shutDown();
    if (d->quitHook)
        d->quitHook();
}

bool LibreOfficeCalc::activeWorkbookUnsaved()
{
    return d->call(QStringLiteral("Cannot read the state of the workbook"), [&] {
        Reference<css::frame::XModel> model = d->active();
        Reference<css::util::XModifiable> modifiable(model, UNO_QUERY_THROW);
        Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
        return modifiable->isModified() || !storable->hasLocation();
    });
}

void LibreOfficeCalc::activeWorkbookSaveAs(const QString &path)
{
    d->call(QStringLiteral("Cannot save the workbook as \"%1\"").arg(path), [&] {
        Reference<css::frame::XStorable> storable(d->active(), UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> options = props({
            prop("FilterName", Any(OUString("MS Excel 97"))),
            prop("Overwrite", Any(true)),
        });
        storable->storeAsURL(ou(fileUrl(path)), options);
    });
}

LibreOfficeCalc::CellKind LibreOfficeCalc::cellKind(const QString &cell)
{
    return d->call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        switch (d->range(cell)->getCellByPosition(0, 0)->getType()) {
        case css::table::CellContentType_VALUE:
            return CellKind::Value;
        case css::table::CellContentType_TEXT:
            return CellKind::Text;
        case css::table::CellContentType_FORMULA:
            return CellKind::Formula;
        default:
            return CellKind::Empty;
        }
    });
}

QString LibreOfficeCalc::cellFormula(const QString &cell)
{
    return d->call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell),
                   [&] { return qs(d->range(cell)->getCellByPosition(0, 0)->getFormula()); });
}

QString LibreOfficeCalc::cellString(const QString &cell)
{
    return d->call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        Reference<css::text::XText> text(d->range(cell)->getCellByPosition(0, 0), UNO_QUERY_THROW);
        return qs(text->getString());
    });
}

double LibreOfficeCalc::cellValue(const QString &cell)
{
    return d->call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell),
                   [&] { return d->range(cell)->getCellByPosition(0, 0)->getValue(); });
}

bool LibreOfficeCalc::isMerged(const QString &range)
{
    return d->call(QStringLiteral("Cannot read the range \"%1\"").arg(range), [&] {
        Reference<css::util::XMergeable> merge(d->range(range), UNO_QUERY_THROW);
        return bool(merge->getIsMerged());
    });
}

bool LibreOfficeCalc::isWrapped(const QString &cell)
{
    return d->call(QStringLiteral("Cannot read the cell \"%1\"").arg(cell), [&] {
        Reference<css::beans::XPropertySet> props(d->range(cell), UNO_QUERY_THROW);
        bool wrapped = false;
        props->getPropertyValue(OUString("IsTextWrapped")) >>= wrapped;
        return wrapped;
    });
}

QStringList LibreOfficeCalc::findCells(const QString &range, const QString &text)
{
    return d->call(QStringLiteral("Cannot search the range \"%1\"").arg(range), [&] {
        QStringList cells;
        Reference<css::util::XReplaceable> searchable(d->range(range), UNO_QUERY_THROW);
        Reference<css::util::XReplaceDescriptor> search = searchable->createReplaceDescriptor();
        search->setSearchString(ou(text));
        Reference<css::container::XIndexAccess> found =
            searchable->findAll(Reference<css::util::XSearchDescriptor>(search, UNO_QUERY_THROW));
        for (sal_Int32 i = 0; found.is() && i < found->getCount(); ++i) {
            Reference<css::table::XCellRange> part(found->getByIndex(i), UNO_QUERY_THROW);
            forEachCell(part, [&](const Reference<css::table::XCell> &, int col, int row) {
                cells << cellName(col, row);
            });
        }
        return cells;
    });
}

QVector<LibreOfficeCalc::CellContent> LibreOfficeCalc::cellContents(const QString &range)
{
    return d->call(QStringLiteral("Cannot read the range \"%1\"").arg(range), [&] {
        const Reference<css::table::XCellRange> r = d->range(range);
        const css::table::CellRangeAddress a =
            Reference<css::sheet::XCellRangeAddressable>(r, UNO_QUERY_THROW)->getRangeAddress();
        const int columns = a.EndColumn - a.StartColumn + 1;
        QVector<CellContent> cells((a.EndRow - a.StartRow + 1) * columns);
        const Sequence<Sequence<OUString>> formulas =
            Reference<css::sheet::XCellRangeFormula>(r, UNO_QUERY_THROW)->getFormulaArray();
        for (int row = 0; row < formulas.getLength(); ++row)
            for (int col = 0; col < formulas[row].getLength(); ++col)
                cells[row * columns + col].formula = qs(formulas[row][col]);
        Reference<css::sheet::XCellRangesQuery> query(r, UNO_QUERY_THROW);
        const std::pair<sal_Int16, CellKind> kinds[] = {
            {css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME, CellKind::Value},
            {css::sheet::CellFlags::STRING, CellKind::Text},
            {css::sheet::CellFlags::FORMULA, CellKind::Formula},
        };
        for (const auto &kind : kinds) {
            Reference<css::sheet::XSheetCellRanges> found = query->queryContentCells(kind.first);
            for (const css::table::CellRangeAddress &part : found->getRangeAddresses())
                for (sal_Int32 row = part.StartRow; row <= part.EndRow; ++row)
                    for (sal_Int32 col = part.StartColumn; col <= part.EndColumn; ++col)
                        cells[(row - a.StartRow) * columns + (col - a.StartColumn)].kind = kind.second;
        }
        return cells;
    });
}

void LibreOfficeCalc::setOnePassReplace(bool onePass) { d->onePass = onePass; }

LibreOfficeCalc::ReplaceCounts LibreOfficeCalc::replaceCounts() const { return d->counts; }

void LibreOfficeCalc::refuseWritesTo(const QString &cell)
{
    std::lock_guard<std::mutex> lock(Impl::refusedMutex());
    Impl::refusedCell() = cell;
}

QString LibreOfficeCalc::activeSheetName()
{
    return d->call(QStringLiteral("Cannot read the active sheet"), [&] {
        Reference<css::container::XNamed> named(d->activeSheet(), UNO_QUERY_THROW);
        return qs(named->getName());
    });
}

} // namespace orvel

namespace orvel {

struct LibreOfficeCalcStart::State {
    StartControl control;
    std::unique_ptr<LibreOfficeCalc> office; // the thread's until it is done
    QString failure;
    bool endedOnItsWay = false;
    std::atomic<bool> done{false};
    std::thread thread;
};

LibreOfficeCalcStart::LibreOfficeCalcStart() : s(std::make_unique<State>())
{
    std::unique_ptr<LibreOfficeCalc> prepared = LibreOfficeCalc::prepare();
    State *state = s.get();
    state->thread = std::thread([state, app = std::move(prepared)]() mutable {
        try {
            app->d->launch(&state->control);
            // Given up during the warm-up, the office is killed under it.
            auto publish = [&](pid_t guard) {
                std::lock_guard<std::mutex> lock(state->control.mutex);
                state->control.guard = guard;
            };
            publish(app->d->pid);
            if (!state->control.abandoned)
                app->d->warmUp();
            publish(0);
            state->office = std::move(app);
        } catch (const OrvelError &e) {
            state->failure = e.message();
            state->endedOnItsWay = app->d->endedWhileStarting || state->control.abandoned;
            app->d->abandon();
            app.reset();
        }
        state->done = true;
    });
}

LibreOfficeCalcStart::~LibreOfficeCalcStart()
{
    s->control.abandon();
    if (s->thread.joinable())
        s->thread.join();
    if (s->office)
        s->office->d->abandon();
}

bool LibreOfficeCalcStart::ready() const { return s->done && s->office; }

std::unique_ptr<LibreOfficeCalc> LibreOfficeCalcStart::take()
{
    if (s->thread.joinable())
        s->thread.join();
    std::unique_ptr<LibreOfficeCalc> office = std::move(s->office);
    if (!office) {
        if (s->endedOnItsWay || s->failure.isEmpty())
            return nullptr;
        throw OrvelError(s->failure);
    }
    // A spare may have been killed while it waited: one question to the
    // office tells (the guard may not have noticed yet).
    LibreOfficeCalc::Impl &d = *office->d;
    bool alive = ::waitpid(d.pid, nullptr, WNOHANG) == 0;
    if (alive) {
        try {
            d.remote->getServiceManager();
        } catch (const css::uno::Exception &) {
            alive = false;
        }
    } else {
        d.ended();
    }
    if (!alive) {
        d.abandon();
        return nullptr;
    }
    return office;
}

long long LibreOfficeCalcStart::processId() const
{
    std::lock_guard<std::mutex> lock(s->control.mutex);
    if (s->control.guard)
        return s->control.guard;
    return s->done && s->office ? s->office->processId() : 0;
}

} // namespace orvel
