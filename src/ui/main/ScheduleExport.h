#pragma once
// The payment schedule of a loan with differentiated payments, written into a
// new workbook of the spreadsheet application.
class TForm1;

namespace orvel {
void exportSchedule(TForm1 &form, double amount, double rate, double term);
} // namespace orvel
