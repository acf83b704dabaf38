// The bank as it answers today: the rate URL (http) redirects to https. A
// server on 127.0.0.1 answers https with a certificate from an authority the
// test makes itself; the fetch is told of that authority's file, and checks
// every certificate as it does against the system's store.
#include "GuiTest.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/RateDocument.h"
#include "TestCertificates.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

using namespace orveltest;

namespace {

const QByteArray kPath = "/scripts/XML_daily.asp?date_req";

const QStringList &oldCacheRows()
{
    static const QStringList rows{dailyRows()[0], dailyRows()[2], dailyRows()[1]};
    return rows;
}

} // namespace

class TestRateHttps : public QObject {
    Q_OBJECT

    TestCertificates authority;
    TestCertificates::Issued forLoopback;  // 127.0.0.1, as the URL names it
    TestCertificates::Issued forOtherHost; // bank.example only
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LocaleScope> locale;
    QString oldDir;
    orvel::OrvelWindows w;

    // Starts the program beside `cache` and points the converter at `plain`,
    // whose rate URL redirects to the same path on `tls`.
    void start(const QByteArray &cache, HttpTestServer &plain, HttpTestServer &tls)
    {
        if (!cache.isNull())
            writeFile("cbr.xml", cache);
        plain.route(kPath, {302, {}, tls.url(QString::fromLatin1(kPath)).toLatin1()});
        w = orvel::createOrvelWindows();
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QString::number(plain.port());
        w.form1->rateUrl = plain.url(QString::fromLatin1(kPath));
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
    }
    void trust(const QString &caFile)
    {
        orvel::FetchLimits limits;
        limits.caFile = caFile;
        orvel::setRateFetchLimits(limits);
    }
    void showConverter() { child<QTabWidget>(w.form1, "PageControl1")->setCurrentIndex(3); }
    QString label19() const { return child<QLabel>(w.form1, "Label19")->text(); }

private slots:
    void initTestCase()
    {
        for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(proxy);
        QString problem;
        QVERIFY2(authority.makeAuthority(&problem), qPrintable(problem));
        QVERIFY2(authority.issue("loopback", "IP:127.0.0.1", forLoopback, &problem), qPrintable(problem));
        QVERIFY2(authority.issue("other", "DNS:bank.example", forOtherHost, &problem), qPrintable(problem));
        // The program itself names no authority file: the system's store.
        QCOMPARE(orvel::rateFetchLimits().caFile, QString());
        oldDir = QDir::currentPath();
    }
    void cleanupTestCase() { orvel::setRateFetchLimits({}); }
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
        orvel::setRateFetchLimits({});
        locale.reset();
        QDir::setCurrent(oldDir);
        dir.reset();
    }

    // http, redirected to https: fetched, read into the table and the lists,
    // and written to the cache.
    void redirectedToHttps()
    {
        HttpTestServer plain;
        HttpTestServer tls(forLoopback.certificate, forLoopback.key);
        tls.route(kPath, {200, fixture("XML_daily.xml"), {}});
        start({}, plain, tls);
        trust(authority.caFile());

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(label19(), QStringLiteral("Курс по данным ЦБ РФ от 06.12.2026"));
        QCOMPARE(tableText(orvel::rateTable()), dailyRows());
        QCOMPARE(plain.requests().size(), 1);
        QCOMPARE(tls.requests().size(), 1);
        QVERIFY(tls.requests()[0].startsWith("GET " + kPath + " HTTP/1.1"));
        QVERIFY(tls.requests()[0].contains("Host: 127.0.0.1:" + QByteArray::number(tls.port())));

        orvel::RateTable cached;
        orvel::StringListSink names;
        orvel::readRateDocument("cbr.xml", cached, names, "reread.xml");
        QCOMPARE(tableText(cached), dailyRows());
    }

    // A certificate that does not hold for the host, or one the trusted
    // authorities did not sign: nothing is fetched, the box says "No active
    // document.", and the rates and the cache stay as the start-up read left
    // them.
    void certificateRefused_data()
    {
        QTest::addColumn<bool>("otherHost"); // else the loopback's certificate
        QTest::addColumn<bool>("ownAuthority"); // else the system's store only
        QTest::newRow("certificate for another host") << true << true;
        QTest::newRow("authority not in the system's store") << false << false;
    }
    void certificateRefused()
    {
        QFETCH(bool, otherHost);
        QFETCH(bool, ownAuthority);
        const TestCertificates::Issued &issued = otherHost ? forOtherHost : forLoopback;
        HttpTestServer plain;
        HttpTestServer tls(issued.certificate, issued.key);
        tls.route(kPath, {200, fixture("XML_daily.xml"), {}});
        start(fixture("cache_old.xml"), plain, tls);
        if (ownAuthority)
            trust(authority.caFile());
        const QByteArray cacheBefore = fileBytes("cbr.xml");

        ModalWatcher boxes;
        showConverter();
        QCOMPARE(boxes.texts(), QStringList{"No active document."});
        QCOMPARE(plain.requests().size(), 1);
        QCOMPARE(tls.requests().size(), 0); // the handshake ended it
        QCOMPARE(label19(), QString());
        QCOMPARE(tableText(orvel::rateTable()), oldCacheRows());
        QCOMPARE(fileBytes("cbr.xml"), cacheBefore);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"cbr.xml"});
    }
};

QTEST_MAIN(TestRateHttps)
#include "test_rate_https.moc"
