#pragma once
// Cell addresses as the spreadsheet writes them ("B7", "$B$7") and the
// zero-based column and row the office counts in.
#include <QString>

namespace orvel {

// "B7" or "$B$7": the zero-based column and row of one cell. False for
// anything else, and for a cell beyond the office's own limits (columns A
// to AMJ, rows 1 to 1048576).
bool singleCell(const QString &address, int &col, int &row);

// "B7" of the zero-based column and row.
QString cellName(int col, int row);

} // namespace orvel
