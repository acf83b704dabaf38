#pragma once
// The rate table: one process-wide list of currency rows. Row 0 is the rouble
// row after every read that got as far as the document's date; the other rows
// follow the rate document in its order.
#include <QString>

#include <vector>

struct TCurrencyData {
    QString CharCode; // "RUB" in the rouble row
    QString Name;     // what the converter lists show
    int Nominal = 0;  // units of the currency that Value is quoted for
    double Value = 0; // price in roubles of Nominal units
    QString ID = {};  // the bank's own key of the currency ("R01235"), which its
                      // history is asked for by; empty in the rouble row
};

namespace orvel {

using RateTable = std::vector<TCurrencyData>;

// The table the whole program converts with. Empty until the first read;
// the main window empties it when it is destroyed.
RateTable &rateTable();

// The rouble row that heads every rebuilt table.
TCurrencyData roubleRow();

} // namespace orvel
