#pragma once
// The tax calculator: add a percentage tax to an amount, or take it out of an
// amount that already includes it.
namespace orvel {

struct AccrueResult {
    double total; // amount with tax, rounded to hundredths
    double tax;   // total - amount, not rounded by itself
};
// t = A / 100 * r + A, stored; total = hundredths rounding of t; tax = total - A.
AccrueResult accrueTax(double amount, double rate);

struct ExtractResult {
    double base; // amount without tax: A - tax
    double tax;  // rounded to hundredths
};
// t = A - A / (0.01 * r + 1), stored; tax = hundredths rounding of t; base = A - tax.
ExtractResult extractTax(double amount, double rate);

} // namespace orvel
