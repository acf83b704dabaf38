#pragma once
// Conversion through the rouble with the rates of the rate table.
#include "rates/RateTable.h"

#include <QString>

namespace orvel {

// The first row whose CharCode is exactly `code`, or nullptr.
const TCurrencyData *findCurrency(const RateTable &table, const QString &code);

// An amount of the currency `code` in roubles: amount * Value / Nominal of
// the first row with that code, in extended precision, rounded to a double
// once. An amount of 0 or less, an empty code or a code no row carries gives
// the amount back unchanged. A row with Nominal 0 fails with a division by
// zero (or an invalid operation when its Value is 0 too).
double CurrToRub(const RateTable &table, const QString &code, double amount);
double CurrToRub(const QString &code, double amount); // with rateTable()

// An amount of roubles in the currency `code`: amount / Value * Nominal, the
// same guard and search. A row with Value 0 fails with a division by zero.
double RubToCurr(const RateTable &table, const QString &code, double amount);
double RubToCurr(const QString &code, double amount); // with rateTable()

} // namespace orvel
