// Reading the daily rate document into the rate table, the rate cache it
// leaves behind, and fetching the document over HTTP.
#include "calc/OrvelError.h"
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/HttpFetch.h"
#include "rates/RateDocument.h"

#include <QDir>
#include <QTemporaryDir>

using namespace orveltest;

namespace {

struct ReadResult {
    QDate date;
    QString error;
};

ReadResult readInto(const QString &location, orvel::RateTable &table, orvel::StringListSink &list,
                    const QString &cache = QStringLiteral("cbr.xml"))
{
    ReadResult r;
    try {
        r.date = orvel::readRateDocument(location, table, list, cache);
    } catch (const OrvelError &e) {
        r.error = e.message();
    }
    return r;
}

// Something in the table and the list before a read, to see what a failed
// read leaves of them.
orvel::RateTable oldTable() { return {TCurrencyData{"OLD", "Старая валюта", 1, 2.5}}; }
QStringList oldList() { return {"Старая валюта", "ещё одна"}; }
const QByteArray kOldCache = "<?xml version=\"1.0\"?><old/>";

} // namespace

class TestRateDocument : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString oldDir;

private slots:
    void initTestCase()
    {
        // Every request goes straight to the local server.
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        QVERIFY(dir.isValid());
        oldDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir); }
    void init()
    {
        for (const QString &f : QDir().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            QVERIFY(QFileInfo(f).isDir() ? QDir(f).removeRecursively() : QFile::remove(f));
    }

    // The bank's document reads the same whatever the user's locale: its
    // dates and decimal commas have one fixed form.
    void bankDocument_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia);
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("English US") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }
    void bankDocument()
    {
        QFETCH(QLocale, locale);
        LocaleScope scope(locale);
        writeFile("source.xml", fixture("XML_daily.xml"));
        orvel::RateTable table = oldTable();
        orvel::StringListSink list;
        list.items = oldList();
        const ReadResult r = readInto("source.xml", table, list);
        QCOMPARE(r.error, QString());
        QCOMPARE(r.date, QDate(2026, 12, 6));
        QCOMPARE(tableText(table), dailyRows());
        QCOMPARE(list.items, namesOf(dailyRows()));

        // The cache holds the document with its declaration, in the encoding
        // the declaration names.
        const QByteArray cache = fileBytes("cbr.xml");
        QVERIFY2(cache.startsWith("<?xml version=\"1.0\" encoding=\"windows-1251\"?>"), cache.constData());
        QVERIFY(cache.contains(QByteArray("\xC4\xEE\xEB\xEB\xE0\xF0 \xD1\xD8\xC0"))); // "Доллар США" in windows-1251
        // Reading the cache gives the same table and date and writes the
        // same cache again.
        orvel::RateTable again;
        orvel::StringListSink againList;
        const ReadResult r2 = readInto("cbr.xml", again, againList);
        QCOMPARE(r2.error, QString());
        QCOMPARE(r2.date, r.date);
        QCOMPARE(tableText(again), dailyRows());
        QCOMPARE(againList.items, list.items);
        QCOMPARE(fileBytes("cbr.xml"), cache);
    }

    // One row per way a read can fail: the message, and what is left of the
    // table, the list and the cache.
    void failures_data()
    {
        QTest::addColumn<QByteArray>("document"); // null: no such file
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("rows");  // the table afterwards; {"old"}: untouched
        QTest::addColumn<QStringList>("items"); // the list afterwards; {"old"}: untouched
        QTest::addColumn<bool>("cacheRewritten");

        const QStringList old{"old"};
        const QStringList firstTwo = dailyRows().mid(0, 3);
        QTest::newRow("no such file") << QByteArray() << "No active document" << old << old << false;
        QTest::newRow("not well-formed") << fixture("fail_truncated.xml") << "No active document" << old << old << false;
        QTest::newRow("no declaration") << fixture("fail_no_declaration.xml") << "List index out of bounds (1)" << old
                                        << QStringList() << true;
        QTest::newRow("date form") << fixture("fail_date.xml") << "''2026-12-06'' is not a valid date" << old
                                   << QStringList() << true;
        QTest::newRow("no date") << QByteArray("<?xml version=\"1.0\"?><ValCurs><V><Name>x</Name></V></ValCurs>")
                                 << "'''' is not a valid date" << old << QStringList() << true;
        QTest::newRow("impossible date")
            << QByteArray("<?xml version=\"1.0\"?><ValCurs Date=\"31.02.2026\"/>") << "''31.02.2026'' is not a valid date"
            << old << QStringList() << true;
        QTest::newRow("not a single text node")
            << fixture("fail_not_single_text.xml") << "Element does not contain a single text node"
            << (firstTwo + QStringList{"KZT||100|0"}) << namesOf(firstTwo) << true;
        QTest::newRow("nominal") << fixture("fail_nominal.xml") << "''100 шт.'' is not a valid integer value"
                                 << (firstTwo + QStringList{"KZT||0|0"}) << namesOf(firstTwo) << true;
        QTest::newRow("value with a full stop")
            << fixture("fail_value.xml") << "'15.0917' is not a valid floating point value"
            << (firstTwo + QStringList{"KZT|Казахстанских тенге|100|0"}) << namesOf(firstTwo) << true;
        // A document type declaration is refused as a whole: its entities
        // are neither fetched nor substituted, and none of it reaches the cache.
        QTest::newRow("external entity")
            << QByteArray("<!DOCTYPE ValCurs [<!ENTITY x SYSTEM \"secret.txt\">]>"
                          "<ValCurs Date=\"06.12.2026\"><V><CharCode>XXX</CharCode><Name>&x;</Name></V></ValCurs>")
            << "No active document" << old << old << false;
    }
    void failures()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, error);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, items);
        QFETCH(bool, cacheRewritten);
        writeFile("secret.txt", "SECRET");
        writeFile("cbr.xml", kOldCache);
        if (!document.isNull())
            writeFile("source.xml", document);
        orvel::RateTable table = oldTable();
        orvel::StringListSink list;
        list.items = oldList();

        const ReadResult r = readInto("source.xml", table, list);
        QCOMPARE(r.error, error);
        QCOMPARE(tableText(table), rows == QStringList{"old"} ? tableText(oldTable()) : rows);
        QCOMPARE(list.items, items == QStringList{"old"} ? oldList() : items);
        // The failing row, when there is one, is the one row the list lacks.
        if (rows != QStringList{"old"} && table.size() > 1)
            QCOMPARE(qsizetype(table.size()), list.items.size() + 1);

        const QByteArray cache = fileBytes("cbr.xml");
        if (!cacheRewritten) {
            QCOMPARE(cache, kOldCache);
            return;
        }
        QVERIFY(cache != kOldCache);
        QVERIFY(!cache.contains("SECRET"));
        // The next read of the cache fails the same way.
        orvel::RateTable next = oldTable();
        orvel::StringListSink nextList;
        QCOMPARE(readInto("cbr.xml", next, nextList).error, error);
    }

    // Documents that read without an error, in forms the bank does not use
    // but a cache or another server might.
    void documentForms_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("rows"); // after the rouble row
        QTest::addColumn<QStringList>("items");
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ValCurs Date=\"06.12.2026\">";
        QTest::newRow("no rows") << QByteArray(head + "</ValCurs>") << QStringList() << QStringList();
        QTest::newRow("empty root element") << QByteArray("<?xml version=\"1.0\"?><R Date=\"06.12.2026\"/>")
                                            << QStringList() << QStringList();
        QTest::newRow("missing nominal and value")
            << QByteArray(head + "<V><CharCode>AAA</CharCode><Name>А</Name></V></ValCurs>") << QStringList{"AAA|А|0|0"}
            << QStringList{"А"};
        QTest::newRow("names differing in case are ignored")
            << QByteArray(head + "<V><charcode>AAA</charcode><NAME>А</NAME><Nominal>1</Nominal><value>2,5</value></V></ValCurs>")
            << QStringList{"||1|0"} << QStringList{""};
        QTest::newRow("text-only child is an empty row")
            << QByteArray(head + "<V>just text</V></ValCurs>") << QStringList{"||0|0"} << QStringList{""};
        QTest::newRow("empty children and comments are skipped")
            << QByteArray(head + "<Empty/><!-- note --><V><CharCode>AAA</CharCode></V></ValCurs>")
            << QStringList{"AAA||0|0"} << QStringList{""};
        QTest::newRow("duplicate codes are both kept")
            << QByteArray(head + "<V><CharCode>USD</CharCode><Name>Один</Name><Nominal>1</Nominal><Value>1</Value></V>"
                                 "<V><CharCode>USD</CharCode><Name>Два</Name><Nominal>1</Nominal><Value>2</Value></V></ValCurs>")
            << QStringList{"USD|Один|1|1", "USD|Два|1|2"} << QStringList{"Один", "Два"};
        QTest::newRow("the last occurrence wins")
            << QByteArray(head + "<V><Value>1,5</Value><Name>А</Name><Value>2,5</Value></V></ValCurs>")
            << QStringList{"|А|0|2.5"} << QStringList{"А"};
        QTest::newRow("empty elements give no value")
            << QByteArray(head + "<V><CharCode>AAA</CharCode><CharCode/><Name>  </Name><Nominal></Nominal></V></ValCurs>")
            << QStringList{"AAA||0|0"} << QStringList{""};
        QTest::newRow("indented, element names not looked at")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Rates Date=\"6.12.2026\">\n  <Row>\n"
                          "    <CharCode>GBP</CharCode>\n    <Nominal> 1</Nominal>\n"
                          "    <Name>Фунт</Name>\n    <Value>100,25</Value>\n  </Row>\n</Rates>\n")
            << QStringList{"GBP|Фунт|1|100.25"} << QStringList{"Фунт"};
    }
    void documentForms()
    {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, items);
        writeFile("source.xml", document);
        orvel::RateTable table = oldTable();
        orvel::StringListSink list;
        const ReadResult r = readInto("source.xml", table, list);
        QCOMPARE(r.error, QString());
        QCOMPARE(r.date, QDate(2026, 12, 6));
        QCOMPARE(tableText(table), QStringList(dailyRows()[0]) + rows);
        QCOMPARE(list.items, QStringList("Российские рубли") + items);
        // The cache reads back to the same table.
        orvel::RateTable again;
        orvel::StringListSink againList;
        QCOMPARE(readInto("cbr.xml", again, againList).error, QString());
        QCOMPARE(tableText(again), tableText(table));
    }

    // A cache that cannot be written is reported; what was there stays, and
    // no temporary file is left beside it.
    void cacheWriteFails_data()
    {
        QTest::addColumn<QString>("cache");
        QTest::newRow("folder missing") << "missing/cbr.xml";
        QTest::newRow("a folder in the way") << "cbr.xml";
    }
    void cacheWriteFails()
    {
        QFETCH(QString, cache);
        QVERIFY(QDir().mkpath("cbr.xml/inside"));
        writeFile("source.xml", fixture("XML_daily.xml"));
        orvel::RateTable table;
        orvel::StringListSink list;
        const ReadResult r = readInto("source.xml", table, list, cache);
        QVERIFY2(r.error.startsWith("Cannot create file \"" + QDir::current().absoluteFilePath(cache) + "\". "),
                 qPrintable(r.error));
        QCOMPARE(tableText(table), dailyRows()); // the read itself went through
        QVERIFY(QFileInfo("cbr.xml/inside").isDir());
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"source.xml"});
    }

    // The HTTP side: status, size and redirects; any failure is a document
    // that cannot be loaded.
    void fetch_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("loads");
        const QByteArray daily = fixture("XML_daily.xml");
        QTest::newRow("200") << 200 << daily << true;
        QTest::newRow("203") << 203 << daily << true;
        QTest::newRow("403") << 403 << daily << false;
        QTest::newRow("404") << 404 << daily << false;
        QTest::newRow("500") << 500 << daily << false;
        QTest::newRow("not XML") << 200 << QByteArray("<html><body>Сервис недоступен") << false;
        QTest::newRow("4 MiB") << 200 << QByteArray(daily).append(4 * 1024 * 1024 - daily.size(), ' ') << true;
        QTest::newRow("over 4 MiB") << 200 << QByteArray(daily).append(4 * 1024 * 1024 - daily.size() + 1, ' ')
                                    << false;
    }
    void fetch()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, loads);
        HttpTestServer server;
        server.route("/scripts/XML_daily.asp?date_req", {status, body, {}});
        writeFile("cbr.xml", kOldCache);
        orvel::RateTable table = oldTable();
        orvel::StringListSink list;
        const ReadResult r = readInto(server.url("/scripts/XML_daily.asp?date_req"), table, list);
        if (loads) {
            QCOMPARE(r.error, QString());
            QCOMPARE(tableText(table), dailyRows());
            QCOMPARE(fileBytes("cbr.xml").left(45), QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>"));
        } else {
            QCOMPARE(r.error, QString("No active document"));
            QCOMPARE(tableText(table), tableText(oldTable()));
            QCOMPARE(fileBytes("cbr.xml"), kOldCache);
        }
        // One plain GET with a browser-style User-Agent that names Orvel.
        const QList<QByteArray> requests = server.requests();
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests[0].startsWith("GET /scripts/XML_daily.asp?date_req HTTP/1.1\r\n"));
        QVERIFY2(requests[0].contains("\r\nUser-Agent: Mozilla/5.0 ") && requests[0].contains(" Orvel/1.2.4"),
                 requests[0].constData());
    }

    void fetchFollowsRedirects()
    {
        HttpTestServer server;
        server.route("/scripts/XML_daily.asp?date_req", {301, {}, server.url("/moved").toLatin1()});
        server.route("/moved", {200, fixture("XML_daily.xml"), {}});
        orvel::RateTable table;
        orvel::StringListSink list;
        QCOMPARE(readInto(server.url("/scripts/XML_daily.asp?date_req"), table, list).error, QString());
        QCOMPARE(tableText(table), dailyRows());
        QCOMPARE(server.requests().size(), 2);
    }

    void fetchFromClosedPort()
    {
        QString why;
        QVERIFY(!orvel::httpGet(QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()), {}, &why));
        QVERIFY(!why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRateDocument)
#include "test_rate_document.moc"
