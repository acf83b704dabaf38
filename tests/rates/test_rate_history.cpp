// Rates on a chosen date and a currency's history, without windows: the
// requests, the cache folder, the dynamics document and what is shown of it.
// The bank is a server on 127.0.0.1; "today" is fixed per test.
#include "calc/OrvelError.h"
#include "GuiTest.h"
#include "HistoryFixtures.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/HistoryReport.h"
#include "rates/RateArchive.h"
#include "rates/RateDocument.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace orveltest;

namespace {

// Where nothing listens: the bank cannot be reached.
QString closedSite()
{
    static const QString site = QStringLiteral("http://127.0.0.1:%1").arg(closedPort());
    return site;
}

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const OrvelError &e) {
        return e.message();
    }
    return {};
}

QByteArray dailyTarget(const char *day) { return QByteArray("/scripts/XML_daily.asp?date_req=") + day; }
QByteArray historyTarget(const char *from, const char *to, const char *id)
{
    return QByteArray("/scripts/XML_dynamic.asp?date_req1=") + from + "&date_req2=" + to + "&VAL_NM_RQ=" + id;
}

// The daily fixture with another date in it.
QByteArray dailyOn(const QByteArray &date)
{
    QByteArray doc = fixture("XML_daily.xml");
    return doc.replace("Date=\"06.12.2026\"", "Date=\"" + date + "\"");
}

QStringList recordText(const std::vector<orvel::RateRecord> &records)
{
    QStringList out;
    for (const orvel::RateRecord &r : records)
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.date.toString("dd.MM.yyyy"))
                   .arg(r.nominal)
                   .arg(r.value, 0, 'g', 15)
                   .arg(r.perUnit, 0, 'g', 15);
    return out;
}

QByteArray historyOf(const QByteArray &records)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ValCurs ID=\"R01235\" DateRange1=\"01.12.2026\" "
           "DateRange2=\"03.12.2026\" name=\"Foreign Currency Market Dynamic\">"
           + records + "</ValCurs>";
}

QByteArray record(const QByteArray &date, const QByteArray &nominal, const QByteArray &value)
{
    return "<Record Date=\"" + date + "\" Id=\"R01235\"><Nominal>" + nominal + "</Nominal><Value>" + value
           + "</Value></Record>";
}

// A dynamics document of `id` for a period, with the records given.
QByteArray dynamicsOf(const QByteArray &id, const QByteArray &from, const QByteArray &to, const QByteArray &records)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ValCurs ID=\"" + id + "\" DateRange1=\"" + from
           + "\" DateRange2=\"" + to + "\" name=\"Foreign Currency Market Dynamic\">" + records + "</ValCurs>";
}

// The daily fixture dated `date`, with one text of the KZT row replaced.
QByteArray dailyWith(const QByteArray &date, const QByteArray &from, const QByteArray &to)
{
    QByteArray doc = dailyOn(date);
    Q_ASSERT(doc.contains(from));
    return doc.replace(from, to);
}

} // namespace

class TestRateHistory : public QObject {
    Q_OBJECT

    HttpTestServer server;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LocaleScope> locale;
    const QDate today{2026, 12, 10};

    QString folder() const { return dir->filePath("cache/rates"); }
    orvel::RateSource online() const { return {server.url(QString()), folder(), today}; }
    orvel::RateSource offline() const { return {closedSite(), folder(), today}; }
    orvel::RateSource on(const QDate &day) const { return {server.url(QString()), folder(), day}; }
    QStringList kept() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void initTestCase()
    {
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        locale = std::make_unique<LocaleScope>(commaLocale());
    }
    void cleanup()
    {
        locale.reset();
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dir.reset();
    }

    // The daily read keeps each row's ID beside the four fields it reads.
    void dailyRowsKeepTheirId()
    {
        QTemporaryDir work;
        orvel::RateTable table;
        orvel::StringListSink list;
        writeFile(work.filePath("in.xml"), fixture("XML_daily.xml"));
        orvel::readRateDocument(work.filePath("in.xml"), table, list, work.filePath("cbr.xml"));
        QCOMPARE(tableText(table), dailyRows());
        QStringList ids;
        for (const TCurrencyData &r : table)
            ids << r.ID;
        QCOMPARE(ids, (QStringList{"", "R01235", "R01239", "R01335", "R01720", "R01820"}));
        const orvel::RateSnapshot s = orvel::readRateSnapshot(fixture("XML_daily.xml"));
        QCOMPARE(s.date, QDate(2026, 12, 6));
        QCOMPARE(tableText(s.table), dailyRows());
        QCOMPARE(s.names, namesOf(dailyRows()));
        QCOMPARE(s.table[1].ID, QStringLiteral("R01235"));
    }

    void requests()
    {
        QCOMPARE(orvel::bankSite("http://www.cbr.ru/scripts/XML_daily.asp?date_req"), QStringLiteral("http://www.cbr.ru"));
        QCOMPARE(orvel::bankSite("http://127.0.0.1:8080/x?y"), QStringLiteral("http://127.0.0.1:8080"));
        QCOMPARE(orvel::dailyRatesUrl("http://www.cbr.ru", QDate(2026, 3, 5)),
                 QStringLiteral("http://www.cbr.ru/scripts/XML_daily.asp?date_req=05/03/2026"));
        QCOMPARE(orvel::rateHistoryUrl("http://www.cbr.ru", "R01235", QDate(2016, 12, 1), QDate(2026, 11, 30)),
                 QStringLiteral("http://www.cbr.ru/scripts/XML_dynamic.asp?date_req1=01/12/2016&date_req2=30/11/2026"
                                "&VAL_NM_RQ=R01235"));
        // An ID from a document goes into the query encoded, and names a file only when plain.
        QCOMPARE(orvel::rateHistoryUrl("http://h", "R1&x=/", QDate(2026, 1, 2), QDate(2026, 1, 3)),
                 QStringLiteral("http://h/scripts/XML_dynamic.asp?date_req1=02/01/2026&date_req2=03/01/2026"
                                "&VAL_NM_RQ=R1%26x%3D%2F"));
        QCOMPARE(orvel::dailyArchiveFile("/c/rates", QDate(2026, 12, 5)), QStringLiteral("/c/rates/daily-2026-12-05.xml"));
        QCOMPARE(orvel::historyArchiveFile("/c/rates", "R01090B", QDate(2026, 9, 1), QDate(2026, 11, 30)),
                 QStringLiteral("/c/rates/dynamic-R01090B-2026-09-01-2026-11-30.xml"));
        for (const char *unsafe : {"", "../R01235", "R 1", "R01235/x", "Р01235"})
            QCOMPARE(orvel::historyArchiveFile("/c/rates", unsafe, QDate(2026, 9, 1), QDate(2026, 11, 30)), QString());
        // The folder follows the platform's cache location.
        qputenv("XDG_CACHE_HOME", dir->path().toUtf8());
        QCoreApplication::setApplicationName("Orvel");
        QCOMPARE(orvel::rateArchiveFolder(), dir->path() + "/Orvel/rates");
        qunsetenv("XDG_CACHE_HOME");
    }

    // A past day: fetched once, kept under the requested day, then read from
    // the cache with the bank gone.
    void pastDayKept()
    {
        server.route(dailyTarget("01/12/2026"), {200, fixture("cache_old.xml"), {}});
        const int before = server.requests().size();
        const orvel::DatedRates first = orvel::loadRatesOnDate(online(), QDate(2026, 12, 1));
        QCOMPARE(server.requests().size(), before + 1);
        QCOMPARE(first.rates.date, QDate(2026, 12, 1));
        QVERIFY(!first.fromCache);
        QCOMPARE(first.cacheError, QString());
        QCOMPARE(kept(), QStringList{"daily-2026-12-01.xml"});
        QCOMPARE(fileBytes(folder() + "/daily-2026-12-01.xml"), fixture("cache_old.xml"));

        for (const orvel::RateSource &source : {online(), offline()}) {
            const orvel::DatedRates again = orvel::loadRatesOnDate(source, QDate(2026, 12, 1));
            QVERIFY(again.fromCache);
            QVERIFY(!again.offline);
            QCOMPARE(tableText(again.rates.table), tableText(first.rates.table));
        }
        QCOMPARE(server.requests().size(), before + 1); // no network at all

        // A kept document that no longer reads is fetched anew and replaced.
        writeFile(folder() + "/daily-2026-12-01.xml", "<?xml version=\"1.0\"?><ValCurs Date=\"01.12");
        QVERIFY(!orvel::loadRatesOnDate(online(), QDate(2026, 12, 1)).fromCache);
        QCOMPARE(fileBytes(folder() + "/daily-2026-12-01.xml"), fixture("cache_old.xml"));
    }

    // The bank answers a day without rates with the last day before it.
    void weekendAnswer()
    {
        server.route(dailyTarget("05/12/2026"), {200, fixture("daily_friday.xml"), {}});
        const orvel::DatedRates r = orvel::loadRatesOnDate(online(), QDate(2026, 12, 5));
        QCOMPARE(r.requested, QDate(2026, 12, 5));
        QCOMPARE(r.rates.date, QDate(2026, 12, 4));
        QCOMPARE(kept(), QStringList{"daily-2026-12-05.xml"});
    }

    // Today and tomorrow are asked every time, and kept for when the bank
    // cannot be reached; tomorrow's answer is kept only once it carries
    // tomorrow's date.
    void todayAndTomorrow_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QByteArray>("answerDate");
        QTest::addColumn<bool>("kept");
        QTest::newRow("today") << QDate(2026, 12, 10) << QByteArray("10.12.2026") << true;
        QTest::newRow("today, a holiday") << QDate(2026, 12, 10) << QByteArray("09.12.2026") << true;
        QTest::newRow("tomorrow, published") << QDate(2026, 12, 11) << QByteArray("11.12.2026") << true;
        QTest::newRow("tomorrow, not yet") << QDate(2026, 12, 11) << QByteArray("10.12.2026") << false;
    }
    void todayAndTomorrow()
    {
        QFETCH(QDate, day);
        QFETCH(QByteArray, answerDate);
        QFETCH(bool, kept);
        const QByteArray target = dailyTarget(day.toString("dd/MM/yyyy").toLatin1().constData());
        server.route(target, {200, dailyOn(answerDate), {}});
        for (int i = 0; i < 2; ++i) {
            const int before = server.requests().size();
            const orvel::DatedRates r = orvel::loadRatesOnDate(online(), day);
            QCOMPARE(server.requests().size(), before + 1);
            QVERIFY(!r.fromCache);
            QCOMPARE(r.rates.date.toString("dd.MM.yyyy").toLatin1(), answerDate);
        }
        QCOMPARE(this->kept().size(), kept ? 1 : 0);

        // The bank gone: the kept document stands in.
        const QString message = errorOf([&] {
            const orvel::DatedRates r = orvel::loadRatesOnDate(offline(), day);
            QVERIFY(r.fromCache && r.offline);
        });
        QCOMPARE(message, kept ? QString()
                               : "Нет связи с сервером ЦБ РФ, курсов на " + day.toString("dd.MM.yyyy") + " нет в кэше");
    }

    // Nothing is kept of a document that does not read; a failure to keep
    // one that did read is reported beside the rates.
    void faults()
    {
        QCOMPARE(errorOf([&] { orvel::loadRatesOnDate(offline(), QDate(2026, 12, 2)); }),
                 QStringLiteral("Нет связи с сервером ЦБ РФ, курсов на 02.12.2026 нет в кэше"));
        server.route(dailyTarget("03/12/2026"), {500, fixture("XML_daily.xml"), {}});
        QCOMPARE(errorOf([&] { orvel::loadRatesOnDate(online(), QDate(2026, 12, 3)); }),
                 QStringLiteral("Сервер ЦБ РФ ответил ошибкой 500, курсов на 03.12.2026 нет в кэше"));
        server.route(dailyTarget("04/12/2026"), {200, fixture("fail_value.xml"), {}});
        QCOMPARE(errorOf([&] { orvel::loadRatesOnDate(online(), QDate(2026, 12, 4)); }),
                 QStringLiteral("'15.0917' is not a valid floating point value"));
        server.route(dailyTarget("07/12/2026"), {200, fixture("fail_truncated.xml"), {}});
        QCOMPARE(errorOf([&] { orvel::loadRatesOnDate(online(), QDate(2026, 12, 7)); }),
                 QStringLiteral("No active document"));
        QCOMPARE(kept(), QStringList());

        server.route(dailyTarget("08/12/2026"), {200, fixture("XML_daily.xml"), {}});
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
        const orvel::DatedRates r = orvel::loadRatesOnDate(online(), QDate(2026, 12, 8));
        QCOMPARE(tableText(r.rates.table), dailyRows());
        QVERIFY2(r.cacheError.startsWith("Cannot create file \"" + folder() + "/daily-2026-12-08.xml\". "),
                 qPrintable(r.cacheError));
        QCOMPARE(kept(), QStringList());
    }

    // A dated answer must be for the day asked (or a day shortly before it:
    // a weekend, the New Year holidays) and every row must convert. Nothing
    // of a wrong answer is kept, and one kept before is asked for again.
    void datedAnswerChecks_data()
    {
        QTest::addColumn<QByteArray>("document"); // the answer for 01.12.2026
        QTest::addColumn<QString>("message");
        const QString kzt = QStringLiteral("Курсы ЦБ РФ от 01.12.2026: ");
        QTest::newRow("nominal 0") << dailyWith("01.12.2026", "<Nominal>100</Nominal>", "<Nominal>0</Nominal>")
                                   << kzt + "номинал KZT равен 0";
        QTest::newRow("no nominal") << dailyWith("01.12.2026", "<Nominal>100</Nominal>", "")
                                    << kzt + "номинал KZT равен 0";
        QTest::newRow("negative value") << dailyWith("01.12.2026", "<Value>15,0917</Value>", "<Value>-7850</Value>")
                                        << kzt + "курс KZT равен -7850";
        QTest::newRow("value 0") << dailyWith("01.12.2026", "<Value>15,0917</Value>", "<Value>0,0000</Value>")
                                 << kzt + "курс KZT равен 0";
        QTest::newRow("a rate beyond reason") << dailyWith("01.12.2026", "<Value>15,0917</Value>", "<Value>1e307</Value>")
                                              << kzt + "курс KZT слишком велик (1E305 руб. за единицу)";
        QTest::newRow("a later day") << dailyOn("02.12.2026")
                                     << "Сервер ЦБ РФ прислал курсы на 02.12.2026 вместо курсов на 01.12.2026";
        QTest::newRow("years before") << dailyOn("01.01.2001")
                                      << "Сервер ЦБ РФ прислал курсы на 01.01.2001 вместо курсов на 01.12.2026";
        QTest::newRow("16 days before") << dailyOn("15.11.2026")
                                        << "Сервер ЦБ РФ прислал курсы на 15.11.2026 вместо курсов на 01.12.2026";
    }
    void datedAnswerChecks()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, message);
        const QByteArray target = dailyTarget("01/12/2026");
        server.route(target, {200, document, {}});
        QCOMPARE(errorOf([&] { orvel::loadRatesOnDate(online(), QDate(2026, 12, 1)); }), message);
        QCOMPARE(kept(), QStringList());

        // Kept by an earlier version: not an answer, so the bank is asked.
        QVERIFY(QDir().mkpath(folder()));
        writeFile(folder() + "/daily-2026-12-01.xml", document);
        server.route(target, {200, fixture("cache_old.xml"), {}});
        const orvel::DatedRates r = orvel::loadRatesOnDate(online(), QDate(2026, 12, 1));
        QVERIFY(!r.fromCache);
        QCOMPARE(r.rates.date, QDate(2026, 12, 1));
        QCOMPARE(fileBytes(folder() + "/daily-2026-12-01.xml"), fixture("cache_old.xml"));
    }

    // The longest gap the bank leaves (the New Year holidays) is accepted.
    void datedAnswerAfterHolidays()
    {
        server.route(dailyTarget("10/01/2026"), {200, dailyOn("26.12.2025"), {}});
        const orvel::DatedRates r = orvel::loadRatesOnDate(online(), QDate(2026, 1, 10));
        QCOMPARE(r.rates.date, QDate(2025, 12, 26));
        QCOMPARE(kept(), QStringList{"daily-2026-01-10.xml"});
    }

    // The dynamics document reads the same whatever the locale; a nominal
    // that changes inside the period gives the rate of one unit throughout.
    void history_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Russian") << commaLocale();
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("English US") << QLocale(QLocale::English, QLocale::UnitedStates);
    }
    void history()
    {
        QFETCH(QLocale, locale);
        LocaleScope scope(locale);
        const orvel::RateHistory h = orvel::readRateHistory(fixture("dynamic_kzt.xml"));
        QCOMPARE(h.id, QStringLiteral("R01335"));
        QCOMPARE(h.from, QDate(2026, 12, 1));
        QCOMPARE(h.to, QDate(2026, 12, 9));
        QCOMPARE(recordText(h.records), (QStringList{
                                            "01.12.2026|100|15.1234|0.151234",
                                            "02.12.2026|100|15.0917|0.150917",
                                            "03.12.2026|100|15.2001|0.152001",
                                            "04.12.2026|1000|149.8765|0.1498765",
                                            "05.12.2026|1000|150.4321|0.1504321",
                                            "08.12.2026|1000|152.6|0.1526",
                                            "09.12.2026|1000|151.9|0.1519",
                                        }));

        const orvel::RateHistory empty = orvel::readRateHistory(fixture("dynamic_empty.xml"));
        QCOMPARE(empty.records.size(), std::size_t(0));
        QCOMPARE(empty.from, QDate(2026, 1, 1));
    }

    void historyFaults_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("message");
        const QByteArray good = record("01.12.2026", "1", "78,1034");
        QTest::newRow("value with a full stop") << fixture("dynamic_bad_value.xml")
                                                << "'78.3012' is not a valid floating point value";
        QTest::newRow("date in another form") << historyOf(good + record("2026-12-02", "1", "78,2"))
                                              << "''2026-12-02'' is not a valid date";
        QTest::newRow("no date") << historyOf(good + "<Record><Nominal>1</Nominal><Value>1</Value></Record>")
                                 << "'''' is not a valid date";
        QTest::newRow("nominal in words") << historyOf(good + record("02.12.2026", "один", "78,2"))
                                          << "''один'' is not a valid integer value";
        QTest::newRow("nominal 0") << historyOf(good + record("02.12.2026", "0", "78,2"))
                                   << "''0'' is not a valid nominal";
        QTest::newRow("no value") << historyOf(good + "<Record Date=\"02.12.2026\"><Nominal>1</Nominal></Record>")
                                  << "'' is not a valid floating point value";
        QTest::newRow("value 0") << historyOf(good + record("02.12.2026", "1", "0,0000"))
                                 << "'0,0000' is not a valid rate";
        QTest::newRow("value beside a comment") << historyOf(good + record("02.12.2026", "1", "78,2<!-- x -->"))
                                                << "Element does not contain a single text node";
        QTest::newRow("cut short") << historyOf(good).left(120) << "No active document";
        QTest::newRow("document type") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE ValCurs [<!ENTITY e \"1\">]>"
                                                     "<ValCurs><Record Date=\"01.12.2026\"><Nominal>&e;</Nominal>"
                                                     "<Value>1</Value></Record></ValCurs>")
                                       << "No active document";
        QTest::newRow("not XML") << QByteArray("<html>Сервис недоступен") << "No active document";
        QTest::newRow("a day twice") << historyOf(good + record("02.12.2026", "1", "78,2000") + record("02.12.2026", "10", "791"))
                                     << "Дата 02.12.2026 повторяется: номинал 1, курс 78,2000 и номинал 10, курс 791";
        QTest::newRow("a rate beyond reason") << historyOf(good + record("02.12.2026", "1", "1e307"))
                                              << "Курс на 02.12.2026 слишком велик: 1e307 руб. за 1";
        QTest::newRow("just beyond") << historyOf(good + record("02.12.2026", "10", "10000000001"))
                                     << "Курс на 02.12.2026 слишком велик: 10000000001 руб. за 10";
    }
    void historyFaults()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, message);
        QCOMPARE(errorOf([&] { orvel::readRateHistory(document); }), message);
    }

    // Other elements are passed over; days out of order are put in order; a
    // rate of a milliard roubles a unit is the highest that reads.
    void historyForms()
    {
        const orvel::RateHistory h = orvel::readRateHistory(
            historyOf("<!-- note -->" + record("03.12.2026", "1", "3") + "<Other><Value>9</Value></Other>"
                      + record("01.12.2026", "1", "1") + record("02.12.2026", "10", "10000000000")));
        QCOMPARE(recordText(h.records),
                 (QStringList{"01.12.2026|1|1|1", "02.12.2026|10|10000000000|1000000000", "03.12.2026|1|3|3"}));
    }

    // A history must be the currency and the period asked for; an empty one
    // too. Nothing of a wrong answer is kept, and one kept before is asked
    // for again.
    void historyAnswerChecks_data()
    {
        QTest::addColumn<QByteArray>("document"); // the answer for R01235 from 01.12.2026 to 03.12.2026
        QTest::addColumn<QString>("message");
        const QByteArray one = record("02.12.2026", "1", "78,2");
        QTest::newRow("a page, not a document") << QByteArray("<html><body>Service unavailable</body></html>")
                                                << "Вместо динамики курса получен документ <html>";
        QTest::newRow("another currency") << dynamicsOf("R99999", "01.12.2026", "03.12.2026", one)
                                          << "Сервер ЦБ РФ прислал динамику валюты R99999 вместо R01235";
        QTest::newRow("no currency") << dynamicsOf("", "01.12.2026", "03.12.2026", one)
                                     << "Сервер ЦБ РФ прислал динамику без кода валюты вместо R01235";
        QTest::newRow("a day after") << dynamicsOf("R01235", "01.12.2026", "03.12.2026", one + record("04.12.2026", "1", "78,3"))
                                     << "Сервер ЦБ РФ прислал курс на 04.12.2026 вне периода 01.12.2026 – 03.12.2026";
        QTest::newRow("a day before") << dynamicsOf("R01235", "01.12.2026", "03.12.2026", record("30.11.2026", "1", "78,3") + one)
                                      << "Сервер ЦБ РФ прислал курс на 30.11.2026 вне периода 01.12.2026 – 03.12.2026";
        QTest::newRow("empty, another period") << dynamicsOf("R01235", "01.01.2026", "02.01.2026", "")
                                               << "Сервер ЦБ РФ прислал динамику за 01.01.2026 – 02.01.2026 вместо "
                                                  "01.12.2026 – 03.12.2026";
        QTest::newRow("empty, no period") << QByteArray("<?xml version=\"1.0\"?><ValCurs ID=\"R01235\"/>")
                                          << "Сервер ЦБ РФ прислал динамику без периода вместо 01.12.2026 – 03.12.2026";
        QTest::newRow("empty, another currency") << dynamicsOf("R01239", "01.12.2026", "03.12.2026", "")
                                                 << "Сервер ЦБ РФ прислал динамику валюты R01239 вместо R01235";
    }
    void historyAnswerChecks()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, message);
        const QByteArray target = historyTarget("01/12/2026", "03/12/2026", "R01235");
        const QString file = folder() + "/dynamic-R01235-2026-12-01-2026-12-03.xml";
        server.route(target, {200, document, {}});
        QCOMPARE(errorOf([&] { orvel::loadRateHistory(online(), "R01235", QDate(2026, 12, 1), QDate(2026, 12, 3)); }),
                 message);
        QCOMPARE(kept(), QStringList());

        QVERIFY(QDir().mkpath(folder()));
        writeFile(file, document);
        const QByteArray good = dynamicsOf("R01235", "01.12.2026", "03.12.2026", record("02.12.2026", "1", "78,2"));
        server.route(target, {200, good, {}});
        const orvel::LoadedHistory h = orvel::loadRateHistory(online(), "R01235", QDate(2026, 12, 1), QDate(2026, 12, 3));
        QVERIFY(!h.fromCache);
        QCOMPARE(recordText(h.history.records), QStringList{"02.12.2026|1|78.2|78.2"});
        QCOMPARE(fileBytes(file), good);
    }

    // A period without rates is kept when the bank says so for that currency
    // and period; records on the first and the last day are inside.
    void historyAnswersKept()
    {
        const QByteArray empty = dynamicsOf("R01235", "01.01.2026", "02.01.2026", "");
        server.route(historyTarget("01/01/2026", "02/01/2026", "R01235"), {200, empty, {}});
        QVERIFY(orvel::loadRateHistory(online(), "R01235", QDate(2026, 1, 1), QDate(2026, 1, 2)).history.records.empty());
        const QByteArray ends = dynamicsOf("R01235", "01.12.2026", "02.12.2026",
                                           record("01.12.2026", "1", "78,1") + record("02.12.2026", "1", "78,2"));
        server.route(historyTarget("01/12/2026", "02/12/2026", "R01235"), {200, ends, {}});
        QCOMPARE(orvel::loadRateHistory(online(), "R01235", QDate(2026, 12, 1), QDate(2026, 12, 2)).history.records.size(),
                 std::size_t(2));
        QCOMPARE(kept(), (QStringList{"dynamic-R01235-2026-01-01-2026-01-02.xml", "dynamic-R01235-2026-12-01-2026-12-02.xml"}));
    }

    void tenYears()
    {
        const orvel::RateHistory h = orvel::readRateHistory(tenYearHistory());
        QVERIFY2(h.records.size() > 2500 && h.records.size() < 2650, qPrintable(QString::number(h.records.size())));
        QCOMPARE(h.records.front().date, QDate(2016, 12, 1));
        QCOMPARE(h.records.back().date, QDate(2026, 11, 28));
        for (const orvel::RateRecord &r : h.records)
            QVERIFY(r.perUnit >= 55 && r.perUnit <= 105);
    }

    // A past period is kept and then read without the bank; a period that
    // includes today is asked every time and never kept.
    void historyLoad()
    {
        server.route(historyTarget("01/12/2026", "09/12/2026", "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        int before = server.requests().size();
        orvel::LoadedHistory h = orvel::loadRateHistory(online(), "R01335", QDate(2026, 12, 1), QDate(2026, 12, 9));
        QCOMPARE(h.history.records.size(), std::size_t(7));
        QVERIFY(!h.fromCache);
        QCOMPARE(kept(), QStringList{"dynamic-R01335-2026-12-01-2026-12-09.xml"});
        h = orvel::loadRateHistory(offline(), "R01335", QDate(2026, 12, 1), QDate(2026, 12, 9));
        QVERIFY(h.fromCache);
        QCOMPARE(h.history.records.size(), std::size_t(7));
        QCOMPARE(server.requests().size(), before + 1);

        // Seen on 09.12.2026, the same period still includes today.
        QDir(folder()).removeRecursively();
        before = server.requests().size();
        for (int i = 0; i < 2; ++i)
            QVERIFY(!orvel::loadRateHistory(on(QDate(2026, 12, 9)), "R01335", QDate(2026, 12, 1), QDate(2026, 12, 9))
                         .fromCache);
        QCOMPARE(server.requests().size(), before + 2);
        QCOMPARE(kept(), QStringList());
        QCOMPARE(errorOf([&] {
                     orvel::loadRateHistory({closedSite(), folder(), QDate(2026, 12, 9)}, "R01335", QDate(2026, 12, 1),
                                            QDate(2026, 12, 9));
                 }),
                 QStringLiteral("Нет связи с сервером ЦБ РФ, данных за период 01.12.2026 – 09.12.2026 нет в кэше"));

        // A record that does not read: nothing kept.
        server.route(historyTarget("01/12/2026", "03/12/2026", "R01235"), {200, fixture("dynamic_bad_value.xml"), {}});
        QCOMPARE(errorOf([&] { orvel::loadRateHistory(online(), "R01235", QDate(2026, 12, 1), QDate(2026, 12, 3)); }),
                 QStringLiteral("'78.3012' is not a valid floating point value"));
        QCOMPARE(kept(), QStringList());
        QCOMPARE(errorOf([&] { orvel::loadRateHistory(online(), "R01235", QDate(2026, 12, 3), QDate(2026, 12, 1)); }),
                 QStringLiteral("Начало периода позже его конца"));
    }

    // The figures line and the rates as text, with the user's separator.
    void figures()
    {
        const orvel::RateHistory kzt = orvel::readRateHistory(fixture("dynamic_kzt.xml"));
        QCOMPARE(orvel::figuresLine(kzt.records, "KZT"),
                 QStringLiteral("За 1 KZT: начало 0,151234 (01.12.2026), конец 0,1519 (09.12.2026), "
                                "минимум 0,1498765 (04.12.2026), максимум 0,1526 (08.12.2026), "
                                "изменение +0,000666 руб. (+0,44 %); номинал менялся (100 → 1000)"));
        {
            LocaleScope c(QLocale::c());
            const orvel::RateHistory usd = orvel::readRateHistory(
                historyOf(record("01.12.2026", "1", "80,5") + record("02.12.2026", "1", "78,1034")));
            QCOMPARE(orvel::figuresLine(usd.records, "USD"),
                     QStringLiteral("За 1 USD: начало 80.5000 (01.12.2026), конец 78.1034 (02.12.2026), "
                                    "минимум 78.1034 (02.12.2026), максимум 80.5000 (01.12.2026), "
                                    "изменение -2.3966 руб. (-2.98 %)"));
        }
        const orvel::RateHistory one = orvel::readRateHistory(historyOf(record("01.12.2026", "1", "78,1034")));
        QCOMPARE(orvel::figuresLine(one.records, "USD"),
                 QStringLiteral("За 1 USD: начало 78,1034 (01.12.2026), конец 78,1034 (01.12.2026), "
                                "минимум 78,1034 (01.12.2026), максимум 78,1034 (01.12.2026), "
                                "изменение 0,0000 руб. (0,00 %)"));
        QCOMPARE(orvel::figuresLine({}, "USD"), QStringLiteral("Нет данных за период"));
    }

    void csv()
    {
        LocaleScope c(QLocale::c()); // the file has a decimal comma whatever the locale
        const orvel::RateHistory kzt = orvel::readRateHistory(fixture("dynamic_kzt.xml"));
        const QByteArray csv = orvel::historyCsv({kzt.records.begin(), kzt.records.begin() + 4});
        QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                                 "Дата;Номинал;Курс;Курс за 1 единицу\r\n"
                                 "01.12.2026;100;15,1234;0,151234\r\n"
                                 "02.12.2026;100;15,0917;0,150917\r\n"
                                 "03.12.2026;100;15,2001;0,152001\r\n"
                                 "04.12.2026;1000;149,8765;0,1498765\r\n"));
    }

    // The chart's lookups: the day nearest the mouse, the rates in view.
    void lookups()
    {
        const orvel::RateHistory kzt = orvel::readRateHistory(fixture("dynamic_kzt.xml"));
        const auto &r = kzt.records; // 01, 02, 03, 04, 05, 08, 09.12.2026
        const QList<QPair<QDate, int>> nearest{{QDate(2026, 11, 1), 0}, {QDate(2026, 12, 1), 0},
                                               {QDate(2026, 12, 6), 4}, {QDate(2026, 12, 7), 5},
                                               {QDate(2026, 12, 8), 5}, {QDate(2027, 1, 1), 6}};
        for (const auto &[day, index] : nearest)
            QCOMPARE(int(orvel::nearestRecord(r, day)), index);
        double low = 0, high = 0;
        QVERIFY(orvel::rateRange(r, QDate(2026, 12, 2), QDate(2026, 12, 5), low, high));
        QCOMPARE(low, r[3].perUnit);
        QCOMPARE(high, r[2].perUnit);
        QVERIFY(!orvel::rateRange(r, QDate(2026, 12, 6), QDate(2026, 12, 7), low, high));
        QCOMPARE(orvel::rateText(80.5), QStringLiteral("80,5000"));
        QCOMPARE(orvel::rateText(0.150917), QStringLiteral("0,150917"));
        QCOMPARE(orvel::rateText(78), QStringLiteral("78,0000"));
    }

    // The axes: round rate ticks with the decimals they need, time ticks on
    // whole days over a short stretch.
    void axes_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QString>("axis"); // min..max ticks decimals
        QTest::newRow("dollar over a quarter") << 76.8123 << 81.0456 << "76..82 7 0";
        QTest::newRow("tenge") << 0.1498765 << 0.1526 << "0.149..0.153 5 3";
        QTest::newRow("low on a tick") << 78.0 << 79.3 << "77.5..79.5 5 1";
        QTest::newRow("flat") << 78.1034 << 78.1034 << "77..79 5 1";
        QTest::newRow("ten years") << 55.0123 << 104.9876 << "50..110 7 0";
    }
    void axes()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QString, axis);
        const orvel::RateAxis a = orvel::rateAxis(low, high);
        QCOMPARE(QString("%1..%2 %3 %4").arg(a.min).arg(a.max).arg(a.ticks).arg(a.decimals), axis);
        QVERIFY(a.min < low && a.max > high);
    }
    void dayTicks()
    {
        const QList<QPair<int, int>> cases{{1, 2}, {2, 3}, {7, 8}, {8, 5}, {9, 4}, {11, 2}, {30, 7}, {89, 7}, {3650, 7}};
        for (const auto &[days, ticks] : cases)
            QCOMPARE(orvel::dayTicks(days), ticks);
    }
};

QTEST_MAIN(TestRateHistory)
#include "test_rate_history.moc"
