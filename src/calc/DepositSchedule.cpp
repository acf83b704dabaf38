#include "calc/DepositSchedule.h"

#include "calc/Checked.h"
#include "calc/OrvelError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel {

namespace {

using Wide = __int128;

OrvelError overflowError() { return OrvelError(QString::fromLatin1(kOverflow)); }

std::int64_t checkedAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw overflowError();
    return r;
}

QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

// Interest summed exactly. The day's interest B × rate / 100 / Y equals
// rate × B × (133 590 / Y) / 13 359 000, where 133 590 = 365 × 366, so
// 133 590 / Y is 366 for a 365-day year and 365 for a leap year. The weight
// W of a run of days is the sum of B × (133 590 / Y) over its days, a whole
// number; for n days of one balance and one Y it is B × n × (133 590 / Y),
// the same as adding the days one by one. The rate, a double, is exactly
// m × 2^e, so rate × W / 13 359 000 is an exact fraction, and it is rounded
// once to the nearest kopeck, ties to even: the sum of the days' interest
// with no rounding on the way.
constexpr Wide kDayDenominator = 13'359'000; // 100 × 365 × 366

Wide dayWeight(const QDate &day) { return QDate::isLeapYear(day.year()) ? 365 : 366; }

class ExactRate {
public:
    explicit ExactRate(double rate)
    {
        int e = 0;
        const double f = std::frexp(rate, &e); // rate = f × 2^e, 0.5 <= f < 1
        std::int64_t m = std::int64_t(std::ldexp(f, 53));
        e -= 53;
        while (m != 0 && (m & 1) == 0) {
            m >>= 1;
            ++e;
        }
        m_mantissa = m;
        m_exponent = e;
    }

    // rate × weight / 13 359 000, to the nearest kopeck, ties to even.
    std::int64_t kopecks(Wide weight) const
    {
        if (m_mantissa == 0 || weight == 0)
            return 0;
        Wide n;
        if (__builtin_mul_overflow(weight, m_mantissa, &n))
            throw overflowError();
        int shift = 0; // the value is (n / kDayDenominator) / 2^shift
        if (m_exponent >= 0) {
            if (m_exponent > 62 || n > (std::numeric_limits<Wide>::max() >> m_exponent))
                throw overflowError();
            n <<= m_exponent;
        } else {
            shift = -m_exponent;
        }
        const Wide q = n / kDayDenominator, r = n % kDayDenominator;
        Wide whole;
        bool up;
        if (shift == 0) {
            whole = q;
            up = 2 * r > kDayDenominator || (2 * r == kDayDenominator && (q & 1));
        } else if (shift >= 120) {
            return 0; // q < 2^104: less than half a kopeck
        } else {
            // The bits of q below the point, against one half.
            whole = q >> shift;
            const Wide low = q & ((Wide(1) << shift) - 1), half = Wide(1) << (shift - 1);
            up = low > half || (low == half && (r > 0 || (whole & 1)));
        }
        whole += up ? 1 : 0;
        if (whole > std::numeric_limits<std::int64_t>::max())
            throw overflowError();
        return std::int64_t(whole);
    }

private:
    Wide m_mantissa = 0;
    int m_exponent = 0;
};

// The weight of the days after `after` up to `last` inclusive, all on
// `balance`, split where the year changes.
Wide runWeight(std::int64_t balance, const QDate &after, const QDate &last)
{
    Wide w = 0;
    QDate from = after; // the day before the next part
    while (from < last) {
        const QDate first = from.addDays(1);
        const QDate to = std::min(QDate(first.year(), 12, 31), last);
        w += Wide(balance) * (from.daysTo(to)) * dayWeight(first);
        from = to;
    }
    return w;
}

OrvelError flowError(std::size_t number, const char *what)
{
    return OrvelError(QStringLiteral("Пополнение или снятие %1: %2").arg(number).arg(QString::fromUtf8(what)));
}

void checkTerms(const DepositTerms &t)
{
    if (!(t.amount > 0 && t.amount <= kMaxDepositKopecks))
        throw OrvelError(QStringLiteral("Сумма вклада должна быть больше 0 и не больше 100 млрд"));
    if (!(std::isfinite(t.rate) && t.rate >= 0 && t.rate <= 100))
        throw OrvelError(QStringLiteral("Процентная ставка должна быть от 0 до 100"));
    if (!t.opened.isValid())
        throw OrvelError(QStringLiteral("Укажите дату открытия вклада"));
    if (!t.closes.isValid() || t.closes <= t.opened)
        throw OrvelError(QStringLiteral("Дата закрытия вклада должна быть позже даты открытия"));
    if (t.closes > t.opened.addYears(kMaxDepositYears))
        throw OrvelError(QStringLiteral("Срок вклада должен быть не больше %1 лет").arg(kMaxDepositYears));
    if (!(t.minimumBalance >= 0 && t.minimumBalance <= t.amount))
        throw OrvelError(QStringLiteral("Неснижаемый остаток должен быть от 0 до суммы вклада"));
    if (!(t.otherInterestPerYear >= 0 && t.otherInterestPerYear <= kMaxDepositKopecks))
        throw OrvelError(QStringLiteral("Проценты по другим вкладам должны быть от 0 до 100 млрд"));
    for (std::size_t i = 0; i < t.flows.size(); ++i) {
        const DepositFlow &f = t.flows[i];
        if (!f.date.isValid() || f.date <= t.opened || f.date >= t.closes)
            throw flowError(i + 1, "дата должна быть позже открытия и раньше закрытия вклада");
        if (f.kopecks == 0 || f.kopecks < -kMaxDepositKopecks || f.kopecks > kMaxDepositKopecks)
            throw flowError(i + 1, "сумма не должна быть 0 и больше 100 млрд");
    }
}

// opened.addMonths(k × step) for k = 1, 2, ... while before `closes`.
std::vector<QDate> monthSteps(const QDate &opened, const QDate &closes, int step)
{
    std::vector<QDate> out;
    const int most = 12 * kMaxDepositYears + 1; // later dates are refused as a term anyway
    for (int k = 1; k <= most; ++k) {
        const QDate d = opened.addMonths(k * step);
        if (d >= closes)
            break;
        out.push_back(d);
    }
    return out;
}

std::vector<QDate> creditDates(const DepositTerms &t)
{
    std::vector<QDate> out;
    switch (t.capitalization) {
    case Capitalization::Daily:
        out.reserve(std::size_t(t.opened.daysTo(t.closes)));
        for (QDate d = t.opened.addDays(1); d < t.closes; d = d.addDays(1))
            out.push_back(d);
        break;
    case Capitalization::Monthly:
        out = monthSteps(t.opened, t.closes, 1);
        break;
    case Capitalization::Quarterly:
        out = monthSteps(t.opened, t.closes, 3);
        break;
    case Capitalization::Yearly:
        out = monthSteps(t.opened, t.closes, 12);
        break;
    case Capitalization::None:
        if (t.payout == Payout::Monthly)
            out = monthSteps(t.opened, t.closes, 1);
        break;
    }
    out.push_back(t.closes);
    return out;
}

// Walks the events in date order and fills the rows and the totals.
class Builder {
public:
    Builder(const DepositTerms &terms, DepositResult &out) : m_terms(terms), m_out(out), m_rate(terms.rate) {}

    // The interest credited in each calendar year with a credit date.
    std::vector<std::pair<int, std::int64_t>> run()
    {
        const std::vector<QDate> credits = creditDates(m_terms);
        std::vector<std::size_t> order(m_terms.flows.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            return m_terms.flows[a].date < m_terms.flows[b].date;
        });

        m_balance = m_terms.amount;
        m_out.rows.reserve(credits.size() + order.size());
        QDate previous = m_terms.opened;
        std::size_t c = 0, f = 0;
        while (c < credits.size()) {
            const QDate day = f < order.size() ? std::min(credits[c], m_terms.flows[order[f]].date) : credits[c];
            DepositRow row{};
            row.from = previous.addDays(1);
            row.to = day;
            row.days = int(previous.daysTo(day));
            row.balance = m_balance;
            const Wide w = runWeight(m_balance, previous, day);
            m_weight += w;
            row.accrued = m_rate.kopecks(w);
            if (credits[c] == day) {
                credit(day, row);
                ++c;
            }
            for (; f < order.size() && m_terms.flows[order[f]].date == day; ++f)
                applyFlow(order[f], row);
            row.balanceAfter = m_balance;
            m_out.rows.push_back(row);
            previous = day;
        }
        m_out.finalBalance = m_balance;
        return std::move(m_years);
    }

private:
    void credit(const QDate &day, DepositRow &row)
    {
        const std::int64_t k = m_rate.kopecks(m_weight);
        m_weight = 0;
        if (m_terms.capitalization == Capitalization::None) {
            row.paidOut = k;
            m_out.paidOut = checkedAdd(m_out.paidOut, k);
        } else {
            row.capitalized = k;
            m_balance = checkedAdd(m_balance, k);
        }
        m_out.totalInterest = checkedAdd(m_out.totalInterest, k);
        if (m_years.empty() || m_years.back().first != day.year())
            m_years.emplace_back(day.year(), 0);
        m_years.back().second = checkedAdd(m_years.back().second, k);
    }

    void applyFlow(std::size_t index, DepositRow &row)
    {
        const DepositFlow &f = m_terms.flows[index];
        const std::int64_t after = checkedAdd(m_balance, f.kopecks);
        if (f.kopecks < 0 && after < m_terms.minimumBalance)
            throw OrvelError(QStringLiteral("Снятие %1 (%2): остаток станет меньше неснижаемого")
                                 .arg(index + 1)
                                 .arg(shownDate(f.date)));
        m_balance = after;
        row.flow = checkedAdd(row.flow, f.kopecks);
        if (f.kopecks > 0)
            m_out.topUps = checkedAdd(m_out.topUps, f.kopecks);
        else
            m_out.withdrawals = checkedAdd(m_out.withdrawals, -f.kopecks);
    }

    const DepositTerms &m_terms;
    DepositResult &m_out;
    const ExactRate m_rate;
    std::int64_t m_balance = 0;
    Wide m_weight = 0; // since the last credit
    std::vector<std::pair<int, std::int64_t>> m_years;
};

} // namespace

DepositResult depositSchedule(const DepositTerms &terms, const KeyRateHistory &keyRate)
{
    checkTerms(terms);
    DepositResult out{};
    for (const auto &[year, interest] : Builder(terms, out).run()) {
        out.years.push_back(depositTaxYear(year, interest, terms.otherInterestPerYear, keyRate));
        out.totalTax = checkedAdd(out.totalTax, out.years.back().tax);
    }
    out.netIncome = out.totalInterest - out.totalTax;
    out.effectiveRateShown = terms.flows.empty();
    if (out.effectiveRateShown) {
        // Extended precision, in this order, stored.
        const X days = ext(terms.opened.daysTo(terms.closes));
        out.effectiveRate = (X(ext(out.totalInterest)) / ext(terms.amount) * 365.0L / days * 100.0L).stored();
    }
    return out;
}

std::vector<DepositFlow> monthlyTopUps(const QDate &opened, const QDate &closes, std::int64_t kopecks)
{
    if (!(kopecks > 0 && kopecks <= kMaxDepositKopecks))
        throw OrvelError(QStringLiteral("Ежемесячное пополнение должно быть больше 0 и не больше 100 млрд"));
    std::vector<DepositFlow> out;
    if (!opened.isValid() || !closes.isValid())
        return out;
    for (const QDate &d : monthSteps(opened, closes, 1))
        out.push_back({d, kopecks});
    return out;
}

} // namespace orvel
