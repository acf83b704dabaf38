#include "calc/Csv.h"

namespace orvel {

CsvText::CsvText() : m_bytes("\xEF\xBB\xBF") {}

void CsvText::addLine(const QStringList &fields) { m_bytes += fields.join(QLatin1Char(';')).toUtf8() + "\r\n"; }

} // namespace orvel
