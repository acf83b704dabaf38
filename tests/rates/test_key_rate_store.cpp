// The key rate Orvel starts with: the newest of the cache folder and the
// shipped answer, a damaged kept file passed over, and the status line.
#include "rates/KeyRateStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using orvel::KeyRateSource;
using orvel::KeyRateStore;

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
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestKeyRateStore : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestKeyRateStore)
#include "test_key_rate_store.moc"
