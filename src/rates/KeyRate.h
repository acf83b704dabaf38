#pragma once
// The Bank of Russia's key rate as a step function of the day.
//
// Since 01.01.2016 the refinancing rate equals the key rate (Bank of Russia
// directive 3894-U of 11.12.2015), so the penalties of the Tax Code (art. 75)
// and the interest of the Civil Code (art. 395) both follow this one series.
#include <QByteArray>
#include <QDate>

#include <vector>

namespace orvel {

// Percent per year, in force from `from` until the next step.
struct KeyRateStep {
    QDate from;
    double rate;
};

struct KeyRateHistory {
    std::vector<KeyRateStep> steps; // ascending, each rate differs from the one before
    QDate knownUntil;               // the last day the data speaks for
};

// The rate in force on `day`. Throws OrvelError for a day before the first
// step or after knownUntil.
double keyRateOn(const KeyRateHistory &h, const QDate &day);

// Reads the bank's KeyRateXML answer. Throws OrvelError.
KeyRateHistory readKeyRateAnswer(const QByteArray &document, const QDate &knownUntil);

} // namespace orvel
