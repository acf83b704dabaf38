// Faults around the rate read, as a person meets them on the converter tab
// (or at start-up): what the box says, and what stays in the table and in the
// cache "cbr.xml". Each test runs in its own working directory against a
// server on 127.0.0.1.
#include "calc/OrvelError.h"
#include "FaultTools.h"
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/RateDocument.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QShortcut>
#include <QTabWidget>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <memory>

using namespace orveltest;
using Mode = HttpTestServer::Mode;

namespace {

const QByteArray kSecret = "TOP-SECRET-7f3a";

const QStringList &oldCacheRows()
{
    static const QStringList rows{dailyRows()[0], dailyRows()[2], dailyRows()[1]};
    return rows;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The bank's document in UTF-8 with a declaration that says so, and with
// `doctype` and `name` put in (for entity tests).
QByteArray utf8Document(const QByteArray &doctype, const QByteArray &name, const QByteArray &date = "06.12.2026")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype + "<ValCurs Date=\"" + date
           + "\" name=\"Foreign Currency Market\"><Valute ID=\"R01235\"><CharCode>USD</CharCode>"
             "<Nominal>1</Nominal><Name>"
           + name + "</Name><Value>78,2391</Value></Valute></ValCurs>";
}

// Ten levels of ten references each: 10^10 copies of "lol" once expanded.
QByteArray entityBomb()
{
    QByteArray d = "<!DOCTYPE ValCurs [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 10; ++i) {
        d += "<!ENTITY l" + QByteArray::number(i) + " \"";
        for (int j = 0; j < 10; ++j)
            d += "&l" + QByteArray::number(i - 1) + ";";
        d += "\">\n";
    }
    return d + "]>\n";
}

} // namespace

class TestRateFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QTemporaryDir secretDir; // outside the working directory
    QString secretFile;
    std::unique_ptr<LocaleScope> locale;
    QString oldDir;
    orvel::OrvelWindows w;
    HttpTestServer server;
    const QString kPath = QStringLiteral("/scripts/XML_daily.asp?date_req");

    void start(const QByteArray &cache = {})
    {
        if (!cache.isNull())
            writeFile("cbr.xml", cache);
        w = orvel::createOrvelWindows();
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
    }
    void pointAt(const QString &url)
    {
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(server.port());
        w.form1->rateUrl = url;
    }
    void showConverter() { child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(3); }
    QString label19() const { return child<QLabel>(w.form1, "Label19")->text(); }
    // The function keys the main window registered.
    QStringList hotKeys() const
    {
        QStringList keys;
        for (const QShortcut *s : w.form1->findChildren<QShortcut *>())
            keys << s->key().toString();
        keys.sort();
        return keys;
    }
    QStringList lists() const
    {
        return itemsOf(child<QComboBox>(w.form1, "ComboBox1")) + itemsOf(child<QComboBox>(w.form1, "ComboBox2"));
    }

private slots:
    void initTestCase()
    {
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        oldDir = QDir::currentPath();
        QVERIFY(secretDir.isValid());
        secretFile = secretDir.filePath("secret.txt");
        writeFile(secretFile, kSecret);
        // A parameter entity file that would declare the entity &s; as the secret.
        writeFile(secretDir.filePath("secret.dtd"), "<!ENTITY s \"" + kSecret + "\">");
        // The fetch's own limits, which the tests below shorten.
        QCOMPARE(orvel::rateFetchLimits().connectTimeoutMs, 5000L);
        QCOMPARE(orvel::rateFetchLimits().totalTimeoutMs, 20000L);
        QCOMPARE(orvel::rateFetchLimits().maxBytes, qint64(4 * 1024 * 1024));
        orvel::FetchLimits shortLimits;
        shortLimits.connectTimeoutMs = 1000;
        shortLimits.totalTimeoutMs = 2000;
        orvel::setRateFetchLimits(shortLimits);
    }
    void cleanupTestCase()
    {
        orvel::setRateFetchLimits({});
        QDir::setCurrent(oldDir);
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QDir::setCurrent(dir->path());
        locale = std::make_unique<LocaleScope>(commaLocale());
    }
    void cleanup()
    {
        if (w.form1)
            orvel::destroyOrvelWindows(w);
        locale.reset();
        QDir::setCurrent(oldDir);
        if (dir)
            ::chmod(QFile::encodeName(dir->path()).constData(), 0700);
        dir.reset();
    }

    // The document cannot be had or is not a document: the box says "No
    // active document.", the converter keeps the rates read from the cache at
    // start-up, and "cbr.xml" keeps its bytes.
    void documentNotLoaded_data()
    {
        QTest::addColumn<int>("status"); // 0: no route (see url)
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("where"); // "closed": a port where nothing listens; "loop": a redirect loop
        const QByteArray daily = fixture("XML_daily.xml");
        QTest::newRow("connection refused") << 0 << QByteArray() << int(Mode::Normal) << "closed";
        // Ended by the total time limit (2 s here, 20 s in the program).
        QTest::newRow("server never answers") << 200 << daily << int(Mode::Silent) << "";
        QTest::newRow("HTTP 403") << 403 << daily << int(Mode::Normal) << "";
        QTest::newRow("HTTP 500") << 500 << daily << int(Mode::Normal) << "";
        QTest::newRow("redirect loop") << 302 << QByteArray() << int(Mode::Normal) << "loop";
        QTest::newRow("truncated answer") << 200 << daily << int(Mode::Truncated) << "";
        QTest::newRow("cut document, whole answer") << 200 << fixture("fail_truncated.xml") << int(Mode::Normal) << "";
        // windows-1251 bytes under a declaration that says UTF-8.
        QByteArray misnamed = daily;
        misnamed.replace("encoding=\"windows-1251\"", "encoding=\"UTF-8\"");
        QTest::newRow("windows-1251 declared as UTF-8") << 200 << misnamed << int(Mode::Normal) << "";
        const QByteArray tenMiB = daily + QByteArray(10 * 1024 * 1024, ' ');
        QTest::newRow("10 MiB with its length") << 200 << tenMiB << int(Mode::Normal) << "";
        QTest::newRow("10 MiB without a length") << 200 << tenMiB << int(Mode::NoLength) << "";
        QTest::newRow("binary garbage") << 200 << QByteArray("\x00\xff\xfe<\x01?xml\x80", 10) << int(Mode::Normal) << "";
        QTest::newRow("empty answer") << 200 << QByteArray() << int(Mode::Normal) << "";
    }
    void documentNotLoaded()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, mode);
        QFETCH(QString, where);
        QString url = server.url("/fault");
        if (where == QLatin1String("closed")) {
            url = QStringLiteral("http://127.0.0.1:%1/fault").arg(closedPort());
        } else if (where == QLatin1String("loop")) {
            server.route("/loop-a", {302, {}, server.url("/loop-b").toLatin1()});
            server.route("/loop-b", {302, {}, server.url("/loop-a").toLatin1()});
            url = server.url("/loop-a");
        } else {
            server.route("/fault", {status, body, {}, Mode(mode)});
        }
        start(fixture("cache_old.xml"));
        const QByteArray cacheBefore = fileBytes("cbr.xml");
        pointAt(url);

        ModalWatcher boxes;
        QElapsedTimer clock;
        clock.start();
        showConverter();
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(boxes.texts(), QStringList{"No active document."});
        QCOMPARE(label19(), QString());
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(lists(), namesOf(oldCacheRows()) + namesOf(oldCacheRows()));
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"cbr.xml"});
    }

    // Documents with a document type declaration (the bank's has none): the
    // entities it declares are never loaded from files nor expanded, so
    // nothing of a local file shows up and an expansion bomb costs nothing.
    void entities_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("boxes");
        const QByteArray fileUrl = "file://" + QFile::encodeName(secretFile);
        const QByteArray dtdUrl = "file://" + QFile::encodeName(secretDir.filePath("secret.dtd"));
        // Every one of them is refused as a whole: nothing is read, and the
        // cache keeps its bytes.
        const QStringList refused{"No active document."};
        QTest::newRow("external entity in a name")
            << utf8Document("<!DOCTYPE ValCurs [<!ENTITY x SYSTEM \"" + fileUrl + "\">]>\n", "&x;") << refused;
        QTest::newRow("external entity in the date")
            << utf8Document("<!DOCTYPE ValCurs [<!ENTITY x SYSTEM \"" + fileUrl + "\">]>\n", "Доллар США", "&x;")
            << refused;
        QTest::newRow("external parameter entity")
            << utf8Document("<!DOCTYPE ValCurs [<!ENTITY % p SYSTEM \"" + dtdUrl + "\">\n%p;]>\n", "&s;") << refused;
        QTest::newRow("external DTD") << utf8Document("<!DOCTYPE ValCurs SYSTEM \"" + dtdUrl + "\">\n", "&s;")
                                      << refused;
        QTest::newRow("entity bomb in a name") << utf8Document(entityBomb(), "&l10;") << refused;
        QTest::newRow("entity bomb in the date") << utf8Document(entityBomb(), "Доллар США", "&l10;") << refused;
        QTest::newRow("small internal entity") << utf8Document("<!DOCTYPE ValCurs [<!ENTITY d \"Доллар\">]>\n", "&d; США")
                                               << refused;
    }
    void entities()
    {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, boxes);
        server.route("/entities", {200, document, {}});
        start(fixture("cache_old.xml"));
        const QByteArray cacheBefore = fileBytes("cbr.xml");
        pointAt(server.url("/entities"));

        ModalWatcher watcher;
        QElapsedTimer clock;
        clock.start();
        showConverter();
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(watcher.texts(), boxes);
        const QByteArray cache = fileBytes("cbr.xml");
        QCOMPARE(cache, cacheBefore);
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        // The secret is nowhere: not in the box, the table, the lists or the cache.
        QVERIFY(!watcher.texts().join('\n').contains(kSecret));
        QVERIFY(!tableText(orvel::rateTable()).join('\n').contains(kSecret));
        QVERIFY(!lists().join('\n').contains(kSecret));
        QVERIFY2(!cache.contains(kSecret), cache.constData());
    }

    // UTF-8 under a declaration that says windows-1251 cannot be told from a
    // document in windows-1251: it reads as the declaration says, rates
    // intact, names in the wrong letters, and the cache keeps it that way.
    void utf8DeclaredAsWindows1251()
    {
        const QByteArray document = utf8Document("", "Доллар США").replace("UTF-8", "windows-1251");
        server.route("/misnamed", {200, document, {}});
        start(fixture("cache_old.xml"));
        pointAt(server.url("/misnamed"));
        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(orvel::rateTable().size(), std::size_t(2));
        QCOMPARE(orvel::rateTable()[1].CharCode, QString("USD"));
        QCOMPARE(orvel::rateTable()[1].Value, 78.2391);
        // Each UTF-8 byte became a letter of its own.
        QCOMPARE(orvel::rateTable()[1].Name.size(), QByteArray("Доллар США").size());
        QVERIFY(orvel::rateTable()[1].Name != QString("Доллар США"));
        // Written back in windows-1251, those letters are the original bytes.
        QVERIFY(fileBytes("cbr.xml").contains(QByteArray("Доллар США")));
    }

    // "cbr.xml" cannot be replaced: the rates are read, the box names the
    // file and the reason, and the old cache stays as it was.
    void cacheUnwritable_data()
    {
        QTest::addColumn<bool>("readOnlyFolder"); // else a read-only file
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << false << "Permission denied";
        QTest::newRow("read-only folder") << true << "Permission denied";
    }
    void cacheUnwritable()
    {
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, reason);
        server.route(kPath.toLatin1(), {200, fixture("XML_daily.xml"), {}});
        start(fixture("cache_old.xml"));
        const QByteArray cacheBefore = fileBytes("cbr.xml");
        const QString cachePath = QDir::current().absoluteFilePath("cbr.xml");
        pointAt(server.url(kPath));
        QVERIFY(::chmod(QFile::encodeName(readOnlyFolder ? dir->path() : cachePath).constData(),
                        readOnlyFolder ? 0555 : 0444) == 0);

        ModalWatcher boxes;
        {
            const PermissionsEnforced asAnyUser;
            showConverter();
        }
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Cannot create file \"%1\". %2.")
                                                .arg(cachePath, reason)});
        QCOMPARE(label19(), QString()); // the date line waits for a read that ends well
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
        QCOMPARE(lists(), namesOf(dailyRows()) + namesOf(dailyRows()));
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"cbr.xml"});
    }

    // The disk fills up while "cbr.xml" is written: the same, and no partial
    // file is left behind; at the next start the cache still reads.
    void diskFull()
    {
        SmallDisk disk;
        QVERIFY(disk.isValid());
        QDir::setCurrent(disk.path());
        server.route(kPath.toLatin1(), {200, fixture("XML_daily.xml"), {}});
        start(fixture("cache_old.xml"));
        const QByteArray cacheBefore = fileBytes("cbr.xml");
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        pointAt(server.url(kPath));
        disk.fill();
        const QString box = QStringLiteral("Cannot create file \"%1\". %2.")
                                .arg(QDir::current().absoluteFilePath("cbr.xml"), disk.fullMessage());
        const auto filesLeft = [&] {
            QStringList files = QDir().entryList(QDir::Files | QDir::Hidden);
            for (const QString &f : disk.fillers())
                files.removeAll(f);
            return files;
        };

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList{box});
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);
        QCOMPARE(filesLeft(), QStringList{"cbr.xml"});

        // Started again on the full disk: the start-up read says the same and
        // still fills the table from the old cache.
        orvel::destroyOrvelWindows(w);
        boxes.clear();
        start();
        QCOMPARE(boxes.texts(), QStringList{box});
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);
        QCOMPARE(filesLeft(), QStringList{"cbr.xml"});
        orvel::destroyOrvelWindows(w);
        QDir::setCurrent(dir->path());
    }

    // "cbr.xml" that is not a file is no cache: the start-up read skips it
    // silently and registers the hot keys, and a failed probe finds no cache,
    // as when nothing of that name is there.
    void cacheNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("named pipe") << "pipe";
    }
    void cacheNotAFile()
    {
        QFETCH(QString, kind);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir("cbr.xml"));
        else
            QVERIFY(::mkfifo("cbr.xml", 0600) == 0);
        ModalWatcher boxes;
        start();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(hotKeys(), (QStringList{"F1", "F2", "F3", "F4", "F5"}));
        QVERIFY(orvel::rateTable().empty());

        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(closedPort());
        showConverter();
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("Невозможно подключится к серверу. Orvel конвертирует "
                                                            "по старым котировкам."),
                                             "No active document."}));
        QVERIFY(orvel::rateTable().empty());
        QCOMPARE(label19(), QString());
        QVERIFY(!QFileInfo("cbr.xml").isFile());
    }

    // A damaged "cbr.xml" at start-up: the box says what is wrong with it, the
    // main window comes up all the same, and the file is left as it was.
    void damagedCacheAtStart_data()
    {
        QTest::addColumn<QByteArray>("cache");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("rewritten"); // with the same document, as every read does
        QTest::newRow("cut short") << fixture("fail_truncated.xml") << "No active document." << QStringList() << false;
        QTest::newRow("binary garbage") << QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\x00\xff\xfe", 12)
                                        << "No active document." << QStringList() << false;
        QTest::newRow("empty") << QByteArray("") << "No active document." << QStringList() << false;
        QTest::newRow("bad rate") << fixture("fail_value.xml") << "'15.0917' is not a valid floating point value."
                                  << (dailyRows().mid(0, 3) + QStringList{"KZT|Казахстанских тенге|100|0"}) << true;
    }
    void damagedCacheAtStart()
    {
        QFETCH(QByteArray, cache);
        QFETCH(QString, box);
        QFETCH(QStringList, rows);
        QFETCH(bool, rewritten);
        ModalWatcher boxes;
        start(cache);
        QCOMPARE(boxes.texts(), QStringList{box});
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Orvel"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(w.form1->isVisible());
        // The error ended the creation handler before the hot keys.
        QCOMPARE(hotKeys(), QStringList());
        QCOMPARE(tableText(orvel::rateTable()), rows);
        if (rewritten) {
            // Reading the file back fails the same way: it holds the same document.
            orvel::RateTable t;
            orvel::StringListSink l;
            QString again;
            try {
                orvel::readRateDocument("cbr.xml", t, l, "reread.xml");
            } catch (const OrvelError &e) {
                again = e.message() + '.';
            }
            QCOMPARE(again, box);
        } else {
            QCOMPARE(fileBytes("cbr.xml"), cache);
        }
    }
};

QTEST_MAIN(TestRateFaults)
#include "test_rate_faults.moc"
