#pragma once
// Penalties for paying late, in whole kopecks: the penalty of the Tax Code
// (art. 75) for a person or an organisation, and the interest of the Civil
// Code (art. 395), on the key rate of the Bank of Russia.
//
// - Payments repay the debts in order of due date, oldest first (debts due
//   the same day in the order given). A payment counts at the end of its
//   day, so that day still accrues on the amount before it; several payments
//   of one day count in the order given. What exceeds all the debts is
//   `overpaid`.
// - Each day d from due + 1 to `until` accrues while the debt is unpaid at
//   its start: on the debt then unpaid (the base), at the key rate r in force
//   on d, times the day's share (penaltyShare below). k = d - due is the
//   day's place in the delay, from 1.
// - A row is a longest run of consecutive days of one debt with the same
//   base, r and share. Its amount is base * r / 100 * days / denominator,
//   rounded once to the nearest kopeck, ties to even (penalties() says where).
// - The tax penalties on one debt never exceed the debt: the row that would
//   pass it is cut to what is left, and its formula says so; later days of
//   that debt accrue nothing.
#include "rates/KeyRate.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <vector>

namespace orvel {

enum class PenaltyKind { TaxPerson, TaxOrganisation, CivilCode395 };

struct Debt {
    std::int64_t kopecks; // more than 0, at most kMaxPenaltyKopecks
    QDate due;            // the last day to pay; the delay starts the day after
};

struct Payment {
    QDate date;           // at most `until`
    std::int64_t kopecks; // more than 0, at most kMaxPenaltyKopecks
};

struct PenaltyTerms {
    PenaltyKind kind;
    std::vector<Debt> debts;       // in the order the user gave them
    std::vector<Payment> payments; // the same
    QDate until;                   // the last day counted
    bool moratorium2022;           // art. 395 only: the moratorium of 2022 applies
};

struct PenaltyRow {
    int debt;             // index into PenaltyTerms::debts
    QDate from, to;       // the run of days, both included
    int days;
    std::int64_t base;    // kopecks unpaid on those days
    double rate;          // the key rate, percent a year
    int shareDenominator; // 300, 150, 365 or 366
    std::int64_t amount;  // kopecks
    QString formula;      // "100 000,00 × 16,00 % × 31 / 300", in the user's locale
};

struct PenaltyResult {
    std::vector<PenaltyRow> rows;      // by debt in the order given, then by day
    std::vector<std::int64_t> perDebt; // per debt in the order given: the sum of its rows
    std::int64_t total;                // the sum of all rows
    std::int64_t unpaid;               // what the debts still owe at the end of `until`
    std::int64_t overpaid;             // what the payments brought beyond all the debts
};

// The largest debt or payment, and how many of each a calculation takes.
inline constexpr std::int64_t kMaxPenaltyKopecks = 10'000'000'000'000; // 100 billion roubles
inline constexpr std::size_t kMaxPenaltyEntries = 10'000;

// The figures of the law, the one place they are written.
namespace penaltylaw {

// The first day calculated. From 01.01.2016 the refinancing rate of art. 75
// and the key rate of art. 395 are one figure (Bank of Russia directive
// 3894-U of 11.12.2015), the key rate.
inline const QDate kFirstDay{2016, 1, 1};

// Tax Code art. 75 p.4: a day's penalty is 1/300 of the rate; for an
// organisation 1/300 for the first 30 calendar days of the delay and 1/150
// from the 31st (Federal Law 401-FZ of 30.11.2016, in force from 01.10.2017,
// for arrears formed after that day, i.e. of debts due from 01.10.2017).
inline constexpr int kShare = 300;
inline constexpr int kRaisedShare = 150;
inline constexpr int kDaysAtShare = 30; // the raised share starts on day 31
inline const QDate kRaisedShareFirstDue{2017, 10, 1};

// Tax Code art. 75 p.5 (added by Federal Law 67-FZ of 26.03.2022 and
// extended since; the end 31.12.2024 is its wording from 28.08.2024): from
// 09.03.2022 to 31.12.2024 an organisation's share is 1/300 on every day.
inline const QDate kFlatShareFrom{2022, 3, 9};
inline const QDate kFlatShareUntil{2024, 12, 31};

// Tax Code art. 75 p.5.1 (Federal Law 362-FZ of 29.10.2024 for 2025, extended
// to the end of 2026 by Federal Law 425-FZ of 28.11.2025): from 01.01.2025 to
// 31.12.2026 an organisation's share is 1/300 for days 1..30 of the delay,
// 1/150 for days 31..90 and 1/300 again from day 91.
inline const QDate kThreeStagesFrom{2025, 1, 1};
inline const QDate kThreeStagesUntil{2026, 12, 31};
inline constexpr int kLastRaisedDay = 90;

// Tax Code art. 75 p.3: the penalties on an arrear cannot exceed the arrear.
// Civil Code art. 395 knows no such cap.
inline bool cappedByDebt(PenaltyKind kind) { return kind != PenaltyKind::CivilCode395; }

// Civil Code art. 395 p.1: interest at the key rate in force in each period;
// a day is 1/365 of the yearly rate, 1/366 in a leap year.
inline constexpr int kYearDays = 365;
inline constexpr int kLeapYearDays = 366;

// Government decree No. 497 of 28.03.2022 (the moratorium of art. 9.1 of the
// insolvency law 127-FZ, for six months from 01.04.2022): no interest of
// art. 395 from 01.04.2022 to 01.10.2022 on debts that arose before it.
inline const QDate kMoratoriumFrom{2022, 4, 1};
inline const QDate kMoratoriumUntil{2022, 10, 1};

} // namespace penaltylaw

// The denominator of day `day`'s share, k being its place in the delay of a
// debt due `due`; 0 for a day that accrues nothing (the moratorium).
int penaltyShare(PenaltyKind kind, const QDate &day, qint64 k, const QDate &due, bool moratorium2022);

// Throws OrvelError with a Russian message naming the field or row: no debt;
// more than kMaxPenaltyEntries debts or payments; a debt or payment of 0
// kopecks or less or beyond kMaxPenaltyKopecks; a due date, payment date or
// `until` that is not a date; a payment after `until`; `until` before the
// earliest delay day; a day that accrues before 01.01.2016, or one the key
// rate does not cover (keyRateOn's messages).
PenaltyResult penalties(const PenaltyTerms &terms, const KeyRateHistory &keyRate);

} // namespace orvel
