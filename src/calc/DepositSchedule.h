#pragma once
// A deposit day by day, in whole kopecks: interest at a fixed annual rate,
// credited on the capitalization's dates and added to the balance or paid
// out, top-ups and withdrawals, and the income tax the interest causes.
//
//  - Days. Interest accrues for each day d from the day after `opened` to
//    `closes` inclusive (Civil Code art. 839 p.1). B(x) is the
//    balance at the end of day x, B(opened) = amount. The day's interest is
//    B(d - 1) × rate / 100 / Y(d), Y(d) = 366 in a leap year, else 365.
//  - Credit dates. Daily: every day. Monthly, Quarterly, Yearly:
//    opened.addMonths(k × 1, 3 or 12) for k = 1, 2, ... up to `closes` (the
//    opening day's number, or the month's last day when the month is
//    shorter). None: the monthly dates with Payout::Monthly, none with
//    Payout::AtEnd. `closes` is always a credit date.
//  - Crediting. At the end of a credit date the interest of the days since
//    the previous one (or since `opened`) is rounded once to the nearest
//    kopeck, ties to even, and credited: added to the balance (it earns from
//    the next day) with capitalization, paid out with None. The days' sum is
//    exact (see DepositSchedule.cpp): the credit is the exact sum of the
//    days' interest, rounded once.
//  - Flows. A top-up (> 0) or withdrawal (< 0) dated after `opened` and
//    before `closes` changes the balance at the end of its day, after that
//    day's credit; several on one day in the order given. A withdrawal that
//    would take the balance below minimumBalance is refused.
//  - Rows. One row per run of days that ends with an event: a credit date, a
//    flow's date or the close. The balance is the same on every day of a row.
//  - Tax: DepositTax.h, for each calendar year with a credit date.
#include "calc/DepositTax.h"
#include "rates/KeyRate.h"

#include <QDate>

#include <cstdint>
#include <vector>

namespace orvel {

enum class Capitalization { None, Daily, Monthly, Quarterly, Yearly };
enum class Payout { AtEnd, Monthly }; // what None does with the interest

struct DepositFlow {
    QDate date;
    std::int64_t kopecks; // > 0 a top-up, < 0 a withdrawal
};

struct DepositTerms {
    std::int64_t amount; // kopecks, 1..10^13
    double rate;         // annual percent, 0..100
    QDate opened, closes;
    Capitalization capitalization;
    Payout payout;                     // read only with Capitalization::None
    std::vector<DepositFlow> flows;    // in the order the user gave them
    std::int64_t minimumBalance;       // 0..amount
    std::int64_t otherInterestPerYear; // the person's other deposits, 0..10^13
};

// The days from..to (days of them), each on `balance`; then the event at the
// end of `to`: a credit (capitalized or paidOut) and the day's flows (their
// sum). accrued is the interest of these days, rounded for display only.
struct DepositRow {
    QDate from, to;
    int days;
    std::int64_t balance, accrued, capitalized, paidOut, flow, balanceAfter;
};

struct DepositResult {
    std::vector<DepositRow> rows;
    std::vector<DepositYear> years; // each calendar year with a credit date, ascending
    std::int64_t totalInterest;     // every credit, capitalized or paid out
    std::int64_t topUps;            // the sum of the top-ups
    std::int64_t withdrawals;       // the sum of the withdrawals, as a positive number
    std::int64_t finalBalance;      // B(closes)
    std::int64_t paidOut;           // the interest paid out rather than capitalized
    std::int64_t totalTax;          // the sum of years[].tax
    std::int64_t netIncome;         // totalInterest - totalTax
    // totalInterest / amount × 365 / days of the term × 100; shown (and
    // computed) only when there are no top-ups or withdrawals, else 0.
    double effectiveRate;
    bool effectiveRateShown;
};

// The largest amount, flow and other interest, and the longest term.
inline constexpr std::int64_t kMaxDepositKopecks = 10'000'000'000'000; // 100 000 000 000 roubles
inline constexpr int kMaxDepositYears = 50;

// Throws OrvelError with a Russian message that names the field: an amount
// of 0 or less or beyond 10^13 kopecks; a rate below 0, above 100 or not
// finite; an opening date missing, a closing date not after it or more than
// 50 years on; a minimum balance below 0 or above the amount; other interest
// below 0 or beyond 10^13; a flow of 0, beyond 10^13 either way or dated
// outside the term; a withdrawal below the minimum balance; a taxed year the
// key rate does not cover (DepositTax.h). Sums beyond the 64-bit range give
// the usual overflow error.
DepositResult depositSchedule(const DepositTerms &terms, const KeyRateHistory &keyRate);

// A monthly top-up of `kopecks` as flows: one on each monthly date
// (opened.addMonths(k), k = 1, 2, ...) before `closes`. Throws OrvelError for
// an amount of 0 or less or beyond 10^13; gives none for a missing date.
std::vector<DepositFlow> monthlyTopUps(const QDate &opened, const QDate &closes, std::int64_t kopecks);

} // namespace orvel
