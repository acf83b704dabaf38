#include "rates/BankXml.h"

#include "calc/OrvelError.h"

#include <libxml/parser.h>

#include <climits>
#include <mutex>

namespace orvel {

namespace {

struct ParserDeleter {
    void operator()(xmlParserCtxt *c) const { xmlFreeParserCtxt(c); }
};
using ParserPtr = std::unique_ptr<xmlParserCtxt, ParserDeleter>;

void initLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool startsWithDeclaration(const QByteArray &bytes)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    // UTF-8, with or without its byte order mark.
    QByteArray b = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (b.startsWith("<?xml") && b.size() > 5 && blank(b[5]))
        return true;
    // UTF-16 with a byte order mark: the same characters, two bytes each.
    if (bytes.size() >= 14 && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))) {
        const bool little = bytes[0] == '\xFF';
        QByteArray narrow;
        for (int i = 2; i + 1 < 14; i += 2) {
            const char lo = little ? bytes[i] : bytes[i + 1];
            const char hi = little ? bytes[i + 1] : bytes[i];
            if (hi != 0)
                return false;
            narrow += lo;
        }
        return narrow.startsWith("<?xml") && blank(narrow[5]);
    }
    return false;
}

bool isBlankText(const xmlNode *n)
{
    if (n->type != XML_TEXT_NODE || !n->content)
        return false;
    for (const xmlChar *p = n->content; *p; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            return false;
    return true;
}

// Whitespace-only text never counts as a node, wherever it stands.
void dropBlankText(xmlNode *first)
{
    for (xmlNode *n = first; n;) {
        xmlNode *next = n->next;
        if (isBlankText(n)) {
            xmlUnlinkNode(n);
            xmlFreeNode(n);
        } else if (n->type == XML_ELEMENT_NODE) {
            dropBlankText(n->children);
        }
        n = next;
    }
}

} // namespace

std::optional<LoadedDocument> parseXmlDocument(const QByteArray &bytes, XmlBlanks blanks)
{
    if (bytes.size() > INT_MAX)
        return std::nullopt;

    initLibxml();
    ParserPtr parser(xmlNewParserCtxt());
    if (!parser)
        return std::nullopt;
    // A bank document has no document type declaration. One that has it is
    // refused as soon as it begins: its entities could name local files or
    // expand to gigabytes, and none of it must reach the table or the cache.
    bool hasDoctype = false;
    parser->_private = &hasDoctype;
    parser->sax->internalSubset = [](void *context, const xmlChar *, const xmlChar *, const xmlChar *) {
        auto *ctxt = static_cast<xmlParserCtxtPtr>(context);
        *static_cast<bool *>(ctxt->_private) = true;
        xmlStopParser(ctxt);
    };
    // No network, no DTD loading, no entity substitution; the encoding comes
    // from the document's own declaration. Short texts are kept inside their
    // nodes (fewer allocations; the tree is only read and written out).
    const int options =
        XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    DocPtr doc(xmlCtxtReadMemory(parser.get(), bytes.constData(), static_cast<int>(bytes.size()), nullptr,
                                 nullptr, options));
    if (!doc || !parser->wellFormed || hasDoctype || doc->intSubset || doc->extSubset)
        return std::nullopt;
    if (blanks == XmlBlanks::Drop)
        dropBlankText(doc->children);
    return LoadedDocument{std::move(doc), startsWithDeclaration(bytes)};
}

QString fromXml(const xmlChar *s) { return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString(); }

bool plainName(const xmlChar *name, const xmlNs *ns, const char *wanted)
{
    return !(ns && ns->prefix) && xmlStrEqual(name, reinterpret_cast<const xmlChar *>(wanted));
}

bool isElement(const xmlNode *n, const char *name)
{
    return n->type == XML_ELEMENT_NODE && plainName(n->name, n->ns, name);
}

bool isElementIn(const xmlNode *n, const char *uri, const char *name)
{
    if (n->type != XML_ELEMENT_NODE || !xmlStrEqual(n->name, reinterpret_cast<const xmlChar *>(name)))
        return false;
    const xmlChar *href = n->ns ? n->ns->href : nullptr;
    // xmlns="" undeclares the default namespace: an empty name is none.
    if (href && !*href)
        href = nullptr;
    if (!uri)
        return !href;
    return href && xmlStrEqual(href, reinterpret_cast<const xmlChar *>(uri));
}

QString elementText(const xmlNode *n)
{
    if (!n->children)
        return {};
    const xmlNode *only = n->children;
    if (only->next || (only->type != XML_TEXT_NODE && only->type != XML_CDATA_SECTION_NODE))
        throw OrvelError(QStringLiteral("Element does not contain a single text node"));
    return fromXml(only->content);
}

} // namespace orvel
