#pragma once
// A payment schedule as the user reads it, in the window and in every file
// it is saved to: the inputs, the column titles, money as text, the totals
// row and the summary. No widgets.
#include "calc/Schedule.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace orvel {

// A schedule with the terms it was made from.
struct ScheduleReport {
    LoanTerms terms;
    LoanSchedule schedule;
    std::vector<std::int64_t> applied; // per early repayment: the kopecks repaid
};

// Throws what loanSchedule() throws.
ScheduleReport makeScheduleReport(const LoanTerms &terms);

// Kopecks as money: two decimals, the locale's decimal separator and digit
// grouping ("1 234 567,89" in a Russian locale).
QString moneyText(std::int64_t kopecks, const QLocale &locale = QLocale());
// Without grouping, with the given separator ("1234567,89"), for files that
// other programs read as numbers.
QString plainMoneyText(std::int64_t kopecks, QChar decimal);

// The columns of the table, in the order of ScheduleRow.
enum ScheduleColumn { ColMonth, ColDebtBefore, ColInterest, ColPrincipal, ColPayment, ColEarly, ColDebtAfter, ColCount };
QString scheduleColumnTitle(int column);
// The column's figure in a row (the month for ColMonth).
std::int64_t scheduleFigure(const ScheduleRow &row, int column);

// The totals row: the sums of the interest, principal, payment and early
// columns; the two debt columns have none.
struct ScheduleTotals {
    std::int64_t interest = 0, principal = 0, payment = 0, early = 0;
};
ScheduleTotals scheduleTotals(const LoanSchedule &schedule);
// The totals row's figure of a money column; false for the debt and month columns.
bool scheduleTotal(const ScheduleTotals &totals, int column, std::int64_t *figure);
inline QString totalsTitle() { return QStringLiteral("Итого"); }

QString repaymentKindText(Repayment kind); // "аннуитетные" / "дифференцированные"
QString earlyModeText(EarlyMode mode);     // "Сократить срок" / "Уменьшить платеж"

// "Сумма кредита: 100 000,00", "Процентная ставка: 12 %", "Срок кредита: 12 мес.",
// "Платежи: аннуитетные", then one line per early repayment.
QStringList scheduleInputLines(const ScheduleReport &report, const QLocale &locale = QLocale());

// What a repayment that was not (or not fully) made says, or an empty text.
QString earlyStateText(const ScheduleReport &report, std::size_t index, const QLocale &locale = QLocale());

// The months, the total paid, the overpayment, what the early repayments
// save, and a line on the early repayments that found no debt: the one by
// its number and month, more by their count.
QStringList scheduleSummaryLines(const ScheduleReport &report, const QLocale &locale = QLocale());
// "1 досрочное погашение", "3 досрочных погашения", "5 досрочных погашений".
QString earlyRepaymentsText(std::size_t count);

// "12 мес.", "1 мес."
QString monthsText(int months);

} // namespace orvel
