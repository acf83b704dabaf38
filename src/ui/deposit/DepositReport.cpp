#include "ui/deposit/DepositReport.h"

#include "calc/Numbers.h"
#include "calc/ScheduleReport.h"
#include "ui/deposit/DepositFields.h"

#include <algorithm>

namespace orvel {

namespace {

QString dateText(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

QString dash() { return QStringLiteral("—"); }

// a + b, or the usual overflow error.
std::int64_t sum(std::int64_t a, std::int64_t b)
{
    std::int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw OrvelError(QString::fromLatin1(kOverflow));
    return r;
}

ExportCell scheduleCell(const DepositRow &row, int column)
{
    switch (column) {
    case DepFrom: return row.from;
    case DepTo: return row.to;
    case DepDays: return std::int64_t(row.days);
    case DepBalance: return Kopecks{row.balance};
    case DepAccrued: return Kopecks{row.accrued};
    case DepCredited: return Kopecks{row.capitalized + row.paidOut}; // one of them is 0
    case DepFlow: return Kopecks{row.flow};
    case DepBalanceAfter: return Kopecks{row.balanceAfter};
    default: return {};
    }
}

ExportCell taxCell(const DepositYear &y, int column, const QDate &knownUntil)
{
    const bool taxed = y.status == DepositYear::Taxed;
    switch (column) {
    case TaxYear: return std::int64_t(y.year);
    case TaxInterest: return Kopecks{y.interest};
    case TaxOther: return Kopecks{y.other};
    case TaxKeyRate: return taxed ? ExportCell(Percent{y.keyRate}) : ExportCell(dash());
    case TaxAllowance: return taxed ? ExportCell(Kopecks{y.allowance}) : ExportCell(dash());
    case TaxTaxable: return taxed ? ExportCell(Kopecks{y.taxable}) : ExportCell(dash());
    case TaxAmount:
        // An exempt year owes nothing; a year under other rules is not reckoned here.
        return y.status == DepositYear::NotCounted ? ExportCell(dash()) : ExportCell(Kopecks{y.tax});
    case TaxNote: return depositYearNote(y, knownUntil);
    default: return {};
    }
}

QString termText(const DepositReport &r)
{
    return r.termInMonths ? QStringLiteral("%1 мес.").arg(r.term) : QStringLiteral("%1 дн.").arg(r.term);
}

QString flowKind(std::int64_t kopecks) { return kopecks > 0 ? QStringLiteral("Пополнение") : QStringLiteral("Снятие"); }

// The years whose allowance took the last known key rate: "2026 год", "2026–2027 годы".
QString assumedYears(const DepositResult &result)
{
    int first = 0, last = 0;
    for (const DepositYear &y : result.years)
        if (y.status == DepositYear::Taxed && y.keyRateAssumed) {
            if (first == 0)
                first = y.year;
            last = y.year;
        }
    if (first == 0)
        return QString();
    return first == last ? QStringLiteral("%1 год").arg(first) : QStringLiteral("%1–%2 годы").arg(first).arg(last);
}

std::vector<ExportInput> depositInputs(const DepositReport &r, const QLocale &locale)
{
    const DepositTerms &t = r.terms;
    std::vector<ExportInput> inputs{
        {QStringLiteral("Сумма вклада"), {Kopecks{t.amount}}},
        {QStringLiteral("Процентная ставка"), {t.rate}, QStringLiteral("%")},
        {QStringLiteral("Дата открытия"), {t.opened}},
        {QStringLiteral("Срок"), {termText(r)}},
        {QStringLiteral("Дата закрытия"), {t.closes}},
        {QStringLiteral("Проценты"), {depositModeText(t.capitalization, t.payout)}},
    };
    if (r.monthlyTopUp > 0)
        inputs.push_back({QStringLiteral("Ежемесячное пополнение"), {Kopecks{r.monthlyTopUp}}});
    if (t.minimumBalance > 0)
        inputs.push_back({QStringLiteral("Неснижаемый остаток"), {Kopecks{t.minimumBalance}}});
    inputs.push_back({QStringLiteral("Проценты по другим вкладам за год"), {Kopecks{t.otherInterestPerYear}}});
    if (t.flows.size() == r.topUpCount)
        return inputs;
    // On paper a line per flow; in a workbook a list under its titles.
    inputs.push_back({QStringLiteral("Пополнения и снятия"),
                      {QStringLiteral("Дата"), QStringLiteral("Сумма"), QStringLiteral("Вид")},
                      {},
                      ExportInput::InWorkbook,
                      true});
    for (std::size_t i = r.topUpCount; i < t.flows.size(); ++i) {
        const DepositFlow &f = t.flows[i];
        const QString number = QString::number(i - r.topUpCount + 1);
        inputs.push_back({flowKind(f.kopecks) + QLatin1Char(' ') + number,
                          {f.date, moneyText(f.kopecks < 0 ? -f.kopecks : f.kopecks, locale)},
                          {},
                          ExportInput::OnPaper});
        inputs.push_back({number,
                          {f.date, Kopecks{f.kopecks < 0 ? -f.kopecks : f.kopecks}, flowKind(f.kopecks)},
                          {},
                          ExportInput::InWorkbook});
    }
    return inputs;
}

} // namespace

std::vector<std::pair<Capitalization, Payout>> depositModes()
{
    return {{Capitalization::None, Payout::AtEnd},      {Capitalization::None, Payout::Monthly},
            {Capitalization::Daily, Payout::AtEnd},     {Capitalization::Monthly, Payout::AtEnd},
            {Capitalization::Quarterly, Payout::AtEnd}, {Capitalization::Yearly, Payout::AtEnd}};
}

QString depositModeText(Capitalization capitalization, Payout payout)
{
    switch (capitalization) {
    case Capitalization::None:
        return payout == Payout::Monthly ? QStringLiteral("ежемесячная выплата") : QStringLiteral("в конце срока");
    case Capitalization::Daily: return QStringLiteral("ежедневно");
    case Capitalization::Monthly: return QStringLiteral("ежемесячно");
    case Capitalization::Quarterly: return QStringLiteral("ежеквартально");
    case Capitalization::Yearly: return QStringLiteral("ежегодно");
    }
    return QString();
}

ExportTable depositScheduleTable(const DepositReport &report, bool paper)
{
    const DepositResult &result = report.result;
    const bool paid = report.terms.capitalization == Capitalization::None;
    const std::vector<ExportColumn> columns{
        {QStringLiteral("С"), ColumnKind::Date},
        {QStringLiteral("По"), ColumnKind::Date},
        {QStringLiteral("Дней"), ColumnKind::Integer, true},
        {QStringLiteral("Остаток"), ColumnKind::Money},
        {QStringLiteral("Начислено"), ColumnKind::Money, true},
        // Civil Code art. 839 p.2: interest not paid out is "added to the deposit".
        {paid ? QStringLiteral("Выплачено") : QStringLiteral("Причислено к вкладу"), ColumnKind::Money, true, true},
        {QStringLiteral("Пополнение/снятие"), ColumnKind::Money, true, true},
        {QStringLiteral("Остаток после"), ColumnKind::Money},
    };
    // The days of the editor's flows, to mark their rows.
    std::vector<QDate> flowDays;
    for (std::size_t i = report.topUpCount; i < report.terms.flows.size(); ++i)
        flowDays.push_back(report.terms.flows[i].date);
    std::sort(flowDays.begin(), flowDays.end());

    ExportTable table;
    for (int c = 0; c < DepColumnCount; ++c)
        if (!(paper && c == DepAccrued))
            table.columns.push_back(columns[std::size_t(c)]);
    table.rows.reserve(result.rows.size());
    // Each sum is bounded by what the schedule has summed without overflow
    // (the interest, the top-ups and withdrawals); the accrued column is the
    // interest in rounded parts.
    std::int64_t days = 0, accrued = 0, credited = 0, flow = 0;
    for (const DepositRow &r : result.rows) {
        ExportRow row{{}, std::binary_search(flowDays.begin(), flowDays.end(), r.to)};
        row.cells.reserve(DepColumnCount);
        for (int c = 0; c < DepColumnCount; ++c)
            if (!(paper && c == DepAccrued))
                row.cells.push_back(scheduleCell(r, c));
        table.rows.push_back(std::move(row));
        days += r.days;
        accrued += r.accrued;
        credited += r.capitalized + r.paidOut;
        flow += r.flow;
    }
    table.totals = {totalsTitle(), {}, days, {}};
    if (!paper)
        table.totals.push_back(Kopecks{accrued});
    table.totals.insert(table.totals.end(), {Kopecks{credited}, Kopecks{flow}, {}});
    return table;
}

ExportTable depositTaxTable(const DepositResult &result, const QDate &keyRateKnownUntil, bool paper)
{
    const std::vector<ExportColumn> columns{
        {QStringLiteral("Год"), ColumnKind::Integer},
        {QStringLiteral("Проценты"), ColumnKind::Money, true},
        {QStringLiteral("Другие вклады"), ColumnKind::Money},
        {QStringLiteral("Ключевая ставка"), ColumnKind::Percent},
        {QStringLiteral("Не облагается"), ColumnKind::Money},
        {QStringLiteral("Облагается"), ColumnKind::Money},
        {QStringLiteral("Налог"), ColumnKind::Money, true},
        {QStringLiteral("Примечание"), ColumnKind::Text},
    };
    const auto shown = [paper](int column) { return !(paper && column == TaxOther); };
    ExportTable table;
    table.title = QStringLiteral("Налог на доход по вкладам");
    for (int c = 0; c < TaxColumnCount; ++c)
        if (shown(c))
            table.columns.push_back(columns[std::size_t(c)]);
    std::int64_t interest = 0;
    for (const DepositYear &y : result.years) {
        ExportRow row{{}, y.keyRateAssumed};
        for (int c = 0; c < TaxColumnCount; ++c)
            if (shown(c))
                row.cells.push_back(taxCell(y, c, keyRateKnownUntil));
        table.rows.push_back(std::move(row));
        interest += y.interest; // = result.totalInterest, summed without overflow
    }
    for (int c = 0; c < TaxColumnCount; ++c)
        if (shown(c))
            table.totals.push_back(c == TaxYear       ? ExportCell(totalsTitle())
                                   : c == TaxInterest ? ExportCell(Kopecks{interest})
                                   : c == TaxAmount   ? ExportCell(Kopecks{result.totalTax})
                                                      : ExportCell());
    return table;
}

QString depositYearNote(const DepositYear &year, const QDate &keyRateKnownUntil)
{
    switch (year.status) {
    // The years each status covers are the tax rules' own (DepositTax.cpp).
    case DepositYear::NotCounted: return QStringLiteral("не считается: в этом году действовали другие правила");
    case DepositYear::Exempt: return QStringLiteral("не облагается: проценты этого года освобождены от налога");
    case DepositYear::Taxed: break;
    }
    if (year.keyRateAssumed)
        return QStringLiteral("ставка принята по известной на %1").arg(dateText(keyRateKnownUntil));
    if (year.taxable == 0)
        return QStringLiteral("в пределах необлагаемой суммы");
    return QString();
}

QString depositHeadline(double amount, double rate, const QLocale &locale)
{
    const bool money = amount > 0 && amount <= double(kMaxDepositKopecks) / 100;
    const QString shown = money ? moneyText(depositKopecks(amount), locale)
                                : showAmount(amount, locale.decimalPoint());
    return QStringLiteral("Сумма вклада: %1    Процентная ставка: %2 %")
        .arg(shown, showAmount(rate, locale.decimalPoint()));
}

QStringList depositSummaryLines(const DepositReport &report, const QLocale &locale)
{
    const DepositTerms &t = report.terms;
    const DepositResult &r = report.result;
    const auto money = [&](std::int64_t k) { return moneyText(k, locale); };
    QStringList lines{QStringLiteral("Начислено процентов: ") + money(r.totalInterest),
                      QStringLiteral("Налог на доход: ") + money(r.totalTax),
                      QStringLiteral("Доход после налога: ") + money(r.netIncome)};
    // What came from the person, and what the bank gives back: the balance
    // at the close, the interest paid out and the withdrawals. The
    // difference of the two is the interest.
    lines << QStringLiteral("Внесено всего: ") + money(sum(t.amount, r.topUps));
    if (r.withdrawals > 0)
        lines << QStringLiteral("Снято: ") + money(r.withdrawals);
    if (r.paidOut > 0)
        lines << QStringLiteral("Выплачено процентов: ") + money(r.paidOut);
    lines << QStringLiteral("Остаток на %1: %2").arg(dateText(t.closes), money(r.finalBalance));
    lines << QStringLiteral("Получено всего: ") + money(sum(sum(r.finalBalance, r.paidOut), r.withdrawals));
    if (r.effectiveRateShown)
        lines << QStringLiteral("Эффективная ставка: %1 % годовых").arg(locale.toString(r.effectiveRate, 'f', 2));
    const QString assumed = assumedYears(r);
    if (!assumed.isEmpty()) {
        lines << QStringLiteral("Необлагаемая сумма за %1 посчитана по последней известной ключевой ставке")
                     .arg(assumed);
        if (!report.keyRateError.isEmpty())
            lines << QStringLiteral("Ключевая ставка известна по %1: %2")
                         .arg(dateText(report.keyRateKnownUntil), report.keyRateError);
    }
    return lines;
}

ExportDocument depositDocument(const DepositReport &report, bool paper, const QLocale &locale, ChartPainter chart)
{
    ExportDocument d;
    d.title = QStringLiteral("Расчет вклада");
    d.name = QStringLiteral("Расчет вклада");
    d.inputs = depositInputs(report, locale);
    d.tables.push_back(depositScheduleTable(report, paper));
    d.tables.push_back(depositTaxTable(report.result, report.keyRateKnownUntil, paper));
    d.notes = depositSummaryLines(report, locale);
    if (!report.keyRateStatus.isEmpty())
        d.notes << report.keyRateStatus;
    d.chart = std::move(chart);
    d.workbookCharts.push_back({WorkbookChart::Line,
                                QStringLiteral("Остаток вклада"),
                                0,
                                DepTo,
                                QStringLiteral("Дата"),
                                {{DepBalanceAfter, QColor(0x4678B4)}}});
    return d;
}

} // namespace orvel
