#pragma once
// A row of the benchmarks' table (the format of bench_orvel): the name, the
// median, fastest and slowest of the samples in milliseconds, and a note;
// and the samples of making a file's bytes.
#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orvelbench {

inline void printRow(const char *name, std::vector<double> ms, const char *note)
{
    if (ms.empty()) {
        std::fprintf(stderr, "%s: not measured\n", name);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const auto cell = [](double x) { return QString::number(x, 'f', x < 10 ? 2 : 0) + QStringLiteral(" ms"); };
    std::printf("%-44s  %10s  %10s  %10s  %s\n", name, qPrintable(cell(median)), qPrintable(cell(ms.front())),
                qPrintable(cell(ms.back())), note);
}

// Milliseconds to make a file `runs` times; `make` gives its bytes (none: not measured).
template <typename Make>
std::vector<double> fileTimes(int runs, Make make)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (make().isEmpty())
            return {};
        samples.push_back(clock.nsecsElapsed() / 1e6);
    }
    return samples;
}

} // namespace orvelbench
