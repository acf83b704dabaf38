#include "ui/deposit/DepositFields.h"

#include "calc/Checked.h"
#include "calc/Numbers.h"

#include <QRegularExpression>

#include <cmath>

namespace orvel {

namespace {

constexpr int kMostDays = kMaxDepositYears * 366;
constexpr int kMostMonths = kMaxDepositYears * 12;

// The place (from 1) of the flow a schedule's message names, and what it
// says of it: "Пополнение или снятие 3: дата …", "Снятие 3 (15.03.2026): остаток …".
std::optional<std::pair<std::size_t, QString>> flowNamed(const QString &message)
{
    static const QRegularExpression named(
        QStringLiteral("^(?:Пополнение или снятие|Снятие) (\\d+)(?: \\([0-9.]+\\))?: (.+)$"));
    const QRegularExpressionMatch m = named.match(message);
    if (!m.hasMatch())
        return std::nullopt;
    return std::pair{std::size_t(m.captured(1).toULongLong()), m.captured(2)};
}

} // namespace

std::int64_t depositKopecks(double roubles)
{
    const double most = double(kMaxDepositKopecks) / 100;
    if (!(std::fabs(roubles) <= most))
        return roubles > 0 ? kMaxDepositKopecks + 1 : -kMaxDepositKopecks - 1;
    // × 100 in extended precision, rounded once to a whole kopeck, ties to even.
    return roundWhole(xmul(ext(roubles), 100.0L));
}

double readDepositField(const QString &text, const QString &name)
{
    if (text.trimmed().isEmpty())
        return 0;
    try {
        return readAmount(text);
    } catch (const OrvelError &e) {
        throw OrvelError(name + QStringLiteral(": ") + e.message());
    }
}

int readDepositTerm(const QString &text, bool months)
{
    if (text.trimmed().isEmpty())
        throw OrvelError(QStringLiteral("Введите срок вклада"));
    const double term = readDepositField(text, QStringLiteral("Срок"));
    const int most = months ? kMostMonths : kMostDays;
    if (!(term >= 1 && term <= most && term == std::floor(term)))
        throw OrvelError(QStringLiteral("Срок вклада должен быть целым числом %1 от 1 до %2")
                             .arg(months ? QStringLiteral("месяцев") : QStringLiteral("дней"))
                             .arg(most));
    return int(term);
}

QDate depositCloses(const QDate &opened, int term, bool months)
{
    return months ? opened.addMonths(term) : opened.addDays(term);
}

FlowState readFlow(const QDate &date, const QString &amount, bool withdrawal)
{
    FlowState state;
    if (amount.trimmed().isEmpty()) {
        state.note = QStringLiteral("Введите сумму");
        return state;
    }
    state.error = true;
    double roubles = 0;
    try {
        roubles = readAmount(amount);
    } catch (const OrvelError &e) {
        state.note = e.message();
        return state;
    }
    // The kind gives the sign; the amount itself is what goes in or out.
    if (!(roubles > 0)) {
        state.note = QStringLiteral("Сумма должна быть больше 0");
        return state;
    }
    const std::int64_t kopecks = depositKopecks(roubles);
    state.flow = DepositFlow{date, withdrawal ? -kopecks : kopecks};
    state.error = false;
    state.note.clear();
    return state;
}

DepositResult depositLeavingOut(DepositTerms &terms, std::size_t topUps, std::vector<int> &rowOf,
                                std::vector<FlowState> &rows, const KeyRateHistory &keyRate)
{
    for (;;) {
        try {
            return depositSchedule(terms, keyRate);
        } catch (const OrvelError &e) {
            const auto named = flowNamed(e.message());
            // Only the editor's rows are left out; the generated top-ups
            // come from fields the schedule has its own messages for.
            if (!named || named->first <= topUps || named->first > terms.flows.size())
                throw;
            const std::size_t k = named->first - 1 - topUps;
            FlowState &row = rows.at(std::size_t(rowOf.at(k)));
            row.note = QStringLiteral("не учтено: ") + named->second;
            row.error = true;
            terms.flows.erase(terms.flows.begin() + std::ptrdiff_t(named->first - 1));
            rowOf.erase(rowOf.begin() + std::ptrdiff_t(k));
        }
    }
}

} // namespace orvel
