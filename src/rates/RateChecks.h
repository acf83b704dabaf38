#pragma once
// Whether a document the bank sent is the answer asked for. Past days and
// past periods are read from the cache for good, so what is kept must be
// right: a wrong answer is refused, with a message that says what differs,
// and never kept.
#include "rates/RateDocument.h"

#include <QDate>
#include <QString>

namespace orvel {

// The highest rate of one unit that reads, in roubles. No currency has come
// near it (the highest rates the bank has published are some thousands of
// roubles a unit); anything above is a broken document, whose axis could not
// even be drawn.
inline constexpr double kMaxRatePerUnit = 1e9;

// How many days before the requested day a daily answer may be dated. The
// bank publishes no rates over weekends and holidays and answers such a day
// with the last rates before it; the longest such gap, the New Year
// holidays, is under two weeks.
inline constexpr int kMaxRateAgeDays = 15;

// The rates of a requested day: dated on that day or at most
// kMaxRateAgeDays before it, and every row with a Nominal of at least 1 and
// a Value above 0 and at most kMaxRatePerUnit a unit. Otherwise OrvelError:
// "Сервер ЦБ РФ прислал курсы на 01.01.2001 вместо курсов на 22.03.2025",
// "Курсы ЦБ РФ от 22.03.2025: номинал USD равен 0", "...: курс USD равен
// -7850", "...: курс USD слишком велик (1E307 руб. за единицу)".
void checkDatedRates(const RateSnapshot &rates, const QDate &requested);

// A history of `id` from `from` to `to`: the root's ID is `id` and every
// record lies in the period; a history without records must also name that
// period (a document that does not is not the bank's answer for it).
// Otherwise OrvelError: "Сервер ЦБ РФ прислал динамику валюты R99999 вместо
// R01235", "Сервер ЦБ РФ прислал курс на 05.02.2023 вне периода 01.01.2023 –
// 31.01.2023", "Сервер ЦБ РФ прислал динамику за 01.01.2026 – 02.01.2026
// вместо 01.01.2023 – 31.01.2023".
void checkRateHistory(const RateHistory &history, const QString &id, const QDate &from, const QDate &to);

} // namespace orvel
