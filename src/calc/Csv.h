#pragma once
// Tables as CSV that a spreadsheet in a Russian locale opens as it is:
// UTF-8 with a byte-order mark, ";" between fields, CRLF line ends. Numbers
// are given already as text (with a decimal comma).

#include <QByteArray>
#include <QStringList>

namespace orvel {

class CsvText {
public:
    CsvText();
    // One line. A field that holds a ";", a quote or a line break is put in
    // quotes, its quotes doubled; the others are taken as they are.
    void addLine(const QStringList &fields);
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

} // namespace orvel
