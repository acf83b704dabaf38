#include "calc/Tax.h"

#include "calc/Checked.h"

namespace orvel {

AccrueResult accrueTax(double amount, double rate)
{
    const X a = amount;
    const double t = (a / 100.0L * rate + a).stored();
    const double total = roundHundredths(t);
    const double tax = (X(total) - a).stored();
    return {total, tax};
}

ExtractResult extractTax(double amount, double rate)
{
    const X a = amount;
    const double t = (a - a / (X(0.01L) * rate + 1.0L)).stored();
    const double tax = roundHundredths(t);
    const double base = (a - tax).stored();
    return {base, tax};
}

} // namespace orvel
