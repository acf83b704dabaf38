#pragma once
// Reading the bank's XML documents with libxml2, the one way every reader
// does it: from memory, with no network, no DTD loading and no entity
// substitution, and a document type declaration refused outright.
#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

#include <memory>
#include <optional>

namespace orvel {

struct DocDeleter {
    void operator()(xmlDoc *d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

// A loaded document. The DOM the program was written for lists the XML
// declaration as the first top-level node, so whether the text began with
// one is kept beside the tree (libxml2 does not keep the declaration as a node).
struct LoadedDocument {
    DocPtr doc;
    bool hasDeclaration = false;
};

// How a document is parsed. A rate document's whitespace-only text goes
// before it is read (the daily document's node lists count what is left); the
// readers that pass over everything but elements keep it.
enum class XmlBlanks { Drop, Keep };

// The document, or nothing when it is not well-formed, has a document type
// declaration, or is larger than libxml2 takes in one piece (2 GiB).
std::optional<LoadedDocument> parseXmlDocument(const QByteArray &bytes, XmlBlanks blanks = XmlBlanks::Drop);

QString fromXml(const xmlChar *s);

// An element or attribute name without a namespace prefix, compared as bytes.
bool plainName(const xmlChar *name, const xmlNs *ns, const char *wanted);
bool isElement(const xmlNode *n, const char *name);

// An element of the namespace `uri` (nullptr: of no namespace) named `name`,
// whatever prefix it is written with.
bool isElementIn(const xmlNode *n, const char *uri, const char *name);

// The text of a field element: empty when it has no children, the text of
// its one text node otherwise. Otherwise
// "Element does not contain a single text node".
QString elementText(const xmlNode *n);

} // namespace orvel
