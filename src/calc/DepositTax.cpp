#include "calc/DepositTax.h"

#include "calc/Checked.h"
#include "calc/OrvelError.h"

#include <algorithm>

namespace orvel {

namespace {

// ---- The law: every figure of the tax on deposit interest ----------------
//
// Tax Code art. 214.2 p.1, in the text of Federal Law No. 102-FZ of
// 01.04.2020 (from the 2021 tax period): the interest on deposits in Russian
// banks received in a year is taxed over an allowance of 1 000 000 roubles
// times the key rate. Federal Law No. 67-FZ of 26.03.2022 exempted the
// interest received in 2021 and 2022 and took, from 2023, the highest key
// rate of those in force on the 1st of each month of the year.
constexpr int kFirstCountedYear = 2021;
constexpr int kLastExemptYear = 2022;
constexpr std::int64_t kAllowanceBase = 100'000'000; // 1 000 000 roubles, in kopecks
// Tax Code art. 224 p.1: 13 % up to a threshold and 15 % over it, the
// threshold 5 000 000 roubles (Federal Law No. 372-FZ of 23.11.2020) through
// 2024; from 2025 deposit interest is a tax base of its own with a threshold
// of 2 400 000 roubles (art. 224 as amended by Federal Law No. 176-FZ of
// 12.07.2024).
constexpr std::int64_t kLowRate = 13, kHighRate = 15; // percent
struct Threshold {
    int fromYear;
    std::int64_t kopecks;
};
constexpr Threshold kThresholds[] = {{kFirstCountedYear, 500'000'000}, {2025, 240'000'000}};
// Tax Code art. 52 p.6: a tax is reckoned in whole roubles; less than 50
// kopecks is dropped, 50 kopecks and more make a whole rouble.
constexpr std::int64_t kHalfRouble = 50;
// ---------------------------------------------------------------------------

using Wide = __int128;

OrvelError overflowError() { return OrvelError(QString::fromLatin1(kOverflow)); }

std::int64_t thresholdOf(int year)
{
    std::int64_t t = kThresholds[0].kopecks;
    for (const Threshold &th : kThresholds)
        if (year >= th.fromYear)
            t = th.kopecks;
    return t;
}

// The tax on a taxable sum, in whole roubles (as kopecks). The exact tax is
// (13 × low + 15 × high) / 100 kopecks; it is rounded once, to the rouble.
std::int64_t taxOn(std::int64_t taxable, int year)
{
    const std::int64_t low = std::min(taxable, thresholdOf(year));
    const Wide hundredths = Wide(kLowRate) * low + Wide(kHighRate) * (taxable - low); // 1/100 kopeck
    const Wide rouble = 100 * 100;
    const Wide roubles = (hundredths + kHalfRouble * 100) / rouble;
    return std::int64_t(roubles * 100);
}

// The highest key rate in force on the 1st of a month of the year; a 1st
// after knownUntil takes the rate on knownUntil and marks the year assumed.
void allowanceRate(int year, const KeyRateHistory &h, DepositYear &out)
{
    const QDate january(year, 1, 1);
    if (h.steps.empty() || january < h.steps.front().from)
        throw OrvelError(QStringLiteral("Для налога за %1 год нужна ключевая ставка с 01.01.%1, а она известна с %2")
                             .arg(year)
                             .arg(h.steps.empty() ? QStringLiteral("—")
                                                  : h.steps.front().from.toString(QStringLiteral("dd.MM.yyyy"))));
    out.keyRate = 0;
    out.keyRateAssumed = false;
    for (int month = 1; month <= 12; ++month) {
        const QDate first(year, month, 1);
        const bool assumed = first > h.knownUntil;
        out.keyRateAssumed = out.keyRateAssumed || assumed;
        out.keyRate = std::max(out.keyRate, keyRateOn(h, assumed ? h.knownUntil : first));
    }
}

} // namespace

DepositYear depositTaxYear(int year, std::int64_t interest, std::int64_t other, const KeyRateHistory &keyRate)
{
    DepositYear y{};
    y.year = year;
    y.interest = interest;
    y.other = other;
    if (year < kFirstCountedYear) {
        y.status = DepositYear::NotCounted;
        return y;
    }
    if (year <= kLastExemptYear) {
        y.status = DepositYear::Exempt;
        return y;
    }
    y.status = DepositYear::Taxed;
    allowanceRate(year, keyRate, y);
    // 1 000 000 roubles × rate / 100, to the nearest kopeck (ties to even):
    // a rate of the bank has at most two decimals, so this only drops the
    // binary noise of the double.
    y.allowance = roundWhole(xmul(ext(kAllowanceBase / 100), y.keyRate));
    std::int64_t income;
    if (__builtin_add_overflow(interest, other, &income))
        throw overflowError();
    y.taxable = std::max<std::int64_t>(0, income - y.allowance);
    const std::int64_t otherTaxable = std::max<std::int64_t>(0, other - y.allowance);
    y.tax = taxOn(y.taxable, year) - taxOn(otherTaxable, year);
    return y;
}

} // namespace orvel
