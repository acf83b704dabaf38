#include "declarations/LoanScheduleSheet.h"

#include "calc/Numbers.h"

namespace orvel {

namespace {

// Merges the area and writes the value into its first cell.
void mergedCell(SpreadsheetApp &app, const QString &area, const QString &value)
{
    app.rangeSelect(area);
    app.selectionMergeCells();
    app.setRangeText(area.section(QLatin1Char(':'), 0, 0), value);
}

} // namespace

void fillLoanScheduleSheet(SpreadsheetApp &app, const LoanScheduleFields &loan, const QString &makerSite)
{
    const int months = readInteger(loan.termText);
    readInteger(loan.amountText);
    readInteger(loan.rateText);
    // Every row divides the amount by the term.
    xdiv(loan.amount, loan.term);

    // Title and input block: the formulas read the amount from C2, the term
    // from C3 and the rate from C4.
    mergedCell(app, QStringLiteral("A1:E1"), QStringLiteral("График составлен программой Orvel ") + makerSite);
    mergedCell(app, QStringLiteral("A2:B2"), QStringLiteral("Сумма кредита:"));
    mergedCell(app, QStringLiteral("C2:D2"), loan.amountText);
    mergedCell(app, QStringLiteral("A3:B3"), QStringLiteral("Срок кредита (мес):"));
    mergedCell(app, QStringLiteral("C3:D3"), loan.termText);
    mergedCell(app, QStringLiteral("A4:B4"), QStringLiteral("Процентная ставка:"));
    mergedCell(app, QStringLiteral("C4:D4"), loan.rateText);

    app.setRangeText(QStringLiteral("A6"), QStringLiteral("№"));
    app.setRangeText(QStringLiteral("B6"), QStringLiteral("Остаток долга:"));
    app.setRangeText(QStringLiteral("C6"), QStringLiteral("Основной платеж (A):"));
    app.setRangeText(QStringLiteral("D6"), QStringLiteral("Ежемесячный платеж (A+B):"));
    app.setRangeText(QStringLiteral("E6"), QStringLiteral("Проценты(B):"));
    app.rangeSelect(QStringLiteral("A6:E6"));
    app.selectionWrapText();

    // One row per month, row r for month r - 6, written column by column.
    // A month's interest is that of 30 days of a 365-day year.
    const int last = months + 6; // no rows at all for a term below 1
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("A%1").arg(r), QStringLiteral("=%1-6").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("B%1").arg(r), QStringLiteral("=C2-(C2/C3)*(%1-7)").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("C%1").arg(r), QStringLiteral("=C2/C3"));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("D%1").arg(r), QStringLiteral("=C2/C3+C4*0.01*30/365*B%1").arg(r));
    for (int r = 7; r <= last; ++r)
        app.setRangeText(QStringLiteral("E%1").arg(r), QStringLiteral("=C4*0.01*30/365*B%1").arg(r));
}

} // namespace orvel
