#include "rates/KeyRateStore.h"

#include "calc/AtomicFile.h"
#include "calc/Paths.h"
#include "rates/BankRequest.h"
#include "rates/RateDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <optional>

namespace orvel {

namespace {

QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

// The day a kept file's name says its data is known until, or an invalid date.
QDate keptUntil(const QString &fileName)
{
    static const QRegularExpression name(QStringLiteral("^keyrate-(\\d{4}-\\d{2}-\\d{2})\\.xml$"));
    const QRegularExpressionMatch m = name.match(fileName);
    return m.hasMatch() ? QDate::fromString(m.captured(1), Qt::ISODate) : QDate();
}

// The file read as an answer known until `until`; nothing when it does not
// read (a damaged file counts as absent).
std::optional<KeyRateHistory> readKept(const QString &path, const QDate &until)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxKeyRateAnswer)
        return std::nullopt;
    try {
        return readKeyRateAnswer(file.readAll(), until);
    } catch (const OrvelError &) {
        return std::nullopt;
    }
}

// The newest kept answer of the folder that reads.
std::optional<KeyRateData> newestCached(const QString &folder)
{
    if (folder.isEmpty())
        return std::nullopt;
    QStringList names = QDir(folder).entryList({QStringLiteral("keyrate-*.xml")}, QDir::Files, QDir::Name);
    // ISO dates in the names: the last in name order is the newest.
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QDate until = keptUntil(*it);
        if (!until.isValid())
            continue;
        if (auto history = readKept(folder + QLatin1Char('/') + *it, until))
            return KeyRateData{std::move(*history), KeyRateSource::Cache, until};
    }
    return std::nullopt;
}

// A message as the reason after a colon or in brackets: "Нет связи..." ->
// "нет связи...".
QString asReason(QString message)
{
    if (!message.isEmpty())
        message[0] = message[0].toLower();
    return message;
}

// The bank's KeyRateXML call for the whole series up to `today`.
HttpRequest keyRateRequest(const QString &url, const QDate &today)
{
    const auto soapDate = [](const QDate &d) { return d.toString(Qt::ISODate).toLatin1() + "T00:00:00"; };
    HttpRequest request;
    request.url = url;
    request.method = HttpRequest::Method::Post;
    request.headers = {"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"http://web.cbr.ru/KeyRateXML\""};
    request.body = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                   "<KeyRateXML xmlns=\"http://web.cbr.ru/\"><fromDate>"
                   + soapDate(firstKeyRateDay()) + "</fromDate><ToDate>" + soapDate(today)
                   + "</ToDate></KeyRateXML></soap:Body></soap:Envelope>";
    return request;
}

// Where the job keeps the answer.
struct KeepPlace {
    QString folder, shippedFile;
};

// Removes the folder's kept answers older than `newest`; the shipped file
// stays, wherever it lies.
void removeOlderKept(const KeepPlace &place, const QDate &newest)
{
    const QString shipped = QFileInfo(place.shippedFile).absoluteFilePath();
    QDir dir(place.folder);
    for (const QString &name : dir.entryList({QStringLiteral("keyrate-*.xml")}, QDir::Files)) {
        const QDate until = keptUntil(name);
        if (until.isValid() && until < newest && QFileInfo(dir.filePath(name)).absoluteFilePath() != shipped)
            dir.remove(name);
    }
}

// Keeps the answer as keyrate-<today>.xml, the folder made on first use, and
// then only it. Returns why it could not be written, or an empty text.
QString keepAnswer(const QByteArray &bytes, const KeepPlace &place, const QDate &today)
{
    if (place.folder.isEmpty())
        return {};
    const QString file = keyRateCacheFile(place.folder, today);
    try {
        if (!QFileInfo::exists(place.folder)) {
            errno = 0;
            if (!QDir().mkpath(place.folder))
                throw OrvelError(QStringLiteral("Не удалось создать папку \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(QFileInfo(place.folder).absoluteFilePath()),
                                          saveFailureReason(errno ? errno : EACCES)));
        }
        saveFileAtomically(file, bytes);
    } catch (const OrvelError &e) {
        return e.message();
    }
    removeOlderKept(place, today);
    return {};
}

// What the job brings back.
struct BankAnswer {
    KeyRateHistory history;
    QString keepError;
};

// Asks the bank, reads its answer and keeps it unless the request was
// cancelled by then. Throws OrvelError with what failed.
BankAnswer askBank(const QString &url, const KeepPlace &place, const QDate &today, const RequestContext &context)
{
    const FetchResult answer = context.fetch(keyRateRequest(url, today));
    if (!answer.ok())
        throw OrvelError(bankFetchFailure(answer));
    BankAnswer out;
    out.history = readKeyRateAnswer(answer.body, today);
    if (!context.commit())
        throw OrvelError(bankFetchFailure(FetchResult{FetchFailure::Cancelled, 0, {}, {}}));
    out.keepError = keepAnswer(answer.body, place, today);
    return out;
}

} // namespace

QString defaultKeyRateUrl() { return QStringLiteral("https://www.cbr.ru/DailyInfoWebServ/DailyInfo.asmx"); }

QString shippedKeyRateFile() { return programFolder() + QStringLiteral("/keyrate-2026-03-20.xml"); }

QString keyRateCacheFile(const QString &folder, const QDate &knownUntil)
{
    return folder + QStringLiteral("/keyrate-") + knownUntil.toString(Qt::ISODate) + QStringLiteral(".xml");
}

struct KeyRateStore::State {
    QString serviceUrl, cacheFolder, shippedFile;
    KeyRateData current;
    QDate askedOn; // the day the bank was last asked in this run
    QString lastError;
    bool fetchFailed = false; // lastError says why the last request brought nothing
    BankRequest request;
};

KeyRateStore::KeyRateStore(const QString &serviceUrl, const QString &cacheFolder, const QString &shippedFile,
                           QObject *parent)
    : QObject(parent), d(std::make_unique<State>())
{
    d->serviceUrl = serviceUrl;
    d->cacheFolder = cacheFolder;
    d->shippedFile = shippedFile;
    const QDate shippedUntil = keptUntil(QFileInfo(shippedFile).fileName());
    if (auto shipped = readKept(shippedFile, shippedUntil))
        d->current = KeyRateData{std::move(*shipped), KeyRateSource::Shipped, QDate()};
    if (auto cached = newestCached(cacheFolder))
        if (d->current.history.steps.empty() || cached->history.knownUntil > d->current.history.knownUntil)
            d->current = std::move(*cached);
}

KeyRateStore::~KeyRateStore() = default;

const KeyRateData &KeyRateStore::current() const { return d->current; }

void KeyRateStore::refresh(const QDate &today)
{
    const KeyRateHistory &known = d->current.history;
    const bool stale = known.steps.empty() || known.knownUntil < today;
    if (!today.isValid() || !stale || d->askedOn == today || d->request.isRunning() || d->serviceUrl.isEmpty())
        return;
    d->askedOn = today;
    const QString url = d->serviceUrl;
    const KeepPlace place{d->cacheFolder, d->shippedFile};
    d->request.start<BankAnswer>(
        rateFetchLimits(),
        [url, place, today](const RequestContext &context) { return askBank(url, place, today, context); },
        [this, today](RequestResult<BankAnswer> result) {
            try {
                BankAnswer answer = result.take();
                d->current = KeyRateData{std::move(answer.history), KeyRateSource::Bank, today};
                d->lastError = asReason(answer.keepError);
                d->fetchFailed = false;
                emit updated();
            } catch (const OrvelError &e) {
                d->lastError = asReason(e.message());
                d->fetchFailed = true;
            } catch (const std::exception &) { // out of memory, say: the data stays
                d->lastError = asReason(bankFetchFailure(FetchResult{}));
                d->fetchFailed = true;
            }
            emit finished();
        });
}

bool KeyRateStore::busy() const { return d->request.isRunning(); }

void KeyRateStore::cancel()
{
    if (!d->request.isRunning())
        return;
    d->request.cancel();
    d->askedOn = QDate(); // nothing came: the next window asks again
    emit finished();
}

QString KeyRateStore::lastError() const { return d->lastError; }

QString KeyRateStore::missingDayMessage(const QDate &day) const
{
    const KeyRateHistory &known = d->current.history;
    const std::optional<OrvelError> gap = keyRateGap(known, day);
    if (!gap)
        return {};
    const bool afterTheData = known.steps.empty() || day > known.knownUntil;
    if (afterTheData && d->fetchFailed && !d->lastError.isEmpty())
        return gap->message() + QStringLiteral(": ") + d->lastError;
    return gap->message();
}

QString KeyRateStore::statusText() const
{
    const KeyRateData &c = d->current;
    if (c.history.steps.empty())
        return QStringLiteral("Ключевая ставка: нет данных")
               + (d->lastError.isEmpty() ? QString() : QStringLiteral(" (") + d->lastError + QLatin1Char(')'));
    QString from;
    switch (c.source) {
    case KeyRateSource::Bank:
        from = QStringLiteral("по данным ЦБ РФ на ") + shownDate(c.answeredOn);
        break;
    case KeyRateSource::Cache:
        from = QStringLiteral("из кэша");
        break;
    case KeyRateSource::Shipped:
        from = QStringLiteral("встроенные данные");
        break;
    }
    QString text = QStringLiteral("Ключевая ставка: %1, известна по %2").arg(from, shownDate(c.history.knownUntil));
    if (!d->lastError.isEmpty())
        text += QStringLiteral(" (") + d->lastError + QLatin1Char(')');
    return text;
}

} // namespace orvel
