// The rate document as fetched from the bank: any bytes either read into the
// rate table or fail with one of the reader's messages. A document that loads
// is written to the cache (in a private temporary folder), and a document that
// reads without an error reads again from that cache to the same table.
// The same bytes also go through the dynamics reader, which gives sound
// records in date order or one of its messages.
#include "calc/OrvelError.h"
#include "FuzzCheck.h"
#include "FuzzFolder.h"
#include "rates/RateDocument.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

QString rowText(const TCurrencyData &r)
{
    return QStringLiteral("%1|%2|%3|%4").arg(r.CharCode, r.Name).arg(r.Nominal).arg(r.Value, 0, 'g', 17);
}

QStringList tableText(const orvel::RateTable &t)
{
    QStringList out;
    for (const TCurrencyData &r : t)
        out << rowText(r);
    return out;
}

bool knownMessage(const QString &m)
{
    static const QStringList fixed{QStringLiteral("No active document"), QStringLiteral("List index out of bounds (1)"),
                                   QStringLiteral("Element does not contain a single text node"),
                                   // a rate beyond the range of a double
                                   QStringLiteral("Floating point overflow")};
    return fixed.contains(m) || m.endsWith(QLatin1String("'' is not a valid date"))
           || m.endsWith(QLatin1String("'' is not a valid integer value"))
           || m.endsWith(QLatin1String("' is not a valid floating point value"));
}

// The same bytes as a dynamics document: records in date order, each with a
// positive nominal and rate, or one of the reader's messages.
void readAsHistory(const QByteArray &bytes)
{
    orvel::RateHistory history;
    QString error;
    try {
        history = orvel::readRateHistory(bytes);
    } catch (const OrvelError &e) {
        error = e.message();
    }
    FUZZ_CHECK(error.isEmpty() || knownMessage(error) || error.endsWith(QLatin1String("'' is not a valid nominal"))
                   || error.endsWith(QLatin1String("' is not a valid rate")),
               "unexpected history message: %s", qPrintable(error));
    for (std::size_t i = 0; i < history.records.size(); ++i) {
        const orvel::RateRecord &r = history.records[i];
        FUZZ_CHECK(r.date.isValid() && r.nominal > 0 && r.value > 0 && r.perUnit > 0, "record %zu is not sound", i);
        FUZZ_CHECK(i == 0 || history.records[i - 1].date <= r.date, "record %zu is out of order", i);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    readAsHistory(bytes);
    const QString cache = fuzzFolder() + QStringLiteral("/cbr.xml");
    QFile::remove(cache);

    orvel::RateTable table{TCurrencyData{QStringLiteral("OLD"), QStringLiteral("old"), 1, 2.5}};
    orvel::StringListSink list;
    list.items = QStringList{QStringLiteral("old")};
    QString error;
    try {
        orvel::readRateDocumentData(bytes, table, list, cache);
    } catch (const OrvelError &e) {
        error = e.message();
    }
    FUZZ_CHECK(error.isEmpty() || knownMessage(error), "unexpected message: %s", qPrintable(error));
    if (error == QLatin1String("No active document")) {
        FUZZ_CHECK(!QFile::exists(cache), "a document that did not load left a cache");
        return 0;
    }
    FUZZ_CHECK(QFile::exists(cache), "a loaded document left no cache (%s)", qPrintable(error));
    if (!error.isEmpty())
        return 0;

    // Item i of the list names row i of the table.
    FUZZ_CHECK(list.items.size() == static_cast<qsizetype>(table.size()), "%lld items for %zu rows",
               static_cast<long long>(list.items.size()), table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        FUZZ_CHECK(list.items[static_cast<qsizetype>(i)] == table[i].Name, "item %zu is not row %zu", i, i);

    // The cache reads back to the same table.
    orvel::RateTable again;
    orvel::StringListSink againList;
    QString againError;
    try {
        orvel::readRateDocument(cache, again, againList, fuzzFolder() + QStringLiteral("/reread.xml"));
    } catch (const OrvelError &e) {
        againError = e.message();
    }
    FUZZ_CHECK(againError.isEmpty(), "the cache does not read back: %s", qPrintable(againError));
    FUZZ_CHECK(tableText(again) == tableText(table), "the cache reads back as\n%s\ninstead of\n%s",
               qPrintable(tableText(again).join(QLatin1Char('\n'))), qPrintable(tableText(table).join(QLatin1Char('\n'))));
    return 0;
}
