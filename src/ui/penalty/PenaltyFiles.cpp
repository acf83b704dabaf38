#include "ui/penalty/PenaltyFiles.h"

#include "calc/ScheduleReport.h"

#include <algorithm>

namespace orvel {

namespace {

QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

// The debts and payments: a line each on paper; a list under its titles in a
// workbook and a CSV text.
void entryInputs(const PenaltyReport &report, const QLocale &locale, std::vector<ExportInput> &inputs)
{
    const PenaltyTerms &t = report.terms;
    for (std::size_t i = 0; i < t.debts.size(); ++i)
        inputs.push_back({QStringLiteral("Долг %1").arg(report.debtNumbers[i]),
                          {moneyText(t.debts[i].kopecks, locale) + QStringLiteral(" ₽, срок уплаты ")
                           + shownDate(t.debts[i].due)},
                          {},
                          ExportInput::OnPaper});
    for (std::size_t i = 0; i < t.payments.size(); ++i)
        inputs.push_back({QStringLiteral("Платеж %1").arg(report.paymentNumbers[i]),
                          {moneyText(t.payments[i].kopecks, locale) + QStringLiteral(" ₽ от ")
                           + shownDate(t.payments[i].date)},
                          {},
                          ExportInput::OnPaper});
    inputs.push_back({QStringLiteral("Долги"), {QStringLiteral("Сумма"), QStringLiteral("Срок уплаты")}, {},
                      ExportInput::InWorkbook, true});
    for (std::size_t i = 0; i < t.debts.size(); ++i)
        inputs.push_back({QString::number(report.debtNumbers[i]),
                          {Kopecks{t.debts[i].kopecks}, t.debts[i].due},
                          {},
                          ExportInput::InWorkbook});
    if (t.payments.empty())
        return;
    inputs.push_back({QStringLiteral("Платежи"), {QStringLiteral("Сумма"), QStringLiteral("Дата")}, {},
                      ExportInput::InWorkbook, true});
    for (std::size_t i = 0; i < t.payments.size(); ++i)
        inputs.push_back({QString::number(report.paymentNumbers[i]),
                          {Kopecks{t.payments[i].kopecks}, t.payments[i].date},
                          {},
                          ExportInput::InWorkbook});
}

std::vector<ExportInput> penaltyInputs(const PenaltyReport &report, const QLocale &locale)
{
    const PenaltyTerms &t = report.terms;
    // On paper the title names the kind.
    std::vector<ExportInput> inputs{{QStringLiteral("Расчет"), {penaltyKindText(t.kind)}, {}, ExportInput::InWorkbook},
                                    {QStringLiteral("Рассчитать по"), {t.until}}};
    if (t.kind == PenaltyKind::CivilCode395)
        inputs.push_back({QStringLiteral("Мораторий 2022 года"),
                          {t.moratorium2022 ? QStringLiteral("учтен") : QStringLiteral("не учтен")}});
    inputs.push_back({report.keyRateSource});
    entryInputs(report, locale, inputs);
    return inputs;
}

// The rows, the cap row marked, and the sum of the amounts. On paper the
// figures get the room of their widest texts (a digit more for the bold
// totals row) and the formula the rest.
ExportTable rowsTable(const PenaltyReport &report, const QLocale &locale)
{
    ExportTable table;
    static const ColumnKind kinds[PenColCount] = {ColumnKind::Integer, ColumnKind::Date,    ColumnKind::Date,
                                                  ColumnKind::Integer, ColumnKind::Money,   ColumnKind::Percent,
                                                  ColumnKind::Text,    ColumnKind::Formula, ColumnKind::Money};
    std::int64_t widestBase = 0;
    for (const PenaltyRow &r : report.result.rows)
        widestBase = std::max(widestBase, r.base);
    const QString date = QStringLiteral("00.00.0000");
    const QString samples[PenColCount] = {QString(), date, date, QString(), moneyText(widestBase, locale) + QLatin1Char('0'),
                                          QStringLiteral("00,00 %"), QStringLiteral("1/3000"), QString(),
                                          moneyText(report.result.total, locale) + QLatin1Char('0')};
    for (int c = 0; c < PenColCount; ++c)
        table.columns.push_back({penaltyColumnTitle(c, report.terms.kind), kinds[c], c == PenColAmount, false, samples[c]});
    table.rows.reserve(report.result.rows.size());
    for (std::size_t i = 0; i < report.result.rows.size(); ++i) {
        ExportRow row{{}, penaltyCapRow(report, i)};
        for (int c = 0; c < PenColCount; ++c)
            row.cells.push_back(penaltyCell(report, i, c));
        table.rows.push_back(std::move(row));
    }
    table.totals.assign(PenColCount, ExportCell());
    table.totals[PenColDebt] = QStringLiteral("Итого");
    table.totals[PenColAmount] = Kopecks{report.result.total};
    return table;
}

// One row per debt: its amount, due day and what accrued on it.
ExportTable debtsTable(const PenaltyReport &report)
{
    ExportTable table;
    table.title = QStringLiteral("По долгам");
    table.columns = {{QStringLiteral("Долг"), ColumnKind::Integer},
                     {QStringLiteral("Сумма долга"), ColumnKind::Money},
                     {QStringLiteral("Срок уплаты"), ColumnKind::Date},
                     {penaltyWord(report.terms.kind), ColumnKind::Money, true}};
    const PenaltyTerms &t = report.terms;
    for (std::size_t i = 0; i < t.debts.size(); ++i)
        table.rows.push_back({{std::int64_t(report.debtNumbers[i]), Kopecks{t.debts[i].kopecks}, t.debts[i].due,
                               Kopecks{report.result.perDebt[i]}}});
    table.totals = {QStringLiteral("Итого"), ExportCell(), ExportCell(), Kopecks{report.result.total}};
    return table;
}

} // namespace

ExportDocument penaltyDocument(const PenaltyReport &report, const QLocale &locale, ChartPainter chart)
{
    ExportDocument d;
    d.title = penaltyKindText(report.terms.kind);
    d.name = penaltyWord(report.terms.kind);
    d.inputs = penaltyInputs(report, locale);
    d.tables.push_back(rowsTable(report, locale));
    if (report.terms.debts.size() > 1)
        d.tables.push_back(debtsTable(report));
    d.notes = penaltyTotalLines(report, locale);
    d.chart = std::move(chart);
    d.csvWhole = true;
    return d;
}

} // namespace orvel
