// The deposit power and the annuity calculation on their own, where a window
// would show only the rounded outcome.
#include "calc/Checked.h"
#include "calc/Deposit.h"
#include "calc/Loan.h"
#include "FaultOf.h"

#include <QTest>

using namespace orvel;
using orveltest::faultOf;

class TestCalcCore : public QObject {
    Q_OBJECT

private slots:
    void power_data()
    {
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("expected");
        QTest::addColumn<QString>("fault");
        QTest::newRow("whole") << 2.0 << 10.0 << 1024.0 << "";
        QTest::newRow("negative base, odd") << -2.0 << 3.0 << -8.0 << "";
        QTest::newRow("negative whole n") << 2.0 << -2.0 << 0.25 << "";
        QTest::newRow("n 0 of 0") << 0.0 << 0.0 << 1.0 << "";
        QTest::newRow("n 0 of negative") << -5.0 << 0.0 << 1.0 << "";
        QTest::newRow("0 to a negative whole n") << 0.0 << -1.0 << 0.0 << "Floating point division by zero";
        QTest::newRow("0 to a fraction") << 0.0 << 1.5 << 0.0 << "";
        QTest::newRow("0 to a negative fraction") << 0.0 << -1.5 << 0.0 << "";
        QTest::newRow("fraction") << 4.0 << 0.5 << 2.0 << "";
        QTest::newRow("negative base, fraction") << -1.0 << 1.5 << 0.0 << "Invalid floating point operation";
        QTest::newRow("largest whole n") << 1.0 << 2147483647.0 << 1.0 << "";
        QTest::newRow("beyond extended") << 2.0 << 2147483647.0 << 0.0 << "Floating point overflow";
        QTest::newRow("whole n beyond 32 bits") << 1.0 << 4294967296.0 << 1.0 << "";
        QTest::newRow("beyond extended by e^x") << 2.0 << 1e12 << 0.0 << "Floating point overflow";
        QTest::newRow("underflow is not a fault") << 0.5 << 100000.0 << 0.0 << "";
    }
    void power()
    {
        QFETCH(double, g);
        QFETCH(double, n);
        QFETCH(double, expected);
        QFETCH(QString, fault);
        ext result = -1;
        QCOMPARE(faultOf([&] { result = orvel::power(g, n); }), fault);
        if (fault.isEmpty())
            QCOMPARE(double(result), expected);
    }

    // The power squares only while bits of n remain, so a base whose square
    // lies beyond the extended range still gives its first and second powers.
    void powerSquaresOnlyWhatItNeeds()
    {
        const ext big = 1e3000L;
        QCOMPARE(faultOf([&] { QVERIFY(orvel::power(big, 1) == big); }), QString());
        QCOMPARE(faultOf([&] { QVERIFY(orvel::power(1e2000L, 2) > 1e3999L); }), QString());
    }

    // The whole-number power multiplies out, so 1.1^12 is the product of
    // doubles-as-extended, not a rounded e^(12 ln 1.1).
    void powerOfElevenTenths()
    {
        const ext sq = ext(1.1) * ext(1.1);
        const ext q = sq * sq;
        const ext byHand = q * (q * q); // 12 = 0b1100: the 4th and 8th powers
        QCOMPARE(orvel::power(1.1, 12), byHand);
    }

    void annuity_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("term");
        QTest::addColumn<double>("payment");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("overpayment");
        // The total comes from the unrounded payment: 12 * 8884.88 would be 106618.56.
        QTest::newRow("100000 12% 12") << 100000.0 << 12.0 << 12.0 << 8884.88 << 106618.55 << 6618.55;
        QTest::newRow("zero amount") << 0.0 << 12.0 << 12.0 << 0.0 << 0.0 << 0.0;
        // Not whole: e^(n ln g); 12.5 * 8550.30 would be 106878.75.
        QTest::newRow("term 12.5") << 100000.0 << 12.0 << 12.5 << 8550.3 << 106878.7 << 6878.7;
        QTest::newRow("one month") << 1000.0 << 12.0 << 1.0 << 1010.0 << 1010.0 << 10.0;
    }
    void annuity()
    {
        QFETCH(double, amount);
        QFETCH(double, rate);
        QFETCH(double, term);
        QFETCH(double, payment);
        QFETCH(double, total);
        QFETCH(double, overpayment);
        const AnnuityResult r = orvel::annuity(amount, rate, term);
        QCOMPARE(r.payment, payment);
        QCOMPARE(r.total, total);
        QCOMPARE(r.overpayment, overpayment);
    }

    void annuityFaults_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("term");
        QTest::addColumn<QString>("fault");
        QTest::newRow("all zero") << 0.0 << 0.0 << 0.0 << "Invalid floating point operation";
        QTest::newRow("rate 0") << 100000.0 << 0.0 << 12.0 << "Invalid floating point operation";
        QTest::newRow("term 0") << 100000.0 << 12.0 << 0.0 << "Floating point division by zero";
        QTest::newRow("power overflows") << 100000.0 << 1200.0 << 20000.0 << "Floating point overflow";
        QTest::newRow("hundredfold beyond 64 bits") << 1e17 << 12.0 << 12.0 << "Invalid floating point operation";
        QTest::newRow("negative growth, fraction") << 1000.0 << -1300.0 << 1.5 << "Invalid floating point operation";
    }
    void annuityFaults()
    {
        QFETCH(double, amount);
        QFETCH(double, rate);
        QFETCH(double, term);
        QFETCH(QString, fault);
        QCOMPARE(faultOf([&] { orvel::annuity(amount, rate, term); }), fault);
    }

    // Whole-number rounding to 64 bits: ties to even, and the first value
    // that no longer fits is 2^63 - 0.5, which rounds up to 2^63.
    void roundWhole_data()
    {
        QTest::addColumn<long double>("x");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("fault");
        QTest::newRow("2.5") << 2.5L << qint64(2) << "";
        QTest::newRow("3.5") << 3.5L << qint64(4) << "";
        QTest::newRow("-2.5") << -2.5L << qint64(-2) << "";
        QTest::newRow("below half") << 7.4999999L << qint64(7) << "";
        QTest::newRow("2^63 - 1") << 9223372036854775807.0L << qint64(9223372036854775807) << "";
        QTest::newRow("2^63 - 1.5") << 9223372036854775806.5L << qint64(9223372036854775806) << "";  // a tie, to even
        QTest::newRow("2^63 - 0.5") << 9223372036854775807.5L << qint64(0) << "Invalid floating point operation";
        QTest::newRow("-2^63") << -9223372036854775808.0L << qint64(0) << "Invalid floating point operation";
        QTest::newRow("NaN") << std::numeric_limits<long double>::quiet_NaN() << qint64(0)
                             << "Invalid floating point operation";
    }
    void roundWhole()
    {
        QFETCH(long double, x);
        QFETCH(qint64, expected);
        QFETCH(QString, fault);
        qint64 got = 0;
        QCOMPARE(faultOf([&] { got = orvel::roundWhole(x); }), fault);
        QCOMPARE(got, expected);
    }

    // The deposit's compound branch passes the power through unrounded until
    // the balance is stored; a balance beyond the double range fails there.
    void compoundBeyondDouble()
    {
        QCOMPARE(faultOf([] { orvel::compoundInterest(100000, 10, 365, 100000, 365); }),
                 QStringLiteral("Floating point overflow"));
    }
};

QTEST_GUILESS_MAIN(TestCalcCore)
#include "test_calc_core.moc"
