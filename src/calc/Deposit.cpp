#include "calc/Deposit.h"

#include "calc/Checked.h"

namespace orvel {

DepositInterest simpleInterest(double amount, double rate, double days, double year)
{
    const X p = amount;
    const double balance = (p * rate * days / year / 100.0L + p).stored();
    const double interest = (p * rate * days / year / 100.0L).stored();
    return {roundHundredths(balance), roundHundredths(interest)};
}

DepositInterest compoundInterest(double amount, double rate, double days, double periods, double year)
{
    const double g = (X(rate) * days / year / 100.0L + 1.0L).stored();
    const X f = power(g, periods);
    const double balance = (f * amount).stored();
    const double interest = (X(balance) - amount).stored();
    return {roundHundredths(balance), roundHundredths(interest)};
}

} // namespace orvel
