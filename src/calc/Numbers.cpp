#include "calc/Numbers.h"

#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orvel {

QString decimalSeparator() { return QLocale().decimalPoint(); }

OrvelError notAFloat(const QString &text)
{
    return OrvelError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

ext readAmountExt(const QString &text, const QString &separator)
{
    // Rebuild the number in the C locale's form and let strtold round it
    // correctly to extended precision.
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    std::string c;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        c += static_cast<char>(text[i++].unicode());
    bool mantissa = false;
    std::string digits;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        digits += static_cast<char>(text[i++].unicode());
        mantissa = true;
    }
    std::string fraction;
    if (!separator.isEmpty() && text.mid(i, separator.size()) == separator) {
        i += separator.size();
        mantissa = true;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            fraction += static_cast<char>(text[i++].unicode());
    }
    if (!mantissa)
        throw notAFloat(text);
    c += digits.empty() ? "0" : digits;
    if (!fraction.empty())
        c += "." + fraction;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        std::string exponent;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            exponent += static_cast<char>(text[i++].unicode());
        std::string expDigits;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            expDigits += static_cast<char>(text[i++].unicode());
        if (!expDigits.empty())
            c += "e" + exponent + expDigits;
    }
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i != n)
        throw notAFloat(text);

    errno = 0;
    char *end = nullptr;
    const ext value = std::strtold(c.c_str(), &end);
    if (end != c.c_str() + c.size())
        throw notAFloat(text);
    if (errno == ERANGE && std::isinf(value))
        throw notAFloat(text);
    clearFlags(); // strtold may leave inexact or underflow behind; neither is a fault
    return value;
}

ext readAmountExt(const QString &text) { return readAmountExt(text, decimalSeparator()); }

double readAmount(const QString &text) { return store(readAmountExt(text)); }

QString showAmount(ext value, const QString &separator)
{
    if (value == 0 || std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    // d.dddddddddddddde[+-]x: 15 significant digits, correctly rounded.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", std::fabs(value));
    QString digits;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += QLatin1Char(*p);
    const int exp10 = std::atoi(p + 1);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    const int e = exp10 + 1; // value = 0.d1d2... * 10^e

    QString out;
    if (value < 0)
        out += QLatin1Char('-');
    if (e > 15 || e < -3) {
        out += digits.at(0);
        if (digits.size() > 1)
            out += separator + digits.mid(1);
        out += QLatin1Char('E');
        if (e - 1 < 0)
            out += QLatin1Char('-');
        out += QString::number(std::abs(e - 1));
    } else if (e <= 0) {
        out += QLatin1Char('0') + separator + QString(-e, QLatin1Char('0')) + digits;
    } else if (digits.size() <= e) {
        out += digits + QString(e - digits.size(), QLatin1Char('0'));
    } else {
        out += digits.left(e) + separator + digits.mid(e);
    }
    return out;
}

QString showAmount(ext value) { return showAmount(value, decimalSeparator()); }

int readInteger(const QString &text)
{
    const auto fail = [&]() {
        return OrvelError(QStringLiteral("''%1'' is not a valid integer value").arg(text));
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    // "$" or "0x", with a small x, starts hexadecimal digits: "0X10" is not
    // integer text. The digits themselves may be of either case.
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') && text[i + 1] == QLatin1Char('x')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        throw fail();
    unsigned long long value = 0;
    for (; i < n; ++i) {
        const int d = QChar(text[i]).isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0'
                      : base == 16 && text[i].toLower() >= QLatin1Char('a') && text[i].toLower() <= QLatin1Char('f')
                          ? text[i].toLower().unicode() - 'a' + 10
                          : -1;
        if (d < 0)
            throw fail();
        value = value * base + d;
        if (value > 0xFFFFFFFFull)
            throw fail();
    }
    if (base == 10) {
        if (negative ? value > 2147483648ull : value > 2147483647ull)
            throw fail();
        return negative ? static_cast<int>(-static_cast<long long>(value)) : static_cast<int>(value);
    }
    // Hexadecimal digits give the 32-bit pattern, as the platform's reader does.
    const int pattern = static_cast<int>(static_cast<unsigned int>(value));
    return negative ? static_cast<int>(0u - static_cast<unsigned int>(pattern)) : pattern;
}

} // namespace orvel
