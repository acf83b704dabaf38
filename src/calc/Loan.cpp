#include "calc/Loan.h"

#include "calc/Checked.h"

namespace orvel {

AnnuityResult annuity(double amount, double rate, double term)
{
    const X i = X(rate) / 1200.0L;
    const double g = (X(1.0L) + i).stored();
    const X p = power(g, term);
    const X a = i * p; // the extended monthly rate, not g - 1
    const double k = (a / (p - 1.0L)).stored();
    const double payment = (X(k) * amount).stored();
    const double total = (X(term) * payment).stored();
    const double overpayment = (X(total) - amount).stored();

    AnnuityResult r;
    r.total = roundHundredths(total);
    r.payment = roundHundredths(payment);
    r.overpayment = roundHundredths(overpayment);
    return r;
}

} // namespace orvel
