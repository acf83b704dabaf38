// Placeholder INI access (UTF-8, no atomic replace) until the profile module lands.
#include "Profile.h"

#include <QFile>
#include <QStringList>

namespace orvel {

namespace {
QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}
} // namespace

QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &fallback)
{
    bool in = false;
    for (const QString &raw : readLines(path)) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            in = line.mid(1, line.indexOf(QLatin1Char(']')) - 1).compare(section, Qt::CaseInsensitive) == 0;
        } else if (in && line.section(QLatin1Char('='), 0, 0).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line.section(QLatin1Char('='), 1).trimmed().left(2047);
        }
    }
    return fallback;
}

void writeProfileString(const QString &path, const QString &section, const QString &key, const QString &value)
{
    QStringList lines = readLines(path);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    int sectionAt = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            if (sectionAt >= 0)
                break;
            if (line.mid(1, line.indexOf(QLatin1Char(']')) - 1).compare(section, Qt::CaseInsensitive) == 0)
                sectionAt = i;
        } else if (sectionAt >= 0
                   && line.section(QLatin1Char('='), 0, 0).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = key + QLatin1Char('=') + value;
            sectionAt = -2;
            break;
        }
    }
    if (sectionAt == -1)
        lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + value;
    else if (sectionAt >= 0)
        lines.insert(sectionAt + 1, key + QLatin1Char('=') + value);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0)
        throw OrvelError(QStringLiteral("Unable to write to %1").arg(path));
}

} // namespace orvel
