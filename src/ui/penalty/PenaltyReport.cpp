#include "ui/penalty/PenaltyReport.h"

#include "calc/ScheduleReport.h"

namespace orvel {

namespace {
QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }
} // namespace

QString penaltyKindText(PenaltyKind kind)
{
    switch (kind) {
    case PenaltyKind::TaxPerson: return QStringLiteral("Пени по налогу: физическое лицо");
    case PenaltyKind::TaxOrganisation: return QStringLiteral("Пени по налогу: организация");
    case PenaltyKind::CivilCode395: return QStringLiteral("Проценты по ст. 395 ГК РФ");
    }
    return QString();
}

QString penaltyWord(PenaltyKind kind)
{
    return kind == PenaltyKind::CivilCode395 ? QStringLiteral("Проценты") : QStringLiteral("Пени");
}

QString penaltyColumnTitle(int column, PenaltyKind kind)
{
    switch (column) {
    case PenColDebt: return QStringLiteral("Долг");
    case PenColFrom: return QStringLiteral("С");
    case PenColTo: return QStringLiteral("По");
    case PenColDays: return QStringLiteral("Дней");
    case PenColBase: return QStringLiteral("Остаток долга");
    case PenColRate: return QStringLiteral("Ставка");
    case PenColShare: return QStringLiteral("Доля");
    case PenColFormula: return QStringLiteral("Формула");
    case PenColAmount: return penaltyWord(kind);
    default: return QString();
    }
}

QString penaltyShareText(int denominator)
{
    return denominator > 0 ? QStringLiteral("1/%1").arg(denominator) : QString();
}

ExportCell penaltyCell(const PenaltyReport &report, std::size_t row, int column)
{
    const PenaltyRow &r = report.result.rows.at(row);
    switch (column) {
    case PenColDebt: return std::int64_t(report.debtNumbers.at(std::size_t(r.debt)));
    case PenColFrom: return r.from;
    case PenColTo: return r.to;
    case PenColDays: return std::int64_t(r.days);
    case PenColBase: return Kopecks{r.base};
    case PenColRate: return Percent{r.rate};
    case PenColShare: return penaltyShareText(r.shareDenominator);
    case PenColFormula: return r.formula;
    case PenColAmount: return Kopecks{r.amount};
    default: return {};
    }
}

bool penaltyCapRow(const PenaltyReport &report, std::size_t row)
{
    const std::vector<PenaltyRow> &rows = report.result.rows;
    if (row >= rows.size() || !penaltylaw::cappedByDebt(report.terms.kind))
        return false;
    const std::size_t debt = std::size_t(rows[row].debt);
    const bool lastOfDebt = row + 1 == rows.size() || rows[row + 1].debt != rows[row].debt;
    return lastOfDebt && report.result.perDebt.at(debt) == report.terms.debts.at(debt).kopecks;
}

QString penaltyDebtNote(const PenaltyReport &report, std::size_t debt, const QLocale &locale)
{
    const Debt &d = report.terms.debts.at(debt);
    if (d.due >= report.terms.until)
        return QStringLiteral("просрочки нет: срок уплаты не раньше даты расчета");
    const std::int64_t accrued = report.result.perDebt.at(debt);
    QString note = penaltyWord(report.terms.kind).toLower() + QStringLiteral(": ") + moneyText(accrued, locale);
    if (penaltylaw::cappedByDebt(report.terms.kind) && accrued == d.kopecks)
        note += QStringLiteral(" — достигли суммы долга");
    return note;
}

QStringList penaltyTotalLines(const PenaltyReport &report, const QLocale &locale)
{
    const PenaltyResult &r = report.result;
    QStringList lines{penaltyWord(report.terms.kind) + QStringLiteral(" всего: ") + moneyText(r.total, locale)
                          + QStringLiteral(" ₽"),
                      QStringLiteral("Остаток долга на %1: ").arg(shownDate(report.terms.until))
                          + moneyText(r.unpaid, locale) + QStringLiteral(" ₽")};
    if (r.overpaid > 0)
        lines << QStringLiteral("Оплачено сверх долга: ") + moneyText(r.overpaid, locale) + QStringLiteral(" ₽");
    return lines;
}

} // namespace orvel
