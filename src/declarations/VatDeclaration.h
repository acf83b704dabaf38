#pragma once
// The VAT declaration of an individual entrepreneur: its fields and its cell
// map on the sheets of shablon/nds.xls.
#include "declarations/DeclarationStep.h"

#include <QString>

namespace orvel {

// The template the declaration is filled into, in the program's shablon folder.
inline constexpr char kVatDeclarationTemplate[] = "nds.xls";

// The declaration's fields as typed in the window (masked fields with their
// blanks and literals).
struct VatDeclarationFields {
    QString surname, firstName, patronymic;
    QString inn, correction, period, year;
    QString taxOffice;              // the tax office's code
    bool filedWhereRegistered = false; // filed where the taxpayer is registered
    QString okved1, okved2, okved3; // the three parts of the activity code
    QString phone;
    QString okato, kbk;
    QString taxBase, vat;           // the amounts as shown
};

// Fills the open workbook, a copy of the template, sheet by sheet; progress
// hears 10 to 90 per cent on the way.
void fillVatDeclaration(SpreadsheetApp &app, const VatDeclarationFields &fields,
                        const DeclarationProgress &progress);

} // namespace orvel
