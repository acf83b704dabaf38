#pragma once
// The payment schedule of a loan with differentiated payments, written into a
// new workbook of the spreadsheet application and offered for saving.
#include "declarations/LoanScheduleSheet.h"

class TForm1;

namespace orvel {

// Fills the schedule of the loan tab's fields, offers it for saving (the
// dialog belongs to form) and says in the tab's result line whether it was
// saved. A failure throws and leaves the line as it was.
void exportSchedule(TForm1 &form, const LoanScheduleFields &loan);

} // namespace orvel
