#pragma once
// The rate document fixtures (windows-1251, as the bank serves them) and
// small helpers to compare rate tables.
#include "rates/RateTable.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

namespace orveltest {

inline QString fixturePath(const QString &name)
{
    return qEnvironmentVariable("ORVEL_SOURCE_DIR") + QStringLiteral("/tests/rates/fixtures/") + name;
}

inline QByteArray fixture(const QString &name)
{
    QFile f(fixturePath(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A row as "CharCode|Name|Nominal|Value" (Value with 17 digits), so whole
// tables compare as string lists with readable failures.
inline QString rowText(const TCurrencyData &r)
{
    return QStringLiteral("%1|%2|%3|%4").arg(r.CharCode, r.Name).arg(r.Nominal).arg(r.Value, 0, 'g', 17);
}

inline QStringList tableText(const orvel::RateTable &t)
{
    QStringList out;
    for (const TCurrencyData &r : t)
        out << rowText(r);
    return out;
}

inline const QStringList &dailyRows()
{
    static const QStringList rows{
        "RUB|Российские рубли|1|1",
        "USD|Доллар США|1|78.239099999999993",
        "EUR|Евро|1|91.054199999999994",
        "KZT|Казахстанских тенге|100|15.091699999999999",
        "UAH|Украинских гривен|10|18.772600000000001",
        "JPY|Японских иен|100|50.447299999999998",
    };
    return rows;
}

inline QStringList namesOf(const QStringList &rows)
{
    QStringList names;
    for (const QString &r : rows)
        names << r.section(QLatin1Char('|'), 1, 1);
    return names;
}

} // namespace orveltest
