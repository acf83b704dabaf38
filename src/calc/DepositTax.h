#pragma once
// The personal income tax that a deposit's interest causes in one calendar
// year, in whole kopecks.
//
// income = this deposit's interest credited in the year + the interest of the
// person's other deposits that year.
//  - Before 2021 other rules applied: the year is not counted.
//  - Interest received in 2021 and 2022 is exempt.
//  - From 2023: allowance = 1 000 000 roubles × the highest key rate in force
//    on the 1st of a month of the year / 100 (a 1st after the key rate's
//    knownUntil takes the last known rate, and the year is marked assumed);
//    taxable = max(0, income - allowance); the tax is 13 % of taxable up to a
//    threshold and 15 % of the rest, rounded to whole roubles (under 50
//    kopecks down, from 50 up).
//  - The tax that falls on the deposit is tax(income) - tax(other): what the
//    deposit adds to the tax the other interest causes anyway.
// DepositTax.cpp holds every legal figure with its source.
#include "rates/KeyRate.h"

#include <cstdint>

namespace orvel {

struct DepositYear {
    int year;
    std::int64_t interest;  // this deposit's credits dated in the year
    std::int64_t other;     // the interest of the person's other deposits
    std::int64_t allowance; // 0 unless Taxed
    std::int64_t taxable;   // of interest + other; 0 unless Taxed
    std::int64_t tax;       // the tax the deposit adds, whole roubles; 0 unless Taxed
    double keyRate;         // the rate the allowance is made of; 0 unless Taxed
    bool keyRateAssumed;    // some month's 1st lies after keyRate's knownUntil
    enum Status { NotCounted, Exempt, Taxed } status;
};

// The year's tax. Throws OrvelError for a taxed year when a month's 1st lies
// before the key rate's first step (the data does not cover it), and the
// usual overflow error for sums beyond the 64-bit range.
DepositYear depositTaxYear(int year, std::int64_t interest, std::int64_t other, const KeyRateHistory &keyRate);

} // namespace orvel
