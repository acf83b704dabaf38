#include "rates/HttpFetch.h"

#include <QFile>

#include <curl/curl.h>

#include <memory>

#ifndef ORVEL_VERSION
#define ORVEL_VERSION "0"
#endif

namespace orvel {

namespace {

bool globalInit()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct EasyDeleter {
    void operator()(CURL *c) const { curl_easy_cleanup(c); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct Sink {
    QByteArray body;
    qint64 limit = 0;
    bool tooLarge = false;
};

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<Sink *>(user);
    const size_t n = size * count;
    if (sink->body.size() + static_cast<qint64>(n) > sink->limit) {
        sink->tooLarge = true;
        return 0; // aborts the transfer
    }
    sink->body.append(data, static_cast<qsizetype>(n));
    return n;
}

} // namespace

QString userAgent()
{
    return QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                          "Orvel/") + QLatin1String(ORVEL_VERSION);
}

std::optional<QByteArray> httpGet(const QString &url, const FetchLimits &limits, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!globalInit())
        return fail(QStringLiteral("curl_global_init failed"));
    Easy easy(curl_easy_init());
    if (!easy)
        return fail(QStringLiteral("curl_easy_init failed"));
    CURL *c = easy.get();

    const QByteArray u = url.toUtf8();
    const QByteArray caFile = QFile::encodeName(limits.caFile);
    const QByteArray agent = userAgent().toUtf8();
    Sink sink;
    sink.limit = limits.maxBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    const bool setUp =
        curl_easy_setopt(c, CURLOPT_URL, u.constData()) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_USERAGENT, agent.constData()) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes)) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "") == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &writeBody) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink) == CURLE_OK
        // The bank's certificate must be valid and name the host.
        && curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK
        && curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK
        && (caFile.isEmpty() || curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData()) == CURLE_OK);
    if (!setUp)
        return fail(QStringLiteral("cannot set up the request"));

    const CURLcode rc = curl_easy_perform(c);
    if (sink.tooLarge)
        return fail(QStringLiteral("answer larger than %1 bytes").arg(limits.maxBytes));
    if (rc != CURLE_OK)
        return fail(QString::fromLocal8Bit(errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc)));
    long status = 0;
    if (curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return fail(QStringLiteral("no status"));
    if (status < 200 || status > 299)
        return fail(QStringLiteral("HTTP status %1").arg(status));
    return sink.body;
}

} // namespace orvel
