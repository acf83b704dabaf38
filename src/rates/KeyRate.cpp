#include "rates/KeyRate.h"

#include "calc/OrvelError.h"

#include <algorithm>

namespace orvel {

namespace {
QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }
} // namespace

double keyRateOn(const KeyRateHistory &h, const QDate &day)
{
    if (h.steps.empty() || !day.isValid() || day < h.steps.front().from)
        throw OrvelError(QStringLiteral("Ключевая ставка известна с %1")
                             .arg(h.steps.empty() ? QString() : shownDate(h.steps.front().from)));
    if (day > h.knownUntil)
        throw OrvelError(QStringLiteral("Ключевая ставка известна по %1").arg(shownDate(h.knownUntil)));
    // The last step that starts on or before the day.
    const auto after = std::upper_bound(h.steps.begin(), h.steps.end(), day,
                                        [](const QDate &d, const KeyRateStep &s) { return d < s.from; });
    return std::prev(after)->rate;
}

} // namespace orvel
