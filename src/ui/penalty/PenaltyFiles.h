#pragma once
// A penalty calculation as a document of the export machinery
// (ui/export/Export.h), saved as .xlsx, .csv or .pdf and printed from it.
#include "ui/export/ExportDocument.h"
#include "ui/penalty/PenaltyReport.h"

#include <QLocale>

namespace orvel {

// The title (the kind), the inputs (the kind, the last day, the moratorium
// for art. 395, where the key rate came from; the debts and payments, as
// lines on paper and as lists in a workbook and a CSV text), the chart that
// `chart` draws on paper, the rows with their formulas and the totals row,
// the totals per debt when there are several, and the totals under them. A
// CSV text holds all of it but the chart.
ExportDocument penaltyDocument(const PenaltyReport &report, const QLocale &locale = QLocale(), ChartPainter chart = {});

} // namespace orvel
