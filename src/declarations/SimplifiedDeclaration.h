#pragma once
// The unified simplified ("zero") declaration of an organisation or an
// entrepreneur: its fields and its cell map on shablon/upr.xls.
#include "declarations/DeclarationStep.h"

#include <QString>

namespace orvel {

// The template the declaration is filled into, in the program's shablon folder.
inline constexpr char kSimplifiedDeclarationTemplate[] = "upr.xls";

// The declaration's fields as typed in the window (masked fields with their
// blanks and literals).
struct SimplifiedDeclarationFields {
    QString inn, kpp;
    bool primary = false, corrective = false; // the kind of declaration, if chosen
    QString correctionNumber;
    QString year;
    QString taxOfficeName, taxOfficeCode;
    QString organisation;                     // full name of the organisation or entrepreneur
    QString okato;
    QString okved1, okved2, okved3;           // the three parts of the activity code
    QString phone;
    // The taxes the declaration covers: each row with its period and quarter.
    bool vatRow = false;
    QString vatPeriod, vatQuarter;
    bool profitRow = false;
    QString profitPeriod, profitQuarter;
};

// Fills the open workbook, a copy of the template; progress hears 8 to 90
// per cent on the way.
void fillSimplifiedDeclaration(SpreadsheetApp &app, const SimplifiedDeclarationFields &fields,
                               const DeclarationProgress &progress);

} // namespace orvel
