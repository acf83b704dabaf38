// The key rate Orvel starts with: the newest of the cache folder and the
// shipped answer, a damaged kept file passed over, and the status line.
// Then the bank asked, as a local SOAP service on 127.0.0.1 that answers
// only the right call: the answer kept and used, read back by the next run
// with the service gone, the bank asked once a day at most, every hostile
// answer refused with its reason while the kept data stays, a cancel, a
// cache that cannot be written, and redirects that keep the POST.
#include "rates/KeyRateStore.h"

#include "HttpTestServer.h"
#include "RateFixtures.h"
#include "rates/RateDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using orvel::KeyRateSource;
using orvel::KeyRateStore;
using orveltest::HttpTestServer;
using Mode = HttpTestServer::Mode;

Q_DECLARE_METATYPE(orveltest::HttpTestServer::Reply)

namespace {
QString shipped() { return qEnvironmentVariable("ORVEL_SOURCE_DIR") + QStringLiteral("/data/keyrate-2026-03-20.xml"); }

QByteArray answerWith(const QByteArray &rows)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><KeyRateXMLResponse "
           "xmlns=\"http://web.cbr.ru/\"><KeyRateXMLResult><KeyRate xmlns=\"\">"
           + rows + "</KeyRate></KeyRateXMLResult></KeyRateXMLResponse></soap:Body></soap:Envelope>";
}

void put(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray kr(const QByteArray &day, const QByteArray &rate)
{
    return "<KR><DT>" + day + "T00:00:00+03:00</DT><Rate>" + rate + "</Rate></KR>";
}

// The day the tests ask on, what an earlier run kept, and the bank's answer.
const QDate kToday(2026, 12, 10);
const QDate kKeptUntil(2026, 12, 1);
QByteArray keptAnswer() { return answerWith(kr("2026-11-30", "14.50") + kr("2026-10-27", "15.50")); }
QByteArray bankAnswer() { return answerWith(kr("2026-12-09", "16.00") + kr("2026-11-30", "14.50") + kr("2026-10-27", "15.50")); }

// The call the bank's service understands; anything else gets 400.
const QList<QByteArray> kSoapCall{"POST /keyrate HTTP/1.1\r\n", "\r\nContent-Type: text/xml; charset=utf-8",
                                  "\r\nSOAPAction: \"http://web.cbr.ru/KeyRateXML\"",
                                  "<fromDate>2013-09-13T00:00:00</fromDate><ToDate>2026-12-10T00:00:00</ToDate>"};

HttpTestServer::Reply service(const QByteArray &body, Mode mode = Mode::Normal, int dripMs = 1000)
{
    HttpTestServer::Reply reply{200, body, {}, mode, dripMs};
    reply.required = kSoapCall;
    return reply;
}

} // namespace

class TestKeyRateStore : public QObject {
    Q_OBJECT

    std::unique_ptr<HttpTestServer> server;
    std::unique_ptr<QTemporaryDir> dir;

    QString folder() const { return dir->filePath("cache/rates"); }
    QStringList kept() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QString keptFile(const QDate &day) const { return orvel::keyRateCacheFile(folder(), day); }
    std::unique_ptr<KeyRateStore> store(const QString &url) const
    {
        return std::make_unique<KeyRateStore>(url, folder(), shipped());
    }
    // Asks on kToday and waits for the request's end.
    static bool refreshed(KeyRateStore &s, const QDate &today = kToday)
    {
        QSignalSpy finished(&s, &KeyRateStore::finished);
        s.refresh(today);
        if (!s.busy())
            return false;
        return finished.wait(5000) && !s.busy();
    }

private slots:
    void initTestCase() { orveltest::askLocalServersQuickly(); }
    void cleanupTestCase() { orvel::setRateFetchLimits({}); }
    void init()
    {
        server = std::make_unique<HttpTestServer>();
        server->route("/keyrate", service(bankAnswer()));
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void shippedWhenNothingIsKept()
    {
        QTemporaryDir cache;
        const KeyRateStore store(QString(), cache.path(), shipped());
        QCOMPARE(store.current().source, KeyRateSource::Shipped);
        QCOMPARE(store.current().history.knownUntil, QDate(2026, 3, 20));
        QCOMPARE(store.statusText(), QStringLiteral("Ключевая ставка: встроенные данные, известна по 20.03.2026"));
    }

    void newerCacheWinsAndDamagedFilesAreSkipped()
    {
        QTemporaryDir cache;
        put(orvel::keyRateCacheFile(cache.path(), QDate(2026, 12, 1)),
            answerWith("<KR><DT>2026-11-30T00:00:00+03:00</DT><Rate>14.50</Rate></KR>"
                       "<KR><DT>2026-10-27T00:00:00+03:00</DT><Rate>15.50</Rate></KR>"));
        put(orvel::keyRateCacheFile(cache.path(), QDate(2026, 12, 5)), "<html>not an answer</html>");
        const KeyRateStore store(QString(), cache.path(), shipped());
        QCOMPARE(store.current().source, KeyRateSource::Cache);
        QCOMPARE(store.current().history.knownUntil, QDate(2026, 12, 1));
        QCOMPARE(orvel::keyRateOn(store.current().history, QDate(2026, 12, 1)), 14.5);
        QCOMPARE(store.statusText(), QStringLiteral("Ключевая ставка: из кэша, известна по 01.12.2026"));
    }

    void olderCacheLosesToTheShippedFile()
    {
        QTemporaryDir cache;
        put(orvel::keyRateCacheFile(cache.path(), QDate(2025, 1, 10)),
            answerWith("<KR><DT>2025-01-09T00:00:00+03:00</DT><Rate>21.00</Rate></KR>"));
        const KeyRateStore store(QString(), cache.path(), shipped());
        QCOMPARE(store.current().source, KeyRateSource::Shipped);
    }

    void nothingAtAll()
    {
        QTemporaryDir cache;
        const KeyRateStore store(QString(), cache.path(), cache.path() + QStringLiteral("/none.xml"));
        QVERIFY(store.current().history.steps.empty());
        QCOMPARE(store.statusText(), QStringLiteral("Ключевая ставка: нет данных"));
    }

    // The bank's answer becomes the data in use and the one kept file of the
    // folder; the call is the service's own, the shipped file and other
    // files stay.
    void freshAnswerKeptAndUsed()
    {
        put(keptFile(kKeptUntil), keptAnswer());
        put(keptFile(QDate(2025, 1, 10)), answerWith(kr("2025-01-09", "21.00")));
        put(folder() + "/daily-2026-12-01.xml", "<ValCurs/>");
        const QString shippedHere = keptFile(QDate(2026, 3, 20));
        QVERIFY(QFile::copy(shipped(), shippedHere));
        KeyRateStore s(server->url("/keyrate"), folder(), shippedHere);
        QCOMPARE(s.current().source, KeyRateSource::Cache);
        QSignalSpy updated(&s, &KeyRateStore::updated);

        QVERIFY(refreshed(s));
        QCOMPARE(updated.size(), 1);
        QCOMPARE(s.lastError(), QString());
        QCOMPARE(s.current().source, KeyRateSource::Bank);
        QCOMPARE(s.current().answeredOn, kToday);
        QCOMPARE(s.current().history.knownUntil, kToday);
        QCOMPARE(orvel::keyRateOn(s.current().history, QDate(2026, 12, 9)), 16.0);
        QCOMPARE(s.statusText(), QStringLiteral("Ключевая ставка: по данным ЦБ РФ на 10.12.2026, известна по 10.12.2026"));
        QCOMPARE(s.missingDayMessage(kToday), QString());
        QCOMPARE(s.missingDayMessage(kToday.addDays(1)), QStringLiteral("Ключевая ставка известна по 10.12.2026"));

        QCOMPARE(server->requests().size(), 1);
        QCOMPARE(server->bodies().first(),
                 QByteArray("<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                            "<KeyRateXML xmlns=\"http://web.cbr.ru/\"><fromDate>2013-09-13T00:00:00</fromDate>"
                            "<ToDate>2026-12-10T00:00:00</ToDate></KeyRateXML></soap:Body></soap:Envelope>"));
        QCOMPARE(kept(), (QStringList{"daily-2026-12-01.xml", "keyrate-2026-03-20.xml", "keyrate-2026-12-10.xml"}));
        QCOMPARE(orveltest::fileBytes(keptFile(kToday)), bankAnswer());
        QCOMPARE(orveltest::fileBytes(shippedHere), orveltest::fileBytes(shipped()));
    }

    // The folder is made on first use; the next run reads the answer from
    // it and, the data being current, asks nothing of a service that is gone.
    void cacheHitWithTheServerStopped()
    {
        QVERIFY(!QFileInfo::exists(folder()));
        const QString url = server->url("/keyrate");
        QVERIFY(refreshed(*store(url)));
        server.reset();

        const std::unique_ptr<KeyRateStore> next = store(url);
        QCOMPARE(next->current().source, KeyRateSource::Cache);
        QCOMPARE(next->current().history.knownUntil, kToday);
        QCOMPARE(orvel::keyRateOn(next->current().history, QDate(2026, 12, 9)), 16.0);
        QVERIFY(!refreshed(*next));
        QCOMPARE(next->lastError(), QString());
        QCOMPARE(next->statusText(), QStringLiteral("Ключевая ставка: из кэша, известна по 10.12.2026"));
    }

    // Once a day at most, whether the bank answered or failed; a new day
    // asks again.
    void onceADay_data()
    {
        QTest::addColumn<HttpTestServer::Reply>("reply");
        QTest::newRow("answered") << service(bankAnswer());
        QTest::newRow("failed") << HttpTestServer::Reply{500, "<html>Internal error</html>", {}};
    }
    void onceADay()
    {
        QFETCH(HttpTestServer::Reply, reply);
        server->route("/keyrate", reply);
        put(keptFile(kKeptUntil), keptAnswer());
        const std::unique_ptr<KeyRateStore> s = store(server->url("/keyrate"));
        QSignalSpy finished(s.get(), &KeyRateStore::finished);
        s->refresh(kToday);
        s->refresh(kToday); // while the first runs
        QVERIFY(finished.wait(5000));
        s->refresh(kToday);
        QVERIFY(!s->busy());
        QTest::qWait(100);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(server->requests().size(), 1);

        QVERIFY(refreshed(*s, kToday.addDays(1)));
        QCOMPARE(server->requests().size(), 2);
    }

    // A failed request replaces nothing: the kept data stays in use and on
    // the disk, and the windows say why a later day is not known.
    void failedAnswerReplacesNothing_data()
    {
        QTest::addColumn<HttpTestServer::Reply>("reply");
        QTest::addColumn<QString>("reason");
        const QString answerIs = "ответ банка о ключевой ставке: ";
        QTest::newRow("no server") << HttpTestServer::Reply{0, {}, {}} << "нет связи с сервером ЦБ РФ"; // status 0: none
        QTest::newRow("never answers") << service(bankAnswer(), Mode::Silent) << "нет связи с сервером ЦБ РФ";
        QTest::newRow("drips a byte a second")
            << service(bankAnswer(), Mode::Drip, 1000) << "сервер ЦБ РФ отвечает слишком медленно";
        QTest::newRow("status 500") << HttpTestServer::Reply{500, "<html>Internal error</html>", {}}
                                    << "сервер ЦБ РФ ответил ошибкой 500";
        QTest::newRow("redirect loop") << HttpTestServer::Reply{302, {}, "/keyrate"}
                                       << "сервер ЦБ РФ перенаправляет запрос по кругу";
        QTest::newRow("over the size limit") << service(answerWith(QByteArray(5000, ' ') + kr("2026-12-09", "16.00")))
                                             << "ответ сервера ЦБ РФ слишком велик";
        QTest::newRow("HTML page, status 200")
            << service("<html><body>Сервис недоступен</body></html>") << answerIs + "корневой элемент «html» вместо soap:Envelope";
        QTest::newRow("wrong root") << service("<ValCurs Date=\"10.12.2026\"/>")
                                    << answerIs + "корневой элемент «ValCurs» вместо soap:Envelope";
        QTest::newRow("a row after the period") << service(answerWith(kr("2026-12-11", "16.00")))
                                                << answerIs + "день 11.12.2026 вне запрошенного периода 13.09.2013 – 10.12.2026";
        QTest::newRow("a row before the period") << service(answerWith(kr("2013-09-12", "5.50")))
                                                 << answerIs + "день 12.09.2013 вне запрошенного периода 13.09.2013 – 10.12.2026";
        QTest::newRow("a rate over 100") << service(answerWith(kr("2026-12-09", "100.01")))
                                         << answerIs + "ставка 100.01 на 09.12.2026 вне пределов от 0 до 100";
        QTest::newRow("a rate below 0") << service(answerWith(kr("2026-12-09", "-0.25")))
                                        << answerIs + "ставка -0.25 на 09.12.2026 вне пределов от 0 до 100";
    }
    void failedAnswerReplacesNothing()
    {
        QFETCH(HttpTestServer::Reply, reply);
        QFETCH(QString, reason);
        put(keptFile(kKeptUntil), keptAnswer());
        server->route("/keyrate", reply);
        const QString url = reply.status ? server->url("/keyrate")
                                         : QStringLiteral("http://127.0.0.1:%1/keyrate").arg(orveltest::closedPort());
        const std::unique_ptr<KeyRateStore> s = store(url);
        QSignalSpy updated(s.get(), &KeyRateStore::updated);
        QVERIFY(refreshed(*s));

        QCOMPARE(s->lastError(), reason);
        QCOMPARE(updated.size(), 0);
        QCOMPARE(s->current().source, KeyRateSource::Cache);
        QCOMPARE(s->current().history.knownUntil, kKeptUntil);
        QCOMPARE(s->statusText(), "Ключевая ставка: из кэша, известна по 01.12.2026 (" + reason + ")");
        QCOMPARE(s->missingDayMessage(QDate(2026, 12, 5)), "Ключевая ставка известна по 01.12.2026: " + reason);
        QCOMPARE(s->missingDayMessage(QDate(2013, 1, 1)), QStringLiteral("Ключевая ставка известна с 27.10.2026"));
        QCOMPARE(s->missingDayMessage(kKeptUntil), QString());
        QCOMPARE(kept(), QStringList{"keyrate-2026-12-01.xml"});
        QCOMPARE(orveltest::fileBytes(keptFile(kKeptUntil)), keptAnswer());
    }

    // An answer that cannot be kept is still used, and says so; a later
    // day is refused without that note, the bank having answered.
    void answerUsedWhenItCannotBeKept()
    {
        put(dir->filePath("cache/rates"), "a file where the folder should be");
        const std::unique_ptr<KeyRateStore> s = store(server->url("/keyrate"));
        QSignalSpy updated(s.get(), &KeyRateStore::updated);
        QVERIFY(refreshed(*s));
        QCOMPARE(updated.size(), 1);
        QCOMPARE(s->current().source, KeyRateSource::Bank);
        QCOMPARE(s->current().history.knownUntil, kToday);
        const QString why = s->lastError();
        QVERIFY2(why.startsWith("не удалось сохранить файл \"" + QDir::toNativeSeparators(keptFile(kToday)) + "\": "),
                 qPrintable(why));
        QVERIFY(s->statusText().endsWith(" (" + why + ")"));
        QCOMPARE(s->missingDayMessage(kToday.addDays(1)), QStringLiteral("Ключевая ставка известна по 10.12.2026"));
    }

    // Cancelled, or its store deleted, while the answer drips in: back at
    // once, nothing kept or used although the whole answer arrives soon
    // after. A cancelled request does not count as asked.
    void cancelledMidDrip()
    {
        put(keptFile(kKeptUntil), keptAnswer());
        server->route("/keyrate", service(bankAnswer(), Mode::Drip, 1));
        orvel::FetchLimits slow = orveltest::shortFetchLimits();
        slow.totalTimeoutMs = 15000;
        orvel::setRateFetchLimits(slow);
        const std::unique_ptr<KeyRateStore> s = store(server->url("/keyrate"));
        std::unique_ptr<KeyRateStore> deleted = store(server->url("/keyrate"));
        QSignalSpy finished(s.get(), &KeyRateStore::finished);
        QSignalSpy updated(s.get(), &KeyRateStore::updated);
        s->refresh(kToday);
        deleted->refresh(kToday);
        orvel::setRateFetchLimits(orveltest::shortFetchLimits());
        QTRY_COMPARE(server->requests().size(), 2);
        QElapsedTimer clock;
        clock.start();
        s->cancel();
        deleted.reset();
        QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!s->busy());
        QCOMPARE(finished.size(), 1);
        // The drip, a byte a millisecond, would be over by now.
        QTest::qWait(bankAnswer().size() * 2 + 500);
        QCOMPARE(updated.size(), 0);
        QCOMPARE(s->current().source, KeyRateSource::Cache);
        QCOMPARE(kept(), QStringList{"keyrate-2026-12-01.xml"});

        server->route("/keyrate", service(bankAnswer()));
        QVERIFY(refreshed(*s));
        QCOMPARE(s->current().source, KeyRateSource::Bank);
    }

    // A service that moved answers the same POST at its new place.
    void redirectKeepsThePost_data()
    {
        QTest::addColumn<int>("status");
        for (int status : {301, 302, 307, 308})
            QTest::newRow(qPrintable(QString::number(status))) << status;
    }
    void redirectKeepsThePost()
    {
        QFETCH(int, status);
        server->route("/moved", {status, {}, "/keyrate"});
        const std::unique_ptr<KeyRateStore> s = store(server->url("/moved"));
        QVERIFY(refreshed(*s));
        QCOMPARE(s->lastError(), QString());
        QCOMPARE(s->current().source, KeyRateSource::Bank);
        const QList<QByteArray> heads = server->requests();
        QCOMPARE(heads.size(), 2);
        QVERIFY(heads.first().startsWith("POST /moved "));
    }
};

QTEST_GUILESS_MAIN(TestKeyRateStore)
#include "test_key_rate_store.moc"
