#include "rates/Conversion.h"

#include "calc/Checked.h"

namespace orvel {

const TCurrencyData *findCurrency(const RateTable &table, const QString &code)
{
    for (const TCurrencyData &row : table)
        if (row.CharCode == code)
            return &row;
    return nullptr;
}

double CurrToRub(const RateTable &table, const QString &code, double amount)
{
    if (!(amount > 0) || code.isEmpty())
        return amount;
    const TCurrencyData *row = findCurrency(table, code);
    if (!row)
        return amount;
    return (X(amount) * X(row->Value) / X(static_cast<ext>(row->Nominal))).stored();
}

double RubToCurr(const RateTable &table, const QString &code, double amount)
{
    if (!(amount > 0) || code.isEmpty())
        return amount;
    const TCurrencyData *row = findCurrency(table, code);
    if (!row)
        return amount;
    return (X(amount) / X(row->Value) * X(static_cast<ext>(row->Nominal))).stored();
}

double CurrToRub(const QString &code, double amount) { return CurrToRub(rateTable(), code, amount); }
double RubToCurr(const QString &code, double amount) { return RubToCurr(rateTable(), code, amount); }

} // namespace orvel
