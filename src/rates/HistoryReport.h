#pragma once
// What the history window shows of a currency's records, without widgets:
// the figures line, the rates as text, the .csv export, and the lookups the
// chart needs (the record nearest a point in time, the rates of a stretch).
#include "rates/RateDocument.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <cstddef>
#include <vector>

namespace orvel {

// A rate of one unit as shown: amount text with at least four decimals
// ("80,5000", "0,150917"), the locale's decimal separator.
QString rateText(double value);

struct HistoryFigures {
    std::size_t first = 0, last = 0, min = 0, max = 0; // record indexes; min and max the first such day
    double change = 0;        // last - first, roubles per unit
    double changePercent = 0; // change / first * 100, to hundredths
    bool nominalChanged = false;
};

// The figures of a non-empty record list (per unit throughout).
HistoryFigures historyFigures(const std::vector<RateRecord> &records);

// "За 1 USD: начало 78,2391 (10.09.2026), конец 79,1234 (10.12.2026),
// минимум 77,0001 (01.10.2026), максимум 80,5000 (05.11.2026), изменение
// +0,8843 руб. (+1,13 %)", then "; номинал менялся (1000 → 1)" when it did.
// "Нет данных за период" for no records.
QString figuresLine(const std::vector<RateRecord> &records, const QString &code);

// UTF-8 with a byte order mark, ";" between fields, a decimal comma, CRLF:
// "Дата;Номинал;Курс;Курс за 1 единицу", then one line per record.
QByteArray historyCsv(const std::vector<RateRecord> &records);

// The index of the record nearest to `when` (ties go to the earlier one);
// the records are in date order and not empty.
std::size_t nearestRecord(const std::vector<RateRecord> &records, const QDate &when);

// The lowest and highest rate per unit of the records from `from` to `to`;
// false when none falls there.
bool rateRange(const std::vector<RateRecord> &records, const QDate &from, const QDate &to, double &low, double &high);

// The rate axis for rates from `low` to `high`: ends and ticks on a round
// step (1, 2 or 5 times a power of ten, about five steps), and the decimals
// that step needs. A flat stretch gets a step around its rate.
struct RateAxis {
    double min = 0, max = 1;
    int ticks = 2;
    int decimals = 0;
};
RateAxis rateAxis(double low, double high);

// How many ticks the time axis has over `days` days: on whole days when the
// stretch is short (every day, every other day...), about six otherwise.
int dayTicks(qint64 days);

} // namespace orvel
