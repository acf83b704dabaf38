#include "rates/RateArchive.h"

#include "calc/OrvelError.h"
#include "rates/RateChecks.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <optional>

namespace orvel {

namespace {

// The bank's own form of a date in a request.
QString requestDate(const QDate &d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }
// And in a file name, so the folder lists in date order.
QString fileDate(const QDate &d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }
// As the messages show it.
QString shownDate(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

std::optional<QByteArray> fileContents(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// A kept document that no longer reads (cut short, edited) counts as absent.
template <typename Result, typename Read>
std::optional<Result> readKept(const QString &path, Read read)
{
    const std::optional<QByteArray> bytes = fileContents(path);
    if (!bytes)
        return std::nullopt;
    try {
        return read(*bytes);
    } catch (const OrvelError &) {
        return std::nullopt;
    }
}

// Keeps a document that read fine; a failed write is reported, not fatal.
// A request cancelled by now keeps nothing.
QString keep(const QByteArray &bytes, const QString &path, const RequestContext &context)
{
    if (!context.commit())
        throw OrvelError(bankFetchFailure(FetchResult{FetchFailure::Cancelled, 0, {}, {}}));
    if (path.isEmpty())
        return {};
    try {
        writeFileAtomically(bytes, path);
    } catch (const OrvelError &e) {
        return e.message();
    }
    return {};
}

} // namespace

QDate firstRateDate() { return QDate(1992, 7, 1); }

QString bankSite(const QString &rateUrl)
{
    return QUrl(rateUrl)
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toString();
}

QString dailyRatesUrl(const QString &site, const QDate &day)
{
    return site + QStringLiteral("/scripts/XML_daily.asp?date_req=") + requestDate(day);
}

QString rateHistoryUrl(const QString &site, const QString &id, const QDate &from, const QDate &to)
{
    return site + QStringLiteral("/scripts/XML_dynamic.asp?date_req1=") + requestDate(from)
           + QStringLiteral("&date_req2=") + requestDate(to) + QStringLiteral("&VAL_NM_RQ=")
           + QString::fromLatin1(QUrl::toPercentEncoding(id));
}

QString rateArchiveFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/rates");
}

QString dailyArchiveFile(const QString &folder, const QDate &day)
{
    if (folder.isEmpty() || !day.isValid())
        return {};
    return folder + QStringLiteral("/daily-") + fileDate(day) + QStringLiteral(".xml");
}

QString historyArchiveFile(const QString &folder, const QString &id, const QDate &from, const QDate &to)
{
    // The ID comes from a document; only a plain one may name a file.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,32}$"));
    if (folder.isEmpty() || !from.isValid() || !to.isValid() || !plain.match(id).hasMatch())
        return {};
    return folder + QStringLiteral("/dynamic-") + id + QLatin1Char('-') + fileDate(from) + QLatin1Char('-')
           + fileDate(to) + QStringLiteral(".xml");
}

DatedRates loadRatesOnDate(const RateSource &source, const QDate &day)
{
    return loadRatesOnDate(source, day, RequestContext(rateFetchLimits()));
}

DatedRates loadRatesOnDate(const RateSource &source, const QDate &day, const RequestContext &context)
{
    DatedRates out;
    out.requested = day;
    const QString file = dailyArchiveFile(source.folder, day);
    // What is read, from the bank or the cache, must be the answer for the day.
    const auto readRates = [&day](const QByteArray &bytes) {
        RateSnapshot rates = readRateSnapshot(bytes);
        checkDatedRates(rates, day);
        return rates;
    };

    // A past day's rates do not change: the kept document is the answer.
    if (day < source.today) {
        if (std::optional<RateSnapshot> kept = readKept<RateSnapshot>(file, readRates)) {
            out.rates = std::move(*kept);
            out.fromCache = true;
            return out;
        }
    }

    const FetchResult answer = context.fetch(HttpRequest{dailyRatesUrl(source.site, day), {}, {}, {}});
    if (!answer.ok()) {
        std::optional<RateSnapshot> kept;
        if (answer.failure != FetchFailure::Cancelled)
            kept = readKept<RateSnapshot>(file, readRates);
        if (kept) {
            out.rates = std::move(*kept);
            out.fromCache = true;
            out.offline = true;
            return out;
        }
        throw OrvelError(bankFetchFailure(answer) + QStringLiteral(", курсов на %1 нет в кэше").arg(shownDate(day)));
    }
    out.rates = readRates(answer.body);
    const bool notYetPublished = day > source.today && out.rates.date < day;
    if (!notYetPublished)
        out.cacheError = keep(answer.body, file, context);
    return out;
}

LoadedHistory loadRateHistory(const RateSource &source, const QString &id, const QDate &from, const QDate &to)
{
    return loadRateHistory(source, id, from, to, RequestContext(rateFetchLimits()));
}

LoadedHistory loadRateHistory(const RateSource &source, const QString &id, const QDate &from, const QDate &to,
                              const RequestContext &context)
{
    if (from > to)
        throw OrvelError(QStringLiteral("Начало периода позже его конца"));
    LoadedHistory out;
    // Only a period that is over is final; one that includes today may still grow.
    const QString file = to < source.today ? historyArchiveFile(source.folder, id, from, to) : QString();
    // What is read, from the bank or the cache, must be the answer for this currency and period.
    const auto readHistory = [&](const QByteArray &bytes) {
        RateHistory history = readRateHistory(bytes);
        checkRateHistory(history, id, from, to);
        return history;
    };
    if (std::optional<RateHistory> kept = readKept<RateHistory>(file, readHistory)) {
        out.history = std::move(*kept);
        out.fromCache = true;
        return out;
    }
    const FetchResult answer = context.fetch(HttpRequest{rateHistoryUrl(source.site, id, from, to), {}, {}, {}});
    if (!answer.ok())
        throw OrvelError(bankFetchFailure(answer)
                         + QStringLiteral(", данных за период %1 – %2 нет в кэше").arg(shownDate(from), shownDate(to)));
    out.history = readHistory(answer.body);
    out.cacheError = keep(answer.body, file, context);
    return out;
}

void requestRatesOnDate(BankRequest &request, const RateSource &source, const QDate &day,
                        std::function<void(RequestResult<DatedRates>)> done)
{
    request.start<DatedRates>(
        rateFetchLimits(), [source, day](const RequestContext &context) { return loadRatesOnDate(source, day, context); },
        std::move(done));
}

void requestRateHistory(BankRequest &request, const RateSource &source, const QString &id, const QDate &from,
                        const QDate &to, std::function<void(RequestResult<LoadedHistory>)> done)
{
    request.start<LoadedHistory>(
        rateFetchLimits(),
        [source, id, from, to](const RequestContext &context) { return loadRateHistory(source, id, from, to, context); },
        std::move(done));
}

} // namespace orvel
