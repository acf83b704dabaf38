#include "calc/Csv.h"

namespace orvel {

namespace {

QString field(const QString &text)
{
    static const QString special = QStringLiteral(";\"\r\n");
    for (QChar c : text)
        if (special.contains(c)) {
            QString quoted = text;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            return QLatin1Char('"') + quoted + QLatin1Char('"');
        }
    return text;
}

} // namespace

CsvText::CsvText() : m_bytes("\xEF\xBB\xBF") {}

void CsvText::addLine(const QStringList &fields)
{
    QStringList line;
    line.reserve(fields.size());
    for (const QString &f : fields)
        line << field(f);
    m_bytes += line.join(QLatin1Char(';')).toUtf8() + "\r\n";
}

} // namespace orvel
