#include "rates/RateDocument.h"

#include "calc/AtomicFile.h"
#include "calc/Numbers.h"
#include "calc/OrvelError.h"
#include "rates/BankXml.h"
#include "rates/HttpFetch.h"
#include "rates/RateChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>

namespace orvel {

namespace {

struct XmlCharDeleter {
    void operator()(xmlChar *p) const { xmlFree(p); }
};
using XmlString = std::unique_ptr<xmlChar, XmlCharDeleter>;

struct SaveCtxtDeleter {
    void operator()(xmlSaveCtxt *s) const { xmlSaveClose(s); }
};
using SaveCtxtPtr = std::unique_ptr<xmlSaveCtxt, SaveCtxtDeleter>;

struct BufferDeleter {
    void operator()(xmlBuffer *b) const { xmlBufferFree(b); }
};
using BufferPtr = std::unique_ptr<xmlBuffer, BufferDeleter>;

FetchLimits &fetchLimits()
{
    static FetchLimits limits;
    return limits;
}

std::optional<QByteArray> loadBytes(const QString &location)
{
    QByteArray bytes;
    if (isUrl(location)) {
        std::optional<QByteArray> body = fetchBankDocument(location);
        if (!body)
            return std::nullopt;
        bytes = std::move(*body);
    } else {
        // Opening a pipe would wait for a writer; a folder holds no document.
        if (!isRateFile(location))
            return std::nullopt;
        QFile file(location);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
    }
    return bytes;
}

QString qualifiedName(const xmlNode *n)
{
    QString name = fromXml(n->name);
    if (n->ns && n->ns->prefix)
        name = fromXml(n->ns->prefix) + QLatin1Char(':') + name;
    return name;
}

bool hasChildNodes(const xmlNode *n) { return n->type == XML_ELEMENT_NODE && n->children; }

QString attribute(const xmlNode *n, const QString &name)
{
    if (n->type != XML_ELEMENT_NODE)
        return {};
    for (const xmlAttr *a = n->properties; a; a = a->next) {
        QString qualified = fromXml(a->name);
        if (a->ns && a->ns->prefix)
            qualified = fromXml(a->ns->prefix) + QLatin1Char(':') + qualified;
        if (qualified == name) {
            XmlString value(xmlNodeGetContent(reinterpret_cast<const xmlNode *>(a)));
            return fromXml(value.get());
        }
    }
    return {};
}

// The same as attribute() for a name without a prefix, without building the
// names of the attributes passed over.
QString plainAttribute(const xmlNode *n, const char *name)
{
    for (const xmlAttr *a = n->properties; a; a = a->next) {
        if (!plainName(a->name, a->ns, name))
            continue;
        const xmlNode *text = a->children;
        if (text && !text->next && text->type == XML_TEXT_NODE)
            return fromXml(text->content);
        XmlString value(xmlNodeGetContent(reinterpret_cast<const xmlNode *>(a)));
        return fromXml(value.get());
    }
    return {};
}

QDate rebuild(const LoadedDocument &loaded, RateTable &table, CurrencyListSink &list)
{
    list.clear();

    // The top-level node list: the declaration (when there is one), then the
    // document's children; the root is the second entry.
    const xmlNode *root = nullptr;
    if (loaded.hasDeclaration)
        root = loaded.doc->children;
    else if (loaded.doc->children)
        root = loaded.doc->children->next;
    if (!root)
        throw OrvelError(QStringLiteral("List index out of bounds (%1)").arg(1));

    const QDate date = readDocumentDate(attribute(root, QStringLiteral("Date")));

    table.clear();
    table.push_back(roubleRow());
    list.append(table.back().Name);

    if (!hasChildNodes(root))
        return date;
    for (const xmlNode *row = root->children; row; row = row->next) {
        if (!hasChildNodes(row))
            continue;
        // The row joins the table before its fields are read, so a bad field
        // leaves it there half filled.
        table.emplace_back();
        const std::size_t index = table.size() - 1;
        // The bank's key of the currency, which its history is asked for by.
        table[index].ID = attribute(row, QStringLiteral("ID"));
        for (const xmlNode *field = row->children; field; field = field->next) {
            const QString name = qualifiedName(field);
            const bool known = name == QLatin1String("CharCode") || name == QLatin1String("Nominal")
                               || name == QLatin1String("Name") || name == QLatin1String("Value");
            if (!known || field->type != XML_ELEMENT_NODE)
                continue;
            const QString text = elementText(field);
            if (text.isEmpty())
                continue;
            TCurrencyData &r = table[index];
            if (name == QLatin1String("CharCode"))
                r.CharCode = text;
            else if (name == QLatin1String("Name"))
                r.Name = text;
            else if (name == QLatin1String("Nominal"))
                r.Nominal = readInteger(text);
            else
                r.Value = readDocumentNumber(text);
        }
        list.append(table[index].Name);
    }
    return date;
}

// Serialises the document in the encoding its declaration names (UTF-8 when
// it names none), with the declaration when it had one.
QByteArray serialise(const LoadedDocument &loaded, const QString &cacheFile)
{
    const auto fail = [&](const QString &why) {
        return OrvelError(QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(QFileInfo(cacheFile).absoluteFilePath()), why));
    };
    BufferPtr buffer(xmlBufferCreate());
    if (!buffer)
        throw fail(QStringLiteral("Out of memory"));
    const char *encoding = loaded.doc->encoding ? reinterpret_cast<const char *>(loaded.doc->encoding) : "UTF-8";
    int options = XML_SAVE_FORMAT;
    if (!loaded.hasDeclaration)
        options |= XML_SAVE_NO_DECL;
    SaveCtxtPtr save(xmlSaveToBuffer(buffer.get(), encoding, options));
    if (!save)
        throw fail(QStringLiteral("Unsupported encoding %1").arg(QString::fromLatin1(encoding)));
    if (xmlSaveDoc(save.get(), loaded.doc.get()) < 0 || xmlSaveFlush(save.get()) < 0)
        throw fail(QStringLiteral("The document cannot be written"));
    // Closing the context writes what it still holds.
    if (xmlSaveClose(save.release()) < 0)
        throw fail(QStringLiteral("The document cannot be written"));
    return QByteArray(reinterpret_cast<const char *>(xmlBufferContent(buffer.get())), xmlBufferLength(buffer.get()));
}

void writeAtomically(const QByteArray &bytes, const QString &cacheFile, bool makeFolder)
{
    // Written beside the cache and renamed over it: an interrupted or failed
    // write never leaves a truncated cache behind.
    const auto failWith = [&](const QString &why) {
        return OrvelError(QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(QFileInfo(cacheFile).absoluteFilePath()), why));
    };
    // A cache folder of its own (the rates on past dates) is made on first use;
    // the working directory of "cbr.xml" is the user's and never made.
    const QString folder = QFileInfo(cacheFile).absolutePath();
    if (makeFolder && !QFileInfo::exists(folder)) {
        errno = 0;
        if (!QDir().mkpath(folder))
            throw failWith(QString::fromLocal8Bit(std::strerror(errno ? errno : EACCES)));
    }
    // A write that fails (a full disk included) leaves the old cache as it
    // was and is reported with the system's reason. The writer refuses a
    // read-only cache or folder, for the superuser too: the rename would
    // replace a read-only cache whenever the folder lets it, and the user's
    // protection wins.
    const QString why = replaceFileContents(cacheFile, bytes);
    if (!why.isEmpty())
        throw failWith(why);
}

void writeCache(const LoadedDocument &loaded, const QString &cacheFile)
{
    writeAtomically(serialise(loaded, cacheFile), cacheFile, false);
}

} // namespace

bool isRateFile(const QString &path) { return QFileInfo(path).isFile(); }

bool isUrl(const QString &location)
{
    return location.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QDate readDocumentDate(const QString &text)
{
    // The bank's own form, dd.mm.yyyy, read without the pattern below (the
    // dynamics document has one date per record).
    if (text.size() == 10 && text[2] == QLatin1Char('.') && text[5] == QLatin1Char('.')) {
        const auto digit = [&](int i) { return text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9') ? text[i].unicode() - '0' : -1; };
        int v[8], k = 0;
        for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
            v[k++] = digit(i);
        if (std::all_of(v, v + 8, [](int d) { return d >= 0; })) {
            const QDate d(v[4] * 1000 + v[5] * 100 + v[6] * 10 + v[7], v[2] * 10 + v[3], v[0] * 10 + v[1]);
            if (d.isValid())
                return d;
        }
    }
    static const QRegularExpression form(QStringLiteral("^ *([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4}) *$"));
    const QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch()) {
        const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
        if (d.isValid())
            return d;
    }
    throw OrvelError(QStringLiteral("''%1'' is not a valid date").arg(text));
}

double readDocumentNumber(const QString &text) { return store(readAmountExt(text, QStringLiteral(","))); }

FetchLimits rateFetchLimits() { return fetchLimits(); }
void setRateFetchLimits(const FetchLimits &limits) { fetchLimits() = limits; }

QDate readRateDocument(const QString &location, RateTable &table, CurrencyListSink &list, const QString &cacheFile)
{
    const std::optional<QByteArray> bytes = loadBytes(location);
    if (!bytes)
        throw OrvelError(QStringLiteral("No active document"));
    return readRateDocumentData(*bytes, table, list, cacheFile);
}

QDate readRateDocumentData(const QByteArray &bytes, RateTable &table, CurrencyListSink &list,
                           const QString &cacheFile)
{
    const std::optional<LoadedDocument> loaded = parseXmlDocument(bytes);
    if (!loaded)
        throw OrvelError(QStringLiteral("No active document"));

    QDate date;
    std::exception_ptr failure;
    try {
        date = rebuild(*loaded, table, list);
    } catch (...) {
        failure = std::current_exception();
    }
    // The cache gets the document whether the rebuild finished or not; a
    // failed write is the error that counts.
    writeCache(*loaded, cacheFile);
    if (failure)
        std::rethrow_exception(failure);
    return date;
}

std::optional<QByteArray> fetchBankDocument(const QString &url, QString *error)
{
    return httpGet(url, fetchLimits(), error);
}

RateSnapshot readRateSnapshot(const QByteArray &bytes)
{
    const std::optional<LoadedDocument> loaded = parseXmlDocument(bytes);
    if (!loaded)
        throw OrvelError(QStringLiteral("No active document"));
    RateSnapshot snapshot;
    StringListSink names;
    snapshot.date = rebuild(*loaded, snapshot.table, names);
    snapshot.names = std::move(names.items);
    return snapshot;
}

void writeFileAtomically(const QByteArray &bytes, const QString &file) { writeAtomically(bytes, file, true); }

RateHistory readRateHistory(const QByteArray &bytes)
{
    const std::optional<LoadedDocument> loaded = parseXmlDocument(bytes, XmlBlanks::Keep);
    if (!loaded)
        throw OrvelError(QStringLiteral("No active document"));
    const xmlNode *root = xmlDocGetRootElement(loaded->doc.get());
    if (!root)
        throw OrvelError(QStringLiteral("No active document"));
    // A proxy or an overloaded site answers with a page of its own.
    if (!isElement(root, "ValCurs"))
        throw OrvelError(QStringLiteral("Вместо динамики курса получен документ <%1>").arg(qualifiedName(root)));

    RateHistory history;
    history.id = plainAttribute(root, "ID");
    const QString range1 = plainAttribute(root, "DateRange1");
    const QString range2 = plainAttribute(root, "DateRange2");
    if (!range1.isEmpty())
        history.from = readDocumentDate(range1);
    if (!range2.isEmpty())
        history.to = readDocumentDate(range2);

    // The first record of each day, as the document writes it.
    std::map<QDate, QString> days;
    for (const xmlNode *record = root->children; record; record = record->next) {
        if (!isElement(record, "Record"))
            continue;
        RateRecord r;
        r.date = readDocumentDate(plainAttribute(record, "Date"));
        QString nominal, value;
        for (const xmlNode *field = record->children; field; field = field->next) {
            if (isElement(field, "Nominal"))
                nominal = elementText(field);
            else if (isElement(field, "Value"))
                value = elementText(field);
        }
        r.nominal = readInteger(nominal);
        if (r.nominal < 1)
            throw OrvelError(QStringLiteral("''%1'' is not a valid nominal").arg(nominal));
        r.value = readDocumentNumber(value);
        if (!(r.value > 0))
            throw OrvelError(QStringLiteral("'%1' is not a valid rate").arg(value));
        // A positive finite rate over a whole number of at least 1: the
        // quotient can neither overflow nor fault, so it needs no checks.
        r.perUnit = static_cast<double>(static_cast<ext>(r.value) / static_cast<ext>(r.nominal));
        if (r.perUnit > kMaxRatePerUnit)
            throw OrvelError(QStringLiteral("Курс на %1 слишком велик: %2 руб. за %3")
                                 .arg(r.date.toString(QStringLiteral("dd.MM.yyyy")), value, nominal));
        const QString shown = QStringLiteral("номинал %1, курс %2").arg(nominal, value);
        const auto [day, first] = days.emplace(r.date, shown);
        if (!first)
            throw OrvelError(QStringLiteral("Дата %1 повторяется: %2 и %3")
                                 .arg(r.date.toString(QStringLiteral("dd.MM.yyyy")), day->second, shown));
        history.records.push_back(r);
    }
    // The bank lists the days in order; a document that does not is put in
    // order rather than drawn back and forth.
    const auto earlier = [](const RateRecord &a, const RateRecord &b) { return a.date < b.date; };
    if (!std::is_sorted(history.records.begin(), history.records.end(), earlier))
        std::stable_sort(history.records.begin(), history.records.end(), earlier);
    return history;
}

} // namespace orvel
