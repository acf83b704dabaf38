// The penalties of the Tax Code (art. 75) and the interest of the Civil Code
// (art. 395). Every expected figure was worked out independently, day by day
// in exact fractions (each day's base, rate and share, runs of equal days,
// base * r / 100 * days / denominator rounded once to the nearest kopeck,
// ties to even), not by running this code.
#include "calc/Penalty.h"

#include "FaultOf.h"
#include "KeyRateSteps.h"

#include <QLocale>
#include <QTest>

using namespace orvel;
using orveltest::faultOf;

Q_DECLARE_METATYPE(orvel::PenaltyTerms)
Q_DECLARE_METATYPE(orvel::KeyRateHistory)

namespace {

constexpr auto P = PenaltyKind::TaxPerson;
constexpr auto O = PenaltyKind::TaxOrganisation;
constexpr auto C = PenaltyKind::CivilCode395;

QDate day(const char *text) { return QDate::fromString(QString::fromLatin1(text), "dd.MM.yyyy"); }

struct DebtText {
    std::int64_t kopecks;
    const char *due;
};
struct PaymentText {
    const char *date;
    std::int64_t kopecks;
};

PenaltyTerms terms(PenaltyKind kind, std::vector<DebtText> debts, std::vector<PaymentText> payments, const char *until,
                   bool moratorium = false)
{
    PenaltyTerms t{kind, {}, {}, day(until), moratorium};
    for (const DebtText &d : debts)
        t.debts.push_back({d.kopecks, day(d.due)});
    for (const PaymentText &p : payments)
        t.payments.push_back({day(p.date), p.kopecks});
    return t;
}

// The shipped table of the bank's decisions, known to 20.03.2026.
const KeyRateHistory kShipped = orveltest::shippedKeyRate();
// The same taken as known to 31.03.2027, only to reach the end of the law's
// 2025-2026 period (the rate of 16.02.2026 kept).
const KeyRateHistory kExtended{orveltest::keyRateSteps(), QDate(2027, 3, 31)};
// 100 % a year from 01.01.2016: the cap is reached within a year.
const KeyRateHistory kHundred{{{QDate(2016, 1, 1), 100.0}}, QDate(2026, 12, 31)};

// "debt from to days base rate denominator amount [capped]", one row per line.
QString rows(const char *text)
{
    QStringList lines;
    for (const QString &line : QString::fromLatin1(text).split('\n', Qt::SkipEmptyParts))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines.join('\n');
}

QString rowsText(const PenaltyResult &r)
{
    QStringList lines;
    for (const PenaltyRow &row : r.rows)
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8%9")
                     .arg(row.debt)
                     .arg(row.from.toString("dd.MM.yyyy"), row.to.toString("dd.MM.yyyy"))
                     .arg(row.days)
                     .arg(row.base)
                     .arg(row.rate, 0, 'f', 2)
                     .arg(row.shareDenominator)
                     .arg(row.amount)
                     .arg(row.formula.endsWith("ограничено суммой долга") ? " capped" : "");
    return lines.join('\n');
}

// "perDebt...; total; unpaid; overpaid"
QString totalsText(const PenaltyResult &r)
{
    QStringList per;
    for (std::int64_t p : r.perDebt)
        per << QString::number(p);
    return QStringLiteral("%1; %2; %3; %4").arg(per.join(' ')).arg(r.total).arg(r.unpaid).arg(r.overpaid);
}

} // namespace

class TestPenalty : public QObject {
    Q_OBJECT

    static void addColumns()
    {
        QTest::addColumn<PenaltyTerms>("terms");
        QTest::addColumn<KeyRateHistory>("keyRate");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("totals");
    }
    static void check()
    {
        QFETCH(PenaltyTerms, terms);
        QFETCH(KeyRateHistory, keyRate);
        QFETCH(QString, rows);
        QFETCH(QString, totals);
        const PenaltyResult r = orvel::penalties(terms, keyRate);
        QCOMPARE(rowsText(r), rows);
        QCOMPARE(totalsText(r), totals);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    // A person's penalty: 1/300 of the rate, each day.
    void person_data()
    {
        addColumns();
        QTest::newRow("person, one rate")
            << terms(P, {{10000000, "10.01.2026"}}, {}, "10.02.2026") << kShipped
            << rows(R"(
                0 11.01.2026 10.02.2026 31 10000000 16.00 300 165333
            )")
            << "165333; 165333; 10000000; 0";
        QTest::newRow("person, across a rate change")
            << terms(P, {{10000000, "31.01.2026"}}, {}, "20.03.2026") << kShipped
            << rows(R"(
                0 01.02.2026 15.02.2026 15 10000000 16.00 300 80000
                0 16.02.2026 20.03.2026 33 10000000 15.50 300 170500
            )")
            << "250500; 250500; 10000000; 0";
        QTest::newRow("person, a tie rounds to even (up)")
            << terms(P, {{30000, "19.03.2026"}}, {}, "20.03.2026") << kShipped
            << rows(R"(
                0 20.03.2026 20.03.2026 1 30000 15.50 300 16
            )")
            << "16; 16; 30000; 0";
        QTest::newRow("person, a tie rounds to even (down)")
            << terms(P, {{90000, "19.03.2026"}}, {}, "20.03.2026") << kShipped
            << rows(R"(
                0 20.03.2026 20.03.2026 1 90000 15.50 300 46
            )")
            << "46; 46; 90000; 0";
        QTest::newRow("person, the largest debt for a year")
            << terms(P, {{10000000000000, "31.12.2024"}}, {}, "31.12.2025") << kShipped
            << rows(R"(
                0 01.01.2025 08.06.2025 159 10000000000000 21.00 300 1113000000000
                0 09.06.2025 27.07.2025 49 10000000000000 20.00 300 326666666667
                0 28.07.2025 14.09.2025 49 10000000000000 18.00 300 294000000000
                0 15.09.2025 26.10.2025 42 10000000000000 17.00 300 238000000000
                0 27.10.2025 21.12.2025 56 10000000000000 16.50 300 308000000000
                0 22.12.2025 31.12.2025 10 10000000000000 16.00 300 53333333333
            )")
            << "2333000000000; 2333000000000; 10000000000000; 0";
        QTest::newRow("the first day counted, 01.01.2016")
            << terms(P, {{10000000, "31.12.2015"}}, {}, "10.01.2016") << kShipped
            << rows(R"(
                0 01.01.2016 10.01.2016 10 10000000 11.00 300 36667
            )")
            << "36667; 36667; 10000000; 0";
        QTest::newRow("tax ignores the moratorium")
            << terms(P, {{10000000, "30.03.2022"}}, {}, "05.04.2022", true) << kShipped
            << rows(R"(
                0 31.03.2022 05.04.2022 6 10000000 20.00 300 40000
            )")
            << "40000; 40000; 10000000; 0";
    }
    void person() { check(); }

    // An organisation's: the share by the day of the delay and the law's periods, and the cap.
    void organisation_data()
    {
        addColumns();
        QTest::newRow("organisation, 1/150 from day 31")
            << terms(O, {{10000000, "01.03.2021"}}, {}, "30.06.2021") << kShipped
            << rows(R"(
                0 02.03.2021 21.03.2021 20 10000000 4.25 300 28333
                0 22.03.2021 31.03.2021 10 10000000 4.50 300 15000
                0 01.04.2021 25.04.2021 25 10000000 4.50 150 75000
                0 26.04.2021 14.06.2021 50 10000000 5.00 150 166667
                0 15.06.2021 30.06.2021 16 10000000 5.50 150 58667
            )")
            << "343667; 343667; 10000000; 0";
        QTest::newRow("organisation, due 30.09.2017 stays at 1/300")
            << terms(O, {{10000000, "30.09.2017"}}, {}, "31.12.2017") << kShipped
            << rows(R"(
                0 01.10.2017 29.10.2017 29 10000000 8.50 300 82167
                0 30.10.2017 17.12.2017 49 10000000 8.25 300 134750
                0 18.12.2017 31.12.2017 14 10000000 7.75 300 36167
            )")
            << "253084; 253084; 10000000; 0";
        QTest::newRow("organisation, due 01.10.2017 is raised")
            << terms(O, {{10000000, "01.10.2017"}}, {}, "31.12.2017") << kShipped
            << rows(R"(
                0 02.10.2017 29.10.2017 28 10000000 8.50 300 79333
                0 30.10.2017 31.10.2017 2 10000000 8.25 300 5500
                0 01.11.2017 17.12.2017 47 10000000 8.25 150 258500
                0 18.12.2017 31.12.2017 14 10000000 7.75 150 72333
            )")
            << "415666; 415666; 10000000; 0";
        QTest::newRow("organisation, into 09.03.2022")
            << terms(O, {{10000000, "31.01.2022"}}, {}, "31.03.2022") << kShipped
            << rows(R"(
                0 01.02.2022 13.02.2022 13 10000000 8.50 300 36833
                0 14.02.2022 27.02.2022 14 10000000 9.50 300 44333
                0 28.02.2022 02.03.2022 3 10000000 20.00 300 20000
                0 03.03.2022 08.03.2022 6 10000000 20.00 150 80000
                0 09.03.2022 31.03.2022 23 10000000 20.00 300 153333
            )")
            << "334499; 334499; 10000000; 0";
        QTest::newRow("organisation, across 31.12.2024 and 01.01.2025")
            << terms(O, {{10000000, "15.11.2024"}}, {}, "28.02.2025") << kShipped
            << rows(R"(
                0 16.11.2024 31.12.2024 46 10000000 21.00 300 322000
                0 01.01.2025 13.02.2025 44 10000000 21.00 150 616000
                0 14.02.2025 28.02.2025 15 10000000 21.00 300 105000
            )")
            << "1043000; 1043000; 10000000; 0";
        QTest::newRow("organisation, across 31.12.2026")
            << terms(O, {{10000000, "15.12.2026"}}, {}, "28.02.2027") << kExtended
            << rows(R"(
                0 16.12.2026 14.01.2027 30 10000000 15.50 300 155000
                0 15.01.2027 28.02.2027 45 10000000 15.50 150 465000
            )")
            << "620000; 620000; 10000000; 0";
    }
    void organisation() { check(); }

    // Payments: oldest debt first, counted from the next day; what is left over.
    void payments_data()
    {
        addColumns();
        QTest::newRow("a partial payment on a rate change")
            << terms(P, {{10000000, "31.01.2026"}}, {{"16.02.2026", 4000000}}, "20.03.2026") << kShipped
            << rows(R"(
                0 01.02.2026 15.02.2026 15 10000000 16.00 300 80000
                0 16.02.2026 16.02.2026 1 10000000 15.50 300 5167
                0 17.02.2026 20.03.2026 32 6000000 15.50 300 99200
            )")
            << "184367; 184367; 6000000; 0";
        QTest::newRow("two debts, a payment larger than both")
            << terms(P, {{5000000, "10.02.2026"}, {3000000, "31.01.2026"}}, {{"05.02.2026", 2000000}, {"20.02.2026", 7000000}}, "20.03.2026") << kShipped
            << rows(R"(
                0 11.02.2026 15.02.2026 5 5000000 16.00 300 13333
                0 16.02.2026 20.02.2026 5 5000000 15.50 300 12917
                1 01.02.2026 05.02.2026 5 3000000 16.00 300 8000
                1 06.02.2026 15.02.2026 10 1000000 16.00 300 5333
                1 16.02.2026 20.02.2026 5 1000000 15.50 300 2583
            )")
            << "26250 15916; 42166; 0; 1000000";
        QTest::newRow("one due day: entry order; one payment day: entry order")
            << terms(P, {{1000000, "31.01.2026"}, {2000000, "31.01.2026"}, {500000, "15.02.2026"}}, {{"10.02.2026", 1500000}, {"10.02.2026", 1000000}, {"01.03.2026", 300000}}, "20.03.2026") << kShipped
            << rows(R"(
                0 01.02.2026 10.02.2026 10 1000000 16.00 300 5333
                1 01.02.2026 10.02.2026 10 2000000 16.00 300 10667
                1 11.02.2026 15.02.2026 5 500000 16.00 300 1333
                1 16.02.2026 01.03.2026 14 500000 15.50 300 3617
                1 02.03.2026 20.03.2026 19 200000 15.50 300 1963
                2 16.02.2026 20.03.2026 33 500000 15.50 300 8525
            )")
            << "5333 17580 8525; 31438; 700000; 0";
        QTest::newRow("paid on its due day")
            << terms(P, {{1000000, "31.01.2026"}, {2000000, "02.02.2026"}}, {{"31.01.2026", 1000000}}, "10.02.2026") << kShipped
            << rows(R"(
                1 03.02.2026 10.02.2026 8 2000000 16.00 300 8533
            )")
            << "0 8533; 8533; 2000000; 0";
        QTest::newRow("debt due after the day counted")
            << terms(P, {{10000000, "31.01.2026"}, {10000000, "20.03.2026"}}, {}, "05.02.2026") << kShipped
            << rows(R"(
                0 01.02.2026 05.02.2026 5 10000000 16.00 300 26667
            )")
            << "26667 0; 26667; 20000000; 0";
        QTest::newRow("repaid in 2015: nothing to count before 2016")
            << terms(P, {{1000000, "30.12.2015"}, {1000000, "31.01.2026"}}, {{"30.12.2015", 1000000}}, "05.02.2026") << kShipped
            << rows(R"(
                1 01.02.2026 05.02.2026 5 1000000 16.00 300 2667
            )")
            << "0 2667; 2667; 1000000; 0";
        QTest::newRow("repaid before the rate is unknown")
            << terms(P, {{10000000, "31.01.2026"}}, {{"10.03.2026", 10000000}}, "31.12.2026") << kShipped
            << rows(R"(
                0 01.02.2026 15.02.2026 15 10000000 16.00 300 80000
                0 16.02.2026 10.03.2026 23 10000000 15.50 300 118833
            )")
            << "198833; 198833; 0; 0";
    }
    void payments() { check(); }

    // Art. 395: 1/365 or 1/366, no cap, the moratorium of 2022.
    void civilCode_data()
    {
        addColumns();
        QTest::newRow("art. 395 across leap 2024")
            << terms(C, {{10000000, "15.12.2023"}}, {}, "15.01.2025") << kShipped
            << rows(R"(
                0 16.12.2023 17.12.2023 2 10000000 15.00 365 8219
                0 18.12.2023 31.12.2023 14 10000000 16.00 365 61370
                0 01.01.2024 28.07.2024 210 10000000 16.00 366 918033
                0 29.07.2024 15.09.2024 49 10000000 18.00 366 240984
                0 16.09.2024 27.10.2024 42 10000000 19.00 366 218033
                0 28.10.2024 31.12.2024 65 10000000 21.00 366 372951
                0 01.01.2025 15.01.2025 15 10000000 21.00 365 86301
            )")
            << "1905891; 1905891; 10000000; 0";
        QTest::newRow("art. 395 across 2018/2019 and the same rate")
            << terms(C, {{10000000, "01.12.2018"}}, {}, "31.01.2019") << kShipped
            << rows(R"(
                0 02.12.2018 16.12.2018 15 10000000 7.50 365 30822
                0 17.12.2018 31.01.2019 46 10000000 7.75 365 97671
            )")
            << "128493; 128493; 10000000; 0";
        QTest::newRow("art. 395, the moratorium")
            << terms(C, {{10000000, "15.03.2022"}}, {}, "31.10.2022", true) << kShipped
            << rows(R"(
                0 16.03.2022 31.03.2022 16 10000000 20.00 365 87671
                0 02.10.2022 31.10.2022 30 10000000 7.50 365 61644
            )")
            << "149315; 149315; 10000000; 0";
        QTest::newRow("art. 395, no moratorium asked")
            << terms(C, {{10000000, "15.03.2022"}}, {}, "31.10.2022") << kShipped
            << rows(R"(
                0 16.03.2022 10.04.2022 26 10000000 20.00 365 142466
                0 11.04.2022 03.05.2022 23 10000000 17.00 365 107123
                0 04.05.2022 26.05.2022 23 10000000 14.00 365 88219
                0 27.05.2022 13.06.2022 18 10000000 11.00 365 54247
                0 14.06.2022 24.07.2022 41 10000000 9.50 365 106712
                0 25.07.2022 18.09.2022 56 10000000 8.00 365 122740
                0 19.09.2022 31.10.2022 43 10000000 7.50 365 88356
            )")
            << "709863; 709863; 10000000; 0";
        QTest::newRow("art. 395, a debt due 01.04.2022 is outside it")
            << terms(C, {{10000000, "31.03.2022"}, {10000000, "01.04.2022"}}, {}, "10.04.2022", true) << kShipped
            << rows(R"(
                1 02.04.2022 10.04.2022 9 10000000 20.00 365 49315
            )")
            << "0 49315; 49315; 20000000; 0";
    }
    void civilCode() { check(); }

    // The tax penalties stop at the debt; art. 395 does not.
    void cap_data()
    {
        addColumns();
        QTest::newRow("the cap")
            << terms(O, {{1000000, "31.12.2017"}}, {}, "20.03.2026") << kShipped
            << rows(R"(
                0 01.01.2018 30.01.2018 30 1000000 7.75 300 7750
                0 31.01.2018 11.02.2018 12 1000000 7.75 150 6200
                0 12.02.2018 25.03.2018 42 1000000 7.50 150 21000
                0 26.03.2018 16.09.2018 175 1000000 7.25 150 84583
                0 17.09.2018 16.12.2018 91 1000000 7.50 150 45500
                0 17.12.2018 16.06.2019 182 1000000 7.75 150 94033
                0 17.06.2019 28.07.2019 42 1000000 7.50 150 21000
                0 29.07.2019 08.09.2019 42 1000000 7.25 150 20300
                0 09.09.2019 27.10.2019 49 1000000 7.00 150 22867
                0 28.10.2019 15.12.2019 49 1000000 6.50 150 21233
                0 16.12.2019 09.02.2020 56 1000000 6.25 150 23333
                0 10.02.2020 26.04.2020 77 1000000 6.00 150 30800
                0 27.04.2020 21.06.2020 56 1000000 5.50 150 20533
                0 22.06.2020 26.07.2020 35 1000000 4.50 150 10500
                0 27.07.2020 21.03.2021 238 1000000 4.25 150 67433
                0 22.03.2021 25.04.2021 35 1000000 4.50 150 10500
                0 26.04.2021 14.06.2021 50 1000000 5.00 150 16667
                0 15.06.2021 25.07.2021 41 1000000 5.50 150 15033
                0 26.07.2021 12.09.2021 49 1000000 6.50 150 21233
                0 13.09.2021 24.10.2021 42 1000000 6.75 150 18900
                0 25.10.2021 19.12.2021 56 1000000 7.50 150 28000
                0 20.12.2021 13.02.2022 56 1000000 8.50 150 31733
                0 14.02.2022 27.02.2022 14 1000000 9.50 150 8867
                0 28.02.2022 08.03.2022 9 1000000 20.00 150 12000
                0 09.03.2022 10.04.2022 33 1000000 20.00 300 22000
                0 11.04.2022 03.05.2022 23 1000000 17.00 300 13033
                0 04.05.2022 26.05.2022 23 1000000 14.00 300 10733
                0 27.05.2022 13.06.2022 18 1000000 11.00 300 6600
                0 14.06.2022 24.07.2022 41 1000000 9.50 300 12983
                0 25.07.2022 18.09.2022 56 1000000 8.00 300 14933
                0 19.09.2022 23.07.2023 308 1000000 7.50 300 77000
                0 24.07.2023 14.08.2023 22 1000000 8.50 300 6233
                0 15.08.2023 17.09.2023 34 1000000 12.00 300 13600
                0 18.09.2023 29.10.2023 42 1000000 13.00 300 18200
                0 30.10.2023 17.12.2023 49 1000000 15.00 300 24500
                0 18.12.2023 28.07.2024 224 1000000 16.00 300 119467
                0 29.07.2024 15.09.2024 49 1000000 18.00 300 720 capped
            )")
            << "1000000; 1000000; 1000000; 0";
        QTest::newRow("the cap cuts one debt, not the other")
            << terms(O, {{100000, "31.12.2018"}, {100000, "30.09.2019"}}, {}, "31.12.2019") << kHundred
            << rows(R"(
                0 01.01.2019 30.01.2019 30 100000 100.00 300 10000
                0 31.01.2019 31.12.2019 335 100000 100.00 150 90000 capped
                1 01.10.2019 30.10.2019 30 100000 100.00 300 10000
                1 31.10.2019 31.12.2019 62 100000 100.00 150 41333
            )")
            << "100000 51333; 151333; 200000; 0";
        QTest::newRow("a penalty equal to the debt is not cut")
            << terms(P, {{100000, "31.12.2018"}}, {}, "27.10.2019") << kHundred
            << rows(R"(
                0 01.01.2019 27.10.2019 300 100000 100.00 300 100000
            )")
            << "100000; 100000; 100000; 0";
        QTest::newRow("art. 395 passes the debt")
            << terms(C, {{100000, "31.12.2024"}}, {}, "31.03.2026") << kHundred
            << rows(R"(
                0 01.01.2025 31.03.2026 455 100000 100.00 365 124658
            )")
            << "124658; 124658; 100000; 0";
    }
    void cap() { check(); }

    void formula_data()
    {
        QTest::addColumn<PenaltyTerms>("terms");
        QTest::addColumn<KeyRateHistory>("keyRate");
        QTest::addColumn<QStringList>("formulas");

        const QString nbsp(QChar(0x00A0)); // the Russian locale's digit grouping
        QTest::newRow("one row") << terms(P, {{10000000, "10.01.2026"}}, {}, "10.02.2026") << kShipped
                                 << QStringList{"100" + nbsp + "000,00 × 16,00 % × 31 / 300"};
        QTest::newRow("art. 395, a leap year")
            << terms(C, {{12345678, "30.12.2023"}}, {}, "02.01.2024") << kShipped
            << QStringList{"123" + nbsp + "456,78 × 16,00 % × 1 / 365", "123" + nbsp + "456,78 × 16,00 % × 2 / 366"};
        QTest::newRow("the row cut to the debt")
            << terms(O, {{100000, "31.12.2018"}}, {}, "31.12.2019") << kHundred
            << QStringList{"1" + nbsp + "000,00 × 100,00 % × 30 / 300",
                           "1" + nbsp + "000,00 × 100,00 % × 335 / 150, ограничено суммой долга"};
    }
    void formula()
    {
        QFETCH(PenaltyTerms, terms);
        QFETCH(KeyRateHistory, keyRate);
        QFETCH(QStringList, formulas);
        QStringList got;
        for (const PenaltyRow &row : orvel::penalties(terms, keyRate).rows)
            got << row.formula;
        QCOMPARE(got, formulas);
    }

    void faults_data()
    {
        QTest::addColumn<PenaltyTerms>("terms");
        QTest::addColumn<KeyRateHistory>("keyRate");
        QTest::addColumn<QString>("message");

        const QString amount = "сумма должна быть больше 0 и не больше 100 млрд";
        const auto fault = [&](const char *name, const PenaltyTerms &t, const QString &message) {
            QTest::newRow(name) << t << kShipped << message;
        };
        fault("no debt", terms(P, {}, {}, "20.03.2026"), "Нет ни одного долга");
        fault("a debt of 0", terms(P, {{0, "31.01.2026"}}, {}, "20.03.2026"), "Долг 1: " + amount);
        fault("a negative debt", terms(O, {{100, "31.01.2026"}, {-100, "31.01.2026"}}, {}, "20.03.2026"),
              "Долг 2: " + amount);
        fault("a debt beyond 10^13 kopecks", terms(C, {{10000000000001, "31.01.2026"}}, {}, "20.03.2026"),
              "Долг 1: " + amount);
        fault("a due day that is no date", terms(P, {{100, "31.02.2026"}}, {}, "20.03.2026"),
              "Долг 1: неверный срок уплаты");
        fault("a day counted to that is no date", terms(P, {{100, "31.01.2026"}}, {}, ""), "Неверная дата расчета");
        fault("a payment of 0", terms(P, {{100, "31.01.2026"}}, {{"01.02.2026", 0}}, "20.03.2026"), "Платеж 1: " + amount);
        fault("a negative payment", terms(P, {{100, "31.01.2026"}}, {{"01.02.2026", 5}, {"02.02.2026", -5}}, "20.03.2026"),
              "Платеж 2: " + amount);
        fault("a payment beyond 10^13 kopecks",
              terms(P, {{100, "31.01.2026"}}, {{"01.02.2026", 10000000000001}}, "20.03.2026"), "Платеж 1: " + amount);
        fault("a payment with no date", terms(P, {{100, "31.01.2026"}}, {{"01.02.2026", 5}, {"", 5}}, "20.03.2026"),
              "Платеж 2: неверная дата");
        fault("a payment after the day counted to", terms(P, {{100, "31.01.2026"}}, {{"21.03.2026", 5}}, "20.03.2026"),
              "Платеж 1: дата позже даты расчета 20.03.2026");
        fault("counted to the due day", terms(P, {{100, "31.01.2026"}}, {}, "31.01.2026"),
              "Дата расчета раньше первого дня просрочки 01.02.2026");
        fault("before the earliest delay day of two",
              terms(P, {{100, "15.02.2026"}, {100, "31.01.2026"}}, {}, "30.01.2026"),
              "Дата расчета раньше первого дня просрочки 01.02.2026");
        fault("a delay day before 01.01.2016", terms(O, {{100, "31.01.2026"}, {100, "30.12.2015"}}, {}, "20.03.2026"),
              "Долг 2: расчет возможен с 01.01.2016");
        fault("a day after the rate is known", terms(P, {{100, "31.01.2026"}}, {}, "21.03.2026"),
              "Ключевая ставка известна по 20.03.2026");
        PenaltyTerms far = terms(C, {{100, "31.01.2026"}}, {}, "20.03.2026");
        far.until = QDate(1000000, 1, 1);
        fault("a day counted to a million years on", far, "Ключевая ставка известна по 20.03.2026");
        far.debts.insert(far.debts.begin(), {100, QDate(-1000000, 1, 1)});
        fault("due a million years ago", far, "Долг 1: расчет возможен с 01.01.2016");
        fault("the moratorium does not hide an unknown rate",
              terms(C, {{100, "31.01.2026"}}, {{"10.02.2026", 50}}, "21.03.2026", true),
              "Ключевая ставка известна по 20.03.2026");
        QTest::newRow("no key rate") << terms(P, {{100, "31.01.2026"}}, {}, "20.03.2026") << KeyRateHistory{}
                                     << "Нет данных о ключевой ставке";
        QTest::newRow("a key rate known from later")
            << terms(P, {{100, "31.01.2026"}}, {}, "20.03.2026") << KeyRateHistory{{{QDate(2026, 2, 16), 15.5}}, QDate(2026, 3, 20)}
            << "Ключевая ставка известна с 16.02.2026";

        PenaltyTerms many = terms(P, {}, {}, "20.03.2026");
        many.debts.assign(kMaxPenaltyEntries + 1, Debt{100, day("31.01.2026")});
        fault("too many debts", many, "Долгов больше 10000");
        many.debts.resize(1);
        many.payments.assign(kMaxPenaltyEntries + 1, Payment{day("01.02.2026"), 1});
        fault("too many payments", many, "Платежей больше 10000");
    }
    void faults()
    {
        QFETCH(PenaltyTerms, terms);
        QFETCH(KeyRateHistory, keyRate);
        QFETCH(QString, message);
        QCOMPARE(faultOf([&] { orvel::penalties(terms, keyRate); }), message);
    }

    void largestEntries()
    {
        // The most entries of the largest amounts: every sum stays exact.
        PenaltyTerms t = terms(C, {}, {}, "10.01.2016");
        t.debts.assign(kMaxPenaltyEntries, Debt{kMaxPenaltyKopecks, day("31.12.2015")});
        const PenaltyResult r = orvel::penalties(t, kShipped);
        std::int64_t sum = 0;
        for (const PenaltyRow &row : r.rows)
            sum += row.amount;
        QCOMPARE(r.total, sum);
        QCOMPARE(r.perDebt.front() * std::int64_t(kMaxPenaltyEntries), r.total);
        QCOMPARE(r.unpaid, kMaxPenaltyKopecks * std::int64_t(kMaxPenaltyEntries));
    }
};

QTEST_GUILESS_MAIN(TestPenalty)
#include "test_penalty.moc"
