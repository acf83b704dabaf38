#include "calc/Penalty.h"

#include "calc/Checked.h"
#include "calc/OrvelError.h"
#include "calc/ScheduleReport.h"

#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>

namespace orvel {

namespace {

// Days as Julian day numbers: the walk compares and steps them as integers.
using Day = qint64;

Day dayOf(const QDate &d) { return d.toJulianDay(); }
QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

bool amountFits(std::int64_t kopecks) { return kopecks > 0 && kopecks <= kMaxPenaltyKopecks; }

void checkTerms(const PenaltyTerms &t)
{
    if (t.debts.empty())
        throw OrvelError(QStringLiteral("Нет ни одного долга"));
    if (t.debts.size() > kMaxPenaltyEntries)
        throw OrvelError(QStringLiteral("Долгов больше %1").arg(kMaxPenaltyEntries));
    if (t.payments.size() > kMaxPenaltyEntries)
        throw OrvelError(QStringLiteral("Платежей больше %1").arg(kMaxPenaltyEntries));
    if (!t.until.isValid())
        throw OrvelError(QStringLiteral("Неверная дата расчета"));
    QDate firstDelayDay;
    for (std::size_t i = 0; i < t.debts.size(); ++i) {
        const Debt &d = t.debts[i];
        if (!amountFits(d.kopecks))
            throw OrvelError(QStringLiteral("Долг %1: сумма должна быть больше 0 и не больше 100 млрд").arg(i + 1));
        if (!d.due.isValid())
            throw OrvelError(QStringLiteral("Долг %1: неверный срок уплаты").arg(i + 1));
        if (!firstDelayDay.isValid() || d.due.addDays(1) < firstDelayDay)
            firstDelayDay = d.due.addDays(1);
    }
    for (std::size_t i = 0; i < t.payments.size(); ++i) {
        const Payment &p = t.payments[i];
        if (!amountFits(p.kopecks))
            throw OrvelError(QStringLiteral("Платеж %1: сумма должна быть больше 0 и не больше 100 млрд").arg(i + 1));
        if (!p.date.isValid())
            throw OrvelError(QStringLiteral("Платеж %1: неверная дата").arg(i + 1));
        // It could change nothing up to `until`, and counting it in `overpaid`
        // or not would both mislead.
        if (p.date > t.until)
            throw OrvelError(QStringLiteral("Платеж %1: дата позже даты расчета %2").arg(i + 1).arg(shownDate(t.until)));
    }
    if (t.until < firstDelayDay)
        throw OrvelError(QStringLiteral("Дата расчета раньше первого дня просрочки %1").arg(shownDate(firstDelayDay)));
}

// From day `from` on, the debt owes `balance`.
struct BalanceChange {
    Day from;
    std::int64_t balance;
};

struct Allocation {
    std::vector<std::vector<BalanceChange>> changes; // per debt, in day order
    std::vector<std::int64_t> left;                  // per debt, after every payment
    std::int64_t overpaid = 0;
};

// Each payment, in day order (the order given within a day), repays the
// debts oldest due first (the order given within a due day); it counts from
// the day after it.
Allocation allocate(const PenaltyTerms &t)
{
    const std::size_t n = t.debts.size();
    std::vector<std::size_t> debtOrder(n), payOrder(t.payments.size());
    std::iota(debtOrder.begin(), debtOrder.end(), 0);
    std::iota(payOrder.begin(), payOrder.end(), 0);
    std::stable_sort(debtOrder.begin(), debtOrder.end(),
                     [&](std::size_t a, std::size_t b) { return t.debts[a].due < t.debts[b].due; });
    std::stable_sort(payOrder.begin(), payOrder.end(),
                     [&](std::size_t a, std::size_t b) { return t.payments[a].date < t.payments[b].date; });

    Allocation a;
    a.changes.resize(n);
    a.left.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        a.left[i] = t.debts[i].kopecks;
    std::size_t next = 0; // the oldest debt not yet repaid
    for (std::size_t p : payOrder) {
        std::int64_t money = t.payments[p].kopecks;
        const Day from = dayOf(t.payments[p].date) + 1;
        while (money > 0 && next < n) {
            const std::size_t d = debtOrder[next];
            const std::int64_t repaid = std::min(money, a.left[d]);
            a.left[d] -= repaid;
            money -= repaid;
            a.changes[d].push_back({from, a.left[d]});
            if (a.left[d] == 0)
                ++next;
        }
        a.overpaid += money; // at most kMaxPenaltyEntries * kMaxPenaltyKopecks: no overflow
    }
    return a;
}

// The key rate's steps as days, for the walk's boundaries and lookups.
struct RateDays {
    std::vector<Day> from;
    std::vector<double> rate;
};

RateDays rateDays(const KeyRateHistory &h)
{
    RateDays r;
    for (const KeyRateStep &s : h.steps) {
        r.from.push_back(dayOf(s.from));
        r.rate.push_back(s.rate);
    }
    return r;
}

// The days on which something a row depends on may change, for a debt
// whose delay runs from `first` to `last`: the rate, the debt's balance, the
// share (day 31 and 91 of the delay, the law's periods, a new year for the
// days of the year), the first day calculated and the first day the rate is
// not known. Sorted, each once, within (first, last + 1], last + 1 included.
std::vector<Day> boundaries(Day first, Day last, Day due, const std::vector<BalanceChange> &changes,
                            const RateDays &rates, const KeyRateHistory &h)
{
    namespace law = penaltylaw;
    std::vector<Day> b{last + 1,
                       due + law::kDaysAtShare + 1,
                       due + law::kLastRaisedDay + 1,
                       dayOf(law::kFirstDay),
                       dayOf(law::kFlatShareFrom),
                       dayOf(law::kFlatShareUntil) + 1,
                       dayOf(law::kThreeStagesFrom),
                       dayOf(law::kThreeStagesUntil) + 1,
                       dayOf(law::kMoratoriumFrom),
                       dayOf(law::kMoratoriumUntil) + 1};
    if (h.knownUntil.isValid())
        b.push_back(dayOf(h.knownUntil) + 1);
    b.insert(b.end(), rates.from.begin(), rates.from.end());
    for (const BalanceChange &c : changes)
        b.push_back(c.from);
    // New years only where a row may be: from 2016 to the first day the rate
    // is not known (a day beyond it that accrues is refused anyway).
    const Day horizon = h.knownUntil.isValid() ? std::min(last, dayOf(h.knownUntil) + 1) : first;
    const int firstYear = std::max(QDate::fromJulianDay(first).year() + 1, penaltylaw::kFirstDay.year());
    for (int y = firstYear; y <= QDate::fromJulianDay(horizon).year(); ++y)
        b.push_back(dayOf(QDate(y, 1, 1)));
    b.erase(std::remove_if(b.begin(), b.end(), [&](Day d) { return d <= first || d > last + 1; }), b.end());
    std::sort(b.begin(), b.end());
    b.erase(std::unique(b.begin(), b.end()), b.end());
    return b;
}

// The single rounding of a row. r is taken in hundredths of a percent (the
// bank's rates have two decimals), so base * r * days is a whole number,
// exact in extended precision below 2^64 (10^9 roubles at 25 % over 20 years
// stay well below). One extended division by 10 000 * denominator, then
// roundWhole: to the nearest kopeck, ties to even. For a quotient below
// 2.5 * 10^12 kopecks that is the rational base * r / 100 * days /
// denominator rounded once: the extended quotient cannot move across a
// half-kopeck the exact one does not reach.
std::int64_t rowAmount(std::int64_t base, std::int64_t rateHundredths, int days, int denominator)
{
    // Whole numbers of at most 10^13 kopecks, 10^4 hundredths (100 %, the
    // most the bank's answers are read with), some thousand days and 3.66 *
    // 10^6: neither the products nor the quotient can overflow or fault, so
    // they need no checks (roundWhole still refuses anything not finite).
    const ext product = ext(base) * ext(rateHundredths) * ext(days);
    return roundWhole(product / (10000.0L * denominator));
}

QString formulaText(const PenaltyRow &r, const QLocale &locale)
{
    return moneyText(r.base, locale) + QStringLiteral(" × ") + locale.toString(r.rate, 'f', 2)
           + QStringLiteral(" % × ") + QString::number(r.days) + QStringLiteral(" / ")
           + QString::number(r.shareDenominator);
}

// One debt's rows, day run by day run.
class DebtWalk {
public:
    DebtWalk(int index, const PenaltyTerms &t, const KeyRateHistory &h, const RateDays &rates, const QLocale &locale,
             PenaltyResult &out)
        : m_index(index), m_terms(t), m_history(h), m_rates(rates), m_locale(locale), m_out(out), m_debt(t.debts[index])
    {
    }

    void run(const std::vector<BalanceChange> &changes);

private:
    std::optional<OrvelError> gap(Day day) const;
    void closeRow();

    int m_index;
    const PenaltyTerms &m_terms;
    const KeyRateHistory &m_history;
    const RateDays &m_rates;
    const QLocale &m_locale;
    PenaltyResult &m_out;
    const Debt &m_debt;
    std::optional<PenaltyRow> m_row; // the run being gathered
    std::int64_t m_accrued = 0;
    bool m_capReached = false;
};

std::optional<OrvelError> DebtWalk::gap(Day day) const
{
    if (day < dayOf(penaltylaw::kFirstDay))
        return OrvelError(QStringLiteral("Долг %1: расчет возможен с %2")
                              .arg(m_index + 1)
                              .arg(shownDate(penaltylaw::kFirstDay)));
    return keyRateGap(m_history, QDate::fromJulianDay(day));
}

void DebtWalk::run(const std::vector<BalanceChange> &changes)
{
    const Day due = dayOf(m_debt.due);
    const Day first = due + 1, last = dayOf(m_terms.until);
    if (first > last)
        return;
    const std::vector<Day> ends = boundaries(first, last, due, changes, m_rates, m_history);
    std::int64_t base = m_debt.kopecks;
    std::size_t change = 0;
    Day start = first;
    for (const Day next : ends) {
        // Days start..next-1 share everything a row depends on.
        for (; change < changes.size() && changes[change].from <= start; ++change)
            base = changes[change].balance;
        if (base == 0)
            break; // repaid: it never owes again
        const QDate day = QDate::fromJulianDay(start);
        const int share = penaltyShare(m_terms.kind, day, start - due, m_debt.due, m_terms.moratorium2022);
        const std::optional<OrvelError> unknown = share ? gap(start) : std::nullopt;
        const std::size_t step = unknown ? 0 : std::upper_bound(m_rates.from.begin(), m_rates.from.end(), start)
                                                   - m_rates.from.begin() - 1;
        const bool joins = m_row && share && !unknown && m_row->to.toJulianDay() + 1 == start
                           && m_row->base == base && m_row->rate == m_rates.rate[step]
                           && m_row->shareDenominator == share;
        if (!joins) {
            closeRow();
            if (m_capReached)
                return; // nothing more accrues, known rate or not
            if (unknown)
                throw *unknown;
            if (share)
                m_row = PenaltyRow{m_index, day, day, 0, base, m_rates.rate[step], share, 0, QString()};
        }
        if (share) {
            m_row->to = QDate::fromJulianDay(next - 1);
            m_row->days = int(next - m_row->from.toJulianDay());
        }
        start = next;
    }
    closeRow();
}

void DebtWalk::closeRow()
{
    if (!m_row)
        return;
    PenaltyRow r = std::move(*m_row);
    m_row.reset();
    r.amount = rowAmount(r.base, roundWhole(ext(r.rate) * 100), r.days, r.shareDenominator);
    r.formula = formulaText(r, m_locale);
    if (penaltylaw::cappedByDebt(m_terms.kind) && r.amount >= m_debt.kopecks - m_accrued) {
        if (r.amount > m_debt.kopecks - m_accrued) {
            r.amount = m_debt.kopecks - m_accrued;
            r.formula += QStringLiteral(", ограничено суммой долга");
        }
        m_capReached = true;
    }
    m_accrued += r.amount;
    m_out.perDebt[std::size_t(m_index)] = m_accrued;
    m_out.rows.push_back(std::move(r));
}

} // namespace

int penaltyShare(PenaltyKind kind, const QDate &day, qint64 k, const QDate &due, bool moratorium2022)
{
    namespace law = penaltylaw;
    const auto within = [&](const QDate &from, const QDate &until) { return day >= from && day <= until; };
    switch (kind) {
    case PenaltyKind::TaxPerson:
        return law::kShare;
    case PenaltyKind::TaxOrganisation:
        if (within(law::kFlatShareFrom, law::kFlatShareUntil))
            return law::kShare;
        if (within(law::kThreeStagesFrom, law::kThreeStagesUntil))
            return k > law::kDaysAtShare && k <= law::kLastRaisedDay ? law::kRaisedShare : law::kShare;
        if (due < law::kRaisedShareFirstDue)
            return law::kShare;
        return k > law::kDaysAtShare ? law::kRaisedShare : law::kShare;
    case PenaltyKind::CivilCode395:
        if (moratorium2022 && due < law::kMoratoriumFrom && within(law::kMoratoriumFrom, law::kMoratoriumUntil))
            return 0;
        return QDate::isLeapYear(day.year()) ? law::kLeapYearDays : law::kYearDays;
    }
    return law::kShare;
}

PenaltyResult penalties(const PenaltyTerms &terms, const KeyRateHistory &keyRate)
{
    checkTerms(terms);
    const Allocation paid = allocate(terms);
    const RateDays rates = rateDays(keyRate);
    // The formulas are in the user's locale, resolved once by name: the
    // system locale itself answers each number it formats through a locked
    // query, which would cost more than the whole calculation.
    const QLocale locale(QLocale().name());
    PenaltyResult out{{}, std::vector<std::int64_t>(terms.debts.size(), 0), 0, 0, paid.overpaid};
    for (std::size_t i = 0; i < terms.debts.size(); ++i)
        DebtWalk(int(i), terms, keyRate, rates, locale, out).run(paid.changes[i]);
    // At most 10^4 debts of at most 10^13 kopecks: 10^17. The tax penalties
    // stop at the debts; the interest of art. 395, at a rate of at most 100 %
    // a year (the bank's answers are read no higher) from 2016, stays below
    // 2^63 for any day before 2100.
    for (std::int64_t p : out.perDebt)
        out.total += p;
    for (std::int64_t left : paid.left)
        out.unpaid += left;
    return out;
}

} // namespace orvel
