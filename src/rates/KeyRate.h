#pragma once
// The Bank of Russia's key rate as a step function of the day.
//
// Since 01.01.2016 the refinancing rate equals the key rate (Bank of Russia
// directive 3894-U of 11.12.2015), so the penalties of the Tax Code (art. 75)
// and the interest of the Civil Code (art. 395) both follow this one series.
#include "calc/OrvelError.h"

#include <QByteArray>
#include <QDate>

#include <optional>
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

// The error keyRateOn() gives for a day the history does not speak for, or
// nothing for a day it covers. Inline, so calculations that walk the steps
// themselves (the penalties) refuse a day with the same words without the
// readers of this library.
inline std::optional<OrvelError> keyRateGap(const KeyRateHistory &h, const QDate &day)
{
    const auto shown = [](const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); };
    if (h.steps.empty())
        return OrvelError(QStringLiteral("Нет данных о ключевой ставке"));
    if (!day.isValid())
        return OrvelError(QStringLiteral("Ключевая ставка запрошена на неверную дату"));
    if (day < h.steps.front().from)
        return OrvelError(QStringLiteral("Ключевая ставка известна с %1").arg(shown(h.steps.front().from)));
    if (day > h.knownUntil)
        return OrvelError(QStringLiteral("Ключевая ставка известна по %1").arg(shown(h.knownUntil)));
    return std::nullopt;
}

// Reads the bank's KeyRateXML answer. Throws OrvelError.
KeyRateHistory readKeyRateAnswer(const QByteArray &document, const QDate &knownUntil);

// The answer is the SOAP reply of the bank's DailyInfo service:
//   <soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/" ...><soap:Body>
//     <KeyRateXMLResponse xmlns="http://web.cbr.ru/"><KeyRateXMLResult><KeyRate xmlns="">
//       <KR><DT>2024-10-28T00:00:00+03:00</DT><Rate>21.00</Rate></KR>
//       ... one row per working day, newest first
//   </KeyRate></KeyRateXMLResult></KeyRateXMLResponse></soap:Body></soap:Envelope>
// DT is the day (a Moscow midnight), Rate percent with a full stop whatever
// the locale, at most two significant decimals. Rows may come in any order;
// they collapse to steps where the rate differs from the day before.
// knownUntil is the last day the request asked for (the last row may be an
// earlier working day). The whole answer is refused, with a Russian message
// quoting what differs, for: more than kMaxKeyRateAnswer bytes, text that is
// not XML or has a document type declaration, another root than the SOAP
// envelope, a SOAP fault, a missing element on the way to the rows, a row
// that does not read, a day given twice, a day outside firstKeyRateDay() ..
// knownUntil, a rate outside 0..100, and no rows at all.

// The day the bank first set the key rate (its board's decision of 13.09.2013):
// the first day an answer may speak for.
QDate firstKeyRateDay();

// The largest answer read: the limit of a fetch from the bank (FetchLimits).
inline constexpr qint64 kMaxKeyRateAnswer = 4 * 1024 * 1024;

} // namespace orvel
