#include "ui/main/ScheduleExport.h"

#include "calc/Numbers.h"
#include "office/Spreadsheet.h"
#include "ui/FileDialogs.h"
#include "ui/main/TForm1.h"
#include "ui/Maker.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include <memory>

namespace orvel {

namespace {

// The application object of the latest export. A new export replaces (and so
// releases) the previous one; what is left is released when the program ends.
std::unique_ptr<SpreadsheetApp> scheduleApp;

void releaseScheduleApp() { scheduleApp.reset(); }

void keepScheduleApp(std::unique_ptr<SpreadsheetApp> app)
{
    static bool releaseAtExit = false;
    if (!releaseAtExit && QCoreApplication::instance()) {
        // Before the program's statics go: the office must not outlive it.
        qAddPostRoutine(releaseScheduleApp);
        releaseAtExit = true;
    }
    scheduleApp = std::move(app);
}

// Merges the area and writes the value into its first cell.
void mergedCell(SpreadsheetApp &app, const QString &area, const QString &value)
{
    app.rangeSelect(area);
    app.selectionMergeCells();
    app.setRangeText(area.section(QLatin1Char(':'), 0, 0), value);
}

} // namespace

void exportSchedule(TForm1 &form, double amount, double rate, double term)
{
    (void)rate; // the sheet takes the rate from the text of the field

    keepScheduleApp(createSpreadsheetApp(QString::fromLatin1(kExcelProgId)));
    SpreadsheetApp &app = *scheduleApp;
    app.workbooksAdd();

    const int months = readInteger(form.Edit9->text());
    readInteger(form.Edit7->text());
    readInteger(form.Edit8->text());
    // Every row divides the amount by the term.
    xdiv(amount, term);

    // Title and input block: the formulas read the amount from C2, the term
    // from C3 and the rate from C4.
    mergedCell(app, QStringLiteral("A1:E1"),
               QStringLiteral("График составлен программой Orvel ") + makerSiteUrl());
    mergedCell(app, QStringLiteral("A2:B2"), QStringLiteral("Сумма кредита:"));
    mergedCell(app, QStringLiteral("C2:D2"), form.Edit7->text());
    mergedCell(app, QStringLiteral("A3:B3"), QStringLiteral("Срок кредита (мес):"));
    mergedCell(app, QStringLiteral("C3:D3"), form.Edit9->text());
    mergedCell(app, QStringLiteral("A4:B4"), QStringLiteral("Процентная ставка:"));
    mergedCell(app, QStringLiteral("C4:D4"), form.Edit8->text());

    app.setRangeText(QStringLiteral("A6"), QStringLiteral("№"));
    app.setRangeText(QStringLiteral("B6"), QStringLiteral("Остаток долга:"));
    app.setRangeText(QStringLiteral("C6"), QStringLiteral("Основной платеж (A):"));
    app.setRangeText(QStringLiteral("D6"), QStringLiteral("Ежемесячный платеж (A+B):"));
    app.setRangeText(QStringLiteral("E6"), QStringLiteral("Проценты(B):"));
    app.rangeSelect(QStringLiteral("A6:E6"));
    app.selectionWrapText();

    // One row per month, row r for month r - 6, written column by column.
    // A month's interest is that of 30 days of a 365-day year.
    const int last = months + 6; // no rows at all for a term below 1
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("A%1").arg(r), QStringLiteral("=%1-6").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("B%1").arg(r), QStringLiteral("=C2-(C2/C3)*(%1-7)").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("C%1").arg(r), QStringLiteral("=C2/C3"));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("D%1").arg(r), QStringLiteral("=C2/C3+C4*0.01*30/365*B%1").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("E%1").arg(r), QStringLiteral("=C4*0.01*30/365*B%1").arg(r));

    // A headless spreadsheet application drops an unsaved workbook when it
    // quits, so the schedule is offered for saving here; only a stored
    // schedule is reported as saved.
    bool saved = true;
    if (app.activeWorkbookUnsaved()) {
        FileDialogRequest request;
        request.kind = FileDialogRequest::Save;
        request.name = QStringLiteral("SaveDialog1");
        request.filter = QStringLiteral("Книга Excel 97-2003|*.xls");
        request.defaultSuffix = QStringLiteral("xls");
        const QString path = runFileDialog(&form, request);
        if (path.isEmpty())
            saved = false;
        else
            app.activeWorkbookSaveAs(path);
    }
    app.quit();
    form.Label15->setText(saved ? QStringLiteral("График платежей сохранен в файле")
                                : QStringLiteral("График платежей не сохранен"));
}

} // namespace orvel
