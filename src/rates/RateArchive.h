#pragma once
// The bank's rates on a chosen date and a currency's history over a period:
// the requests, and the cache folder that keeps what the bank answered.
//
// Both documents come from the same site as the daily one (the converter's
// rate URL names it) and go through the same fetch limits and the same reader
// (RateDocument.h), and must be the answer asked for (RateChecks.h), whether
// they come from the bank or from the cache. "cbr.xml" is never touched here:
// it stays the latest daily document, for the next start.
//
// Each read has a blocking form and one that runs off the caller's thread
// through a BankRequest (BankRequest.h).
#include "rates/BankRequest.h"
#include "rates/RateDocument.h"

#include <QDate>
#include <QString>

#include <functional>

namespace orvel {

// The first date the bank has rates for.
QDate firstRateDate();

// "http://www.cbr.ru" from "http://www.cbr.ru/scripts/XML_daily.asp?date_req":
// the scheme, host and port of a URL.
QString bankSite(const QString &rateUrl);

// site + "/scripts/XML_daily.asp?date_req=DD/MM/YYYY"
QString dailyRatesUrl(const QString &site, const QDate &day);
// site + "/scripts/XML_dynamic.asp?date_req1=DD/MM/YYYY&date_req2=DD/MM/YYYY&VAL_NM_RQ=" + id
QString rateHistoryUrl(const QString &site, const QString &id, const QDate &from, const QDate &to);

// The cache folder: QStandardPaths::CacheLocation + "/rates".
QString rateArchiveFolder();
// folder + "/daily-YYYY-MM-DD.xml", keyed by the requested date.
QString dailyArchiveFile(const QString &folder, const QDate &day);
// folder + "/dynamic-ID-YYYY-MM-DD-YYYY-MM-DD.xml"; empty when the ID is not
// letters and digits only (such a document is fetched, never kept).
QString historyArchiveFile(const QString &folder, const QString &id, const QDate &from, const QDate &to);

// Where a read asks and keeps, and which day it is (the local date).
struct RateSource {
    QString site;
    QString folder;
    QDate today;
};

// The rates of one requested date.
struct DatedRates {
    QDate requested;
    RateSnapshot rates;     // rates.date is the document's own date
    bool fromCache = false; // read from the cache folder
    bool offline = false;   // ... because the bank could not be reached
    QString cacheError;     // read fine, but could not be kept
};

// The rates of `day`, all or nothing:
// - a past day whose document is in the cache is read from there, with no
//   network at all (a cached document that no longer reads is fetched anew);
// - otherwise the bank is asked; its document is read and then kept in the
//   cache under the requested day. Tomorrow's answer that still carries an
//   earlier date (the bank has not published tomorrow's rates yet) is not
//   kept, since it would stand for the wrong day later;
// - when the fetch fails, a cached document for the day is used; without
//   one, what failed (bankFetchFailure) and the note on the cache: "Нет связи
//   с сервером ЦБ РФ, курсов на DD.MM.YYYY нет в кэше", "Сервер ЦБ РФ
//   ответил ошибкой 500, курсов на ...".
// A document that fails to read or is not the answer for the day (a date
// after it or more than kMaxRateAgeDays before it, a row that cannot
// convert) gives the reader's or the check's message and is not kept.
DatedRates loadRatesOnDate(const RateSource &source, const QDate &day);
// The same with the fetch of `context`; a cancelled context keeps nothing.
DatedRates loadRatesOnDate(const RateSource &source, const QDate &day, const RequestContext &context);
// The same off the caller's thread, with rateFetchLimits(): `done` gets the
// rates or the error, unless `request` is cancelled, given another request
// or deleted first.
void requestRatesOnDate(BankRequest &request, const RateSource &source, const QDate &day,
                        std::function<void(RequestResult<DatedRates>)> done);

struct LoadedHistory {
    RateHistory history;
    bool fromCache = false;
    QString cacheError;
};

// The history of the currency `id` from `from` to `to`. A period that ends
// before today is read from the cache when it is there, and kept there after
// a fetch; a period that includes today is always fetched. Without the bank
// and the cache, what failed and the note: "Нет связи с сервером ЦБ РФ,
// данных за период DD.MM.YYYY – DD.MM.YYYY нет в кэше". A period whose start
// lies after its end: "Начало периода позже его конца".
LoadedHistory loadRateHistory(const RateSource &source, const QString &id, const QDate &from, const QDate &to);
// The same with the fetch of `context`; a cancelled context keeps nothing.
LoadedHistory loadRateHistory(const RateSource &source, const QString &id, const QDate &from, const QDate &to,
                              const RequestContext &context);
// The same off the caller's thread, as requestRatesOnDate.
void requestRateHistory(BankRequest &request, const RateSource &source, const QString &id, const QDate &from,
                        const QDate &to, std::function<void(RequestResult<LoadedHistory>)> done);

} // namespace orvel
