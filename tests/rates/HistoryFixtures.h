#pragma once
// A long dynamics document, as the bank would serve ten years of one
// currency: a record for every day from Tuesday to Saturday (the days the
// bank's rates take effect), a rate that wanders between 55 and 105 roubles
// with four decimals, windows-1251 like the bank's. Shared by the tests and
// the benchmark.
#include <QByteArray>
#include <QDate>

namespace orveltest {

inline QByteArray historyDocument(const QDate &from, const QDate &to, const QByteArray &id = "R01235")
{
    QByteArray doc = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><ValCurs ID=\"" + id + "\" DateRange1=\""
                     + from.toString("dd.MM.yyyy").toLatin1() + "\" DateRange2=\""
                     + to.toString("dd.MM.yyyy").toLatin1() + "\" name=\"Foreign Currency Market Dynamic\">";
    long long tenThousandths = 750000; // 75,0000
    unsigned state = 12345;
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        if (d.dayOfWeek() == Qt::Sunday || d.dayOfWeek() == Qt::Monday)
            continue;
        state = state * 1103515245u + 12345u;
        const long long step = static_cast<long long>((state >> 16) % 8001) - 4000;
        tenThousandths += step;
        if (tenThousandths < 550000 || tenThousandths > 1050000)
            tenThousandths -= 2 * step; // turns back at the edges
        const QByteArray value = QByteArray::number(tenThousandths / 10000) + ','
                                 + QByteArray::number(tenThousandths % 10000).rightJustified(4, '0');
        doc += "<Record Date=\"" + d.toString("dd.MM.yyyy").toLatin1() + "\" Id=\"" + id + "\"><Nominal>1</Nominal><Value>"
               + value + "</Value><VunitRate>" + value + "</VunitRate></Record>";
    }
    return doc + "</ValCurs>";
}

// Ten years up to `to`.
inline QByteArray tenYearHistory(const QDate &to = QDate(2026, 11, 30))
{
    return historyDocument(to.addYears(-10).addDays(1), to);
}

} // namespace orveltest
