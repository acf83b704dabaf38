#include "rates/RateChecks.h"

#include "calc/Numbers.h"
#include "calc/OrvelError.h"

namespace orvel {

namespace {

QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }
QString shownPeriod(const QDate &from, const QDate &to) { return shownDate(from) + QStringLiteral(" – ") + shownDate(to); }

// How a row is named in a message: its code, else its name, else its place.
QString rowName(const TCurrencyData &row, std::size_t index)
{
    if (!row.CharCode.isEmpty())
        return row.CharCode;
    if (!row.Name.isEmpty())
        return row.Name;
    return QStringLiteral("в строке %1").arg(index);
}

void checkRow(const TCurrencyData &row, std::size_t index, const QDate &date)
{
    const auto fail = [&](const QString &what) {
        return OrvelError(QStringLiteral("Курсы ЦБ РФ от %1: ").arg(shownDate(date)) + what);
    };
    if (row.Nominal < 1)
        throw fail(QStringLiteral("номинал %1 равен %2").arg(rowName(row, index)).arg(row.Nominal));
    if (!(row.Value > 0))
        throw fail(QStringLiteral("курс %1 равен %2").arg(rowName(row, index), showAmount(row.Value)));
    // Both are positive and the nominal is a whole number: the quotient is exact enough to compare.
    const ext perUnit = static_cast<ext>(row.Value) / static_cast<ext>(row.Nominal);
    if (perUnit > kMaxRatePerUnit)
        throw fail(QStringLiteral("курс %1 слишком велик (%2 руб. за единицу)").arg(rowName(row, index), showAmount(perUnit)));
}

} // namespace

void checkDatedRates(const RateSnapshot &rates, const QDate &requested)
{
    if (!rates.date.isValid() || rates.date > requested || rates.date.daysTo(requested) > kMaxRateAgeDays)
        throw OrvelError(QStringLiteral("Сервер ЦБ РФ прислал курсы на %1 вместо курсов на %2")
                             .arg(shownDate(rates.date), shownDate(requested)));
    // Row 0 is the rouble row the reader puts first.
    for (std::size_t i = 1; i < rates.table.size(); ++i)
        checkRow(rates.table[i], i, rates.date);
}

void checkRateHistory(const RateHistory &history, const QString &id, const QDate &from, const QDate &to)
{
    if (history.id != id) {
        const QString sent = history.id.isEmpty() ? QStringLiteral("динамику без кода валюты")
                                                  : QStringLiteral("динамику валюты ") + history.id;
        throw OrvelError(QStringLiteral("Сервер ЦБ РФ прислал %1 вместо %2").arg(sent, id));
    }
    for (const RateRecord &r : history.records)
        if (r.date < from || r.date > to)
            throw OrvelError(QStringLiteral("Сервер ЦБ РФ прислал курс на %1 вне периода %2")
                                 .arg(shownDate(r.date), shownPeriod(from, to)));
    if (!history.records.empty())
        return;
    // Nothing in the period: only the document's own period says it is the
    // answer for this one.
    if (!history.from.isValid() || !history.to.isValid())
        throw OrvelError(QStringLiteral("Сервер ЦБ РФ прислал динамику без периода вместо %1").arg(shownPeriod(from, to)));
    if (history.from != from || history.to != to)
        throw OrvelError(QStringLiteral("Сервер ЦБ РФ прислал динамику за %1 вместо %2")
                             .arg(shownPeriod(history.from, history.to), shownPeriod(from, to)));
}

} // namespace orvel
