// The bank's key rate answer read into steps, every answer it refuses, the
// shipped answer read back to the table of the bank's decisions, and the
// rate in force on a day.
#include "rates/KeyRate.h"

#include "FaultOf.h"
#include "KeyRateSteps.h"

#include <QFile>
#include <QLocale>
#include <QTest>

#include <algorithm>

using orveltest::faultOf;

namespace {

const QByteArray kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";
const QByteArray kSoap12 = "http://www.w3.org/2003/05/soap-envelope";

// The bank's SOAP reply around `rows`.
QByteArray answer(const QByteArray &rows, const QByteArray &prefix = "soap", const QByteArray &soap = kSoap11,
                  const QByteArray &tableNs = " xmlns=\"\"")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><" + prefix + ":Envelope xmlns:" + prefix + "=\"" + soap
           + "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><"
           + prefix + ":Body><KeyRateXMLResponse xmlns=\"http://web.cbr.ru/\"><KeyRateXMLResult><KeyRate" + tableNs + ">"
           + rows + "</KeyRate></KeyRateXMLResult></KeyRateXMLResponse></" + prefix + ":Body></" + prefix + ":Envelope>";
}

QByteArray kr(const QByteArray &dt, const QByteArray &rate)
{
    return "<KR><DT>" + dt + "</DT><Rate>" + rate + "</Rate></KR>";
}

QByteArray dt(const QDate &day) { return day.toString("yyyy-MM-dd").toLatin1() + "T00:00:00+03:00"; }

// Rows for the working days from..to, as the bank lists them (newest first):
// `rate(day)` on each.
template <typename Rate>
std::vector<QByteArray> workingDays(const QDate &from, const QDate &to, Rate rate)
{
    std::vector<QByteArray> rows;
    for (QDate d = to; d >= from; d = d.addDays(-1))
        if (d.dayOfWeek() <= 5)
            rows.push_back(kr(dt(d), rate(d)));
    return rows;
}

QByteArray joined(const std::vector<QByteArray> &rows)
{
    QByteArray all;
    for (const QByteArray &r : rows)
        all += r;
    return all;
}

// October and November 2024: 19 % until the bank's rise to 21 % on 28.10.
std::vector<QByteArray> autumn2024()
{
    return workingDays(QDate(2024, 10, 1), QDate(2024, 11, 22),
                       [](const QDate &d) { return d < QDate(2024, 10, 28) ? "19.00" : "21.00"; });
}

QString stepsText(const std::vector<orvel::KeyRateStep> &steps)
{
    QStringList parts;
    for (const orvel::KeyRateStep &s : steps)
        parts << s.from.toString("dd.MM.yyyy") + ' ' + QString::number(s.rate, 'f', 2);
    return parts.join("; ");
}

const QString kAutumnSteps = "01.10.2024 19.00; 28.10.2024 21.00";
const QDate kSaturday(2024, 11, 23);
const QString kPrefix = "Ответ банка о ключевой ставке: ";

} // namespace

class TestKeyRate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The rate's full stop is read as such whatever the user's locale.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("steps");

        std::vector<QByteArray> rows = autumn2024();
        QTest::newRow("daily rows, newest first") << answer(joined(rows)) << kAutumnSteps;
        std::reverse(rows.begin(), rows.end());
        QTest::newRow("oldest first") << answer(joined(rows)) << kAutumnSteps;
        std::rotate(rows.begin(), rows.begin() + 17, rows.end());
        QTest::newRow("out of order") << answer(joined(rows)) << kAutumnSteps;
        QTest::newRow("SOAP 1.2, another prefix") << answer(joined(rows), "s", kSoap12) << kAutumnSteps;
        QTest::newRow("table in the bank's namespace") << answer(joined(rows), "soap", kSoap11, "") << kAutumnSteps;
        QTest::newRow("blanks between rows") << answer(joined(rows).replace("<KR>", "\r\n  <KR>")) << kAutumnSteps;
        QTest::newRow("a rate that returns")
            << answer(kr("2024-11-22T00:00:00+03:00", "19.00") + kr("2024-11-21T00:00:00+03:00", "21.00")
                      + kr("2024-11-20T00:00:00+03:00", "19.00") + kr("2024-11-19T00:00:00+03:00", "19.00"))
            << "19.11.2024 19.00; 21.11.2024 21.00; 22.11.2024 19.00";
        // The day as written, whatever the offset: Moscow was UTC+4 until 26.10.2014.
        QTest::newRow("other offsets, a bare date")
            << answer(kr("2014-10-24T00:00:00+04:00", "8.00") + kr("2014-11-05Z", "9.5")
                      + kr(" 2014-11-06T00:00:00.000+03:00 ", " 9.500 ") + kr("2014-11-07", "9.50"))
            << "24.10.2014 8.00; 05.11.2014 9.50";
        QTest::newRow("zero and a hundred") << answer(kr("2024-11-22", "0") + kr("2024-11-21", "100.00"))
                                            << "21.11.2024 100.00; 22.11.2024 0.00";
    }
    void reads()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, steps);
        const orvel::KeyRateHistory h = orvel::readKeyRateAnswer(document, kSaturday);
        QCOMPARE(stepsText(h.steps), steps);
        // The last row (Friday) is earlier than the day the request asked up to.
        QCOMPARE(h.knownUntil, kSaturday);
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QDate>("knownUntil");
        QTest::addColumn<QString>("message");

        const QByteArray good = kr("2024-10-28T00:00:00+03:00", "21.00");
        const QByteArray rows = joined(autumn2024());
        const auto row = [&](const char *name, const QByteArray &bad, const QString &message) {
            QTest::newRow(name) << answer(rows + bad) << kSaturday << message;
        };
        row("a day twice", kr("2024-10-28T00:00:00+03:00", "21.50"),
            kPrefix + "день 28.10.2024 указан дважды: «2024-10-28T00:00:00+03:00 21.00» и «2024-10-28T00:00:00+03:00 21.50»");
        row("decimal comma", kr("2024-09-30T00:00:00+03:00", "19,00"),
            kPrefix + "строка «2024-09-30T00:00:00+03:00 19,00» не читается");
        row("three decimals", kr("2024-09-30T00:00:00+03:00", "19.125"),
            kPrefix + "строка «2024-09-30T00:00:00+03:00 19.125» не читается");
        row("an exponent", kr("2024-09-30T00:00:00+03:00", "1.9E1"),
            kPrefix + "строка «2024-09-30T00:00:00+03:00 1.9E1» не читается");
        row("no rate", "<KR><DT>2024-09-30T00:00:00+03:00</DT></KR>",
            kPrefix + "строка «2024-09-30T00:00:00+03:00» не читается");
        row("markup in the rate", "<KR><DT>2024-09-30T00:00:00+03:00</DT><Rate><b>19</b></Rate></KR>",
            kPrefix + "строка «2024-09-30T00:00:00+03:00» не читается");
        row("a long text cut short", kr(QByteArray(100000, '7'), "19.00"),
            kPrefix + "строка «" + QString(40, '7') + "… 19.00» не читается");
        row("day the other way round", kr("30.09.2024", "19.00"), kPrefix + "строка «30.09.2024 19.00» не читается");
        row("no such day", kr("2024-09-31T00:00:00+03:00", "19.00"),
            kPrefix + "строка «2024-09-31T00:00:00+03:00 19.00» не читается");
        row("an evening, not a day", kr("2024-09-29T21:00:00Z", "19.00"),
            kPrefix + "строка «2024-09-29T21:00:00Z 19.00» не читается");
        row("after the day asked", kr("2024-11-25T00:00:00+03:00", "21.00"),
            kPrefix + "день 25.11.2024 вне запрошенного периода 13.09.2013 – 23.11.2024");
        row("before the first day", kr("2013-09-12T00:00:00+04:00", "5.50"),
            kPrefix + "день 12.09.2013 вне запрошенного периода 13.09.2013 – 23.11.2024");
        row("above 100", kr("2024-09-30T00:00:00+03:00", "100.01"),
            kPrefix + "ставка 100.01 на 30.09.2024 вне пределов от 0 до 100");
        row("below 0", kr("2024-09-30T00:00:00+03:00", "-0.25"),
            kPrefix + "ставка -0.25 на 30.09.2024 вне пределов от 0 до 100");

        QTest::newRow("no rows") << answer("") << kSaturday << "В ответе банка нет ни одного значения ключевой ставки";
        QTest::newRow("rows elsewhere") << answer("<Other>" + good + "</Other>") << kSaturday
                                        << "В ответе банка нет ни одного значения ключевой ставки";
        const QString notXml = kPrefix + "не читается как XML (или содержит DOCTYPE)";
        QTest::newRow("document type") << answer(kr("2024-10-28", "&r;"))
                                              .replace("?>", "?><!DOCTYPE soap:Envelope [<!ENTITY r \"21.00\">]>")
                                       << kSaturday << notXml;
        QTest::newRow("cut short") << answer(good).chopped(20) << kSaturday << notXml;
        QTest::newRow("not XML") << QByteArray("Service Unavailable") << kSaturday << notXml;
        QTest::newRow("too large") << answer(good + QByteArray(4 * 1024 * 1024, ' ')) << kSaturday
                                   << kPrefix + "больше 4 МБ";
        QTest::newRow("daily rates instead") << QByteArray("<ValCurs Date=\"28.10.2024\"/>") << kSaturday
                                             << kPrefix + "корневой элемент «ValCurs» вместо soap:Envelope";
        QTest::newRow("envelope of another namespace")
            << answer(good, "soap", "http://example.org/envelope") << kSaturday
            << kPrefix + "корневой элемент «soap:Envelope из http://example.org/envelope» вместо soap:Envelope";
        QTest::newRow("another method's answer")
            << answer(good).replace("KeyRateXMLResponse", "MainInfoXMLResponse") << kSaturday
            << kPrefix + "нет элемента KeyRateXMLResponse";
        QTest::newRow("another service")
            << answer(good).replace("http://web.cbr.ru/", "http://example.org/") << kSaturday
            << kPrefix + "нет элемента KeyRateXMLResponse";
        QTest::newRow("no table") << answer(good).replace("KeyRate xmlns", "Rates xmlns").replace("</KeyRate>", "</Rates>")
                                  << kSaturday << kPrefix + "нет элемента KeyRate";
        QTest::newRow("fault")
            << QByteArray("<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
                          "<faultcode>soap:Server</faultcode><faultstring>Server was unable to process request.\n"
                          "  ---&gt; Превышен лимит</faultstring></soap:Fault></soap:Body></soap:Envelope>")
            << kSaturday << "Банк не дал ключевую ставку: Server was unable to process request. ---> Превышен лимит";
        QTest::newRow("a long fault cut short")
            << "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
                   "<faultstring>" + QByteArray(100000, 'x') + "</faultstring></soap:Fault></soap:Body></soap:Envelope>"
            << kSaturday << "Банк не дал ключевую ставку: " + QString(200, 'x') + "…";
        QTest::newRow("a long root cut short") << "<" + QByteArray(3000, 'R') + "/>" << kSaturday
                                               << kPrefix + "корневой элемент «" + QString(100, 'R') + "…» вместо soap:Envelope";
        QTest::newRow("asked up to no day") << answer(good) << QDate() << "Ключевая ставка запрошена на неверную дату";
        QTest::newRow("asked up to a day before the rate")
            << answer(good) << QDate(2013, 9, 12) << "Ключевая ставка известна с 13.09.2013";
    }
    void faults()
    {
        QFETCH(QByteArray, document);
        QFETCH(QDate, knownUntil);
        QFETCH(QString, message);
        QCOMPARE(faultOf([&] { orvel::readKeyRateAnswer(document, knownUntil); }), message);
    }

    void shippedAnswer()
    {
        QFile file(qEnvironmentVariable("ORVEL_SOURCE_DIR") + "/data/keyrate-2026-03-20.xml");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const orvel::KeyRateHistory h = orvel::readKeyRateAnswer(file.readAll(), QDate(2026, 3, 20));
        QCOMPARE(stepsText(h.steps), stepsText(orveltest::keyRateSteps()));
        QCOMPARE(h.steps.size(), std::size_t(62));
        QCOMPARE(h.knownUntil, QDate(2026, 3, 20));
    }

    void rateOnDay_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("message");

        QTest::newRow("the day before the first") << QDate(2013, 9, 12) << 0.0 << "Ключевая ставка известна с 13.09.2013";
        QTest::newRow("the first day") << QDate(2013, 9, 13) << 5.5 << "";
        QTest::newRow("the day before a step") << QDate(2014, 3, 2) << 5.5 << "";
        QTest::newRow("a step's first day") << QDate(2014, 3, 3) << 7.0 << "";
        QTest::newRow("31.12.2015") << QDate(2015, 12, 31) << 11.0 << "";
        QTest::newRow("01.01.2016") << QDate(2016, 1, 1) << 11.0 << "";
        QTest::newRow("27.10.2024") << QDate(2024, 10, 27) << 19.0 << "";
        QTest::newRow("28.10.2024") << QDate(2024, 10, 28) << 21.0 << "";
        QTest::newRow("the last step") << QDate(2026, 2, 16) << 15.5 << "";
        QTest::newRow("the last day known") << QDate(2026, 3, 20) << 15.5 << "";
        QTest::newRow("the day after") << QDate(2026, 3, 21) << 0.0 << "Ключевая ставка известна по 20.03.2026";
        QTest::newRow("no day") << QDate() << 0.0 << "Ключевая ставка запрошена на неверную дату";
    }
    void rateOnDay()
    {
        QFETCH(QDate, day);
        QFETCH(double, rate);
        QFETCH(QString, message);
        const orvel::KeyRateHistory h = orveltest::shippedKeyRate();
        double got = 0;
        QCOMPARE(faultOf([&] { got = orvel::keyRateOn(h, day); }), message);
        QCOMPARE(got, rate);
    }

    void rateOnNoHistory()
    {
        QCOMPARE(faultOf([] { orvel::keyRateOn({}, QDate(2024, 1, 1)); }), "Нет данных о ключевой ставке");
    }
};

QTEST_GUILESS_MAIN(TestKeyRate)
#include "test_key_rate.moc"
