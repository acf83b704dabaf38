#pragma once
// The annuity loan calculation: equal monthly payments for an amount, an
// annual rate in percent and a term in months (the term need not be whole).
namespace orvel {

struct AnnuityResult {
    double payment;     // monthly payment, rounded to hundredths
    double total;       // term * payment, rounded to hundredths
    double overpayment; // total - amount, rounded to hundredths
};

// i = rate / 1200; g = 1 + i (stored); P = g^term; k = i * P / (P - 1)
// (stored); payment = k * amount (stored); total = term * payment from the
// payment before rounding (stored); overpayment = total - amount from the
// total before rounding (stored). The three values are rounded to hundredths
// only at the end, so the total shown is in general not term times the
// payment shown. A rate of 0 is 0/0 (invalid operation); a term of 0 with a
// non-zero rate divides by zero.
AnnuityResult annuity(double amount, double rate, double term);

} // namespace orvel
