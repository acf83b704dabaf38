// The loan payment schedule on its own: whole schedules worked out by hand
// (exact fractions, nearest kopeck with ties to even), early repayments in
// both modes, and every input the schedule refuses.
#include "calc/Checked.h"
#include "calc/Schedule.h"

#include "FaultOf.h"

#include <QTest>

using namespace orvel;
using orveltest::faultOf;

Q_DECLARE_METATYPE(orvel::LoanTerms)
Q_DECLARE_METATYPE(std::vector<std::int64_t>)

namespace {

// "month debtBefore interest principal payment early debtAfter", one row per line.
std::vector<ScheduleRow> rows(const char *text)
{
    std::vector<ScheduleRow> out;
    for (const QString &line : QString::fromLatin1(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() != 7)
            qFatal("bad row %s", qPrintable(line));
        out.push_back({f[0].toInt(), f[1].toLongLong(), f[2].toLongLong(), f[3].toLongLong(), f[4].toLongLong(),
                       f[5].toLongLong(), f[6].toLongLong()});
    }
    return out;
}

QString rowText(const ScheduleRow &r)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(r.month)
        .arg(r.debtBefore)
        .arg(r.interest)
        .arg(r.principal)
        .arg(r.payment)
        .arg(r.early)
        .arg(r.debtAfter);
}

LoanTerms terms(double amount, double rate, int months, Repayment kind, std::vector<EarlyRepayment> early = {})
{
    return LoanTerms{amount, rate, months, kind, std::move(early)};
}

constexpr auto A = Repayment::Annuity;
constexpr auto D = Repayment::Differentiated;
constexpr auto S = EarlyMode::ShortenTerm;
constexpr auto L = EarlyMode::LowerPayment;

const char *const kAnnuity100k = R"(
    1 10000000 100000 788488 888488 0 9211512
    2 9211512 92115 796373 888488 0 8415139
    3 8415139 84151 804337 888488 0 7610802
    4 7610802 76108 812380 888488 0 6798422
    5 6798422 67984 820504 888488 0 5977918
    6 5977918 59779 828709 888488 0 5149209
    7 5149209 51492 836996 888488 0 4312213
    8 4312213 43122 845366 888488 0 3466847
    9 3466847 34668 853820 888488 0 2613027
    10 2613027 26130 862358 888488 0 1750669
    11 1750669 17507 870981 888488 0 879688
    12 879688 8797 879688 888485 0 0)";

} // namespace

class TestSchedule : public QObject {
    Q_OBJECT

private slots:
    void schedules_data()
    {
        QTest::addColumn<LoanTerms>("loan");
        QTest::addColumn<QString>("expected"); // the rows, as rows() reads them
        QTest::addColumn<std::vector<std::int64_t>>("applied");
        QTest::addColumn<qint64>("plainTotalPaid");
        QTest::addColumn<qint64>("plainTotalInterest");
        QTest::addColumn<int>("plainMonths");

        // The payment is the loan tab's 8884,88; the last month pays what is
        // left, 8884,85.
        QTest::newRow("annuity 100000 12% 12") << terms(100000, 12, 12, A) << kAnnuity100k
                                               << std::vector<std::int64_t>{} << qint64(10661853)
                                               << qint64(661853) << 12;
        // Interest of 30 days of a 365-day year on the debt.
        QTest::newRow("differentiated 120000 12% 12") << terms(120000, 12, 12, D) << R"(
            1 12000000 118356 1000000 1118356 0 11000000
            2 11000000 108493 1000000 1108493 0 10000000
            3 10000000 98630 1000000 1098630 0 9000000
            4 9000000 88767 1000000 1088767 0 8000000
            5 8000000 78904 1000000 1078904 0 7000000
            6 7000000 69041 1000000 1069041 0 6000000
            7 6000000 59178 1000000 1059178 0 5000000
            8 5000000 49315 1000000 1049315 0 4000000
            9 4000000 39452 1000000 1039452 0 3000000
            10 3000000 29589 1000000 1029589 0 2000000
            11 2000000 19726 1000000 1019726 0 1000000
            12 1000000 9863 1000000 1009863 0 0)" << std::vector<std::int64_t>{} << qint64(12769314) << qint64(769314) << 12;
        // Rate 0: the instalment rounded, the last month the rest, either way.
        QTest::newRow("rate 0, instalment rounded down") << terms(100000, 0, 3, A) << R"(
            1 10000000 0 3333333 3333333 0 6666667
            2 6666667 0 3333333 3333333 0 3333334
            3 3333334 0 3333334 3333334 0 0)" << std::vector<std::int64_t>{} << qint64(10000000) << qint64(0) << 3;
        QTest::newRow("rate 0, instalment rounded up") << terms(200, 0, 3, A) << R"(
            1 20000 0 6667 6667 0 13333
            2 13333 0 6667 6667 0 6666
            3 6666 0 6666 6666 0 0)" << std::vector<std::int64_t>{} << qint64(20000) << qint64(0) << 3;
        QTest::newRow("rate 0, differentiated") << terms(1000, 0, 3, D) << R"(
            1 100000 0 33333 33333 0 66667
            2 66667 0 33333 33333 0 33334
            3 33334 0 33334 33334 0 0)" << std::vector<std::int64_t>{} << qint64(100000) << qint64(0) << 3;
        QTest::newRow("one month") << terms(1000, 12, 1, A) << "1 100000 1000 100000 101000 0 0"
                                   << std::vector<std::int64_t>{} << qint64(101000) << qint64(1000) << 1;

        // Early repayments, after the month's payment.
        QTest::newRow("annuity, shorten term") << terms(100000, 12, 12, A, {{3, 2000000, S}}) << R"(
            1 10000000 100000 788488 888488 0 9211512
            2 9211512 92115 796373 888488 0 8415139
            3 8415139 84151 804337 888488 2000000 5610802
            4 5610802 56108 832380 888488 0 4778422
            5 4778422 47784 840704 888488 0 3937718
            6 3937718 39377 849111 888488 0 3088607
            7 3088607 30886 857602 888488 0 2231005
            8 2231005 22310 866178 888488 0 1364827
            9 1364827 13648 874840 888488 0 489987
            10 489987 4900 489987 494887 0 0)"
            << std::vector<std::int64_t>{2000000} << qint64(10661853) << qint64(661853) << 12;
        // The new payment is the annuity calculation's for 56108,02 over 9 months.
        QTest::newRow("annuity, lower payment") << terms(100000, 12, 12, A, {{3, 2000000, L}}) << R"(
            1 10000000 100000 788488 888488 0 9211512
            2 9211512 92115 796373 888488 0 8415139
            3 8415139 84151 804337 888488 2000000 5610802
            4 5610802 56108 598899 655007 0 5011903
            5 5011903 50119 604888 655007 0 4407015
            6 4407015 44070 610937 655007 0 3796078
            7 3796078 37961 617046 655007 0 3179032
            8 3179032 31790 623217 655007 0 2555815
            9 2555815 25558 629449 655007 0 1926366
            10 1926366 19264 635743 655007 0 1290623
            11 1290623 12906 642101 655007 0 648522
            12 648522 6485 648522 655007 0 0)"
            << std::vector<std::int64_t>{2000000} << qint64(10661853) << qint64(661853) << 12;
        // The principal part stays 8333,33; the month whose debt is below it
        // pays the rest, a month early.
        QTest::newRow("differentiated, shorten term") << terms(100000, 12, 12, D, {{4, 1000000, S}}) << R"(
            1 10000000 98630 833333 931963 0 9166667
            2 9166667 90411 833333 923744 0 8333334
            3 8333334 82192 833333 915525 0 7500001
            4 7500001 73973 833333 907306 1000000 5666668
            5 5666668 55890 833333 889223 0 4833335
            6 4833335 47671 833333 881004 0 4000002
            7 4000002 39452 833333 872785 0 3166669
            8 3166669 31233 833333 864566 0 2333336
            9 2333336 23014 833333 856347 0 1500003
            10 1500003 14795 833333 848128 0 666670
            11 666670 6575 666670 673245 0 0)"
            << std::vector<std::int64_t>{1000000} << qint64(10641096) << qint64(641096) << 12;
        // Two in one month add up in entry order; the lowering comes after both
        // (the part for 26666,68 over 8 months).
        QTest::newRow("differentiated, two in one month") << terms(100000, 12, 12, D, {{4, 1000000, S}, {4, 3000000, L}})
            << R"(
            1 10000000 98630 833333 931963 0 9166667
            2 9166667 90411 833333 923744 0 8333334
            3 8333334 82192 833333 915525 0 7500001
            4 7500001 73973 833333 907306 4000000 2666668
            5 2666668 26301 333334 359635 0 2333334
            6 2333334 23014 333334 356348 0 2000000
            7 2000000 19726 333334 353060 0 1666666
            8 1666666 16438 333334 349772 0 1333332
            9 1333332 13151 333334 346485 0 999998
            10 999998 9863 333334 343197 0 666664
            11 666664 6575 333334 339909 0 333330
            12 333330 3288 333330 336618 0 0)"
            << std::vector<std::int64_t>{1000000, 3000000} << qint64(10641096) << qint64(641096) << 12;
        // The second repayment of month 5 is capped at the debt and ends the
        // loan; the third (same month) and the fourth (month 8) find no debt.
        QTest::newRow("capped at the debt, then ignored")
            << terms(100000, 12, 12, A, {{5, 3000000, S}, {5, 1000000000000, L}, {5, 100, S}, {8, 500000, S}}) << R"(
            1 10000000 100000 788488 888488 0 9211512
            2 9211512 92115 796373 888488 0 8415139
            3 8415139 84151 804337 888488 0 7610802
            4 7610802 76108 812380 888488 0 6798422
            5 6798422 67984 820504 888488 5977918 0)"
            << std::vector<std::int64_t>{3000000, 2977918, 0, 0} << qint64(10661853) << qint64(661853) << 12;
        // The last month pays the debt off, so an early repayment there (with
        // no months left to lower the payment over) repays nothing.
        QTest::newRow("lower payment in the last month") << terms(100000, 12, 12, A, {{12, 500000, L}}) << kAnnuity100k
                                                         << std::vector<std::int64_t>{0} << qint64(10661853)
                                                         << qint64(661853) << 12;
        // An instalment plan: the rest over the 6 months left, rounded.
        QTest::newRow("rate 0, lower payment") << terms(100000, 0, 12, A, {{6, 100000, L}}) << R"(
            1 10000000 0 833333 833333 0 9166667
            2 9166667 0 833333 833333 0 8333334
            3 8333334 0 833333 833333 0 7500001
            4 7500001 0 833333 833333 0 6666668
            5 6666668 0 833333 833333 0 5833335
            6 5833335 0 833333 833333 100000 4900002
            7 4900002 0 816667 816667 0 4083335
            8 4083335 0 816667 816667 0 3266668
            9 3266668 0 816667 816667 0 2450001
            10 2450001 0 816667 816667 0 1633334
            11 1633334 0 816667 816667 0 816667
            12 816667 0 816667 816667 0 0)"
            << std::vector<std::int64_t>{100000} << qint64(10000000) << qint64(0) << 12;
    }
    void schedules()
    {
        QFETCH(LoanTerms, loan);
        QFETCH(QString, expected);
        QFETCH(std::vector<std::int64_t>, applied);
        QFETCH(qint64, plainTotalPaid);
        QFETCH(qint64, plainTotalInterest);
        QFETCH(int, plainMonths);

        std::vector<std::int64_t> got;
        const LoanSchedule s = loanSchedule(loan, &got);
        QStringList gotRows, wantRows;
        for (const ScheduleRow &r : s.rows)
            gotRows << rowText(r);
        for (const ScheduleRow &r : rows(expected.toLatin1().constData()))
            wantRows << rowText(r);
        QCOMPARE(gotRows, wantRows);
        QCOMPARE(got, applied);

        // The totals are the sums of the rows.
        qint64 paid = 0, interest = 0;
        for (const ScheduleRow &r : s.rows) {
            paid += r.payment + r.early;
            interest += r.interest;
        }
        QCOMPARE(qint64(s.totalPaid), paid);
        QCOMPARE(qint64(s.totalInterest), interest);
        QCOMPARE(qint64(s.plainTotalPaid), plainTotalPaid);
        QCOMPARE(qint64(s.plainTotalInterest), plainTotalInterest);
        QCOMPARE(s.plainMonths, plainMonths);
        // The same figures without `applied`.
        const LoanSchedule again = loanSchedule(loan);
        QCOMPARE(again.rows.size(), s.rows.size());
        QCOMPARE(again.totalPaid, s.totalPaid);
    }

    // A month's interest that is exactly half a kopeck goes to the even
    // neighbour: 150 kopecks at 4% is 0,5 kopeck, 450 is 1,5 and 750 is 2,5.
    void interestTiesToEven_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<qint64>("interest");
        QTest::newRow("0,5 goes down") << 1.5 << qint64(0);
        QTest::newRow("1,5 goes up") << 4.5 << qint64(2);
        QTest::newRow("2,5 goes down") << 7.5 << qint64(2);
    }
    void interestTiesToEven()
    {
        QFETCH(double, amount);
        QFETCH(qint64, interest);
        const LoanSchedule s = loanSchedule(terms(amount, 4, 2, A));
        QCOMPARE(qint64(s.rows.front().interest), interest);
    }

    // Long terms stay whole: the debt runs down to 0 in the last month, and
    // the principal of every month with early repayments adds up to the loan.
    void longTermsAddUp_data()
    {
        QTest::addColumn<LoanTerms>("loan");
        QTest::addColumn<int>("months");
        QTest::newRow("annuity 1200 months") << terms(10000000, 9.5, 1200, A) << 1200;
        QTest::newRow("differentiated 1200 months") << terms(10000000, 9.5, 1200, D) << 1200;
        QTest::newRow("largest amount") << terms(1e13, 30, 360, A) << 360;
        QTest::newRow("both modes mixed") << terms(3000000, 11, 360, A, {{12, 300000 * 100, L}, {24, 200000 * 100, S},
                                                                     {24, 100000 * 100, L}, {120, 500000 * 100, S}})
                                          << 0;
    }
    void longTermsAddUp()
    {
        QFETCH(LoanTerms, loan);
        QFETCH(int, months);
        const LoanSchedule s = loanSchedule(loan);
        if (months)
            QCOMPARE(int(s.rows.size()), months);
        std::int64_t debt = s.rows.front().debtBefore, repaid = 0;
        for (const ScheduleRow &r : s.rows) {
            QCOMPARE(r.debtBefore, debt);
            QCOMPARE(r.debtAfter, r.debtBefore - r.principal - r.early);
            QVERIFY(r.principal >= 0);
            debt = r.debtAfter;
            repaid += r.principal + r.early;
        }
        QCOMPARE(debt, std::int64_t(0));
        QCOMPARE(repaid, roundWhole(ext(loan.amount) * 100));
        QVERIFY(s.totalPaid <= s.plainTotalPaid);
    }

    void faults_data()
    {
        QTest::addColumn<LoanTerms>("loan");
        QTest::addColumn<QString>("message");
        const QString term = QStringLiteral("Срок кредита должен быть целым числом месяцев от 1 до 1200");
        const QString amount = QStringLiteral("Сумма кредита должна быть больше 0 и не больше 10 трлн");
        const QString rate = QStringLiteral("Процентная ставка должна быть не меньше 0");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("term 0") << terms(1000, 10, 0, A) << term;
        QTest::newRow("term 1201") << terms(1000, 10, 1201, D) << term;
        QTest::newRow("term negative") << terms(1000, 10, -12, A) << term;
        QTest::newRow("amount 0") << terms(0, 10, 12, A) << amount;
        QTest::newRow("amount negative") << terms(-1, 10, 12, A) << amount;
        QTest::newRow("amount beyond 10^13") << terms(1e13 + 0.01, 10, 12, A) << amount;
        QTest::newRow("amount NaN") << terms(nan, 10, 12, A) << amount;
        QTest::newRow("amount below a kopeck") << terms(0.004, 10, 12, A) << "Сумма кредита должна быть не меньше 0,01";
        QTest::newRow("rate negative") << terms(1000, -0.5, 12, A) << rate;
        QTest::newRow("rate infinite") << terms(1000, inf, 12, D) << rate;
        QTest::newRow("rate NaN") << terms(1000, nan, 12, A) << rate;
        QTest::newRow("early month 0") << terms(1000, 10, 12, A, {{1, 100, S}, {0, 100, S}})
                                       << "Досрочное погашение 2: месяц должен быть от 1 до 12";
        QTest::newRow("early month past the term") << terms(1000, 10, 12, A, {{13, 100, L}})
                                                   << "Досрочное погашение 1: месяц должен быть от 1 до 12";
        QTest::newRow("early amount 0") << terms(1000, 10, 12, D, {{3, 0, S}})
                                        << "Досрочное погашение 1: сумма должна быть больше 0 и не больше 10 трлн";
        QTest::newRow("early amount negative") << terms(1000, 10, 12, A, {{3, 100, S}, {4, 100, S}, {5, -1, L}})
                                               << "Досрочное погашение 3: сумма должна быть больше 0 и не больше 10 трлн";
        // Arithmetic beyond the range of a kopeck count: the usual faults.
        QTest::newRow("interest beyond 64 bits") << terms(1e13, 1e10, 12, D) << "Invalid floating point operation";
        QTest::newRow("annuity power overflows") << terms(1000, 1e300, 1200, A) << "Floating point overflow";
    }
    void faults()
    {
        QFETCH(LoanTerms, loan);
        QFETCH(QString, message);
        QCOMPARE(faultOf([&] { loanSchedule(loan); }), message);
    }

    // The fields as typed: the term as amount text, early amounts in roubles.
    void typedFields_data()
    {
        QTest::addColumn<double>("term");
        QTest::addColumn<double>("early");
        QTest::addColumn<int>("months");   // 0: refused
        QTest::addColumn<qint64>("kopecks"); // 0: refused
        QTest::newRow("whole") << 360.0 << 1500.5 << 360 << qint64(150050);
        QTest::newRow("bounds") << 1.0 << 1e13 << 1 << qint64(1000000000000000);
        QTest::newRow("1200") << 1200.0 << 0.01 << 1200 << qint64(1);
        QTest::newRow("fractions") << 12.5 << 0.004 << 0 << qint64(0);
        QTest::newRow("beyond") << 1201.0 << 1e13 + 1 << 0 << qint64(0);
        QTest::newRow("zero and below") << 0.0 << -5.0 << 0 << qint64(0);
    }
    void typedFields()
    {
        QFETCH(double, term);
        QFETCH(double, early);
        QFETCH(int, months);
        QFETCH(qint64, kopecks);
        int m = 0;
        const QString termFault = faultOf([&] { m = loanMonths(term); });
        QCOMPARE(m, months);
        QCOMPARE(termFault.isEmpty(), months != 0);
        std::int64_t k = 0;
        const QString earlyFault = faultOf([&] { k = earlyKopecks(early, 4); });
        QCOMPARE(qint64(k), kopecks);
        if (!kopecks)
            QCOMPARE(earlyFault, QStringLiteral("Досрочное погашение 4: сумма должна быть больше 0 и не больше 10 трлн"));
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "test_schedule.moc"
