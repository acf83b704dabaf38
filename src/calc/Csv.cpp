#include "calc/Csv.h"

namespace orvel {

namespace {

bool needsQuotes(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u';' || u == u'"' || u == u'\r' || u == u'\n')
            return true;
    }
    return false;
}

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

} // namespace

CsvText::CsvText() : m_bytes("\xEF\xBB\xBF") {}

void CsvText::addLine(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(';');
        line += needsQuotes(fields[i]) ? quoted(fields[i]) : fields[i];
    }
    m_bytes += line.toUtf8();
    m_bytes += "\r\n";
}

} // namespace orvel
