#pragma once
// The payment schedule of a loan, month by month, in whole kopecks: annuity
// or differentiated payments, an interest-free instalment plan (rate 0), and
// early repayments that shorten the term or lower the payment.
//
// Every rounding to a kopeck is to the nearest, ties to even.
//  - Annuity: the payment A is the annuity calculation's (Loan.h) for the
//    amount, rate and term, in kopecks. Each month, interest = debt * rate /
//    1200 (extended precision, the product first). The last month of the
//    term, or a month whose debt + interest is at most A, pays the debt off;
//    any other month pays A, of which A - interest is principal.
//  - Differentiated: the principal part is amount / months, the same every
//    month; the last month (or the month whose debt is below the part) pays
//    what remains. Interest = debt * rate * 0.01 * 30 / 365, as in the
//    exported workbook.
//  - Rate 0: no interest; the annuity payment is amount / months.
//  - An early repayment is made after its month's regular payment, up to the
//    debt left; several in one month in the order given. ShortenTerm keeps
//    the payment (or the principal part) and the loan ends sooner;
//    LowerPayment spreads the debt left over the months left of the original
//    term (months - month): a new annuity payment, or a new principal part.
//    A repayment in a month when no debt is left changes nothing.
#include "calc/OrvelError.h"

#include <cstdint>
#include <vector>

namespace orvel {

enum class Repayment { Annuity, Differentiated };
enum class EarlyMode { ShortenTerm, LowerPayment };

struct EarlyRepayment {
    int month;            // 1..months: made after that month's payment
    std::int64_t kopecks; // more than 0
    EarlyMode mode;
};

struct LoanTerms {
    double amount; // roubles, more than 0 and at most 10^13
    double rate;   // annual percent, 0 or more
    int months;    // 1..1200
    Repayment kind;
    std::vector<EarlyRepayment> early; // in the order the user gave them
};

// One month. debtAfter = debtBefore - principal - early.
struct ScheduleRow {
    int month;
    std::int64_t debtBefore, interest, principal, payment, early, debtAfter;
};

struct LoanSchedule {
    std::vector<ScheduleRow> rows;    // until the debt is 0
    std::int64_t totalPaid;           // sum of payment + early
    std::int64_t totalInterest;       // sum of interest
    // The same loan without early repayments, for the saving.
    std::int64_t plainTotalPaid, plainTotalInterest;
    int plainMonths;
};

// The largest amount and term a schedule is made for.
inline constexpr double kMaxLoanAmount = 1e13;
inline constexpr int kMaxLoanMonths = 1200;

// Throws OrvelError with a Russian message that names the field: a term
// outside 1..1200, an amount of 0 kopecks or less or beyond 10^13, a negative
// or non-finite rate, an early repayment whose month lies outside the term
// or whose amount is not more than 0. Arithmetic faults (a rate so high that
// a figure leaves the 64-bit range) are the usual floating-point errors.
LoanSchedule loanSchedule(const LoanTerms &terms);

// The same; `applied` (when given) gets, for each early repayment in the
// order of terms.early, the kopecks that were actually repaid: its amount,
// less when the debt was smaller, 0 when no debt was left.
LoanSchedule loanSchedule(const LoanTerms &terms, std::vector<std::int64_t> *applied);

// The error loanSchedule() gives for an early repayment (number is its place
// in the list, from 1) that does not fit a term of `months`; nothing when it fits.
void checkEarlyRepayment(const EarlyRepayment &early, int months, int number);

// The term as typed into a field (amount text): a whole number of months
// from 1 to 1200, or the term's error.
int loanMonths(double term);

// An early repayment's amount as typed (roubles) in kopecks; `number` is its
// place in the list, from 1, for the message. More than 0 and at most 10^13.
std::int64_t earlyKopecks(double roubles, int number);

} // namespace orvel
