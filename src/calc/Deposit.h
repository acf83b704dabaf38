#pragma once
// The deposit calculator: what an amount grows to at an annual rate over a
// term in days, by simple or by compound interest.
namespace orvel {

struct DepositInterest {
    double balance;  // amount plus interest, rounded to hundredths
    double interest; // rounded to hundredths
};

// Year length in days: 366 for a leap year, otherwise 365.
inline double yearLength(bool leapYear) { return leapYear ? 366.0 : 365.0; }

// Simple interest: balance = P * R * D / Y / 100 + P and
// interest = P * R * D / Y / 100, each evaluated left to right in extended
// precision, stored, then rounded to hundredths on its own.
DepositInterest simpleInterest(double amount, double rate, double days, double year);

// Compound interest: the growth of the whole term is the growth of one period,
// g = R * D / Y / 100 + 1 (stored), raised to the number of periods:
// balance = g^N * P (stored), interest = balance - P from the balance before
// rounding; both are then rounded to hundredths.
DepositInterest compoundInterest(double amount, double rate, double days, double periods, double year);

} // namespace orvel
