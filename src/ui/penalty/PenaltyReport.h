#pragma once
// A penalty calculation as the user reads it, in the window and in every
// file it is saved to: the terms with the numbers the window gives its debts
// and payments, the result, the key rate it ran on, the column titles, the
// cells and the totals. No widgets.
#include "calc/Penalty.h"
#include "ui/export/ExportDocument.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvel {

struct PenaltyReport {
    PenaltyTerms terms{PenaltyKind::TaxPerson, {}, {}, QDate(), false};
    PenaltyResult result{};
    // Per debt and payment of `terms`: its number in the window's editor
    // (from 1). Rows still being typed are left out of the terms, so the
    // numbers may skip.
    std::vector<int> debtNumbers{};
    std::vector<int> paymentNumbers{};
    KeyRateHistory keyRate{}; // what the calculation ran on
    QString keyRateSource{};  // "Ключевая ставка: встроенные данные, известна по 20.03.2026"
};

// The kinds in the order the window offers them.
QString penaltyKindText(PenaltyKind kind); // "Пени по налогу: организация"
// "Пени" or "Проценты": the title of the amount column and of the totals.
QString penaltyWord(PenaltyKind kind);

enum PenaltyColumn {
    PenColDebt,
    PenColFrom,
    PenColTo,
    PenColDays,
    PenColBase,
    PenColRate,
    PenColShare,
    PenColFormula,
    PenColAmount,
    PenColCount
};
QString penaltyColumnTitle(int column, PenaltyKind kind);
// "1/300"; empty for 0.
QString penaltyShareText(int denominator);

// Row `row` of the result, column `column`, as a value: the debt's number in
// the window, dates, days, kopecks, the rate as a percentage, the share and
// the formula as texts.
ExportCell penaltyCell(const PenaltyReport &report, std::size_t row, int column);

// The tax penalties of the row's debt reached the debt with this row, so
// nothing accrues on it after the row.
bool penaltyCapRow(const PenaltyReport &report, std::size_t row);

// What the note under debt `debt` (of the terms) says: its total, and that
// it reached the debt or that the debt has no delay yet.
QString penaltyDebtNote(const PenaltyReport &report, std::size_t debt, const QLocale &locale = QLocale());

// The totals: per debt (when there are several), the whole sum, the debt
// left unpaid at the end of the last day and what was paid beyond it.
QStringList penaltyTotalLines(const PenaltyReport &report, const QLocale &locale = QLocale());

} // namespace orvel
