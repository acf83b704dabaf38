#include "rates/KeyRate.h"

#include "calc/Numbers.h"
#include "calc/OrvelError.h"
#include "rates/BankXml.h"

#include <QRegularExpression>

#include <libxml/tree.h>

#include <algorithm>

namespace orvel {

namespace {

QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

// The namespaces of the answer: the SOAP envelope (1.1, or 1.2 when asked
// that way) and the bank's service.
const char *const kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";
const char *const kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
const char *const kBankService = "http://web.cbr.ru/";

OrvelError answerError(const QString &what)
{
    return OrvelError(QStringLiteral("Ответ банка о ключевой ставке: ") + what);
}

// A text of the answer quoted in a message: a long one cut short, so that a
// broken answer cannot fill the error box.
QString clipped(const QString &text, qsizetype most)
{
    return text.size() > most ? text.left(most) + QStringLiteral("…") : text;
}

// One KR row as the bank wrote it, for the messages.
struct RawRow {
    QString dt, rate;
    QString quoted() const
    {
        return QStringLiteral("«%1»").arg((clipped(dt, 40) + QLatin1Char(' ') + clipped(rate, 40)).trimmed());
    }
};

struct DayRate {
    QDate day;
    double rate;
    RawRow raw;
};

const xmlNode *childElement(const xmlNode *parent, const char *uri, const char *name)
{
    for (const xmlNode *n = parent->children; n; n = n->next)
        if (isElementIn(n, uri, name))
            return n;
    return nullptr;
}

const xmlNode *requiredChild(const xmlNode *parent, const char *uri, const char *name)
{
    if (const xmlNode *n = childElement(parent, uri, name))
        return n;
    throw answerError(QStringLiteral("нет элемента %1").arg(QString::fromLatin1(name)));
}

// An element's name as written, and its namespace when it has one.
QString writtenName(const xmlNode *n)
{
    if (!n)
        return {};
    QString name = fromXml(n->name);
    if (n->ns && n->ns->prefix)
        name = fromXml(n->ns->prefix) + QLatin1Char(':') + name;
    if (n->ns && n->ns->href && *n->ns->href)
        name += QStringLiteral(" из ") + fromXml(n->ns->href);
    return clipped(name, 100);
}

// The envelope's Body, after the root and a fault are checked.
const xmlNode *soapBody(const xmlDoc *doc)
{
    const xmlNode *root = xmlDocGetRootElement(doc);
    const char *soap = nullptr;
    for (const char *uri : {kSoap11, kSoap12})
        if (root && isElementIn(root, uri, "Envelope"))
            soap = uri;
    if (!soap)
        throw answerError(QStringLiteral("корневой элемент «%1» вместо soap:Envelope").arg(writtenName(root)));
    const xmlNode *body = requiredChild(root, soap, "Body");
    if (const xmlNode *fault = childElement(body, soap, "Fault")) {
        const xmlNode *why = childElement(fault, nullptr, "faultstring");
        xmlChar *text = xmlNodeGetContent(why ? why : fault);
        QString message = clipped(fromXml(text).simplified(), 200);
        xmlFree(text);
        if (message.isEmpty())
            message = QStringLiteral("ошибка SOAP без описания");
        throw OrvelError(QStringLiteral("Банк не дал ключевую ставку: %1").arg(message));
    }
    return body;
}

QDate rowDay(const QString &text)
{
    // xs:dateTime of a midnight, or a bare date: the day as written, in the
    // bank's own offset. Any other time would be a different day somewhere,
    // so it is not guessed at.
    static const QRegularExpression form(QStringLiteral(
        "^([0-9]{4})-([0-9]{2})-([0-9]{2})(T00:00:00(\\.0+)?)?(Z|[+-][0-9]{2}:[0-9]{2})?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

bool readRate(const QString &text, double &rate)
{
    // A full stop and at most two significant decimals: the penalties count
    // in hundredths of a percent.
    static const QRegularExpression form(QStringLiteral("^-?[0-9]{1,3}(\\.[0-9]{1,2}0*)?$"));
    const QString plain = text.trimmed();
    if (!form.match(plain).hasMatch())
        return false;
    rate = store(readAmountExt(plain, QStringLiteral(".")));
    return true;
}

DayRate readRow(const xmlNode *kr)
{
    RawRow raw;
    DayRate row{};
    try {
        for (const xmlNode *field = kr->children; field; field = field->next) {
            if (isElement(field, "DT"))
                raw.dt = elementText(field);
            else if (isElement(field, "Rate"))
                raw.rate = elementText(field);
        }
    } catch (const OrvelError &) {
        throw answerError(QStringLiteral("строка %1 не читается").arg(raw.quoted()));
    }
    row.raw = raw;
    row.day = rowDay(raw.dt);
    if (!row.day.isValid() || !readRate(raw.rate, row.rate))
        throw answerError(QStringLiteral("строка %1 не читается").arg(raw.quoted()));
    return row;
}

std::vector<DayRate> readRows(const xmlNode *keyRate, const QDate &knownUntil)
{
    std::vector<DayRate> rows;
    for (const xmlNode *n = keyRate->children; n; n = n->next) {
        if (!isElement(n, "KR"))
            continue;
        DayRate row = readRow(n);
        if (row.day < firstKeyRateDay() || row.day > knownUntil)
            throw answerError(QStringLiteral("день %1 вне запрошенного периода %2 – %3")
                                  .arg(shownDate(row.day), shownDate(firstKeyRateDay()), shownDate(knownUntil)));
        if (!(row.rate >= 0 && row.rate <= 100))
            throw answerError(
                QStringLiteral("ставка %1 на %2 вне пределов от 0 до 100").arg(row.raw.rate, shownDate(row.day)));
        rows.push_back(std::move(row));
    }
    if (rows.empty())
        throw OrvelError(QStringLiteral("В ответе банка нет ни одного значения ключевой ставки"));
    return rows;
}

// Days in order, one step wherever the rate differs from the day before.
std::vector<KeyRateStep> collapse(std::vector<DayRate> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const DayRate &a, const DayRate &b) { return a.day < b.day; });
    std::vector<KeyRateStep> steps;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].day == rows[i - 1].day)
            throw answerError(QStringLiteral("день %1 указан дважды: %2 и %3")
                                  .arg(shownDate(rows[i].day), rows[i - 1].raw.quoted(), rows[i].raw.quoted()));
        if (steps.empty() || steps.back().rate != rows[i].rate)
            steps.push_back({rows[i].day, rows[i].rate});
    }
    return steps;
}

} // namespace

QDate firstKeyRateDay() { return QDate(2013, 9, 13); }

double keyRateOn(const KeyRateHistory &h, const QDate &day)
{
    if (std::optional<OrvelError> gap = keyRateGap(h, day))
        throw *gap;
    // The last step that starts on or before the day.
    const auto after = std::upper_bound(h.steps.begin(), h.steps.end(), day,
                                        [](const QDate &d, const KeyRateStep &s) { return d < s.from; });
    return std::prev(after)->rate;
}

KeyRateHistory readKeyRateAnswer(const QByteArray &document, const QDate &knownUntil)
{
    if (!knownUntil.isValid())
        throw OrvelError(QStringLiteral("Ключевая ставка запрошена на неверную дату"));
    if (knownUntil < firstKeyRateDay())
        throw OrvelError(QStringLiteral("Ключевая ставка известна с %1").arg(shownDate(firstKeyRateDay())));
    if (document.size() > kMaxKeyRateAnswer)
        throw answerError(QStringLiteral("больше %1 МБ").arg(kMaxKeyRateAnswer / (1024 * 1024)));
    const std::optional<LoadedDocument> loaded = parseXmlDocument(document, XmlBlanks::Keep);
    if (!loaded)
        throw answerError(QStringLiteral("не читается как XML (или содержит DOCTYPE)"));

    const xmlNode *body = soapBody(loaded->doc.get());
    const xmlNode *response = requiredChild(body, kBankService, "KeyRateXMLResponse");
    const xmlNode *result = requiredChild(response, kBankService, "KeyRateXMLResult");
    // The bank undeclares its namespace on the table (xmlns=""); one that
    // keeps it is the same table.
    const xmlNode *keyRate = childElement(result, nullptr, "KeyRate");
    if (!keyRate)
        keyRate = requiredChild(result, kBankService, "KeyRate");

    KeyRateHistory history;
    history.steps = collapse(readRows(keyRate, knownUntil));
    history.knownUntil = knownUntil;
    return history;
}

} // namespace orvel
