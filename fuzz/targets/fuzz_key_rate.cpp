// The bank's key rate answer: any bytes either read into sound steps or fail
// with one of the reader's messages, short enough for an error box. What
// reads is kept the way the store keeps it and is what the store starts
// with; what does not read is passed over for the shipped data.
#include "calc/OrvelError.h"
#include "FuzzCheck.h"
#include "FuzzFolder.h"
#include "rates/KeyRate.h"
#include "rates/KeyRateStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

// The day every input is asked up to, and the data the store falls back on.
const QDate kAsked(2026, 12, 10);
const QDate kShippedUntil(2024, 1, 1);

// The shipped file of the store: one row, older than any answer kept.
const QString &shippedFile()
{
    static const QString path = [] {
        const QString file = fuzzFolder() + QStringLiteral("/shipped/keyrate-2024-01-01.xml");
        QDir().mkpath(fuzzFolder() + QStringLiteral("/shipped"));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly)
            || f.write("<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                       "<KeyRateXMLResponse xmlns=\"http://web.cbr.ru/\"><KeyRateXMLResult><KeyRate xmlns=\"\">"
                       "<KR><DT>2023-12-18T00:00:00+03:00</DT><Rate>16.00</Rate></KR>"
                       "</KeyRate></KeyRateXMLResult></KeyRateXMLResponse></soap:Body></soap:Envelope>")
                   < 0)
            std::abort();
        return file;
    }();
    return path;
}

bool knownMessage(const QString &m)
{
    return m.startsWith(QStringLiteral("Ответ банка о ключевой ставке: "))
           || m.startsWith(QStringLiteral("Банк не дал ключевую ставку: "))
           || m == QStringLiteral("В ответе банка нет ни одного значения ключевой ставки");
}

// Steps in order, each a change, each inside the period asked and 0..100,
// and the rate on each step's first day and on the last day known is its own.
void checkSteps(const orvel::KeyRateHistory &h)
{
    FUZZ_CHECK(!h.steps.empty(), "an answer read with no steps");
    FUZZ_CHECK(h.knownUntil == kAsked, "known until %s", qPrintable(h.knownUntil.toString(Qt::ISODate)));
    for (std::size_t i = 0; i < h.steps.size(); ++i) {
        const orvel::KeyRateStep &s = h.steps[i];
        FUZZ_CHECK(s.from >= orvel::firstKeyRateDay() && s.from <= kAsked, "step %zu starts outside the period", i);
        FUZZ_CHECK(s.rate >= 0 && s.rate <= 100, "step %zu has the rate %g", i, s.rate);
        FUZZ_CHECK(i == 0 || (h.steps[i - 1].from < s.from && h.steps[i - 1].rate != s.rate),
                   "step %zu is out of order or no change", i);
        FUZZ_CHECK(orvel::keyRateOn(h, s.from) == s.rate, "the rate on step %zu's first day is not its own", i);
    }
    FUZZ_CHECK(orvel::keyRateOn(h, kAsked) == h.steps.back().rate, "the last day has another rate");
}

// Kept as the store keeps an answer, the bytes are what the next start uses:
// the answer when it reads, otherwise the shipped data.
void checkKept(const QByteArray &bytes, const orvel::KeyRateHistory *read)
{
    const QString cache = fuzzFolder() + QStringLiteral("/cache");
    QDir(cache).removeRecursively();
    QDir().mkpath(cache);
    QFile f(orvel::keyRateCacheFile(cache, kAsked));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
    f.close();
    const orvel::KeyRateStore store(QString(), cache, shippedFile());
    const orvel::KeyRateData &used = store.current();
    if (read) {
        bool same = used.source == orvel::KeyRateSource::Cache && used.history.knownUntil == kAsked
                    && used.history.steps.size() == read->steps.size();
        for (std::size_t i = 0; same && i < read->steps.size(); ++i)
            same = used.history.steps[i].from == read->steps[i].from && used.history.steps[i].rate == read->steps[i].rate;
        FUZZ_CHECK(same, "a kept answer that reads is not the one used");
    } else {
        FUZZ_CHECK(used.source == orvel::KeyRateSource::Shipped && used.history.knownUntil == kShippedUntil,
                   "a kept answer that does not read was used");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    orvel::KeyRateHistory history;
    QString error;
    try {
        history = orvel::readKeyRateAnswer(bytes, kAsked);
    } catch (const OrvelError &e) {
        error = e.message();
    }
    FUZZ_CHECK(error.isEmpty() || knownMessage(error), "unexpected message: %s", qPrintable(error));
    // A broken answer must not fill the error box.
    FUZZ_CHECK(error.size() <= 400, "a message of %lld characters", static_cast<long long>(error.size()));
    if (error.isEmpty())
        checkSteps(history);
    checkKept(bytes, error.isEmpty() ? &history : nullptr);
    return 0;
}
