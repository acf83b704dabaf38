#pragma once
// A deposit's calculation as the user reads it, in the window and in every
// file it is saved to: the inputs, the schedule and tax tables as cells of
// the export machinery, the summary. No widgets: the window's tables show
// these very cells, so what is saved is what was seen.
#include "calc/DepositSchedule.h"
#include "ui/export/ExportDocument.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

namespace orvel {

// The six ways the interest is credited, in the order the window offers
// them: "в конце срока", "ежемесячная выплата" (both paid out), then
// capitalized "ежедневно", "ежемесячно", "ежеквартально", "ежегодно".
std::vector<std::pair<Capitalization, Payout>> depositModes();
QString depositModeText(Capitalization capitalization, Payout payout);

// One flow as the user typed it in the flows editor.
struct DepositFlowInput {
    QDate date;
    std::int64_t kopecks; // > 0 a top-up, < 0 a withdrawal
};

// Everything one calculation was made of, and its result.
struct DepositReport {
    // The flows are the monthly top-ups first (topUpCount of them), then the
    // editor's rows that were counted, in the editor's order: on a day with
    // both, the regular top-up comes in before a withdrawal is asked for.
    DepositTerms terms{};
    DepositResult result{};
    int term = 0;               // as typed, in days or months
    bool termInMonths = false;
    std::int64_t monthlyTopUp = 0; // 0: none
    std::size_t topUpCount = 0;
    QDate keyRateKnownUntil;       // the key rate's last known day
    QString keyRateStatus;         // where the key rate came from (KeyRateStore::statusText())
    QString keyRateError;          // why the bank could not be asked, or empty
};

// The schedule table: one row per run of days (DepositRow). The credit
// column holds what was capitalized ("Причислено к вкладу"), or what was
// paid out when nothing is ("Выплачено"): one deposit does only one of them.
enum DepositColumn {
    DepFrom, DepTo, DepDays, DepBalance, DepAccrued, DepCredited, DepFlow, DepBalanceAfter, DepColumnCount
};
// The tax table: one row per calendar year with a credit.
enum DepositTaxColumn {
    TaxYear, TaxInterest, TaxOther, TaxKeyRate, TaxAllowance, TaxTaxable, TaxAmount, TaxNote, TaxColumnCount
};

// The columns, rows and totals row of each table. The schedule's rows with
// a top-up or withdrawal of the flows editor are marked (the monthly
// top-ups would mark every month). Paper has room for fewer columns: there
// the schedule leaves out the accrued interest (the credit column holds the
// interest that counts) and the tax table the other deposits' interest
// (the same every year, and among the inputs).
ExportTable depositScheduleTable(const DepositReport &report, bool paper = false);
ExportTable depositTaxTable(const DepositResult &result, const QDate &keyRateKnownUntil, bool paper = false);

// What a tax year's row says of it: that its interest is exempt, that
// other rules applied that year, that the key rate was taken as the last
// known one, or that the income stays within the allowance.
QString depositYearNote(const DepositYear &year, const QDate &keyRateKnownUntil);

// The window's line over everything: the tab's amount (as money when the
// schedule can take it, else as it was read) and rate.
QString depositHeadline(double amount, double rate, const QLocale &locale = QLocale());
// The interest, the tax, the net income, what was put in and what comes
// back, the effective rate where there is one, and what the key rate was
// assumed for.
QStringList depositSummaryLines(const DepositReport &report, const QLocale &locale = QLocale());

// The title, the inputs (the flows as a list of their own in a workbook),
// both tables, the summary and the key rate's source; for a workbook a line
// chart of the balance; on paper (`paper`: a PDF or the printer) the chart
// that `chart` draws.
ExportDocument depositDocument(const DepositReport &report, bool paper, const QLocale &locale = QLocale(),
                               ChartPainter chart = {});

} // namespace orvel
