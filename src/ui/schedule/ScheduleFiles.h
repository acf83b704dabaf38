#pragma once
// The payment schedule as files: a workbook (.xlsx, written by libxlsxwriter),
// a CSV text and a paged document (PDF or a printer), with no office
// involved. Each writer gives the file's bytes; saveFileAtomically() stores
// them.
#include "calc/ScheduleReport.h"

#include <QByteArray>
#include <QLocale>
#include <QRectF>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;

namespace orvel {

// UTF-8 with a byte-order mark, ";" between fields, decimal commas, CRLF
// line ends: the header, one line per month and the totals line. A Russian
// spreadsheet opens it as it is.
QByteArray scheduleCsv(const ScheduleReport &report);

// One sheet: the inputs, the table with numbers in a two-decimal format, a
// totals row of SUM formulas (with their values), a stacked column chart of
// principal and interest and a line chart of the debt left. Throws OrvelError
// when the workbook cannot be made.
QByteArray scheduleXlsx(const ScheduleReport &report);

// Draws a chart into a rectangle of a page.
using ChartPainter = std::function<void(QPainter &painter, const QRectF &target)>;

// The document on A4 pages: the title, the inputs, the chart, the table over
// as many pages as it needs with its header on each, the totals row, the
// summary, and page numbers. Throws OrvelError when the device cannot be
// painted on (a printer that fails to start).
void paintScheduleDocument(QPagedPaintDevice &device, const ScheduleReport &report, const QLocale &locale,
                           const ChartPainter &chart);
QByteArray schedulePdf(const ScheduleReport &report, const QLocale &locale, const ChartPainter &chart);

} // namespace orvel
