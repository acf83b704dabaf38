// The deposit schedule and its tax on their own. The expected figures were
// worked out day by day with exact fractions (the rate taken as the exact
// value of its double): each day's B × rate / 100 / Y added up unrounded, each
// credit rounded once to the nearest kopeck with ties to even; the tax to the
// whole rouble, 50 kopecks up.
#include "calc/DepositSchedule.h"
#include "calc/DepositTax.h"

#include "FaultOf.h"

#include <QTest>

#include <cmath>
#include <cstdint>

using namespace orvel;
using orveltest::faultOf;

Q_DECLARE_METATYPE(orvel::DepositTerms)

namespace {

constexpr auto None = Capitalization::None;
constexpr auto Daily = Capitalization::Daily;
constexpr auto Monthly = Capitalization::Monthly;
constexpr auto Quarterly = Capitalization::Quarterly;
constexpr auto Yearly = Capitalization::Yearly;

QDate day(const char *text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("dd.MM.yyyy")); }

DepositTerms terms(std::int64_t amount, double rate, const char *opened, const char *closes, Capitalization c,
                   Payout payout = Payout::AtEnd, std::vector<DepositFlow> flows = {}, std::int64_t minimum = 0,
                   std::int64_t other = 0)
{
    return DepositTerms{amount, rate, day(opened), day(closes), c, payout, std::move(flows), minimum, other};
}

// "from to days balance accrued capitalized paidOut flow balanceAfter" per line.
QStringList rowsOf(const std::vector<DepositRow> &rows, std::size_t first = 0, std::size_t count = SIZE_MAX)
{
    QStringList out;
    for (std::size_t i = first; i < rows.size() && i - first < count; ++i) {
        const DepositRow &r = rows[i];
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                   .arg(r.from.toString(QStringLiteral("dd.MM.yyyy")), r.to.toString(QStringLiteral("dd.MM.yyyy")))
                   .arg(r.days)
                   .arg(r.balance)
                   .arg(r.accrued)
                   .arg(r.capitalized)
                   .arg(r.paidOut)
                   .arg(r.flow)
                   .arg(r.balanceAfter);
    }
    return out;
}

QStringList lines(const char *text)
{
    QStringList out;
    for (const QString &l : QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!l.trimmed().isEmpty())
            out << l.simplified();
    return out;
}

// The bank's key rate from autumn 2022, known until 15.08.2025. On the 1st
// of a month: 2023 up to 15 (the 16 of 18.12.2023 falls on no 1st), 2024 up
// to 21, 2025 21 until June and 18 from August on.
KeyRateHistory keyRates()
{
    KeyRateHistory h;
    h.steps = {{day("19.09.2022"), 7.5}, {day("24.07.2023"), 8.5}, {day("15.08.2023"), 12},
               {day("18.09.2023"), 13},  {day("30.10.2023"), 15},  {day("18.12.2023"), 16},
               {day("29.07.2024"), 18},  {day("16.09.2024"), 19},  {day("28.10.2024"), 21},
               {day("09.06.2025"), 20},  {day("28.07.2025"), 18}};
    h.knownUntil = day("15.08.2025");
    return h;
}

// 100 000 at 10 % from 01.07.2024 to 01.07.2025: 183 days of the leap year
// 2024 and 182 of 2025.
DepositTerms yearAcross(Capitalization c, Payout p = Payout::AtEnd)
{
    return terms(10'000'000, 10, "01.07.2024", "01.07.2025", c, p);
}

} // namespace

class TestDepositSchedule : public QObject {
    Q_OBJECT

    static void scheduleColumns()
    {
        QTest::addColumn<DepositTerms>("deposit");
        QTest::addColumn<QString>("expected"); // every row, as rowsOf() writes them
        QTest::addColumn<qint64>("totalInterest");
        QTest::addColumn<qint64>("paidOut");
        QTest::addColumn<qint64>("finalBalance");
    }

private slots:
    // Each way of crediting over one year.
    void capitalizations_data()
    {
        scheduleColumns();
        // 10^7 × 0.1 × (183/366 + 182/365) = 998 630.137
        QTest::newRow("none, at the end") << yearAcross(None) << R"(
            02.07.2024 01.07.2025 365 10000000 998630 0 998630 0 10000000)"
                                          << qint64(998630) << qint64(998630) << qint64(10000000);
        QTest::newRow("yearly") << yearAcross(Yearly) << R"(
            02.07.2024 01.07.2025 365 10000000 998630 998630 0 0 10998630)"
                                << qint64(998630) << qint64(0) << qint64(10998630);
        // The credit of 01.01.2025 holds 30 days of 2024 and one of 2025.
        QTest::newRow("none, paid monthly") << yearAcross(None, Payout::Monthly) << R"(
            02.07.2024 01.08.2024 31 10000000 84699 0 84699 0 10000000
            02.08.2024 01.09.2024 31 10000000 84699 0 84699 0 10000000
            02.09.2024 01.10.2024 30 10000000 81967 0 81967 0 10000000
            02.10.2024 01.11.2024 31 10000000 84699 0 84699 0 10000000
            02.11.2024 01.12.2024 30 10000000 81967 0 81967 0 10000000
            02.12.2024 01.01.2025 31 10000000 84707 0 84707 0 10000000
            02.01.2025 01.02.2025 31 10000000 84932 0 84932 0 10000000
            02.02.2025 01.03.2025 28 10000000 76712 0 76712 0 10000000
            02.03.2025 01.04.2025 31 10000000 84932 0 84932 0 10000000
            02.04.2025 01.05.2025 30 10000000 82192 0 82192 0 10000000
            02.05.2025 01.06.2025 31 10000000 84932 0 84932 0 10000000
            02.06.2025 01.07.2025 30 10000000 82192 0 82192 0 10000000)"
                                            << qint64(998630) << qint64(998630) << qint64(10000000);
        QTest::newRow("monthly") << yearAcross(Monthly) << R"(
            02.07.2024 01.08.2024 31 10000000 84699 84699 0 0 10084699
            02.08.2024 01.09.2024 31 10084699 85417 85417 0 0 10170116
            02.09.2024 01.10.2024 30 10170116 83362 83362 0 0 10253478
            02.10.2024 01.11.2024 31 10253478 86846 86846 0 0 10340324
            02.11.2024 01.12.2024 30 10340324 84757 84757 0 0 10425081
            02.12.2024 01.01.2025 31 10425081 88308 88308 0 0 10513389
            02.01.2025 01.02.2025 31 10513389 89292 89292 0 0 10602681
            02.02.2025 01.03.2025 28 10602681 81336 81336 0 0 10684017
            02.03.2025 01.04.2025 31 10684017 90741 90741 0 0 10774758
            02.04.2025 01.05.2025 30 10774758 88560 88560 0 0 10863318
            02.05.2025 01.06.2025 31 10863318 92264 92264 0 0 10955582
            02.06.2025 01.07.2025 30 10955582 90046 90046 0 0 11045628)"
                                 << qint64(1045628) << qint64(0) << qint64(11045628);
        QTest::newRow("quarterly") << yearAcross(Quarterly) << R"(
            02.07.2024 01.10.2024 92 10000000 251366 251366 0 0 10251366
            02.10.2024 01.01.2025 92 10251366 257692 257692 0 0 10509058
            02.01.2025 01.04.2025 90 10509058 259127 259127 0 0 10768185
            02.04.2025 01.07.2025 91 10768185 268467 268467 0 0 11036652)"
                                   << qint64(1036652) << qint64(0) << qint64(11036652);
    }

    void capitalizations() { schedules(); }

    void schedules_data()
    {
        scheduleColumns();
        // Opened on the 31st: the month's last day where the month is shorter,
        // the 31st again where it is not.
        QTest::newRow("31 January, monthly") << terms(10'000'000, 12, "31.01.2024", "30.06.2024", Monthly) << R"(
            01.02.2024 29.02.2024 29 10000000 95082 95082 0 0 10095082
            01.03.2024 31.03.2024 31 10095082 102606 102606 0 0 10197688
            01.04.2024 30.04.2024 30 10197688 100305 100305 0 0 10297993
            01.05.2024 31.05.2024 31 10297993 104668 104668 0 0 10402661
            01.06.2024 30.06.2024 30 10402661 102321 102321 0 0 10504982)"
                                             << qint64(504982) << qint64(0) << qint64(10504982);
        QTest::newRow("31 January, paid monthly") << terms(10'000'000, 12, "31.01.2023", "30.04.2023", None, Payout::Monthly) << R"(
            01.02.2023 28.02.2023 28 10000000 92055 0 92055 0 10000000
            01.03.2023 31.03.2023 31 10000000 101918 0 101918 0 10000000
            01.04.2023 30.04.2023 30 10000000 98630 0 98630 0 10000000)"
                                                  << qint64(292603) << qint64(292603) << qint64(10000000);

        // Top-ups and withdrawals: on a credit date after the credit (so the
        // credit is on the old balance and the top-up earns from the next
        // day), between credit dates (a row of its own), two on one day (one
        // row, their sum).
        QTest::newRow("flows") << terms(10'000'000, 12, "15.01.2024", "15.04.2024", Monthly,
                                        Payout::AtEnd,
                                        {{day("15.02.2024"), 5'000'000},
                                         {day("01.03.2024"), 1'000'000},
                                         {day("15.03.2024"), -2'000'000},
                                         {day("20.03.2024"), 500'000},
                                         {day("20.03.2024"), -300'000}},
                                        5'000'000)
                               << R"(
            16.01.2024 15.02.2024 31 10000000 101639 101639 0 5000000 15101639
            16.02.2024 01.03.2024 15 15101639 74270 0 0 1000000 16101639
            02.03.2024 15.03.2024 14 16101639 73909 148180 0 -2000000 14249819
            16.03.2024 20.03.2024 5 14249819 23360 0 0 200000 14449819
            21.03.2024 15.04.2024 26 14449819 123179 146539 0 0 14596358)"
                               << qint64(396358) << qint64(0) << qint64(14596358);

        // Exact halves of a kopeck, over a year's end (one day at /366, two
        // at /365): 6679,50 × 10 % gives 548,5 kopecks exactly, and three
        // times that 1645,5: ties go to the even kopeck.
        QTest::newRow("a half kopeck down to even") << terms(667'950, 10, "30.12.2024", "02.01.2025", None) << R"(
            31.12.2024 02.01.2025 3 667950 548 0 548 0 667950)" << qint64(548) << qint64(548) << qint64(667950);
        QTest::newRow("a half kopeck up to even") << terms(2'003'850, 10, "30.12.2024", "02.01.2025", None) << R"(
            31.12.2024 02.01.2025 3 2003850 1646 0 1646 0 2003850)" << qint64(1646) << qint64(1646) << qint64(2003850);
        // The closing day of a 365-day term in 2023 lies in 2024, a leap year.
        QTest::newRow("close in a leap year") << terms(10'000'000, 10, "01.01.2023", "01.01.2024", None) << R"(
            02.01.2023 01.01.2024 365 10000000 999993 0 999993 0 10000000)"
                                              << qint64(999993) << qint64(999993) << qint64(10000000);
    }

    void schedules()
    {
        QFETCH(DepositTerms, deposit);
        QFETCH(QString, expected);
        QFETCH(qint64, totalInterest);
        QFETCH(qint64, paidOut);
        QFETCH(qint64, finalBalance);

        const DepositResult s = depositSchedule(deposit, keyRates());
        QCOMPARE(rowsOf(s.rows), lines(expected.toUtf8().constData()));
        QCOMPARE(qint64(s.totalInterest), totalInterest);
        QCOMPARE(qint64(s.paidOut), paidOut);
        QCOMPARE(qint64(s.finalBalance), finalBalance);
        // The rows chain, and the totals are theirs.
        std::int64_t balance = deposit.amount, credited = 0, moved = 0;
        for (const DepositRow &r : s.rows) {
            QCOMPARE(r.balance, balance);
            QCOMPARE(r.balanceAfter, r.balance + r.capitalized + r.flow);
            balance = r.balanceAfter;
            credited += r.capitalized + r.paidOut;
            moved += r.flow;
        }
        QCOMPARE(credited, s.totalInterest);
        QCOMPARE(moved, s.topUps - s.withdrawals);
    }

    // Daily capitalization: one row a day, each day's credit rounded and
    // earning from the next day, /366 until 31.12.2024 and /365 after.
    void daily()
    {
        const DepositResult s = depositSchedule(yearAcross(Daily), keyRates());
        QCOMPARE(int(s.rows.size()), 365);
        QCOMPARE(rowsOf(s.rows, 0, 2), lines(R"(
            02.07.2024 02.07.2024 1 10000000 2732 2732 0 0 10002732
            03.07.2024 03.07.2024 1 10002732 2733 2733 0 0 10005465)"));
        QCOMPARE(rowsOf(s.rows, 181, 4), lines(R"(
            30.12.2024 30.12.2024 1 10506895 2871 2871 0 0 10509766
            31.12.2024 31.12.2024 1 10509766 2872 2872 0 0 10512638
            01.01.2025 01.01.2025 1 10512638 2880 2880 0 0 10515518
            02.01.2025 02.01.2025 1 10515518 2881 2881 0 0 10518399)"));
        QCOMPARE(rowsOf(s.rows, 364), lines("01.07.2025 01.07.2025 1 11047018 3027 3027 0 0 11050045"));
        QCOMPARE(s.totalInterest, std::int64_t(1'050'045));
        QCOMPARE(s.finalBalance, std::int64_t(11'050'045));
        QCOMPARE(s.years.size(), std::size_t(2));
        QCOMPARE(s.years[0].interest, std::int64_t(512'638));
        QCOMPARE(s.years[1].interest, std::int64_t(537'407));
    }

    // A rate that is no binary fraction (7.3), over three leap-year ends and
    // with flows, against the exact value of the double.
    void inexactRate()
    {
        const DepositResult s = depositSchedule(
            terms(12'345'678, 7.3, "17.03.2023", "28.02.2026", Monthly, Payout::AtEnd,
                  {{day("29.02.2024"), 123'456}, {day("31.12.2025"), -1'000'000}}),
            keyRates());
        QCOMPARE(int(s.rows.size()), 38);
        QCOMPARE(rowsOf(s.rows, 10, 4), lines(R"(
            18.01.2024 17.02.2024 31 13122261 81136 81136 0 0 13203397
            18.02.2024 29.02.2024 12 13203397 31602 0 0 123456 13326853
            01.03.2024 17.03.2024 17 13326853 45187 76789 0 0 13403642
            18.03.2024 17.04.2024 31 13403642 82876 82876 0 0 13486518)"));
        QCOMPARE(s.totalInterest, std::int64_t(2'967'961));
        QCOMPARE(s.finalBalance, std::int64_t(14'437'095));
        QVERIFY(!s.effectiveRateShown);
    }

    // Flows of one day apply in the order given: a top-up first lets the
    // withdrawal through, the other way round it is refused.
    void flowOrder()
    {
        const std::vector<DepositFlow> topUpFirst{{day("20.02.2024"), 1'000'000}, {day("20.02.2024"), -6'000'000}};
        const DepositResult s =
            depositSchedule(terms(10'000'000, 12, "15.01.2024", "15.04.2024", Monthly, Payout::AtEnd, topUpFirst, 5'000'000),
                            keyRates());
        QCOMPARE(rowsOf(s.rows), lines(R"(
            16.01.2024 15.02.2024 31 10000000 101639 101639 0 0 10101639
            16.02.2024 20.02.2024 5 10101639 16560 0 0 -5000000 5101639
            21.02.2024 15.03.2024 24 5101639 40144 56704 0 0 5158343
            16.03.2024 15.04.2024 31 5158343 52429 52429 0 0 5210772)"));

        const std::vector<DepositFlow> withdrawalFirst{topUpFirst[1], topUpFirst[0]};
        QCOMPARE(faultOf([&] {
                     depositSchedule(terms(10'000'000, 12, "15.01.2024", "15.04.2024", Monthly, Payout::AtEnd,
                                           withdrawalFirst, 5'000'000),
                                     keyRates());
                 }),
                 QStringLiteral("Снятие 1 (20.02.2024): остаток станет меньше неснижаемого"));
        // Down to the minimum exactly is allowed.
        const std::vector<DepositFlow> toMinimum{{day("15.02.2024"), -5'101'639}};
        const DepositResult m =
            depositSchedule(terms(10'000'000, 12, "15.01.2024", "15.04.2024", Monthly, Payout::AtEnd, toMinimum, 5'000'000),
                            keyRates());
        QCOMPARE(m.rows[0].balanceAfter, std::int64_t(5'000'000));
    }

    void effectiveRate()
    {
        const DepositResult plain = depositSchedule(yearAcross(Quarterly), keyRates());
        QVERIFY(plain.effectiveRateShown);
        QCOMPARE(plain.effectiveRate, 10.36652); // 1 036 652 / 10^7 × 365 / 365 × 100
        const DepositResult q =
            depositSchedule(terms(10'000'000, 10, "01.01.2023", "01.04.2023", Monthly), keyRates());
        QCOMPARE(q.totalInterest, std::int64_t(248'606));
        QCOMPARE(q.effectiveRate, 9074119.0 / 900000.0); // over 90 days
    }

    // The years of a schedule: each calendar year with a credit date, the
    // deposit's tax summed, the net income.
    void yearsOfSchedule()
    {
        const DepositResult s =
            depositSchedule(terms(500'000'000, 8, "01.07.2022", "01.07.2023", Monthly), keyRates());
        QCOMPARE(s.years.size(), std::size_t(2));
        QCOMPARE(s.years[0].year, 2022);
        QCOMPARE(s.years[0].status, DepositYear::Exempt);
        QCOMPARE(s.years[0].interest, std::int64_t(16'993'530));
        QCOMPARE(s.years[0].tax, std::int64_t(0));
        QCOMPARE(s.years[1].year, 2023);
        QCOMPARE(s.years[1].status, DepositYear::Taxed);
        QCOMPARE(s.years[1].interest, std::int64_t(24'506'108));
        QCOMPARE(s.years[1].allowance, std::int64_t(15'000'000));
        QCOMPARE(s.years[1].taxable, std::int64_t(9'506'108));
        QCOMPARE(s.years[1].tax, std::int64_t(1'235'800)); // 12 357,94 → 12 358
        QCOMPARE(s.totalTax, std::int64_t(1'235'800));
        QCOMPARE(s.netIncome, std::int64_t(41'499'638 - 1'235'800));

        // Interest paid monthly over three years, with 100 000 of other
        // interest: only 2025 goes over its allowance; 2025 and 2026 have
        // months after the key rate's last known day.
        const DepositResult p = depositSchedule(
            terms(100'000'000, 16, "01.11.2024", "01.02.2026", None, Payout::Monthly, {}, 0, 10'000'000), keyRates());
        QCOMPARE(p.years.size(), std::size_t(3));
        const std::int64_t interest[] = {1'311'475, 15'996'404, 2'717'808};
        const std::int64_t taxable[] = {0, 4'996'404, 0};
        const std::int64_t tax[] = {0, 649'500, 0};
        const double rate[] = {21, 21, 18};
        const bool assumed[] = {false, true, true};
        for (int i = 0; i < 3; ++i) {
            const DepositYear &y = p.years[std::size_t(i)];
            QCOMPARE(y.year, 2024 + i);
            QCOMPARE(y.interest, interest[i]);
            QCOMPARE(y.other, std::int64_t(10'000'000));
            QCOMPARE(y.taxable, taxable[i]);
            QCOMPARE(y.tax, tax[i]);
            QCOMPARE(y.keyRate, rate[i]);
            QCOMPARE(y.keyRateAssumed, assumed[i]);
        }
        QCOMPARE(p.totalInterest, std::int64_t(20'025'687));
        QCOMPARE(p.totalTax, std::int64_t(649'500));
        QCOMPARE(p.netIncome, std::int64_t(19'376'187));

        // Before 2021 and in 2021: no key rate asked for (none is given).
        const DepositResult old =
            depositSchedule(terms(30'000'000, 9.5, "01.12.2019", "15.01.2021", Yearly), KeyRateHistory{});
        QCOMPARE(old.years.size(), std::size_t(2));
        QCOMPARE(old.years[0].status, DepositYear::NotCounted);
        QCOMPARE(old.years[0].interest, std::int64_t(2'850'640));
        QCOMPARE(old.years[1].status, DepositYear::Exempt);
        QCOMPARE(old.years[1].interest, std::int64_t(384'057));
        QCOMPARE(old.totalTax, std::int64_t(0));
    }

    void taxYears_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<qint64>("interest");
        QTest::addColumn<qint64>("other");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("allowance");
        QTest::addColumn<qint64>("taxable");
        QTest::addColumn<qint64>("tax");
        QTest::addColumn<double>("keyRate");
        QTest::addColumn<bool>("assumed");

        const int N = DepositYear::NotCounted, E = DepositYear::Exempt, T = DepositYear::Taxed;
        QTest::newRow("2020 not counted") << 2020 << qint64(90'000'000) << qint64(0) << N << qint64(0) << qint64(0)
                                          << qint64(0) << 0.0 << false;
        QTest::newRow("2021 exempt") << 2021 << qint64(90'000'000) << qint64(0) << E << qint64(0) << qint64(0)
                                     << qint64(0) << 0.0 << false;
        QTest::newRow("2022 exempt") << 2022 << qint64(90'000'000) << qint64(50'000'000) << E << qint64(0)
                                     << qint64(0) << qint64(0) << 0.0 << false;
        // 2023: the highest rate on a 1st is 15 (1 November and 1 December).
        QTest::newRow("2023 allowance 150 000") << 2023 << qint64(20'000'000) << qint64(0) << T << qint64(15'000'000)
                                                << qint64(5'000'000) << qint64(650'000) << 15.0 << false;
        QTest::newRow("2023 within the allowance") << 2023 << qint64(15'000'000) << qint64(0) << T << qint64(15'000'000)
                                                   << qint64(0) << qint64(0) << 15.0 << false;
        // Other interest fills the allowance, so all of this deposit's is taxed.
        QTest::newRow("other interest makes it taxable")
            << 2023 << qint64(1'000'000) << qint64(15'000'000) << T << qint64(15'000'000) << qint64(1'000'000)
            << qint64(130'000) << 15.0 << false;
        QTest::newRow("other interest fills part of it")
            << 2023 << qint64(1'000'000) << qint64(14'500'000) << T << qint64(15'000'000) << qint64(500'000)
            << qint64(65'000) << 15.0 << false;
        QTest::newRow("alone within the allowance") << 2023 << qint64(1'000'000) << qint64(0) << T << qint64(15'000'000)
                                                    << qint64(0) << qint64(0) << 15.0 << false;
        // Whole roubles: 0,4901 rouble down, 0,5005 up, 6,50 exactly up (not to even).
        QTest::newRow("49 kopecks down") << 2023 << qint64(15'000'377) << qint64(0) << T << qint64(15'000'000)
                                         << qint64(377) << qint64(0) << 15.0 << false;
        QTest::newRow("50 kopecks up") << 2023 << qint64(15'000'385) << qint64(0) << T << qint64(15'000'000)
                                       << qint64(385) << qint64(100) << 15.0 << false;
        QTest::newRow("half a rouble up") << 2023 << qint64(15'005'000) << qint64(0) << T << qint64(15'000'000)
                                          << qint64(5'000) << qint64(700) << 15.0 << false;
        // 5 000 000 at 13 % and 30 at 15 %: 650 004,50 → 650 005.
        QTest::newRow("2023 over 5 000 000") << 2023 << qint64(515'003'000) << qint64(0) << T << qint64(15'000'000)
                                             << qint64(500'003'000) << qint64(65'000'500) << 15.0 << false;
        // 2024: 21 from 1 November. Below 5 000 000 all at 13 %: 312 003,90.
        QTest::newRow("2024 allowance 210 000, 13 %")
            << 2024 << qint64(261'003'000) << qint64(0) << T << qint64(21'000'000) << qint64(240'003'000)
            << qint64(31'200'400) << 21.0 << false;
        // 2025: 21 until June, 2 400 000 at 13 % and 30 at 15 %: 312 004,50.
        // Its months from September on lie after the last known day.
        QTest::newRow("2025 allowance 210 000, over 2 400 000")
            << 2025 << qint64(261'003'000) << qint64(0) << T << qint64(21'000'000) << qint64(240'003'000)
            << qint64(31'200'500) << 21.0 << true;
        // Other interest already over the threshold: the deposit's share at 15 %.
        QTest::newRow("2025 other over the threshold")
            << 2025 << qint64(10'000'000) << qint64(271'000'000) << T << qint64(21'000'000) << qint64(260'000'000)
            << qint64(1'500'000) << 21.0 << true;
        // Other interest 10 000 below the threshold: 10 000 at 13 %, 90 000 at 15 %.
        QTest::newRow("2025 the deposit crosses the threshold")
            << 2025 << qint64(10'000'000) << qint64(260'000'000) << T << qint64(21'000'000) << qint64(249'000'000)
            << qint64(1'480'000) << 21.0 << true;
        // Wholly after the last known day: 18, the rate of 15.08.2025.
        QTest::newRow("2026 assumed") << 2026 << qint64(20'000'000) << qint64(0) << T << qint64(18'000'000)
                                      << qint64(2'000'000) << qint64(260'000) << 18.0 << true;
    }

    void taxYears()
    {
        QFETCH(int, year);
        QFETCH(qint64, interest);
        QFETCH(qint64, other);
        QFETCH(int, status);
        QFETCH(qint64, allowance);
        QFETCH(qint64, taxable);
        QFETCH(qint64, tax);
        QFETCH(double, keyRate);
        QFETCH(bool, assumed);

        const DepositYear y = depositTaxYear(year, interest, other, keyRates());
        QCOMPARE(y.year, year);
        QCOMPARE(qint64(y.interest), interest);
        QCOMPARE(qint64(y.other), other);
        QCOMPARE(int(y.status), status);
        QCOMPARE(qint64(y.allowance), allowance);
        QCOMPARE(qint64(y.taxable), taxable);
        QCOMPARE(qint64(y.tax), tax);
        QCOMPARE(y.keyRate, keyRate);
        QCOMPARE(y.keyRateAssumed, assumed);
    }

    // A taxed year needs the key rate from its 1 January on.
    void keyRateNotCovered()
    {
        KeyRateHistory late = keyRates();
        late.steps.erase(late.steps.begin()); // from 24.07.2023
        QCOMPARE(faultOf([&] { depositTaxYear(2023, 1, 0, late); }),
                 QStringLiteral("Для налога за 2023 год нужна ключевая ставка с 01.01.2023, а она известна с 24.07.2023"));
        QCOMPARE(faultOf([&] { depositTaxYear(2024, 1, 0, late); }), QString());
        QCOMPARE(faultOf([&] { depositTaxYear(2023, 1, 0, KeyRateHistory{}); }),
                 QStringLiteral("Для налога за 2023 год нужна ключевая ставка с 01.01.2023, а она известна с —"));
        QCOMPARE(faultOf([&] {
                     depositSchedule(terms(10'000'000, 10, "01.06.2022", "01.06.2023", Yearly), KeyRateHistory{});
                 }),
                 QStringLiteral("Для налога за 2023 год нужна ключевая ставка с 01.01.2023, а она известна с —"));
    }

    void refused_data()
    {
        QTest::addColumn<DepositTerms>("deposit");
        QTest::addColumn<QString>("message");

        const DepositTerms ok = terms(10'000'000, 10, "15.01.2024", "15.04.2024", Monthly, Payout::AtEnd,
                                      {{day("15.02.2024"), 100}}, 1'000'000);
        const auto with = [&](auto change) {
            DepositTerms t = ok;
            change(t);
            return t;
        };
        const QString amount = QStringLiteral("Сумма вклада должна быть больше 0 и не больше 100 млрд");
        QTest::newRow("amount 0") << with([](DepositTerms &t) { t.amount = 0; }) << amount;
        QTest::newRow("amount negative") << with([](DepositTerms &t) { t.amount = -1; }) << amount;
        QTest::newRow("amount beyond 10^13") << with([](DepositTerms &t) { t.amount = kMaxDepositKopecks + 1; })
                                             << amount;
        const QString rate = QStringLiteral("Процентная ставка должна быть от 0 до 100");
        QTest::newRow("rate negative") << with([](DepositTerms &t) { t.rate = -0.01; }) << rate;
        QTest::newRow("rate above 100") << with([](DepositTerms &t) { t.rate = 100.01; }) << rate;
        QTest::newRow("rate NaN") << with([](DepositTerms &t) { t.rate = std::nan(""); }) << rate;
        QTest::newRow("rate infinite") << with([](DepositTerms &t) { t.rate = HUGE_VAL; }) << rate;
        QTest::newRow("no opening date") << with([](DepositTerms &t) { t.opened = QDate(); })
                                         << QStringLiteral("Укажите дату открытия вклада");
        const QString closes = QStringLiteral("Дата закрытия вклада должна быть позже даты открытия");
        QTest::newRow("no closing date") << with([](DepositTerms &t) { t.closes = QDate(); }) << closes;
        QTest::newRow("closes on opening") << with([](DepositTerms &t) { t.closes = t.opened; }) << closes;
        QTest::newRow("closes before opening") << with([](DepositTerms &t) { t.closes = t.opened.addDays(-1); })
                                               << closes;
        QTest::newRow("over 50 years") << with([](DepositTerms &t) { t.closes = t.opened.addYears(50).addDays(1); })
                                       << QStringLiteral("Срок вклада должен быть не больше 50 лет");
        const QString minimum = QStringLiteral("Неснижаемый остаток должен быть от 0 до суммы вклада");
        QTest::newRow("minimum negative") << with([](DepositTerms &t) { t.minimumBalance = -1; }) << minimum;
        QTest::newRow("minimum above the amount") << with([](DepositTerms &t) { t.minimumBalance = t.amount + 1; })
                                                  << minimum;
        const QString other = QStringLiteral("Проценты по другим вкладам должны быть от 0 до 100 млрд");
        QTest::newRow("other negative") << with([](DepositTerms &t) { t.otherInterestPerYear = -1; }) << other;
        QTest::newRow("other beyond 10^13")
            << with([](DepositTerms &t) { t.otherInterestPerYear = kMaxDepositKopecks + 1; }) << other;
        const QString when = QStringLiteral("Пополнение или снятие 2: дата должна быть позже открытия и раньше закрытия вклада");
        const auto second = [&](const QDate &d, std::int64_t k) {
            return with([&](DepositTerms &t) { t.flows.push_back({d, k}); });
        };
        QTest::newRow("flow on the opening day") << second(day("15.01.2024"), 100) << when;
        QTest::newRow("flow before opening") << second(day("01.01.2024"), 100) << when;
        QTest::newRow("flow on the closing day") << second(day("15.04.2024"), 100) << when;
        QTest::newRow("flow after closing") << second(day("16.04.2024"), 100) << when;
        QTest::newRow("flow undated") << second(QDate(), 100) << when;
        const QString size = QStringLiteral("Пополнение или снятие 2: сумма не должна быть 0 и больше 100 млрд");
        QTest::newRow("flow 0") << second(day("16.01.2024"), 0) << size;
        QTest::newRow("top-up beyond 10^13") << second(day("16.01.2024"), kMaxDepositKopecks + 1) << size;
        QTest::newRow("withdrawal beyond 10^13") << second(day("16.01.2024"), -kMaxDepositKopecks - 1) << size;
        QTest::newRow("below the minimum") << second(day("01.03.2024"), -9'200'000)
                                           << QStringLiteral("Снятие 2 (01.03.2024): остаток станет меньше неснижаемого");
    }

    void refused()
    {
        QFETCH(DepositTerms, deposit);
        QFETCH(QString, message);
        QCOMPARE(faultOf([&] { depositSchedule(deposit, keyRates()); }), message);
    }

    // The longest and largest deposit still fits: 50 years of daily
    // capitalization at 100 % overflows (e^50), at 10 % it does not.
    void limits()
    {
        DepositTerms t = terms(kMaxDepositKopecks, 100, "01.01.2000", "01.01.2050", Daily);
        QCOMPARE(faultOf([&] { depositSchedule(t, keyRates()); }), QStringLiteral("Floating point overflow"));
        t.rate = 10;
        QCOMPARE(faultOf([&] { depositSchedule(t, keyRates()); }), QString());
        t.rate = 1e-300; // below half a kopeck on any balance
        QCOMPARE(depositSchedule(t, keyRates()).totalInterest, std::int64_t(0));
        t.rate = 0;
        QCOMPARE(depositSchedule(t, keyRates()).finalBalance, kMaxDepositKopecks);
    }

    void monthlyTopUps()
    {
        const std::vector<DepositFlow> f = orvel::monthlyTopUps(day("31.01.2024"), day("31.05.2024"), 1'000'000);
        QCOMPARE(f.size(), std::size_t(3)); // not on the closing day
        QCOMPARE(f[0].date, day("29.02.2024"));
        QCOMPARE(f[1].date, day("31.03.2024"));
        QCOMPARE(f[2].date, day("30.04.2024"));
        for (const DepositFlow &x : f)
            QCOMPARE(x.kopecks, std::int64_t(1'000'000));
        QVERIFY(orvel::monthlyTopUps(day("31.01.2024"), day("29.02.2024"), 1).empty());
        QVERIFY(orvel::monthlyTopUps(QDate(), day("29.02.2024"), 1).empty());
        const QString bad = QStringLiteral("Ежемесячное пополнение должно быть больше 0 и не больше 100 млрд");
        QCOMPARE(faultOf([] { orvel::monthlyTopUps(day("31.01.2024"), day("31.05.2024"), 0); }), bad);
        QCOMPARE(faultOf([] { orvel::monthlyTopUps(day("31.01.2024"), day("31.05.2024"), kMaxDepositKopecks + 1); }),
                 bad);
    }
};

QTEST_GUILESS_MAIN(TestDepositSchedule)
#include "test_deposit_schedule.moc"
