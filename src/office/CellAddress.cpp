#include "office/CellAddress.h"

#include <QRegularExpression>

namespace orvel {

bool singleCell(const QString &address, int &col, int &row)
{
    static const QRegularExpression re(QStringLiteral("^\\s*\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7})\\s*$"));
    const QRegularExpressionMatch m = re.match(address);
    if (!m.hasMatch())
        return false;
    col = 0;
    for (QChar c : m.captured(1))
        col = col * 26 + (c.toUpper().unicode() - 'A' + 1);
    row = m.captured(2).toInt() - 1;
    // The office's own limits: columns A to AMJ, rows 1 to 1048576.
    return col >= 1 && col <= 1024 && row >= 0 && row < 1048576 && (--col, true);
}

QString cellName(int col, int row)
{
    QString name;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name + QString::number(row + 1);
}

} // namespace orvel
