#pragma once
// The payment schedule as a document of the export machinery
// (ui/export/Export.h), and its files: a workbook (.xlsx), a CSV text and a
// PDF, with no office involved.
#include "calc/ScheduleReport.h"
#include "ui/export/ExportDocument.h"

#include <QByteArray>
#include <QLocale>

namespace orvel {

// The title, the inputs (in a workbook the early repayments as a list of
// their own), the months with the totals row, the summary; for a workbook a
// stacked column chart of principal and interest and a line chart of the
// debt left; on paper the chart that `chart` draws.
ExportDocument scheduleDocument(const ScheduleReport &report, const QLocale &locale = QLocale(),
                                ChartPainter chart = {});

// The header, one line per month and the totals line.
QByteArray scheduleCsv(const ScheduleReport &report);
// Throws OrvelError when the workbook cannot be made.
QByteArray scheduleXlsx(const ScheduleReport &report);
// Throws OrvelError when the pages cannot be painted.
QByteArray schedulePdf(const ScheduleReport &report, const QLocale &locale, const ChartPainter &chart);

} // namespace orvel
