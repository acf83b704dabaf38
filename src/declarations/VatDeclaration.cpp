#include "declarations/VatDeclaration.h"

#include "declarations/DeclarationMap.h"

namespace orvel {

namespace {

using Step = DeclarationMap<VatDeclarationFields>::Step;
using F = VatDeclarationFields;

const DeclarationMap<VatDeclarationFields> kMap{
    // Range("A1:DN79").Replace per position; a failed replacement only
    // leaves its placeholder. The apostrophe makes the cell keep the
    // character as text.
    "A1:DN79",
    "'",
    {
        Step::sheet("стр.2"),
        Step::group("АО", 11, &F::okato),
        Step::group("КБК", 20, &F::kbk),
        Step::progress(10),
        Step::group("СМ", 12, &F::vat).blankPadded(),

        Step::sheet("стр.4"),
        Step::progress(15),
        Step::group("СМ", 12, &F::vat).blankPadded(),
        Step::group("СУ", 12, &F::taxBase).blankPadded(),
        Step::progress(20),

        Step::sheet("стр.1"),
        Step::group("ОКВ", 2, &F::okved1),
        Step::group("П", 2, &F::okved2),
        Step::group("ОКВЕ", 2, &F::okved3),
        Step::progress(30),
        Step::group("ф", 4, &F::taxOffice),
        Step::group("И", 12, &F::inn),
        Step::group("Г", 4, &F::year),
        Step::group("ТЕЛ", 14, &F::phone),
        Step::group("К", 3, &F::correction),
        Step::group("Н", 2, &F::period),
        Step::progress(40),

        // Twenty letter cells per name.
        Step::letters(&F::surname, 16, 1, 20),
        Step::progress(50),
        Step::letters(&F::firstName, 18, 1, 20),
        Step::progress(60),
        // The patronymic's steps come whether or not its letters exist.
        Step::letters(&F::patronymic, 20, 1, 9),
        Step::progress(70),
        Step::letters(&F::patronymic, 20, 10, 16),
        Step::progress(80),
        Step::letters(&F::patronymic, 20, 17, 20),
        Step::progress(90),

        // The place code "400": filed where the taxpayer is registered.
        Step::text("DF14", "'4").only(&F::filedWhereRegistered),
        Step::text("DI14", "'0").only(&F::filedWhereRegistered),
        Step::text("DL14", "'0").only(&F::filedWhereRegistered),
    },
};

} // namespace

void fillVatDeclaration(SpreadsheetApp &app, const VatDeclarationFields &fields, const DeclarationProgress &progress)
{
    fillDeclaration(app, kMap, fields, progress);
}

} // namespace orvel
