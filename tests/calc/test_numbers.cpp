// Amount text, integer text, hundredths rounding and the checked arithmetic.
#include "calc/Checked.h"
#include "calc/Numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace orvel;

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void readAmount_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        const QString c = QStringLiteral(","), d = QStringLiteral(".");
        QTest::newRow("plain") << c << "1180" << true << 1180.0;
        QTest::newRow("comma") << c << "83,33" << true << 83.33;
        QTest::newRow("blanks around") << c << "  12,5  " << true << 12.5;
        QTest::newRow("plus") << c << "+7" << true << 7.0;
        QTest::newRow("minus") << c << "-0,5" << true << -0.5;
        QTest::newRow("lone separator") << c << "," << true << 0.0;
        QTest::newRow("leading separator") << c << ",25" << true << 0.25;
        QTest::newRow("trailing separator") << c << "3," << true << 3.0;
        QTest::newRow("exponent") << c << "1,5E3" << true << 1500.0;
        QTest::newRow("exponent sign") << c << "25e-1" << true << 2.5;
        QTest::newRow("bare E") << c << "7E" << true << 7.0;
        QTest::newRow("E with sign only") << c << "7E+" << true << 7.0;
        QTest::newRow("other separator") << c << "12.5" << false << 0.0;
        QTest::newRow("full stop locale") << d << "12.5" << true << 12.5;
        QTest::newRow("comma in full stop locale") << d << "12,5" << false << 0.0;
        QTest::newRow("grouping") << c << "1 000" << false << 0.0;
        QTest::newRow("empty") << c << "" << false << 0.0;
        QTest::newRow("blank") << c << " " << false << 0.0;
        QTest::newRow("sign only") << c << "-" << false << 0.0;
        QTest::newRow("exponent only") << c << "E5" << false << 0.0;
        QTest::newRow("two signs") << c << "+-1" << false << 0.0;
        QTest::newRow("letters") << c << "abc" << false << 0.0;
        QTest::newRow("tab") << c << "\t1" << false << 0.0;
        QTest::newRow("trailing text") << c << "1x" << false << 0.0;
        QTest::newRow("beyond extended") << c << "1E5000" << false << 0.0;
    }
    void readAmount()
    {
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        try {
            const double v = store(readAmountExt(text, separator));
            QVERIFY2(ok, "accepted a text that is not amount text");
            QCOMPARE(v, value);
        } catch (const OrvelError &e) {
            QVERIFY2(!ok, qPrintable(e.message()));
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
        }
    }

    void fitsExtendedNotDouble()
    {
        const ext v = readAmountExt(QStringLiteral("1E400"), QStringLiteral(","));
        QVERIFY(v > 1e300L);
        try {
            store(v);
            QFAIL("stored a value beyond the double range");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), QStringLiteral("Floating point overflow"));
        }
    }

    void showAmount_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1180") << 1180.0 << "1180";
        QTest::newRow("83.33") << 83.33 << "83,33";
        QTest::newRow("0.0001") << 0.0001 << "0,0001";
        QTest::newRow("0.00009") << 0.00009 << "9E-5";
        QTest::newRow("1e15") << 1e15 << "1E15";
        QTest::newRow("1e15-1") << 999999999999999.0 << "999999999999999";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -0.005 << "-0,005";
        QTest::newRow("one third") << 1.0 / 3.0 << "0,333333333333333";
        QTest::newRow("large sci") << 1.2345e20 << "1,2345E20";
        QTest::newRow("tiny") << -2.5e-10 << "-2,5E-10";
        QTest::newRow("rounds to 15 digits") << 0.1 + 0.2 << "0,3";
        QTest::newRow("139.24") << 139.24 << "139,24";
    }
    void showAmount()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(orvel::showAmount(value, QStringLiteral(",")), text);
    }

    void readInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << true << 12;
        QTest::newRow("leading blanks") << "  -3" << true << -3;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("0x hex") << "0x10" << true << 16;
        QTest::newRow("hex digits either case") << "0xaF" << true << 175;
        // Only "$" and "0x" start hexadecimal digits.
        QTest::newRow("0X is not a prefix") << "0X10" << false << 0;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("too big") << "2147483648" << false << 0;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("decimals") << "12,5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("hex digit in decimal") << "1F" << false << 0;
    }
    void readInteger()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        try {
            const int v = orvel::readInteger(text);
            QVERIFY2(ok, "accepted a text that is not integer text");
            QCOMPARE(v, value);
        } catch (const OrvelError &e) {
            QVERIFY(!ok);
            QCOMPARE(e.message(), QStringLiteral("''%1'' is not a valid integer value").arg(text));
        }
    }

    void roundHundredths_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("rounded");
        QTest::newRow("tie down to even") << 0.125 << 0.12;
        QTest::newRow("tie up to even") << 0.375 << 0.38;
        QTest::newRow("negative tie") << -0.125 << -0.12;
        QTest::newRow("plain") << 139.2399999 << 139.24;
    }
    void roundHundredths()
    {
        QFETCH(double, x);
        QFETCH(double, rounded);
        QCOMPARE(orvel::roundHundredths(x), rounded);
    }

    void faults_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("message");
        QTest::newRow("x/0") << 0 << "Floating point division by zero";
        QTest::newRow("0/0") << 1 << "Invalid floating point operation";
        QTest::newRow("overflow") << 2 << "Floating point overflow";
        QTest::newRow("ln of negative") << 3 << "Invalid floating point operation";
        QTest::newRow("round 2^63") << 4 << "Invalid floating point operation";
        QTest::newRow("store beyond double") << 5 << "Floating point overflow";
    }
    void faults()
    {
        QFETCH(int, op);
        QFETCH(QString, message);
        try {
            switch (op) {
            case 0: xdiv(1, 0); break;
            case 1: xdiv(0, 0); break;
            case 2: xmul(std::numeric_limits<ext>::max(), 2); break;
            case 3: xln(-1); break;
            case 4: orvel::roundHundredths(9.3e16); break;
            case 5: store(1e400L); break;
            }
            QFAIL("no fault raised");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), message);
        }
    }

    void underflowAndInexactPass()
    {
        QCOMPARE(store(xmul(1e-300L, 1e-300L)) , 0.0);
        QVERIFY(xdiv(1, 3) > 0);
        QVERIFY(xexp(-100000) == 0);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
