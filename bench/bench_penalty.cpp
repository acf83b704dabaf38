// The penalty calculation's speed: ten years (21.03.2016 - 20.03.2026, the
// shipped key rate's 62 steps), 50 debts due every 73 days and 200 payments
// every 18 days that leave most debts owing for years, for each kind. Prints
// rows of the same table as bench_orvel.
//
//   cmake --build build --target bench_penalty
//   build/bin/bench_penalty [runs]
#include "calc/Penalty.h"

#include "KeyRateSteps.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

orvel::PenaltyTerms tenYears(orvel::PenaltyKind kind)
{
    const QDate first(2016, 3, 21), until(2026, 3, 20);
    orvel::PenaltyTerms t{kind, {}, {}, until, true};
    for (int i = 0; i < 50; ++i)
        t.debts.push_back({std::int64_t(1000000 + 37000 * i) * 100, first.addDays(73 * i)});
    for (int i = 0; i < 200; ++i)
        t.payments.push_back({first.addDays(18 * i + 5), std::int64_t(150000 + 900 * i) * 100});
    return t;
}

// Milliseconds per call: the mean of `calls` calls, once per run.
std::vector<double> timed(const orvel::PenaltyTerms &terms, const orvel::KeyRateHistory &keyRate, int runs,
                          std::size_t &rows)
{
    constexpr int calls = 50;
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < calls; ++i)
            rows = orvel::penalties(terms, keyRate).rows.size();
        samples.push_back(clock.nsecsElapsed() / 1e6 / calls);
    }
    return samples;
}

// One line of the table: median, fastest and slowest run, then the note.
void printRow(const QString &name, std::vector<double> ms, const QString &note)
{
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const auto cell = [](double x) { return QString::number(x, 'f', x < 10 ? 2 : 0) + QStringLiteral(" ms"); };
    std::printf("%s  %10s  %10s  %10s  %s\n", qPrintable(name.leftJustified(44)), qPrintable(cell(median)),
                qPrintable(cell(ms.front())), qPrintable(cell(ms.back())), qPrintable(note));
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const orvel::KeyRateHistory keyRate = orveltest::shippedKeyRate();
    const struct {
        orvel::PenaltyKind kind;
        const char *name;
    } kinds[] = {{orvel::PenaltyKind::TaxPerson, "person"},
                 {orvel::PenaltyKind::TaxOrganisation, "organisation"},
                 {orvel::PenaltyKind::CivilCode395, "art. 395"}};
    for (const auto &k : kinds) {
        std::size_t rows = 0;
        const std::vector<double> ms = timed(tenYears(k.kind), keyRate, runs, rows);
        printRow(QStringLiteral("penalties, 10 years, 50 debts: %1").arg(QString::fromLatin1(k.name)), ms,
                 QStringLiteral("penalties(), mean of 50; 200 payments, %1 rows").arg(rows));
    }
    return 0;
}
