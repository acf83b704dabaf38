#pragma once
// How the deposit window reads what the user typed: amounts as amount text
// (as the deposit tab reads them), the term, the flows editor's rows, and
// the calculation that leaves out the flows the schedule refuses, each with
// its reason. No widgets.
#include "calc/DepositSchedule.h"
#include "rates/KeyRate.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvel {

// Roubles as kopecks for the schedule, rounded to the nearest kopeck (ties
// to even). A figure beyond the schedule's largest is passed on as just
// over it, so the schedule refuses it with the message that names the field.
std::int64_t depositKopecks(double roubles);

// A field's amount text; the conversion error is prefixed with the field's
// name ("Ежемесячное пополнение: 'x' is not a valid floating point value").
// An empty field reads as 0.
double readDepositField(const QString &text, const QString &name);

// The term as typed: a whole number of days (1..18 300) or months
// (1..600), or the term's error. kMaxDepositYears bounds both; the schedule
// itself refuses a closing day more than that many years on.
int readDepositTerm(const QString &text, bool months);
// The closing day of a term from the opening day.
QDate depositCloses(const QDate &opened, int term, bool months);

// One row of the flows editor: counted (flow) or left out with a note; a
// note without error is a row still being typed.
struct FlowState {
    std::optional<DepositFlow> flow;
    QString note;
    bool error = false;
};
FlowState readFlow(const QDate &date, const QString &amount, bool withdrawal);

// depositSchedule() over terms whose flows are `topUps` generated ones
// followed by the editor's counted rows (rowOf[k] the editor row of the
// k-th of those). A flow the schedule refuses (a date outside the term, a
// withdrawal below the minimum balance) is left out and the calculation
// made again; its row's state says why. Other errors are thrown as they
// come. On return, terms.flows and rowOf hold what was counted.
DepositResult depositLeavingOut(DepositTerms &terms, std::size_t topUps, std::vector<int> &rowOf,
                                std::vector<FlowState> &rows, const KeyRateHistory &keyRate);

} // namespace orvel
