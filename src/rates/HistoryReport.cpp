#include "rates/HistoryReport.h"

#include "calc/Checked.h"
#include "calc/Csv.h"
#include "calc/Numbers.h"

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

// A change as shown: "+" before a rise, "-" before a fall, no sign for none.
QString signedText(double value, const QString &text)
{
    if (value > 0)
        return QLatin1Char('+') + text;
    if (value < 0 || !text.startsWith(QLatin1Char('-')))
        return text;
    return text.mid(1);
}

QString rateText(double value, const QString &separator)
{
    QString s = showAmount(value, separator);
    if (s.contains(QLatin1Char('E')))
        return s;
    qsizetype at = s.indexOf(separator);
    if (at < 0) {
        s += separator;
        at = s.size() - separator.size();
    }
    const qsizetype decimals = s.size() - at - separator.size();
    if (decimals < 4)
        s += QString(4 - decimals, QLatin1Char('0'));
    return s;
}

} // namespace

QString rateText(double value) { return rateText(value, decimalSeparator()); }

HistoryFigures historyFigures(const std::vector<RateRecord> &records)
{
    HistoryFigures f;
    f.last = records.size() - 1;
    for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i].perUnit < records[f.min].perUnit)
            f.min = i;
        if (records[i].perUnit > records[f.max].perUnit)
            f.max = i;
        if (records[i].nominal != records[0].nominal)
            f.nominalChanged = true;
    }
    const X first = records[f.first].perUnit;
    const X change = X(records[f.last].perUnit) - first;
    // The rates have a few decimals (four, more for a nominal above 1); the
    // difference of their binary forms is rounded back to ten decimals so
    // that 78,1034 - 80,5 shows as -2,3966.
    f.change = (X(std::nearbyint((change * X(1e10L)).value())) / X(1e10L)).stored();
    // Rates are never 0 (the reader refuses them), so the quotient is safe.
    f.changePercent = roundHundredths((change / first * X(100)).stored());
    return f;
}

QString figuresLine(const std::vector<RateRecord> &records, const QString &code)
{
    if (records.empty())
        return QStringLiteral("Нет данных за период");
    const HistoryFigures f = historyFigures(records);
    const auto at = [&](std::size_t i) {
        return rateText(records[i].perUnit) + QStringLiteral(" (") + shownDate(records[i].date) + QLatin1Char(')');
    };
    QString percent = QString::number(f.changePercent, 'f', 2);
    percent.replace(QLatin1Char('.'), decimalSeparator());
    QString line = QStringLiteral("За 1 %1: начало %2, конец %3, минимум %4, максимум %5, изменение %6 руб. (%7 %)")
                       .arg(code, at(f.first), at(f.last), at(f.min), at(f.max), signedText(f.change, rateText(f.change)),
                            signedText(f.changePercent, percent));
    if (f.nominalChanged)
        line += QStringLiteral("; номинал менялся (%1 → %2)").arg(records.front().nominal).arg(records.back().nominal);
    return line;
}

QByteArray historyCsv(const std::vector<RateRecord> &records)
{
    const QString comma = QStringLiteral(",");
    CsvText csv;
    csv.addLine({QStringLiteral("Дата"), QStringLiteral("Номинал"), QStringLiteral("Курс"),
                 QStringLiteral("Курс за 1 единицу")});
    for (const RateRecord &r : records)
        csv.addLine({shownDate(r.date), QString::number(r.nominal), showAmount(r.value, comma),
                     showAmount(r.perUnit, comma)});
    return csv.bytes();
}

std::size_t nearestRecord(const std::vector<RateRecord> &records, const QDate &when)
{
    const auto it = std::lower_bound(records.begin(), records.end(), when,
                                     [](const RateRecord &r, const QDate &d) { return r.date < d; });
    if (it == records.begin())
        return 0;
    if (it == records.end())
        return records.size() - 1;
    const auto before = it - 1;
    return before->date.daysTo(when) <= when.daysTo(it->date) ? static_cast<std::size_t>(before - records.begin())
                                                              : static_cast<std::size_t>(it - records.begin());
}

bool rateRange(const std::vector<RateRecord> &records, const QDate &from, const QDate &to, double &low, double &high)
{
    bool any = false;
    const auto begin = std::lower_bound(records.begin(), records.end(), from,
                                        [](const RateRecord &r, const QDate &d) { return r.date < d; });
    for (auto it = begin; it != records.end() && it->date <= to; ++it) {
        if (!any || it->perUnit < low)
            low = it->perUnit;
        if (!any || it->perUnit > high)
            high = it->perUnit;
        any = true;
    }
    return any;
}

RateAxis rateAxis(double low, double high)
{
    if (high < low)
        std::swap(low, high);
    if (!(high > low)) {
        const double room = std::max(std::fabs(high) * 0.01, 1e-6);
        low -= room;
        high += room;
    }
    const double span = high - low;
    // The round step that divides the span into at most five parts.
    const double raw = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= raw * (1 - 1e-9))
            break;
    }
    RateAxis axis;
    axis.min = std::floor(low / step + 1e-9) * step;
    axis.max = std::ceil(high / step - 1e-9) * step;
    if (axis.max <= axis.min)
        axis.max = axis.min + step;
    // A stretch that touches a tick gets a step of room above and below.
    if (axis.min >= low - step * 1e-9)
        axis.min -= step;
    if (axis.max <= high + step * 1e-9)
        axis.max += step;
    axis.ticks = static_cast<int>(std::lround((axis.max - axis.min) / step)) + 1;
    axis.decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 8);
    return axis;
}

int dayTicks(qint64 days)
{
    if (days <= 0)
        return 2;
    if (days <= 60) {
        for (const qint64 parts : {6, 5, 4, 7, 8, 3, 2, 1})
            if (parts <= days && days % parts == 0)
                return static_cast<int>(parts) + 1;
    }
    return 7;
}

} // namespace orvel
