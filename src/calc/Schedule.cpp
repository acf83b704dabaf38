#include "calc/Schedule.h"

#include "calc/Checked.h"
#include "calc/Loan.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

OrvelError termError()
{
    return OrvelError(QStringLiteral("Срок кредита должен быть целым числом месяцев от 1 до %1").arg(kMaxLoanMonths));
}

OrvelError earlyAmountError(int number)
{
    return OrvelError(QStringLiteral("Досрочное погашение %1: сумма должна быть больше 0 и не больше 10 трлн").arg(number));
}

std::int64_t checkedAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw OrvelError(QString::fromLatin1(kOverflow));
    return r;
}

std::int64_t checkedSub(std::int64_t a, std::int64_t b)
{
    std::int64_t r;
    if (__builtin_sub_overflow(a, b, &r))
        throw OrvelError(QString::fromLatin1(kOverflow));
    return r;
}

// The regular payment of an annuity (or, at rate 0, the instalment) for a
// debt over a number of months.
std::int64_t annuityPayment(std::int64_t debt, double amount, double rate, int months)
{
    if (rate == 0)
        return roundWhole(xdiv(ext(debt), ext(months)));
    return kopecksOf(annuity(amount, rate, months).payment);
}

class Builder {
public:
    Builder(const LoanTerms &terms, std::int64_t debt) : m_terms(terms), m_debt(debt)
    {
        if (terms.kind == Repayment::Annuity)
            m_part = annuityPayment(debt, terms.amount, terms.rate, terms.months);
        else
            m_part = roundWhole(xdiv(ext(debt), ext(terms.months)));
    }

    // Rows until the debt is 0. `byMonth[m]` lists the indexes into
    // terms.early of month m, in entry order; empty for the plain schedule.
    void run(LoanSchedule &out, const std::vector<std::vector<int>> &byMonth, std::vector<std::int64_t> *applied)
    {
        const int n = m_terms.months;
        for (int m = 1; m_debt > 0 && m <= n; ++m) {
            ScheduleRow row{};
            row.month = m;
            row.debtBefore = m_debt;
            row.interest = interest(m_debt);
            const bool last = m == n;
            if (m_terms.kind == Repayment::Annuity) {
                if (last || checkedAdd(m_debt, row.interest) <= m_part) {
                    row.principal = m_debt;
                    row.payment = checkedAdd(m_debt, row.interest);
                } else {
                    row.principal = checkedSub(m_part, row.interest);
                    row.payment = m_part;
                }
            } else {
                row.principal = last || m_debt < m_part ? m_debt : m_part;
                row.payment = checkedAdd(row.principal, row.interest);
            }
            row.debtAfter = checkedSub(m_debt, row.principal);

            if (std::size_t(m) < byMonth.size()) {
                for (int i : byMonth[m]) {
                    const EarlyRepayment &e = m_terms.early[std::size_t(i)];
                    const std::int64_t paid = std::min(e.kopecks, row.debtAfter);
                    (*applied)[std::size_t(i)] = paid;
                    if (paid == 0)
                        continue;
                    row.early += paid;
                    row.debtAfter -= paid;
                    if (e.mode == EarlyMode::LowerPayment && row.debtAfter > 0)
                        lowerPayment(row.debtAfter, n - m);
                }
            }

            m_debt = row.debtAfter;
            out.totalPaid = checkedAdd(out.totalPaid, checkedAdd(row.payment, row.early));
            out.totalInterest = checkedAdd(out.totalInterest, row.interest);
            out.rows.push_back(row);
        }
    }

private:
    std::int64_t interest(std::int64_t debt) const
    {
        if (m_terms.rate == 0)
            return 0;
        if (m_terms.kind == Repayment::Annuity)
            return roundWhole((X(ext(debt)) * m_terms.rate / 1200.0L).value());
        return roundWhole((X(ext(debt)) * m_terms.rate * 0.01L * 30.0L / 365.0L).value());
    }

    // The debt left spread over the months left of the original term; a debt
    // left after the last month cannot happen (that month pays it off).
    void lowerPayment(std::int64_t debt, int monthsLeft)
    {
        if (monthsLeft < 1)
            return;
        if (m_terms.kind == Repayment::Annuity)
            m_part = annuityPayment(debt, store(xdiv(ext(debt), 100.0L)), m_terms.rate, monthsLeft);
        else
            m_part = roundWhole(xdiv(ext(debt), ext(monthsLeft)));
    }

    const LoanTerms &m_terms;
    std::int64_t m_debt;
    std::int64_t m_part; // the annuity payment, or the differentiated principal part
};

} // namespace

void checkEarlyRepayment(const EarlyRepayment &early, int months, int number)
{
    if (early.month < 1 || early.month > months)
        throw OrvelError(
            QStringLiteral("Досрочное погашение %1: месяц должен быть от 1 до %2").arg(number).arg(months));
    if (early.kopecks <= 0)
        throw earlyAmountError(number);
}

int loanMonths(double term)
{
    if (!(term >= 1 && term <= kMaxLoanMonths && term == std::trunc(term)))
        throw termError();
    return int(term);
}

std::int64_t earlyKopecks(double roubles, int number)
{
    if (!(roubles > 0 && roubles <= kMaxLoanAmount))
        throw earlyAmountError(number);
    const std::int64_t k = kopecksOf(roubles);
    if (k <= 0)
        throw earlyAmountError(number);
    return k;
}

LoanSchedule loanSchedule(const LoanTerms &terms) { return loanSchedule(terms, nullptr); }

LoanSchedule loanSchedule(const LoanTerms &terms, std::vector<std::int64_t> *applied)
{
    if (terms.months < 1 || terms.months > kMaxLoanMonths)
        throw termError();
    if (!(terms.amount > 0 && terms.amount <= kMaxLoanAmount))
        throw OrvelError(QStringLiteral("Сумма кредита должна быть больше 0 и не больше 10 трлн"));
    const std::int64_t debt = kopecksOf(terms.amount);
    if (debt <= 0)
        throw OrvelError(QStringLiteral("Сумма кредита должна быть не меньше 0,01"));
    if (!(std::isfinite(terms.rate) && terms.rate >= 0))
        throw OrvelError(QStringLiteral("Процентная ставка должна быть не меньше 0"));
    std::vector<std::vector<int>> byMonth(std::size_t(terms.months) + 1);
    for (std::size_t i = 0; i < terms.early.size(); ++i) {
        checkEarlyRepayment(terms.early[i], terms.months, int(i) + 1);
        byMonth[std::size_t(terms.early[i].month)].push_back(int(i));
    }

    std::vector<std::int64_t> scratch;
    std::vector<std::int64_t> &paid = applied ? *applied : scratch;
    paid.assign(terms.early.size(), 0);

    LoanSchedule out{};
    out.rows.reserve(std::size_t(terms.months));
    Builder(terms, debt).run(out, byMonth, &paid);
    if (terms.early.empty()) {
        out.plainTotalPaid = out.totalPaid;
        out.plainTotalInterest = out.totalInterest;
        out.plainMonths = int(out.rows.size());
    } else {
        LoanSchedule plain{};
        plain.rows.reserve(std::size_t(terms.months));
        Builder(terms, debt).run(plain, {}, nullptr);
        out.plainTotalPaid = plain.totalPaid;
        out.plainTotalInterest = plain.totalInterest;
        out.plainMonths = int(plain.rows.size());
    }
    return out;
}

} // namespace orvel
