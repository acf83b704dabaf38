#include "rates/RateTable.h"

namespace orvel {

RateTable &rateTable()
{
    static RateTable table;
    return table;
}

TCurrencyData roubleRow()
{
    return TCurrencyData{QStringLiteral("RUB"), QStringLiteral("Российские рубли"), 1, 1.0};
}

} // namespace orvel
