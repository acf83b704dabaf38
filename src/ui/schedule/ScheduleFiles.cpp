#include "ui/schedule/ScheduleFiles.h"

#include "ui/export/Export.h"

namespace orvel {

namespace {

// The loan's terms: lines on paper, typed cells in a workbook, where the
// early repayments are a list under their titles.
std::vector<ExportInput> scheduleInputs(const ScheduleReport &report, const QLocale &locale)
{
    const LoanTerms &t = report.terms;
    const LoanSchedule &s = report.schedule;
    std::vector<ExportInput> inputs{
        {QStringLiteral("Сумма кредита"), {Kopecks{s.rows.empty() ? 0 : s.rows.front().debtBefore}}},
        {QStringLiteral("Процентная ставка"), {t.rate}, QStringLiteral("%")},
        {QStringLiteral("Срок кредита"), {std::int64_t(t.months)}, QStringLiteral("мес.")},
        {QStringLiteral("Платежи"), {repaymentKindText(t.kind)}},
    };
    if (t.early.empty())
        return inputs;
    // On paper the lines the window shows after the four above.
    const QStringList lines = scheduleInputLines(report, locale);
    for (qsizetype i = qsizetype(inputs.size()); i < lines.size(); ++i)
        inputs.push_back({lines[i], {}, {}, ExportInput::OnPaper});
    inputs.push_back({QStringLiteral("Досрочные погашения"),
                      {QStringLiteral("Месяц"), QStringLiteral("Сумма"), QStringLiteral("Способ")},
                      {},
                      ExportInput::InWorkbook,
                      true});
    for (std::size_t i = 0; i < t.early.size(); ++i) {
        ExportInput row{QString::number(i + 1),
                        {std::int64_t(t.early[i].month), Kopecks{t.early[i].kopecks}, earlyModeText(t.early[i].mode)},
                        {},
                        ExportInput::InWorkbook};
        const QString state = earlyStateText(report, i, locale);
        if (!state.isEmpty())
            row.values.push_back(state);
        inputs.push_back(std::move(row));
    }
    return inputs;
}

// The months, the early repayments' months marked, and the sums of the
// money paid.
ExportTable scheduleTable(const LoanSchedule &schedule)
{
    ExportTable table;
    for (int c = 0; c < ColCount; ++c) {
        std::int64_t unused = 0;
        const bool summed = scheduleTotal(ScheduleTotals{}, c, &unused);
        table.columns.push_back({scheduleColumnTitle(c), c == ColMonth ? ColumnKind::Integer : ColumnKind::Money,
                                 summed, c == ColEarly});
    }
    table.rows.reserve(schedule.rows.size());
    for (const ScheduleRow &r : schedule.rows) {
        ExportRow row{{}, r.early > 0};
        row.cells.reserve(ColCount);
        row.cells.push_back(std::int64_t(r.month));
        for (int c = 1; c < ColCount; ++c)
            row.cells.push_back(Kopecks{scheduleFigure(r, c)});
        table.rows.push_back(std::move(row));
    }
    const ScheduleTotals totals = scheduleTotals(schedule);
    table.totals.push_back(totalsTitle());
    for (int c = 1; c < ColCount; ++c) {
        std::int64_t figure = 0;
        table.totals.push_back(scheduleTotal(totals, c, &figure) ? ExportCell(Kopecks{figure}) : ExportCell());
    }
    return table;
}

} // namespace

ExportDocument scheduleDocument(const ScheduleReport &report, const QLocale &locale, ChartPainter chart)
{
    ExportDocument d;
    d.title = QStringLiteral("График платежей по кредиту");
    d.name = QStringLiteral("График платежей");
    d.inputs = scheduleInputs(report, locale);
    d.tables.push_back(scheduleTable(report.schedule));
    d.notes = scheduleSummaryLines(report, locale);
    d.chart = std::move(chart);
    // Qt's stacked columns carry the debt on a second axis; a workbook's
    // charts cannot, so the debt has a chart of its own.
    d.workbookCharts.push_back({WorkbookChart::StackedColumns,
                                QStringLiteral("Платежи по месяцам"),
                                0,
                                ColMonth,
                                QStringLiteral("Месяц"),
                                {{ColPrincipal, QColor(0x4678B4)}, {ColInterest, QColor(0xE8903A)}}});
    d.workbookCharts.push_back(
        {WorkbookChart::Line, QStringLiteral("Остаток долга"), 0, ColMonth, QStringLiteral("Месяц"), {{ColDebtAfter}}});
    return d;
}

QByteArray scheduleCsv(const ScheduleReport &report) { return documentCsv(scheduleDocument(report)); }

QByteArray scheduleXlsx(const ScheduleReport &report) { return documentXlsx(scheduleDocument(report)); }

QByteArray schedulePdf(const ScheduleReport &report, const QLocale &locale, const ChartPainter &chart)
{
    return documentPdf(scheduleDocument(report, locale, chart), locale);
}

} // namespace orvel
