#include "declarations/SimplifiedDeclaration.h"

#include "declarations/DeclarationMap.h"

namespace orvel {

namespace {

using Step = DeclarationMap<SimplifiedDeclarationFields>::Step;
using F = SimplifiedDeclarationFields;

const DeclarationMap<SimplifiedDeclarationFields> kMap{
    // The characters go in bare: the template's cells keep them as text.
    "A1:EI69",
    "",
    {
        // Everything goes to the sheet that is active when the workbook opens.
        Step::progress(8),
        Step::group("АО", 11, &F::okato),
        Step::progress(10),
        Step::group("ГД", 4, &F::year),
        Step::group("КП", 9, &F::kpp),
        Step::group("КД", 4, &F::taxOfficeCode),
        Step::progress(15),
        Step::group("И", 12, &F::inn),
        Step::group("Ш", 2, &F::okved1),
        Step::progress(20),
        Step::group("Щ", 2, &F::okved2),
        Step::group("Ч", 2, &F::okved3),
        Step::progress(25),

        Step::text("W17", &F::taxOfficeName),
        Step::text("C20", &F::organisation),
        Step::progress(30),

        // The kind: 1 primary, 3 corrective with its number.
        Step::number("O14", 1).only(&F::primary),
        Step::number("O14", 3).only(&F::corrective),
        Step::progress(35).only(&F::corrective),
        Step::text("V14", &F::correctionNumber).only(&F::corrective),
        Step::progress(40),
        Step::text("AZ43", &F::phone),

        // One row per tax: its name, its chapter of the Tax Code's second
        // part (21 VAT, 25 the profit tax), the period and the quarter.
        Step::text("F34", "Налог на добавленную стоимость").only(&F::vatRow),
        Step::progress(45).only(&F::vatRow),
        Step::text("CE34", "21").only(&F::vatRow),
        Step::text("DA34", &F::vatPeriod).only(&F::vatRow),
        Step::progress(50).only(&F::vatRow),
        Step::character("DP34", &F::vatQuarter, 1).only(&F::vatRow),
        Step::character("DU34", &F::vatQuarter, 2).only(&F::vatRow),
        Step::progress(60).only(&F::vatRow),

        Step::text("F36", "Налог на прибыль организаций").only(&F::profitRow),
        Step::progress(70).only(&F::profitRow),
        Step::text("CE36", "25").only(&F::profitRow),
        Step::progress(80).only(&F::profitRow),
        Step::text("DA36", &F::profitPeriod).only(&F::profitRow),
        Step::character("DP36", &F::profitQuarter, 1).only(&F::profitRow),
        Step::progress(90).only(&F::profitRow),
        Step::character("DU36", &F::profitQuarter, 2).only(&F::profitRow),
    },
};

} // namespace

void fillSimplifiedDeclaration(SpreadsheetApp &app, const SimplifiedDeclarationFields &fields,
                               const DeclarationProgress &progress)
{
    fillDeclaration(app, kMap, fields, progress);
}

} // namespace orvel
