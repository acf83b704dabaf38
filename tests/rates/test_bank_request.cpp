// Asking the bank off the window's thread, against hostile servers on
// 127.0.0.1: one that never answers, one that drips a byte at a time, errors,
// a redirect loop, answers over the size limit. The fetch says what went
// wrong; BankRequest delivers on the caller's thread, cancels at once and
// keeps nothing of a cancelled read. Limits are short so the suite stays quick.
#include "calc/OrvelError.h"
#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/BankRequest.h"
#include "rates/RateArchive.h"
#include "rates/RateDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

using namespace orveltest;
using Mode = HttpTestServer::Mode;
using orvel::FetchFailure;

Q_DECLARE_METATYPE(orveltest::HttpTestServer::Reply)
Q_DECLARE_METATYPE(orvel::FetchFailure)

namespace {

// The key rate is asked with a SOAP call; any request description goes.
orvel::HttpRequest soapRequest(const QString &url)
{
    return {url,
            orvel::HttpRequest::Method::Post,
            "<soap:Envelope><soap:Body><KeyRateXML/></soap:Body></soap:Envelope>",
            {"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"http://web.cbr.ru/KeyRateXML\""}};
}

QByteArray dailyTarget(const QDate &day) { return "/scripts/XML_daily.asp?date_req=" + day.toString("dd/MM/yyyy").toLatin1(); }
QByteArray historyTarget(const QDate &from, const QDate &to, const QByteArray &id)
{
    return "/scripts/XML_dynamic.asp?date_req1=" + from.toString("dd/MM/yyyy").toLatin1()
           + "&date_req2=" + to.toString("dd/MM/yyyy").toLatin1() + "&VAL_NM_RQ=" + id;
}

} // namespace

class TestBankRequest : public QObject {
    Q_OBJECT

    HttpTestServer server;
    std::unique_ptr<QTemporaryDir> dir;
    const QDate today{2026, 12, 10};

    QString folder() const { return dir->filePath("rates"); }
    orvel::RateSource source() const { return {server.url(QString()), folder(), today}; }
    QStringList kept() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden); }

    // The hostile answers, each with what the fetch makes of it.
    static void hostileRows()
    {
        QTest::addColumn<HttpTestServer::Reply>("reply");
        QTest::addColumn<FetchFailure>("failure");
        QTest::addColumn<QString>("message");
        const QByteArray big(5000, 'x');
        QTest::newRow("never answers") << HttpTestServer::Reply{200, "x", {}, Mode::Silent} << FetchFailure::NoConnection
                                       << "Нет связи с сервером ЦБ РФ";
        QTest::newRow("drips a byte a second") << HttpTestServer::Reply{200, QByteArray(100, 'x'), {}, Mode::Drip, 1000}
                                               << FetchFailure::Slow << "Сервер ЦБ РФ отвечает слишком медленно";
        QTest::newRow("status 500") << HttpTestServer::Reply{500, "<html>Internal error</html>", {}}
                                    << FetchFailure::HttpStatus << "Сервер ЦБ РФ ответил ошибкой 500";
        QTest::newRow("status 404") << HttpTestServer::Reply{404, "", {}} << FetchFailure::HttpStatus
                                    << "Сервер ЦБ РФ ответил ошибкой 404";
        QTest::newRow("redirect loop") << HttpTestServer::Reply{302, "", "/hostile"} << FetchFailure::Redirects
                                       << "Сервер ЦБ РФ перенаправляет запрос по кругу";
        QTest::newRow("over the size limit") << HttpTestServer::Reply{200, big, {}} << FetchFailure::TooLarge
                                             << "Ответ сервера ЦБ РФ слишком велик";
        QTest::newRow("over the size limit, no length") << HttpTestServer::Reply{200, big, {}, Mode::NoLength}
                                                        << FetchFailure::TooLarge << "Ответ сервера ЦБ РФ слишком велик";
        QTest::newRow("cut short") << HttpTestServer::Reply{200, QByteArray(1000, 'x'), {}, Mode::Truncated}
                                   << FetchFailure::Other << "Сбой связи с сервером ЦБ РФ";
    }

private slots:
    void initTestCase() { askLocalServersQuickly(); }
    void cleanupTestCase() { orvel::setRateFetchLimits({}); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    // The fetch tells each way of failing apart, for a GET and for a POST.
    void fetchFailures_data() { hostileRows(); }
    void fetchFailures()
    {
        QFETCH(HttpTestServer::Reply, reply);
        QFETCH(FetchFailure, failure);
        QFETCH(QString, message);
        server.route("/hostile", reply);
        for (const orvel::HttpRequest &request :
             {orvel::HttpRequest{server.url("/hostile"), {}, {}, {}}, soapRequest(server.url("/hostile"))}) {
            const orvel::FetchResult r = orvel::httpFetch(request, shortFetchLimits());
            QCOMPARE(r.failure, failure);
            QCOMPARE(orvel::bankFetchFailure(r), message);
            QVERIFY(r.body.isEmpty());
        }
    }

    void fetchWithoutServer()
    {
        const orvel::FetchResult r =
            orvel::httpFetch({QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()), {}, {}, {}}, shortFetchLimits());
        QCOMPARE(r.failure, FetchFailure::NoConnection);
        QCOMPARE(orvel::bankFetchFailure(r), QStringLiteral("Нет связи с сервером ЦБ РФ"));
        QVERIFY(!r.detail.isEmpty());
        // The blocking GET of the daily read says as much.
        QString why;
        QVERIFY(!orvel::httpGet(QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()), {}, &why));
        QVERIFY(!why.isEmpty());
    }

    // A POST carries its body and headers, and stays a POST through redirects.
    void postKeptThroughRedirects_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("no redirect") << 0;
        for (int status : {301, 302, 303, 307, 308})
            QTest::newRow(qPrintable(QString::number(status))) << status;
    }
    void postKeptThroughRedirects()
    {
        QFETCH(int, status);
        server.route("/soap", {200, "<answer/>", {}});
        server.route("/old", {status, {}, "/soap"});
        const int before = server.requests().size();
        const orvel::HttpRequest request = soapRequest(server.url(status ? "/old" : "/soap"));
        const orvel::FetchResult r = orvel::httpFetch(request, shortFetchLimits());
        QCOMPARE(r.failure, FetchFailure::None);
        QCOMPARE(r.body, QByteArray("<answer/>"));
        const QList<QByteArray> heads = server.requests().mid(before);
        const QList<QByteArray> bodies = server.bodies().mid(before);
        QCOMPARE(heads.size(), status ? 2 : 1);
        QVERIFY2(heads.last().startsWith("POST /soap HTTP/1.1\r\n"), heads.last().constData());
        QVERIFY(heads.last().contains("\r\nContent-Type: text/xml; charset=utf-8\r\n"));
        QVERIFY(heads.last().contains("\r\nSOAPAction: \"http://web.cbr.ru/KeyRateXML\""));
        QCOMPARE(bodies.last(), request.body);
    }

    // The cancel flag stops a dripping answer; progress counts the bytes.
    void fetchCancelled()
    {
        server.route("/drip", {200, QByteArray(1000, 'x'), {}, Mode::Drip, 20});
        std::atomic<bool> cancel{false};
        QList<qint64> seen;
        orvel::FetchControl control;
        control.cancel = &cancel;
        control.progress = [&](qint64 received) {
            seen << received;
            if (received >= 3)
                cancel = true;
        };
        orvel::FetchLimits limits = shortFetchLimits();
        limits.totalTimeoutMs = 15000; // far beyond the test's wait: only the cancel ends it
        const orvel::FetchResult r = orvel::httpFetch({server.url("/drip"), {}, {}, {}}, limits, control);
        QCOMPARE(r.failure, FetchFailure::Cancelled);
        QVERIFY(r.body.isEmpty());
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), qint64(3));
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] > seen[i - 1]);
    }

    // The job runs on another thread; its result and its error come back on this one.
    void deliversOnTheCallersThread()
    {
        orvel::BankRequest request;
        QThread *jobThread = nullptr;
        QThread *doneThread = nullptr;
        int value = 0;
        request.start<int>(
            shortFetchLimits(),
            [&](const orvel::RequestContext &) {
                jobThread = QThread::currentThread();
                return 42;
            },
            [&](orvel::RequestResult<int> r) {
                doneThread = QThread::currentThread();
                value = r.take();
            });
        QVERIFY(request.isRunning());
        QTRY_COMPARE(value, 42);
        QVERIFY(!request.isRunning());
        QCOMPARE(doneThread, QThread::currentThread());
        QVERIFY(jobThread && jobThread != QThread::currentThread());

        QString error;
        request.start<int>(
            shortFetchLimits(), [](const orvel::RequestContext &) -> int { throw OrvelError(QStringLiteral("Не вышло")); },
            [&](orvel::RequestResult<int> r) {
                try {
                    r.take();
                } catch (const OrvelError &e) {
                    error = e.message();
                }
            });
        QTRY_COMPARE(error, QStringLiteral("Не вышло"));
    }

    // Cancelling a dripping request returns at once and delivers nothing;
    // a new request replaces the one running; deleting the owner is safe.
    void cancelReplaceDelete()
    {
        server.route("/drip", {200, QByteArray(1000, 'x'), {}, Mode::Drip, 20});
        orvel::FetchLimits limits = shortFetchLimits();
        limits.totalTimeoutMs = 15000;
        const auto fetchDrip = [this](const orvel::RequestContext &c) { return c.fetch({server.url("/drip"), {}, {}, {}}); };
        QStringList delivered;
        const auto note = [&delivered](const char *what) {
            return [&delivered, what](orvel::RequestResult<orvel::FetchResult>) { delivered << what; };
        };

        orvel::BankRequest request;
        QSignalSpy progress(&request, &orvel::BankRequest::progress);
        request.start<orvel::FetchResult>(limits, fetchDrip, note("first"));
        QTRY_VERIFY(!progress.isEmpty());
        QVERIFY(progress.last().at(0).toLongLong() > 0);
        QElapsedTimer clock;
        clock.start();
        request.cancel();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed()))); // never waits for the drip
        QVERIFY(!request.isRunning());

        // Replaced: only the second one is delivered.
        request.start<orvel::FetchResult>(limits, fetchDrip, note("second"));
        server.route("/fast", {200, "<ok/>", {}});
        request.start<orvel::FetchResult>(
            limits, [this](const orvel::RequestContext &c) { return c.fetch({server.url("/fast"), {}, {}, {}}); },
            note("third"));
        QTRY_COMPARE(delivered, QStringList{"third"});

        // The owner goes while a request runs.
        auto owner = std::make_unique<orvel::BankRequest>();
        owner->start<orvel::FetchResult>(limits, fetchDrip, note("fourth"));
        QTest::qWait(100);
        owner.reset();
        QTest::qWait(300);
        QCOMPARE(delivered, QStringList{"third"});
    }

    // The dated read and the history off the thread: each hostile answer
    // gives its message and the note on the cache; nothing is kept.
    void hostileReads_data() { hostileRows(); }
    void hostileReads()
    {
        QFETCH(HttpTestServer::Reply, reply);
        QFETCH(QString, message);
        const QDate day(2026, 12, 2), from(2026, 12, 1), to(2026, 12, 3);
        const QByteArray loop = "/scripts/XML_daily.asp?date_req=02/12/2026";
        if (!reply.location.isEmpty())
            reply.location = loop; // loops on itself
        server.route(dailyTarget(day), reply);
        if (!reply.location.isEmpty())
            reply.location = historyTarget(from, to, "R01235");
        server.route(historyTarget(from, to, "R01235"), reply);

        orvel::BankRequest request;
        QString error;
        const auto errorOf = [&error](auto result) {
            try {
                result.take();
                error = QStringLiteral("no error");
            } catch (const OrvelError &e) {
                error = e.message();
            }
        };
        orvel::requestRatesOnDate(request, source(), day, errorOf);
        QTRY_VERIFY_WITH_TIMEOUT(!error.isEmpty(), 5000);
        QCOMPARE(error, message + ", курсов на 02.12.2026 нет в кэше");
        error.clear();
        orvel::requestRateHistory(request, source(), "R01235", from, to, errorOf);
        QTRY_VERIFY_WITH_TIMEOUT(!error.isEmpty(), 5000);
        QCOMPARE(error, message + ", данных за период 01.12.2026 – 03.12.2026 нет в кэше");
        QCOMPARE(kept(), QStringList());
    }

    // A read that succeeds off the thread keeps what the blocking one keeps.
    void readsKept()
    {
        server.route(dailyTarget(QDate(2026, 12, 1)), {200, fixture("cache_old.xml"), {}});
        server.route(historyTarget(QDate(2026, 12, 1), QDate(2026, 12, 9), "R01335"), {200, fixture("dynamic_kzt.xml"), {}});
        orvel::BankRequest request;
        std::optional<orvel::DatedRates> rates;
        orvel::requestRatesOnDate(request, source(), QDate(2026, 12, 1),
                                  [&](orvel::RequestResult<orvel::DatedRates> r) { rates = r.take(); });
        QTRY_VERIFY(rates);
        QCOMPARE(rates->rates.date, QDate(2026, 12, 1));
        std::optional<orvel::LoadedHistory> history;
        orvel::requestRateHistory(request, source(), "R01335", QDate(2026, 12, 1), QDate(2026, 12, 9),
                                  [&](orvel::RequestResult<orvel::LoadedHistory> r) { history = r.take(); });
        QTRY_VERIFY(history);
        QCOMPARE(history->history.records.size(), std::size_t(7));
        QCOMPARE(kept(), (QStringList{"daily-2026-12-01.xml", "dynamic-R01335-2026-12-01-2026-12-09.xml"}));
    }

    // Cancelled while the document drips in: nothing delivered, nothing
    // kept, although the whole document arrives soon after.
    void cancelledReadKeepsNothing()
    {
        const QByteArray doc = fixture("cache_old.xml");
        server.route(dailyTarget(QDate(2026, 12, 1)), {200, doc, {}, Mode::Drip, 1});
        orvel::setRateFetchLimits({});
        orvel::BankRequest request;
        QSignalSpy progress(&request, &orvel::BankRequest::progress);
        bool delivered = false;
        orvel::requestRatesOnDate(request, source(), QDate(2026, 12, 1),
                                  [&](orvel::RequestResult<orvel::DatedRates>) { delivered = true; });
        orvel::setRateFetchLimits(shortFetchLimits());
        QTRY_VERIFY(!progress.isEmpty());
        request.cancel();
        // The drip, a byte a millisecond, would be over by now.
        QTest::qWait(doc.size() * 2 + 500);
        QVERIFY(!delivered);
        QCOMPARE(kept(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestBankRequest)
#include "test_bank_request.moc"
