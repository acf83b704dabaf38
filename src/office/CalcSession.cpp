#include "office/CalcSession.h"

#include "office/CellAddress.h"
#include "office/LibreOfficeInstall.h"
#include "office/OfficeProcess.h"
#include "office/ProfileSeed.h"
#include "office/StartControl.h"
#include "office/UnoHelpers.h"
#include "office/Watchdog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cppuhelper/bootstrap.hxx>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <chrono>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kConnectLimit = 30s; // a cold office start takes a few seconds
constexpr auto kQuitLimit = 15s;    // after that a quitting office is killed
constexpr int kRestartRequested = 81; // the office's exit code asking for a new start

// The guard another thread may kill from now on, when there is a thread
// that may.
void publish(StartControl *control, pid_t guard)
{
    if (control)
        control->publish(guard);
}

} // namespace

std::unique_ptr<CalcSession> CalcSession::prepare()
{
    const QString unavailable = libreOfficeUnavailableReason();
    if (!unavailable.isEmpty())
        throw OrvelError(unavailable);
    prepareForOffices();

    std::unique_ptr<CalcSession> session(new CalcSession);
    CalcSession &d = *session;
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
    return session;
}

CalcSession::~CalcSession()
{
    if (lifeline >= 0)
        ::close(lifeline);
}

void CalcSession::launch(StartControl *control)
{
    // From here on the start may run on a thread of its own: nothing of
    // this program's environment or settings is read any more.
    seedProfile(QDir(home->filePath(QStringLiteral("profile"))), profileSeed(QFileInfo(program).path()));
    struct Unpublish {
        StartControl *control;
        ~Unpublish() { publish(control, 0); }
    } unpublish{control};

    pid = spawn(program, args, environment, log, leftovers, lifeline);
    if (!pid)
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
    publish(control, pid);

    try {
        connect(control);
        desktop = css::frame::Desktop::create(remote);
    } catch (const css::uno::Exception &) {
        int status = 0;
        if (reaped(control, status)) {
            ended();
            endedWhileStarting = true;
        }
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
    } catch (const cppu::BootstrapException &) {
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started: its UNO runtime is missing"));
    }
}

// Tries the office until it answers, it ends for good, or the start is
// abandoned or takes too long.
void CalcSession::connect(StartControl *control)
{
    const Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(localContext());
    const OUString url = ou(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe));
    const auto deadline = Clock::now() + kConnectLimit;
    const QByteArray socket = QFile::encodeName(pipeSocket());
    int restarts = 0;
    while (!remote.is()) {
        if (control && control->abandoned)
            giveUp(control);
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
        if (reaped(control, status))
            startAgainOrFail(control, status, restarts);
        if (Clock::now() >= deadline)
            throw OrvelError(QStringLiteral("LibreOffice Calc did not answer in 30 seconds"));
        std::this_thread::sleep_for(2ms);
    }
}

// The start was abandoned by another thread: the office is killed.
void CalcSession::giveUp(StartControl *control)
{
    publish(control, 0);
    killOffice(pid);
    waitForExit(pid, 5000ms);
    ended();
    throw OrvelError(QStringLiteral("LibreOffice Calc was not needed any more"));
}

// The office ended before it answered.
void CalcSession::startAgainOrFail(StartControl *control, int status, int &restarts)
{
    ended();
    // A start with a profile it has to set up first asks to be
    // started again.
    if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartRequested && ++restarts <= 2) {
        pid = spawn(program, args, environment, log, leftovers, lifeline);
        publish(control, pid);
    }
    if (!pid) {
        endedWhileStarting = true;
        throw OrvelError(QStringLiteral("LibreOffice Calc could not be started"));
    }
}

// Whether the guard has ended; reaped with the control's mutex held.
bool CalcSession::reaped(StartControl *control, int &status)
{
    if (control)
        return control->reap(pid, status);
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

QString CalcSession::pipeSocket() const
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(pipe);
}

void CalcSession::ended()
{
    officeReaped(pid);
    if (lifeline >= 0)
        ::close(lifeline);
    lifeline = -1;
    QFile::remove(pipeSocket()); // left behind when it did not end by itself
    pid = 0;
}

void CalcSession::warmUp()
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

void CalcSession::shutDown()
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
    column.clear();
    replacements.clear();
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

void CalcSession::abandon()
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

void CalcSession::removeHome()
{
    if (!home)
        return;
    home->setAutoRemove(false);
    removeInBackground({home->path()});
    home.reset();
}

QString CalcSession::cannotWrite(const QString &cell)
{
    return QStringLiteral("Cannot write to the range \"%1\"").arg(cell);
}

Reference<css::frame::XModel> CalcSession::active() const
{
    if (workbooks.empty())
        throw OrvelError(QStringLiteral("There is no active workbook"));
    return workbooks.back();
}

void CalcSession::sheetChanged()
{
    sheetCache.clear();
    sheetCells.clear();
    column.sheetChanged();
}

Reference<css::sheet::XSpreadsheet> CalcSession::activeSheet()
{
    if (!sheetCache.is()) {
        Reference<css::sheet::XSpreadsheetView> view(active()->getCurrentController(), UNO_QUERY_THROW);
        sheetCache = view->getActiveSheet();
        sheetCells.set(sheetCache, UNO_QUERY_THROW);
    }
    return sheetCache;
}

Reference<css::table::XCellRange> CalcSession::cells()
{
    activeSheet();
    return sheetCells;
}

Reference<css::table::XCellRange> CalcSession::range(const QString &address)
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

Reference<css::view::XSelectionSupplier> CalcSession::selectionSupplier() const
{
    return Reference<css::view::XSelectionSupplier>(active()->getCurrentController(), UNO_QUERY_THROW);
}

Reference<css::uno::XInterface> CalcSession::selection() const
{
    Reference<css::uno::XInterface> s(selectionSupplier()->getSelection(), UNO_QUERY);
    if (!s.is())
        throw OrvelError(QStringLiteral("Nothing is selected"));
    return s;
}

} // namespace orvel
