#include "ui/main/ScheduleExport.h"

#include "office/Spreadsheet.h"
#include "ui/FileDialogs.h"
#include "ui/main/TForm1.h"
#include "ui/Maker.h"

#include <QCoreApplication>
#include <QLabel>

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

} // namespace

void exportSchedule(TForm1 &form, const LoanScheduleFields &loan)
{
    keepScheduleApp(createSpreadsheetApp(QString::fromLatin1(kExcelProgId)));
    SpreadsheetApp &app = *scheduleApp;
    app.workbooksAdd();
    fillLoanScheduleSheet(app, loan, makerSiteUrl());

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
