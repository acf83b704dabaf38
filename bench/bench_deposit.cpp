// The deposit schedule's speed: ten years of daily capitalization with 120
// top-ups and withdrawals, and the longest term the schedule takes. Prints
// rows of the same table as bench_orvel (no header).
//
//   cmake --build build --target bench_deposit
//   build/bin/bench_deposit [runs]
#include "BenchRow.h"
#include "calc/DepositSchedule.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using orvelbench::printRow;

orvel::KeyRateHistory keyRates()
{
    orvel::KeyRateHistory h;
    h.steps = {{QDate(2022, 9, 19), 7.5}, {QDate(2023, 10, 30), 15}, {QDate(2024, 10, 28), 21}, {QDate(2025, 6, 9), 20}};
    h.knownUntil = QDate(2025, 8, 15);
    return h;
}

// 1 000 000 at 16 % from 15.01.2025, every day capitalized; on the 10th of
// each month a top-up of 50 000 and a withdrawal of 30 000 in turn.
orvel::DepositTerms tenYears()
{
    orvel::DepositTerms t{100'000'000, 16, QDate(2025, 1, 15), QDate(2035, 1, 15), orvel::Capitalization::Daily,
                          orvel::Payout::AtEnd, {}, 10'000'000, 5'000'000};
    for (int m = 0; m < 120; ++m)
        t.flows.push_back({QDate(2025, 2, 10).addMonths(m), m % 2 ? -3'000'000 : 5'000'000});
    return t;
}

// Milliseconds per depositSchedule() call, the mean of `calls`, once a run.
std::vector<double> timed(const orvel::DepositTerms &terms, int runs, int calls)
{
    const orvel::KeyRateHistory rates = keyRates();
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        std::size_t rows = 0;
        for (int i = 0; i < calls; ++i)
            rows += orvel::depositSchedule(terms, rates).rows.size();
        samples.push_back(clock.nsecsElapsed() / 1e6 / calls);
        if (rows == 0)
            std::exit(1);
    }
    return samples;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    printRow("deposit, 10 years daily, 120 flows", timed(tenYears(), runs, 200),
             "depositSchedule(), mean of 200: 3 652 rows, 11 tax years");
    orvel::DepositTerms longest = tenYears();
    longest.closes = longest.opened.addYears(orvel::kMaxDepositYears);
    longest.rate = 8;
    printRow("deposit, 50 years daily, 120 flows", timed(longest, runs, 50),
             "depositSchedule(), mean of 50: the longest term");
    return 0;
}
