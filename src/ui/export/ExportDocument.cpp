#include "ui/export/ExportDocument.h"

#include "calc/Numbers.h"
#include "calc/ScheduleReport.h"

#include <QLocale>

namespace orvel {

namespace {

QString dateText(const QDate &date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

// The text of a cell; money and other numbers in the given forms.
template <typename MoneyText, typename NumberText>
QString cellText(const ExportCell &cell, MoneyText money, NumberText number, const QString &percentSign)
{
    if (const auto *text = std::get_if<QString>(&cell))
        return *text;
    if (const auto *date = std::get_if<QDate>(&cell))
        return dateText(*date);
    if (const auto *kopecks = std::get_if<Kopecks>(&cell))
        return money(kopecks->value);
    if (const auto *percent = std::get_if<Percent>(&cell))
        return number(percent->points) + percentSign;
    if (const auto *whole = std::get_if<std::int64_t>(&cell))
        return QString::number(*whole);
    if (const auto *value = std::get_if<double>(&cell))
        return number(*value);
    return QString();
}

} // namespace

QString paperText(const ExportCell &cell, const QLocale &locale)
{
    return cellText(
        cell, [&](std::int64_t k) { return moneyText(k, locale); },
        [&](double v) { return showAmount(v, locale.decimalPoint()); }, QStringLiteral(" %"));
}

QString csvText(const ExportCell &cell)
{
    const QString comma = QStringLiteral(",");
    return cellText(
        cell, [&](std::int64_t k) { return plainMoneyText(k, comma.front()); },
        [&](double v) { return showAmount(v, comma); }, QString());
}

QString inputLine(const ExportInput &input, const QLocale &locale)
{
    QStringList values;
    for (const ExportCell &value : input.values)
        values << paperText(value, locale);
    QString line = input.label;
    if (!values.isEmpty())
        line += QStringLiteral(": ") + values.join(QStringLiteral(", "));
    if (!input.unit.isEmpty())
        line += QLatin1Char(' ') + input.unit;
    return line;
}

} // namespace orvel
