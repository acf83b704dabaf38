#pragma once
// Reading the bank's daily rate document into the rate table.
//
// The document (from a file or from the bank over HTTP) looks like
//   <?xml version="1.0" encoding="windows-1251"?>
//   <ValCurs Date="06.12.2026" name="Foreign Currency Market">
//     <Valute ID="R01235"><NumCode>840</NumCode><CharCode>USD</CharCode>
//       <Nominal>1</Nominal><Name>Доллар США</Name><Value>78,2391</Value></Valute>
//     ...
//   </ValCurs>
// The bank writes dates as dd.mm.yyyy and numbers with a decimal comma,
// whatever the reader's locale, so both are read in that fixed form.
#include "rates/HttpFetch.h"
#include "rates/RateTable.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvel {

// Where the names of the table's rows go while the table is rebuilt: item i
// is always the name of row i (the window binds it to its hidden list).
class CurrencyListSink {
public:
    virtual ~CurrencyListSink() = default;
    virtual void clear() = 0;
    virtual void append(const QString &name) = 0;
};

class StringListSink : public CurrencyListSink {
public:
    QStringList items;
    void clear() override { items.clear(); }
    void append(const QString &name) override { items.append(name); }
};

// The name of the rate cache, relative to the working directory.
inline QString rateCacheFile() { return QStringLiteral("cbr.xml"); }

// Whether path names a file a read can load: a regular file or a link to one.
// A folder or a pipe of the cache's name is no cache; wherever Orvel looks
// for the cache it takes them for a missing file.
bool isRateFile(const QString &path);

// True for an "http://" or "https://" location; anything else is a file name.
bool isUrl(const QString &location);

// The document's date, dd.mm.yyyy (blanks around it allowed).
// Otherwise "''%s'' is not a valid date".
QDate readDocumentDate(const QString &text);
// A rate, written with a decimal comma; stored as a double.
// Otherwise "'%s' is not a valid floating point value".
double readDocumentNumber(const QString &text);

// Loads `location` (a file name or an http(s) URL), rebuilds `table` and
// `list` from it and writes the document to `cacheFile`, then returns the
// document's date. The cache is written whether the rebuild finished or not,
// as long as a document was loaded; it is replaced atomically, so a failed
// write leaves the old cache as it was.
//
// Errors (OrvelError), with what stays behind:
// - nothing loaded (no file, failed fetch, not well-formed):
//   "No active document"; table, list and cache untouched;
// - fewer than two top-level nodes (the XML declaration counts as the first):
//   "List index out of bounds (1)"; list emptied, table untouched;
// - a bad "Date": "''%s'' is not a valid date"; the same;
// - a bad row: "Element does not contain a single text node", the integer or
//   floating point conversion error; the table holds the rouble row, the
//   complete rows and the new row as far as it was filled, the list the
//   names of the rows before the new one;
// - the cache cannot be written: "Cannot create file ..." (this replaces
//   any error of the rebuild).
QDate readRateDocument(const QString &location, RateTable &table, CurrencyListSink &list,
                       const QString &cacheFile = rateCacheFile());

// The same for a document already in memory (the bytes a fetch or a file read
// gives): parsed, rebuilt into table and list, and written to cacheFile, with
// the same errors and the same effects.
QDate readRateDocumentData(const QByteArray &bytes, RateTable &table, CurrencyListSink &list,
                           const QString &cacheFile = rateCacheFile());

// The time and size limits of the bank fetch that readRateDocument makes for
// an http(s) location. The defaults are FetchLimits{}; tests shorten them.
FetchLimits rateFetchLimits();
void setRateFetchLimits(const FetchLimits &limits);

// GET url with rateFetchLimits(): the body of a 2xx answer, or nothing.
// Every document asked of the bank comes through here.
std::optional<QByteArray> fetchBankDocument(const QString &url, QString *error = nullptr);

// A daily document read whole, all or nothing: the same reader and the same
// messages as readRateDocumentData, but into a table and a list of names of
// its own and with no cache written, so a failure leaves nothing behind.
struct RateSnapshot {
    QDate date; // the document's own date
    RateTable table;
    QStringList names; // item i is the name of row i
};
RateSnapshot readRateSnapshot(const QByteArray &bytes);

// Writes bytes to `file` the way the rate cache is written: beside it and
// renamed over it, refused for a read-only file or folder, a full disk
// reported. Missing folders are created. Errors: "Cannot create file ...".
void writeFileAtomically(const QByteArray &bytes, const QString &file);

// One day of a currency's history: Value roubles for Nominal units, and the
// rate of one unit (Value / Nominal, extended precision, stored).
struct RateRecord {
    QDate date;
    int nominal = 0;
    double value = 0;
    double perUnit = 0;
};

// The bank's dynamics document of one currency over a period:
//   <?xml version="1.0" encoding="windows-1251"?>
//   <ValCurs ID="R01235" DateRange1="01.12.2026" DateRange2="06.12.2026" name="Foreign Currency Market Dynamic">
//     <Record Date="02.12.2026" Id="R01235"><Nominal>1</Nominal><Value>78,1034</Value>
//       <VunitRate>78,1034</VunitRate></Record>
//     ...
//   </ValCurs>
struct RateHistory {
    QString id;       // the root's ID
    QDate from, to;   // DateRange1, DateRange2 (null when missing)
    std::vector<RateRecord> records; // in date order; empty for a period without rates
};

// Reads a dynamics document with the daily reader's parser settings (no
// network, no entities, a document type declaration refused). Elements other
// than Record are ignored. A root other than ValCurs (a proxy's page) fails
// with "Вместо динамики курса получен документ <html>". One record that does
// not read fails the whole document: "No active document" when it does not
// parse, the date, integer and floating point messages quoting the text (a
// missing Nominal or Value reads as empty text), "''%s'' is not a valid
// nominal" for a Nominal below 1, "'%s' is not a valid rate" for a Value of
// 0 or less, "Курс на 02.12.2026 слишком велик: 1e307 руб. за 1" above
// kMaxRatePerUnit a unit (RateChecks.h), and "Дата 02.12.2026 повторяется:
// номинал 1, курс 78,2 и номинал 1, курс 79,1" for a day given twice.
RateHistory readRateHistory(const QByteArray &bytes);

} // namespace orvel
