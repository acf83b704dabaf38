#pragma once
// Timing of the spreadsheet work, shared by the benchmark programs: a
// spreadsheet that forwards every call to a real LibreOffice Calc and notes
// when each phase of a run ended, and the 360-month schedule export timed
// with it.
#include "office/LibreOfficeCalc.h"
#include "office/Spreadsheet.h"
#include "ui/FileDialogs.h"
#include "ui/main/ScheduleExport.h"
#include "ui/main/TForm1.h"

#include <QElapsedTimer>

#include <memory>

namespace orvelbench {

// Forwards every call; the times are nanoseconds on the clock given, taken
// when the call returned (writesDone: when the unsaved state was asked, the
// schedule's last step before its save). closeStart is when the workbook
// close began, so opened..closeStart is the writing of a declaration.
class TimedSpreadsheet : public orvel::SpreadsheetApp {
public:
    TimedSpreadsheet(std::unique_ptr<orvel::SpreadsheetApp> app, QElapsedTimer &clock)
        : m_app(std::move(app)), m_clock(clock)
    {
    }
    qint64 opened = 0, writesDone = 0, saveTime = 0, closeStart = 0, closed = 0, quitStart = 0, quitTime = 0;

    void workbooksOpen(const QString &p) override
    {
        m_app->workbooksOpen(p);
        opened = m_clock.nsecsElapsed();
    }
    void workbooksAdd() override
    {
        m_app->workbooksAdd();
        opened = m_clock.nsecsElapsed();
    }
    void activateSheet(const QString &n) override { m_app->activateSheet(n); }
    void rangeReplace(const QString &r, const QString &w, const QString &x) override { m_app->rangeReplace(r, w, x); }
    void setRangeText(const QString &c, const QString &t) override { m_app->setRangeText(c, t); }
    void setRangeInt(const QString &c, int v) override { m_app->setRangeInt(c, v); }
    void rangeSelect(const QString &r) override { m_app->rangeSelect(r); }
    void selectionMergeCells() override { m_app->selectionMergeCells(); }
    void selectionWrapText() override { m_app->selectionWrapText(); }
    void activeWorkbookClose(bool s) override
    {
        closeStart = m_clock.nsecsElapsed();
        m_app->activeWorkbookClose(s);
        closed = m_clock.nsecsElapsed();
    }
    void quit() override
    {
        quitStart = m_clock.nsecsElapsed();
        m_app->quit();
        quitTime = m_clock.nsecsElapsed() - quitStart;
    }
    bool activeWorkbookUnsaved() override
    {
        writesDone = m_clock.nsecsElapsed();
        return m_app->activeWorkbookUnsaved();
    }
    void activeWorkbookSaveAs(const QString &p) override
    {
        const qint64 t = m_clock.nsecsElapsed();
        m_app->activeWorkbookSaveAs(p);
        saveTime = m_clock.nsecsElapsed() - t;
    }

private:
    std::unique_ptr<orvel::SpreadsheetApp> m_app;
    QElapsedTimer &m_clock;
};

// Installs a spreadsheet factory that gets the program's own office (the
// spare when there is one, else a new one), wrapped in a TimedSpreadsheet;
// `connected` is when the office had started and answered. Uninstalled when
// it goes out of scope.
class TimedFactory {
public:
    explicit TimedFactory(QElapsedTimer &clock)
    {
        orvel::setSpreadsheetFactory([this, &clock](const QString &) -> std::unique_ptr<orvel::SpreadsheetApp> {
            starting = clock.nsecsElapsed();
            auto app = std::make_unique<TimedSpreadsheet>(orvel::officeSpreadsheetApp(QString::fromLatin1(orvel::kExcelProgId)), clock);
            connected = clock.nsecsElapsed();
            timed = app.get();
            return app;
        });
    }
    ~TimedFactory() { orvel::setSpreadsheetFactory({}); }
    TimedFactory(const TimedFactory &) = delete;
    TimedFactory &operator=(const TimedFactory &) = delete;

    qint64 starting = 0, connected = 0;
    TimedSpreadsheet *timed = nullptr; // owned by the run; read right after it
};

struct ScheduleTiming {
    qint64 connected = 0, writesDone = 0, save = 0, quit = 0, total = 0; // ns
};

// The payment schedule of a 3,000,000 loan at 9% over 360 months, exported
// to dir/schedule.xls (with the spare office when one is ready, else a cold one).
inline ScheduleTiming timeSchedule(TForm1 &form, const QString &dir)
{
    QElapsedTimer clock;
    TimedFactory factory(clock);
    orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return dir + QStringLiteral("/schedule.xls"); });
    const orvel::LoanScheduleFields loan{QStringLiteral("3000000"), QStringLiteral("9"), QStringLiteral("360"), 3000000,
                                         360};
    clock.start();
    orvel::exportSchedule(form, loan);
    ScheduleTiming t;
    t.total = clock.nsecsElapsed();
    t.connected = factory.connected;
    t.writesDone = factory.timed->writesDone;
    t.save = factory.timed->saveTime;
    t.quit = factory.timed->quitTime;
    orvel::setFileDialogHook({});
    return t;
}

} // namespace orvelbench
