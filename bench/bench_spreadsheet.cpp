// How long the spreadsheet work takes with LibreOffice Calc, each run with a
// cold office of its own:
//  - start and connect;
//  - the payment schedule of a 360-month loan (1,800 month cells), from the
//    connection to the last cell, then the save and the quit;
//  - a declaration-sized run: open a three-sheet workbook, 100 replacements
//    over A1:DN79 spread over its sheets, close with saving, quit.
//
// Build and run on demand:
//   cmake --build build --target bench_spreadsheet && QT_QPA_PLATFORM=offscreen build/bin/bench_spreadsheet [runs]
#include "BenchTiming.h"
#include "CalcTestSupport.h"
#include "office/LibreOfficeCalc.h"
#include "office/Spreadsheet.h"
#include "ui/FileDialogs.h"
#include "ui/main/ScheduleExport.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double ms(qint64 ns) { return ns / 1e6; }

void schedule(TForm1 &form, const QString &dir)
{
    const orvelbench::ScheduleTiming t = orvelbench::timeSchedule(form, dir);
    std::printf("schedule 360: start+connect %7.0f ms, connection to last cell %6.0f ms, save %5.0f ms, "
                "quit %5.0f ms, total %6.0f ms\n",
                ms(t.connected), ms(t.writesDone - t.connected), ms(t.save), ms(t.quit), ms(t.total));
}

// Three sheets of 79 rows by 118 columns (A to DN) with text in every
// fourth cell and 100 placeholders spread over them.
QString makeDeclarationWorkbook(const QString &dir)
{
    QList<orveltest::FlatSheet> sheets;
    int placeholder = 0;
    for (int s = 0; s < 3; ++s) {
        orveltest::FlatSheet sheet{QStringLiteral("Стр%1").arg(s + 1), {}};
        for (int r = 0; r < 79; ++r) {
            QStringList row;
            for (int c = 0; c < 118; ++c) {
                if ((r * 118 + c) % 274 == 0 && placeholder < std::min(100, 34 * (s + 1)))
                    row << QStringLiteral("{P%1}").arg(placeholder++, 3, 10, QLatin1Char('0'));
                else
                    row << ((c % 4 == 0) ? QStringLiteral("ячейка") : QString());
            }
            sheet.rows << row;
        }
        sheets << sheet;
    }
    const QString fods = dir + QStringLiteral("/decl.fods");
    const QString xls = dir + QStringLiteral("/decl.xls");
    orveltest::writeFlatSpreadsheet(fods, sheets);
    auto calc = orvel::LibreOfficeCalc::start();
    calc->workbooksOpen(fods);
    calc->activeWorkbookSaveAs(xls);
    calc->quit();
    return xls;
}

void declaration(const QString &templ, const QString &dir)
{
    const QString target = dir + QStringLiteral("/filled.xls");
    QFile::remove(target);
    QFile::copy(templ, target);
    QElapsedTimer clock;
    clock.start();
    auto calc = orvel::LibreOfficeCalc::start();
    const qint64 connected = clock.nsecsElapsed();
    calc->workbooksOpen(target);
    const qint64 opened = clock.nsecsElapsed();
    int n = 0;
    for (int s = 0; s < 3; ++s) {
        calc->activateSheet(QStringLiteral("Стр%1").arg(s + 1));
        for (int i = 0; i < 34 && n < 100; ++i, ++n)
            calc->rangeReplace(QStringLiteral("A1:DN79"), QStringLiteral("{P%1}").arg(n, 3, 10, QLatin1Char('0')),
                               QString::number(n % 10));
    }
    const qint64 replaced = clock.nsecsElapsed();
    calc->activeWorkbookClose(true);
    const qint64 closed = clock.nsecsElapsed();
    calc->quit();
    const qint64 total = clock.nsecsElapsed();
    std::printf("declaration: start+connect %7.0f ms, open %5.0f ms, 100 replacements %6.0f ms, close+save %5.0f ms, "
                "quit %5.0f ms, total %6.0f ms\n",
                ms(connected), ms(opened - connected), ms(replaced - opened), ms(closed - replaced),
                ms(total - closed), ms(total));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication qapp(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const QString missing = orvel::libreOfficeUnavailableReason();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }
    QTemporaryDir dir;
    orvel::OrvelWindows w = orvel::createOrvelWindows();
    try {
        const QString templ = makeDeclarationWorkbook(dir.path());
        for (int i = 0; i < runs; ++i) {
            schedule(*w.form1, dir.path());
            declaration(templ, dir.path());
        }
    } catch (const OrvelError &e) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(e.message()));
        return 1;
    }
    orvel::destroyOrvelWindows(w);
    return 0;
}
