#pragma once
// The payment schedule of a loan with differentiated payments as a sheet of
// formulas: the loan's fields as typed, and one row per month that the
// spreadsheet application computes from them.
#include "office/Spreadsheet.h"

#include <QString>

namespace orvel {

// The loan tab's fields: the texts as typed (the sheet shows them and its
// formulas read them), and the amount and the term as the calculation read
// them.
struct LoanScheduleFields {
    QString amountText, rateText, termText;
    double amount = 0, term = 0;
};

// Fills the active sheet of a new workbook: the title with makerSite, the
// three fields, the column headings and the rows of the months. The texts of
// the term, the amount and the rate must be whole numbers, checked in that
// order, and every row divides the amount by the term; a failure throws
// before anything is written.
void fillLoanScheduleSheet(SpreadsheetApp &app, const LoanScheduleFields &loan, const QString &makerSite);

} // namespace orvel
